// Road: a controller on firmware 1.4.0 answers with the short records; its settings read
// and the firmware button stays disabled with the reason in its tool tip.

#include "roadsupport.h"

#include <QLineEdit>

class TestRoadFirmware140 : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadFirmware140::road()
{
    Road road(QStringLiteral("8.1"), QStringLiteral("1.4.0"));
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    auto *firmwareButton = road.button("uploadFirmwareButton");
    QVERIFY(!firmwareButton->isEnabled());
    QCOMPARE(firmwareButton->toolTip(), QString());

    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.status(), QString());
    QCOMPARE(road.find<QLineEdit>("versionEdit")->text(),
             QStringLiteral("Аппаратура 8.1, прошивка 1.4.0"));
    QCOMPARE(road.find<QLineEdit>("serialEdit")->text(), QStringLiteral("T3-0421-0077"));
    QVERIFY(!firmwareButton->isEnabled());
    QCOMPARE(firmwareButton->toolTip(),
             QStringLiteral("Обновление прошивки через RS-485 не поддерживается в контроллерах с "
                            "версией прошивки 1.4.0.\r\nЧтобы обновить прошивку контроллера, "
                            "поставьте контроллер на обновление через личный кабинет."));
    // The 10-byte answer to leaving settings mode fits only because of the firmware word.
    QVERIFY(road.click("exitButton"));
    QVERIFY(!road.dialog->isAuthorised());
}

QTEST_MAIN(TestRoadFirmware140)
#include "tst_road_firmware140.moc"
