// From a document to the records apply sends: names to fields, units to wire forms, the
// controller's own numbering, and what is refused before anything is sent.

#include "protocol/document/applyplan.h"
#include "protocol/document/jsondocument.h"

#include <QtTest>

namespace {

// A board with eight analog inputs, the last one missing, and 32 unused meter channels;
// channel 4 holds a scale of 0, as one never set up.
Snapshot board()
{
    Snapshot s;
    s.controller = ControllerSettings::fromFieldList(
        QStringList{"3600", "86400", "60", "0", "T3-1", "8.1",         "1.4.2", "",     "",
                    "0",    "3600",  "0",  "0", "0",    "10.20.30.40", "80",    "/get", "/save"});
    QMap<int, QStringList> analog{{0, {"1", "2", "12345", "10", "1", "30", "60", "1", "100"}},
                                  {1, {"5", "5", "T-01", "10", "1", "235", "65486", "2", "215"}}};
    for (int index = 2; index < 7; ++index)
        analog.insert(index, {"0", "0", "", index == 3 ? "0" : "1", "1", "0", "0", "0", "0"});
    analog.insert(7, QStringList{"255"} + QStringList(8, "0"));
    s.setAnalog(analog);
    for (int index = 0; index < 32; ++index)
        s.digital.insert(index, DigitalSettings::fromFieldList({"0", "0", "0", "", "1", "0"}));
    return s;
}

} // namespace

class TestApplyPlan : public QObject
{
    Q_OBJECT

private slots:
    void plan_data();
    void plan();
};

void TestApplyPlan::plan_data()
{
    QTest::addColumn<QByteArray>("document");
    QTest::addColumn<int>("refusal"); // lumaro-cli's exit code: 2 not for this board, 7 refused
    QTest::addColumn<QString>("sent"); // every record to write, fields joined by "|"
    QTest::newRow("values as held send nothing")
        << QByteArray(R"({"format":1,"analog":[{"channel":1,"deviceCode":1,"lk":30,"reading":5}]})")
        << 0 << "";
    // No counter: the worker reads it fresh right before the write.
    QTest::newRow("temperature thresholds in tenths, the counter left to the write")
        << QByteArray(R"({"format":1,"analog":[{"channel":2,"lk":25.55}]})") << 0
        << "1|5|5|T-01|10|1|256|-50|2|";
    QTest::newRow("kv address as its number") << QByteArray(
        R"({"format":1,"digital":[{"channel":9,"deviceCode":8,"protocol":1,"address":"kv1"}]})")
                                              << 0 << "0|8|1|4194304011||1|0";
    QTest::newRow("meters numbered after the file's own analog inputs") << QByteArray(
        R"({"format":1,"analogChannelCount":4,"digital":[{"channel":5,"deviceCode":8,"protocol":1,"address":"7"}]})")
                                                                        << 0 << "0|8|1|7||1|0";
    QTest::newRow("server address without leading zeros")
        << QByteArray(
               R"({"format":1,"controller":{"serverIp":"010.0.0.1","serialNumber":"other"}})")
        << 0 << "3600|86400|60|0|0|0|10.0.0.1|80|/get|/save";
    QTest::newRow("channel the board lacks")
        << QByteArray(R"({"format":1,"analog":[{"channel":8,"lk":1}]})") << 2 << "";
    QTest::newRow("meter beyond the board's channels")
        << QByteArray(R"({"format":1,"analogChannelCount":4,"digital":[{"channel":37,"kt":2}]})")
        << 2 << "";
    QTest::newRow("protocol the meter cannot speak") << QByteArray(
        R"({"format":1,"digital":[{"channel":9,"deviceCode":7,"protocol":1,"address":"7"}]})")
                                                     << 7 << "";
    QTest::newRow("value beyond its field")
        << QByteArray(R"({"format":1,"analog":[{"channel":1,"object":70000}]})") << 2 << "";
    QTest::newRow("another format") << QByteArray(R"({"format":2})") << 2 << "";
    QTest::newRow("contact sensor's LK beyond its field") << QByteArray(
        R"({"format":1,"analog":[{"channel":3,"deviceCode":9,"input":9,"lk":100000}]})") << 7 << "";
    QTest::newRow("unused channel's ST of seven digits")
        << QByteArray(R"({"format":1,"analog":[{"channel":3,"st":1234567}]})") << 7 << "";
    QTest::newRow("device code that marks a channel absent")
        << QByteArray(R"({"format":1,"analog":[{"channel":3,"deviceCode":255}]})") << 2 << "";
    QTest::newRow("pressure input on an unused channel")
        << QByteArray(R"({"format":1,"analog":[{"channel":3,"input":13}]})") << 7 << "";
    QTest::newRow("meter divider of 0")
        << QByteArray(R"({"format":1,"analog":[{"channel":1,"divider":0}]})") << 2 << "";
    QTest::newRow("scale of 0 as held goes back") << QByteArray(
        R"({"format":1,"analog":[{"channel":4,"serial":"A1"}]})") << 0 << "3|0|0|A1|0|1|0|0|0|";
    QTest::newRow("logging period below the window's minimum")
        << QByteArray(R"({"format":1,"controller":{"logPeriodSeconds":30}})") << 2 << "";
    QTest::newRow("meter КТ of 0")
        << QByteArray(R"({"format":1,"digital":[{"channel":9,"kt":0}]})") << 2 << "";
}

void TestApplyPlan::plan()
{
    QFETCH(QByteArray, document);
    QFETCH(int, refusal);
    QFETCH(QString, sent);
    Wanted wanted;
    QString error;
    if (!JsonDocument::read(document, wanted, &error)) {
        QCOMPARE(refusal, 2);
        QVERIFY(!error.isEmpty());
        return;
    }
    const ApplyPlan p = ApplyPlanner::plan(board(), wanted);
    const QMap<int, ApplyPlan::Refusal> byExitCode{
        {0, ApplyPlan::None}, {2, ApplyPlan::NotForThisBoard}, {7, ApplyPlan::Refused}};
    QCOMPARE(p.refusal, byExitCode.value(refusal));
    QCOMPARE(p.refusalText.isEmpty(), refusal == 0);
    QStringList records;
    for (const QList<QStringList> &rows : {p.controller, p.analog, p.digital}) {
        for (const QStringList &row : rows)
            records << row.join(QLatin1Char('|'));
    }
    QCOMPARE(records.join(QLatin1Char('\n')), sent);
}

QTEST_MAIN(TestApplyPlan)
#include "tst_applyplan.moc"
