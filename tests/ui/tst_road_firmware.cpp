// The road of the firmware update: a controller on 1.4.2 is updated and restarts, so the
// countdown stops and the session ends.

#include "roadsupport.h"

#include "protocol/firmware/crc32.h"

#include <QProgressBar>

namespace {

constexpr int kPartSize = 256;
constexpr int kParts = 3;

// A small image closed by the CRC of the bytes before it, little-endian, as the build makes.
QByteArray image()
{
    QByteArray bytes(kParts * kPartSize - 4, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7 + i / kPartSize) & 0xFF);
    const quint32 crc = Firmware::crc32(bytes);
    for (int k = 0; k < 4; ++k)
        bytes.append(char((crc >> (8 * k)) & 0xFF));
    return bytes;
}

} // namespace

class TestRoadFirmware : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadFirmware::road()
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("image.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(image());
    file.close();

    Road road;
    QVERIFY(road.started);
    road.dialog->worker()->setFirmwareFileName(file.fileName());
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton"));
    QVERIFY(road.dialog->isCountdownRunning());
    QVERIFY(road.button("uploadFirmwareButton")->isEnabled());

    // No to the confirmation sends nothing and keeps the session.
    road.prompts.answers = {false, true};
    QVERIFY(road.click("uploadFirmwareButton"));
    QCOMPARE(road.sim->requestCount(129), 0);
    QVERIFY(road.dialog->isAuthorised());
    QVERIFY(road.click("uploadFirmwareButton"));
    QCOMPARE(road.prompts.shown.size(), 2);
    QCOMPARE(road.prompts.shown.last().title, QStringLiteral("Вы уверены?"));
    QCOMPARE(road.prompts.shown.last().text, QStringLiteral("Начать обновление прошивки?"));
    QVERIFY2(road.sim->withModel([](ControllerModel &m) { return m.firmware.updated(); }),
             "the simulator received the whole image with matching CRCs");
    QCOMPARE(road.sim->requestCount(130), kParts);
    QCOMPARE(road.find<QProgressBar>("progressBar")->value(), 100);
    QVERIFY(!road.dialog->isCountdownRunning());
    QVERIFY(!road.dialog->isAuthorised());
    QVERIFY(!road.button("readSettingsButton")->isEnabled());
    QVERIFY(!road.status().isEmpty());
    QVERIFY(road.status() != QStringLiteral("Выход из режима настроек. Требуется авторизация."));
}

QTEST_MAIN(TestRoadFirmware)
#include "tst_road_firmware.moc"
