// The build step that makes the placeholder image and refuses an image the controller's
// loader would not take.

#include "sim/simfirmware.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray counting(int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char(i & 0xFF);
    return out;
}

QByteArray withTrailer(QByteArray body, quint32 crc)
{
    for (int k = 0; k < 4; ++k)
        body.append(char((crc >> (8 * k)) & 0xFF));
    return body;
}

struct Run {
    int exitCode = -1;
    QString errors;
};

Run runTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(LUMARO_FIRMWARE_TOOL), arguments);
    Run run;
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return run;
    run.exitCode = tool.exitCode();
    run.errors = QString::fromLocal8Bit(tool.readAllStandardError());
    return run;
}

} // namespace

class TestFirmwareImageTool : public QObject
{
    Q_OBJECT

private slots:
    void check_data();
    void check();
    void placeholder_data();
    void placeholder();
};

void TestFirmwareImageTool::check_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("reason");
    // 0x8BC4EF1D: the loader CRC of the 508 counting bytes.
    QTest::newRow("two parts, right CRC") << withTrailer(counting(508), 0x8BC4EF1D) << true
                                          << QString();
    QTest::newRow("two parts, CRC off by one") << withTrailer(counting(508), 0x8BC4EF1C) << false
                                               << QStringLiteral("stored CRC 0x8bc4ef1c");
    QTest::newRow("CRC stored big-endian") << withTrailer(counting(508), 0x1DEFC48B) << false
                                           << QStringLiteral("differs");
    QTest::newRow("empty") << QByteArray() << false << QStringLiteral("size 0 bytes");
    QTest::newRow("300 bytes") << withTrailer(counting(296), 0) << false
                               << QStringLiteral("size 300 bytes");
}

void TestFirmwareImageTool::check()
{
    QFETCH(QByteArray, image);
    QFETCH(bool, accepted);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString source = dir.filePath(QStringLiteral("in.bin"));
    const QString target = dir.filePath(QStringLiteral("out.bin"));
    QFile in(source);
    QVERIFY(in.open(QIODevice::WriteOnly));
    QCOMPARE(in.write(image), image.size());
    in.close();

    const Run run = runTool({QStringLiteral("check"), source, target});
    if (accepted) {
        QCOMPARE(run.exitCode, 0);
        QFile out(target);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), image);
    } else {
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.errors.contains(QStringLiteral("refused")), qPrintable(run.errors));
        QVERIFY2(run.errors.contains(reason), qPrintable(run.errors));
        QVERIFY(!QFile::exists(target));
    }
}

void TestFirmwareImageTool::placeholder_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("made");
    QTest::newRow("1.4.4 size") << QStringLiteral("106496") << true;
    QTest::newRow("one part") << QStringLiteral("256") << true;
    QTest::newRow("not whole parts") << QStringLiteral("1000") << false;
    QTest::newRow("zero") << QStringLiteral("0") << false;
    QTest::newRow("not a number") << QStringLiteral("big") << false;
}

void TestFirmwareImageTool::placeholder()
{
    QFETCH(QString, size);
    QFETCH(bool, made);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString target = dir.filePath(QStringLiteral("image.bin"));
    const Run run = runTool({QStringLiteral("placeholder"), size, target});
    if (!made) {
        QVERIFY(run.exitCode > 0);
        QVERIFY(!QFile::exists(target));
        return;
    }
    QCOMPARE(run.exitCode, 0);
    QFile out(target);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray image = out.readAll();
    QCOMPARE(QString::number(image.size()), size);
    const QByteArray tail = image.right(4);
    const quint32 stored = quint32(quint8(tail[0])) | quint32(quint8(tail[1])) << 8
        | quint32(quint8(tail[2])) << 16 | quint32(quint8(tail[3])) << 24;
    QCOMPARE(stored, SimFirmware::loaderCrc(image.left(image.size() - 4)));
}

QTEST_MAIN(TestFirmwareImageTool)
#include "tst_firmwareimagetool.moc"
