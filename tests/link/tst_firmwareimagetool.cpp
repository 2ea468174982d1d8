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

} // namespace

class TestFirmwareImageTool : public QObject
{
    Q_OBJECT

private slots:
    void run_data()
    {
        // "check" copies the given image; "placeholder" makes one of the given size.
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("image");
        QTest::addColumn<QString>("size");
        QTest::addColumn<QString>("refusal"); // empty: the output is made
        // 0x8BC4EF1D: the loader CRC of the 508 counting bytes.
        QTest::newRow("check two parts, right CRC") << "check" << twoParts(0x8BC4EF1D) << "" << "";
        QTest::newRow("check CRC stored big-endian") << "check" << twoParts(0x1DEFC48B) << "" << "refused: stored CRC";
        QTest::newRow("check 300 bytes") << "check" << twoParts(0).left(300) << "" << "size 300 bytes";
        QTest::newRow("placeholder of the 1.4.4 size") << "placeholder" << QByteArray() << "106496" << "";
        QTest::newRow("placeholder not whole parts") << "placeholder" << QByteArray() << "1000" << "size 1000";
    }

    void run()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, image);
        QFETCH(QString, size);
        QFETCH(QString, refusal);
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("in.bin"));
        const QString target = dir.filePath(QStringLiteral("out.bin"));
        QFile in(source);
        QVERIFY(in.open(QIODevice::WriteOnly) && in.write(image) == image.size());
        in.close();

        QProcess tool;
        tool.start(QStringLiteral(LUMARO_FIRMWARE_TOOL),
                   {mode, mode == QLatin1String("check") ? source : size, target});
        QVERIFY(tool.waitForFinished(60000) && tool.exitStatus() == QProcess::NormalExit);
        const QString errors = QString::fromLocal8Bit(tool.readAllStandardError());
        QFile out(target);
        if (!refusal.isEmpty()) {
            QVERIFY(tool.exitCode() > 0);
            QVERIFY2(errors.contains(refusal), qPrintable(errors));
            QVERIFY(!out.exists());
            return;
        }
        QCOMPARE(tool.exitCode(), 0);
        QVERIFY(out.open(QIODevice::ReadOnly));
        const QByteArray made = out.readAll();
        if (mode == QLatin1String("check"))
            QCOMPARE(made, image);
        QCOMPARE(QString::number(made.size()), size.isEmpty() ? QString::number(image.size()) : size);
        QCOMPARE(qFromLittleEndian<quint32>(made.constData() + made.size() - 4),
                 SimFirmware::loaderCrc(made.left(made.size() - 4)));
    }
};

QTEST_MAIN(TestFirmwareImageTool)
#include "tst_firmwareimagetool.moc"
