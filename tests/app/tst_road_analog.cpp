// Road: the analog tab on hardware 8.2: read four channels, edit a temperature channel,
// write, read readings.

#include "roadsupport.h"

#include "channels/analogtab.h"

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTableWidget>

class TestRoadAnalog : public QObject
{
    Q_OBJECT

private slots:
    void road();
};

void TestRoadAnalog::road()
{
    Road road(QStringLiteral("8.2"));
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    auto *table = road.find<QTableWidget>("analogTable");
    for (int row = 0; row < AnalogTab::kRows; ++row)
        QCOMPARE(table->isRowHidden(row), row >= 4);
    QVERIFY(road.button("readDataButton")->isEnabled());

    // Channel 2 is a temperature probe: thresholds in degrees, with tenths.
    auto *lk = qobject_cast<QDoubleSpinBox *>(table->cellWidget(1, AnalogTab::LkColumn));
    auto *st = qobject_cast<QDoubleSpinBox *>(table->cellWidget(1, AnalogTab::StColumn));
    QCOMPARE(lk->value(), 23.5);
    QCOMPARE(st->value(), -5.0);
    lk->setValue(30.5);
    st->setValue(-12.5);
    QVERIFY(!road.button("readDataButton")->isEnabled());
    QCOMPARE(road.button("readDataButton")->toolTip(),
             QStringLiteral("Перед чтением показаний нужно считать или записать настройки"));

    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.sim->requestCount(16), 4);
    const auto thresholds = road.sim->withModel([](ControllerModel &m) {
        return QList<quint16>{m.analog.channels[1].lk, m.analog.channels[1].st};
    });
    QCOMPARE(thresholds, (QList<quint16>{305, quint16(-125)}));
    QCOMPARE(st->value(), -12.5);

    QVERIFY(road.click("readDataButton"));
    QCOMPARE(road.sim->requestCount(1), 4);
    auto *reading = qobject_cast<QLineEdit *>(table->cellWidget(0, AnalogTab::ValueColumn));
    QVERIFY2(!reading->text().isEmpty(), "the reading column shows the controller's reading");
    QCOMPARE(road.status(), QString());
}

QTEST_MAIN(TestRoadAnalog)
#include "tst_road_analog.moc"
