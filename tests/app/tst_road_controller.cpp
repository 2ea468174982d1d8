// Road: start, authorise, read the controller settings, edit a period and the server
// address, write, read back, leave settings mode.

#include "roadsupport.h"

#include <QLineEdit>
#include <QSpinBox>

class TestRoadController : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadController::road()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    QCOMPARE(road.status(), QStringLiteral("Пароль успешно введен"));

    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.find<QLineEdit>("sendMinutesEdit")->text(), QStringLiteral("1440"));
    QVERIFY(!road.button("writeSettingsButton")->isEnabled());
    QCOMPARE(road.button("writeSettingsButton")->toolTip(), QStringLiteral("Нет изменений для записи"));

    road.find<QSpinBox>("sendHoursSpin")->setValue(6); // one day and six hours
    road.find<QLineEdit>("serverIpEdit")->setText(QStringLiteral("172.16.0.5"));
    QCOMPARE(road.find<QLineEdit>("sendMinutesEdit")->text(), QStringLiteral("1800"));
    QVERIFY(road.click("writeSettingsButton"));
    QVERIFY(road.prompts.shown.isEmpty());
    const auto stored = road.sim->withModel([](ControllerModel &m) {
        const SimControllerSettings &s = m.controllerSettings;
        return QStringList{QString::number(s.sendPeriod),
                           QStringLiteral("%1.%2.%3.%4").arg(s.serverIp[0]).arg(s.serverIp[1])
                               .arg(s.serverIp[2]).arg(s.serverIp[3])};
    });
    QCOMPARE(stored, (QStringList{"108000", "172.16.0.5"}));
    QVERIFY(!road.button("writeSettingsButton")->isEnabled()); // the answer is the new snapshot

    road.find<QLineEdit>("serverIpEdit")->setText(QStringLiteral("1.1.1.1"));
    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.find<QLineEdit>("serverIpEdit")->text(), QStringLiteral("172.16.0.5"));
    QCOMPARE(road.find<QLineEdit>("sendMinutesEdit")->text(), QStringLiteral("1800"));

    QVERIFY(road.click("exitButton"));
    QVERIFY(!road.dialog->isAuthorised());
    QCOMPARE(road.status(), QString());
    QVERIFY(!road.button("readSettingsButton")->isEnabled());
    QCOMPARE(road.sim->requestCount(128), 1);
}

QTEST_MAIN(TestRoadController)
#include "tst_road_controller.moc"
