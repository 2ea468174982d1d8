// Rules of the analog table without widgets: row check codes and scale reduction.

#include "protocol/channels/analogrules.h"

#include <QtTest>

using AnalogRules::RowValues;

Q_DECLARE_METATYPE(RowValues)

namespace {

// Positions in the table's device list.
enum Position { Off, ColdWater, HotWater, Gas, HeatWh, HeatKcal, Electricity, Temperature,
                Contact, Pressure };

RowValues rowOf(int position, int input, double lk = 0, double st = 0, int multiplier = 1,
                int divider = 1)
{
    return RowValues{position, input, lk, st, multiplier, divider};
}

} // namespace

class TestAnalogRules : public QObject
{
    Q_OBJECT

private slots:
    void checkRow_data()
    {
        QTest::addColumn<RowValues>("row");
        QTest::addColumn<bool>("fastOpenCollector");
        QTest::addColumn<int>("result");

        QTest::newRow("off with anything") << rowOf(Off, 0, -50, 999) << false << 0;
        QTest::newRow("heat Wh needs fast input") << rowOf(HeatWh, 3) << false << 1;
        QTest::newRow("temperature LK = ST") << rowOf(Temperature, 5, 20, 20) << false << 2;
        QTest::newRow("temperature both 0 is off") << rowOf(Temperature, 8, 0, 0) << false << 0;
        QTest::newRow("temperature ST above LK") << rowOf(Temperature, 6, 10, 10.5) << false << 3;
        QTest::newRow("temperature LK 100.1") << rowOf(Temperature, 7, 100.1, 0) << false << 12;
        QTest::newRow("temperature 100 / -30 is in range") << rowOf(Temperature, 7, 100, -30) << false << 0;
        QTest::newRow("temperature ST -30.1") << rowOf(Temperature, 5, 23.5, -30.1) << false << 13;
        QTest::newRow("water LK negative") << rowOf(ColdWater, 1, -1, 10) << false << 4;
        QTest::newRow("water ST negative") << rowOf(HotWater, 2, 10, -1) << false << 5;
        QTest::newRow("water LK 10.5") << rowOf(ColdWater, 3, 10.5, 10) << false << 8;
        QTest::newRow("water ST 0.1") << rowOf(ColdWater, 3, 10, 0.1) << false << 9;
        QTest::newRow("water LK 4") << rowOf(ColdWater, 4, 4, 0) << false << 10;
        QTest::newRow("water ST 40000") << rowOf(ColdWater, 4, 5, 40000) << false << 11;
        QTest::newRow("water 5 / 32767, ST above LK allowed") << rowOf(ColdWater, 1, 5, 32767) << false << 0;
        QTest::newRow("contact on reed") << rowOf(Contact, 2, 10, 0) << false << 1;
        QTest::newRow("contact 1 second is fine") << rowOf(Contact, 12, 1, 1) << false << 0;
        QTest::newRow("pressure LK 100.5") << rowOf(Pressure, 13, 100.5, 1) << false << 14;
        QTest::newRow("pressure multiplier 0") << rowOf(Pressure, 13, 6, 1, 0, 1) << false << 6;
        QTest::newRow("pressure divider 0") << rowOf(Pressure, 13, 6, 1, 1, 0) << false << 7;
        QTest::newRow("pressure beside a fast open collector") << rowOf(Pressure, 13, 6, 1) << true << 16;
        QTest::newRow("pressure 6.0 / 0.5") << rowOf(Pressure, 13, 6, 0.5) << false << 0;
        QTest::newRow("fast open collector concerns only pressure") << rowOf(ColdWater, 4) << true << 0;
    }

    void checkRow()
    {
        QFETCH(RowValues, row);
        QFETCH(bool, fastOpenCollector);
        QFETCH(int, result);
        QCOMPARE(AnalogRules::checkRow(row, fastOpenCollector), result);
    }

    void reduceScale_data()
    {
        QTest::addColumn<int>("multiplier");
        QTest::addColumn<int>("divider");
        QTest::addColumn<int>("reducedMultiplier");
        QTest::addColumn<int>("reducedDivider");
        QTest::newRow("9999/3333 is 3/1") << 9999 << 3333 << 3 << 1;
        QTest::newRow("0/6 is 0/1") << 0 << 6 << 0 << 1;
        QTest::newRow("6/0 is 1/0") << 6 << 0 << 1 << 0;
        QTest::newRow("0/0 stays") << 0 << 0 << 0 << 0;
    }

    void reduceScale()
    {
        QFETCH(int, multiplier);
        QFETCH(int, divider);
        QFETCH(int, reducedMultiplier);
        QFETCH(int, reducedDivider);
        AnalogRules::reduceScale(multiplier, divider);
        QCOMPARE(multiplier, reducedMultiplier);
        QCOMPARE(divider, reducedDivider);
    }
};

QTEST_MAIN(TestAnalogRules)
#include "tst_analogrules.moc"
