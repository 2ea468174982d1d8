// Rules of the analog table without widgets: row check codes, the tenths form, scale
// reduction and the serial number length.

#include "channels/analogrules.h"

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
    RowValues row;
    row.devicePosition = position;
    row.inputCode = input;
    row.lk = lk;
    row.st = st;
    row.multiplier = multiplier;
    row.divider = divider;
    return row;
}

} // namespace

class TestAnalogRules : public QObject
{
    Q_OBJECT

private slots:
    void checkRow_data();
    void checkRow();
    void tenthsText_data();
    void tenthsText();
    void reduceScale_data();
    void reduceScale();
    void firstOverlongSerial();
};

void TestAnalogRules::checkRow_data()
{
    QTest::addColumn<RowValues>("row");
    QTest::addColumn<bool>("fastOpenCollector");
    QTest::addColumn<int>("result");

    QTest::newRow("off with anything") << rowOf(Off, 0, -50, 999) << false << 0;
    QTest::newRow("no input") << rowOf(ColdWater, 0) << false << 1;
    QTest::newRow("heat Wh needs fast input") << rowOf(HeatWh, 3) << false << 1;
    QTest::newRow("heat kcal on fast input") << rowOf(HeatKcal, 4, 10, 10) << false << 0;
    QTest::newRow("electricity on reed") << rowOf(Electricity, 2) << false << 1;

    QTest::newRow("temperature on Namur") << rowOf(Temperature, 1, 30, 10) << false << 1;
    QTest::newRow("temperature LK = ST") << rowOf(Temperature, 5, 20, 20) << false << 2;
    QTest::newRow("temperature both 0 is off") << rowOf(Temperature, 8, 0, 0) << false << 0;
    QTest::newRow("temperature ST above LK") << rowOf(Temperature, 6, 10, 10.5) << false << 3;
    QTest::newRow("temperature LK 100.1") << rowOf(Temperature, 7, 100.1, 0) << false << 12;
    QTest::newRow("temperature LK 100 is in range") << rowOf(Temperature, 7, 100, -30) << false << 0;
    QTest::newRow("temperature LK 120 is out of range") << rowOf(Temperature, 7, 120, 0) << false << 12;
    QTest::newRow("temperature ST -30.1") << rowOf(Temperature, 5, 23.5, -30.1) << false << 13;
    QTest::newRow("temperature ST -50") << rowOf(Temperature, 5, 23.5, -50) << false << 13;
    QTest::newRow("temperature LK -31 above ST -40") << rowOf(Temperature, 5, -31, -40) << false << 12;
    QTest::newRow("temperature 23.5 / -5.0") << rowOf(Temperature, 5, 23.5, -5) << false << 0;

    QTest::newRow("water LK negative") << rowOf(ColdWater, 1, -1, 10) << false << 4;
    QTest::newRow("water ST negative") << rowOf(HotWater, 2, 10, -1) << false << 5;
    QTest::newRow("water LK 10.5") << rowOf(ColdWater, 3, 10.5, 10) << false << 8;
    QTest::newRow("water ST 0.1") << rowOf(ColdWater, 3, 10, 0.1) << false << 9;
    QTest::newRow("water LK 4") << rowOf(ColdWater, 4, 4, 0) << false << 10;
    QTest::newRow("water LK 32768") << rowOf(ColdWater, 4, 32768, 0) << false << 10;
    QTest::newRow("water ST 1") << rowOf(ColdWater, 4, 5, 1) << false << 11;
    QTest::newRow("water ST 40000") << rowOf(ColdWater, 4, 5, 40000) << false << 11;
    QTest::newRow("water 5 and 32767") << rowOf(ColdWater, 1, 5, 32767) << false << 0;
    QTest::newRow("water ST above LK is allowed") << rowOf(ColdWater, 2, 30, 60) << false << 0;
    QTest::newRow("water on NTC") << rowOf(HotWater, 5, 0, 0) << false << 1;
    QTest::newRow("gas on Namur") << rowOf(Gas, 1, 0, 0) << false << 1;
    QTest::newRow("gas on reed") << rowOf(Gas, 2, 0, 0) << false << 0;
    QTest::newRow("gas thresholds before input") << rowOf(Gas, 1, 3, 0) << false << 10;

    QTest::newRow("contact on reed") << rowOf(Contact, 2, 10, 0) << false << 1;
    QTest::newRow("contact LK negative") << rowOf(Contact, 9, -1, 0) << false << 4;
    QTest::newRow("contact ST negative") << rowOf(Contact, 10, 0, -0.5) << false << 5;
    QTest::newRow("contact LK 1.5") << rowOf(Contact, 11, 1.5, 0) << false << 8;
    QTest::newRow("contact ST 2.5") << rowOf(Contact, 12, 1, 2.5) << false << 9;
    QTest::newRow("contact 1 second is fine") << rowOf(Contact, 12, 1, 1) << false << 0;

    QTest::newRow("pressure on NTC") << rowOf(Pressure, 5, 6, 1) << false << 1;
    QTest::newRow("pressure LK = ST") << rowOf(Pressure, 13, 6, 6) << false << 2;
    QTest::newRow("pressure ST above LK") << rowOf(Pressure, 13, 1, 2) << false << 3;
    QTest::newRow("pressure LK negative") << rowOf(Pressure, 13, -1, -2) << false << 4;
    QTest::newRow("pressure ST negative") << rowOf(Pressure, 13, 1, -2) << false << 5;
    QTest::newRow("pressure LK 100.5") << rowOf(Pressure, 13, 100.5, 1) << false << 14;
    // ST may not exceed LK, so an ST above 100 always meets the LK limit first.
    QTest::newRow("pressure ST 101 under LK 102 stops at LK") << rowOf(Pressure, 13, 102, 101) << false << 14;
    QTest::newRow("pressure multiplier 0") << rowOf(Pressure, 13, 6, 1, 0, 1) << false << 6;
    QTest::newRow("pressure divider 0") << rowOf(Pressure, 13, 6, 1, 1, 0) << false << 7;
    QTest::newRow("pressure beside a fast open collector") << rowOf(Pressure, 13, 6, 1) << true << 16;
    QTest::newRow("pressure 6.0 / 0.5") << rowOf(Pressure, 13, 6, 0.5) << false << 0;
    QTest::newRow("fast open collector concerns only pressure")
        << rowOf(ColdWater, 4, 0, 0) << true << 0;
}

void TestAnalogRules::checkRow()
{
    QFETCH(RowValues, row);
    QFETCH(bool, fastOpenCollector);
    QFETCH(int, result);
    QCOMPARE(AnalogRules::checkRow(row, fastOpenCollector), result);
}

void TestAnalogRules::tenthsText_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("235") << "235" << "23.5";
    QTest::newRow("-55 as 4294967241") << "4294967241" << "-5.5";
    QTest::newRow("-5 as 4294967291 keeps its sign") << "4294967291" << "-0.5";
    QTest::newRow("-1 as 4294967295") << "4294967295" << "-0.1";
    QTest::newRow("-10 as 4294967286") << "4294967286" << "-1.0";
    QTest::newRow("0") << "0" << "0.0";
    QTest::newRow("empty") << "" << "0.0";
    QTest::newRow("not a number") << "abc" << "0.0";
    QTest::newRow("lowest 32-bit") << "2147483648" << "-214748364.8";
}

void TestAnalogRules::tenthsText()
{
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    QCOMPARE(AnalogRules::tenthsText(raw), shown);
}

void TestAnalogRules::reduceScale_data()
{
    QTest::addColumn<int>("multiplier");
    QTest::addColumn<int>("divider");
    QTest::addColumn<int>("reducedMultiplier");
    QTest::addColumn<int>("reducedDivider");
    QTest::newRow("4/10 is 2/5") << 4 << 10 << 2 << 5;
    QTest::newRow("9999/3333 is 3/1") << 9999 << 3333 << 3 << 1;
    QTest::newRow("7/3 stays") << 7 << 3 << 7 << 3;
    QTest::newRow("0/6 is 0/1") << 0 << 6 << 0 << 1;
    QTest::newRow("6/0 is 1/0") << 6 << 0 << 1 << 0;
    QTest::newRow("0/0 stays") << 0 << 0 << 0 << 0;
}

void TestAnalogRules::reduceScale()
{
    QFETCH(int, multiplier);
    QFETCH(int, divider);
    QFETCH(int, reducedMultiplier);
    QFETCH(int, reducedDivider);
    AnalogRules::reduceScale(multiplier, divider);
    QCOMPARE(multiplier, reducedMultiplier);
    QCOMPARE(divider, reducedDivider);
}

void TestAnalogRules::firstOverlongSerial()
{
    QCOMPARE(AnalogRules::firstOverlongSerial({}), -1);
    QCOMPARE(AnalogRules::firstOverlongSerial({"123456789012345", "ЖЖЖЖЖЖЖЖ", ""}), -1);
    QCOMPARE(AnalogRules::firstOverlongSerial({"1", "", "ЖЖЖЖЖЖЖЖЖ", "12345678901234567"}), 2);
}

QTEST_MAIN(TestAnalogRules)
#include "tst_analogrules.moc"
