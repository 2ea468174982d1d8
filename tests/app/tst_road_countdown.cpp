// Road: the settings-mode countdown runs out with no command: the session ends locally,
// the tables are emptied and nothing is sent.

#include "roadsupport.h"

#include "channels/analogtab.h"

#include <QComboBox>
#include <QTableWidget>

class TestRoadCountdown : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadCountdown::road()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    auto *table = road.find<QTableWidget>("analogTable");
    auto *firstType = qobject_cast<QComboBox *>(table->cellWidget(0, AnalogTab::TypeColumn));
    QVERIFY(firstType->currentIndex() != 0);
    QVERIFY(road.dialog->isCountdownRunning());
    const int sent = road.sim->requestCount();

    // Drive the one-second ticks by hand instead of waiting five minutes.
    for (int tick = 0; tick < 299; ++tick)
        QVERIFY(QMetaObject::invokeMethod(road.dialog.get(), "update_timerLabel"));
    QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:01)"));
    QVERIFY(road.dialog->isAuthorised());
    QVERIFY(QMetaObject::invokeMethod(road.dialog.get(), "update_timerLabel"));

    QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:00)"));
    QVERIFY(!road.dialog->isAuthorised());
    QVERIFY(!road.dialog->isCountdownRunning());
    QCOMPARE(road.status(), QStringLiteral("Выход из режима настроек. Требуется авторизация."));
    for (int row = 0; row < AnalogTab::kRows; ++row) {
        auto *type = qobject_cast<QComboBox *>(table->cellWidget(row, AnalogTab::TypeColumn));
        QCOMPARE(type->currentIndex(), 0);
    }
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton", "exitButton"})
        QVERIFY2(!road.button(name)->isEnabled(), name);
    QCOMPARE(road.sim->requestCount(), sent);
}

QTEST_MAIN(TestRoadCountdown)
#include "tst_road_countdown.moc"
