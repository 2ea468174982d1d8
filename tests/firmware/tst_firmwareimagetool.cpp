// The build step that makes the placeholder image and refuses an image the controller's
// loader would not take.

#include "sim/simfirmware.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// 508 counting bytes closed by `crc`, little-endian.
QByteArray twoParts(quint32 crc)
{
    QByteArray out(508, '\0');
    for (int i = 0; i < out.size(); ++i)
        out[i] = char(i & 0xFF);
    crc = qToLittleEndian(crc);
    return out.append(reinterpret_cast<const char *>(&crc), 4);
}

// The tool's exit code, -1 when it did not end by itself, and its error output.
int runTool(const QStringList &arguments, QString *errors = nullptr)
{
    QProcess tool;
    tool.start(QStringLiteral(LUMARO_FIRMWARE_TOOL), arguments);
    if (!tool.waitForFinished(60000) || tool.exitStatus() != QProcess::NormalExit)
        return -1;
    if (errors)
        *errors = QString::fromLocal8Bit(tool.readAllStandardError());
    return tool.exitCode();
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
    QTest::addColumn<QString>("reason"); // empty: accepted
    // 0x8BC4EF1D: the loader CRC of the 508 counting bytes.
    QTest::newRow("two parts, right CRC") << twoParts(0x8BC4EF1D) << QString();
    QTest::newRow("CRC stored big-endian") << twoParts(0x1DEFC48B) << "differs";
    QTest::newRow("empty") << QByteArray() << "size 0 bytes";
    QTest::newRow("300 bytes") << twoParts(0).left(300) << "size 300 bytes";
}

void TestFirmwareImageTool::check()
{
    QFETCH(QByteArray, image);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("in.bin"));
    const QString target = dir.filePath(QStringLiteral("out.bin"));
    QFile in(source);
    QVERIFY(in.open(QIODevice::WriteOnly) && in.write(image) == image.size());
    in.close();

    QString errors;
    const int exitCode = runTool({QStringLiteral("check"), source, target}, &errors);
    if (reason.isEmpty()) {
        QCOMPARE(exitCode, 0);
        QFile out(target);
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), image);
    } else {
        QVERIFY(exitCode > 0);
        QVERIFY2(errors.contains(QStringLiteral("refused")) && errors.contains(reason),
                 qPrintable(errors));
        QVERIFY(!QFile::exists(target));
    }
}

void TestFirmwareImageTool::placeholder_data()
{
    QTest::addColumn<QString>("size");
    QTest::addColumn<bool>("made");
    QTest::newRow("1.4.4 size") << QStringLiteral("106496") << true;
    QTest::newRow("not whole parts") << QStringLiteral("1000") << false;
    QTest::newRow("not a number") << QStringLiteral("big") << false;
}

void TestFirmwareImageTool::placeholder()
{
    QFETCH(QString, size);
    QFETCH(bool, made);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("image.bin"));
    const int exitCode = runTool({QStringLiteral("placeholder"), size, target});
    QFile out(target);
    if (!made) {
        QVERIFY(exitCode > 0);
        QVERIFY(!out.exists());
        return;
    }
    QCOMPARE(exitCode, 0);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray image = out.readAll();
    QCOMPARE(QString::number(image.size()), size);
    QCOMPARE(qFromLittleEndian<quint32>(image.constData() + image.size() - 4),
             SimFirmware::loaderCrc(image.left(image.size() - 4)));
}

QTEST_MAIN(TestFirmwareImageTool)
#include "tst_firmwareimagetool.moc"
