// Modem test (136 with its polls of 137) and session data (137) over a scripted line; the
// two-minute wait goes by in the line's pauses.

#include "settings/modemtiming.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

namespace {

const QString kWaitText =
    QStringLiteral("Получаем данные сеанса связи, подключение может занять до 2х минут...");

// Progress values of a test that ran `ticks` ticks.
QList<int> tickProgress(int ticks)
{
    QList<int> out{0};
    for (int t = 1; t <= ticks; ++t)
        out.append(t);
    return out;
}

QStringList sessionEntries(const EventLog &r)
{
    QStringList out;
    for (const QVariantList &args : r.argsOf(QStringLiteral("setBC68Data")))
        out.append(args.first().toStringList().value(0));
    return out;
}

} // namespace

class TestModemCommands : public QObject
{
    Q_OBJECT

private slots:
    void test_data();
    void test();
    void sessionData_data();
    void sessionData();
};

void TestModemCommands::test_data()
{
    QTest::addColumn<int>("pollsInProgress");
    QTest::addColumn<int>("silentAttempt"); // -1: every request answered
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QStringList>("sessionStates");
    QTest::addColumn<int>("requests");
    QTest::newRow("over at once: no poll, 0 then 100")
        << 0 << -1 << (tickProgress(0) << 100) << QStringList{"0"} << 1;
    QTest::newRow("ends on the third poll: ticks 10, 15, 20")
        << 2 << -1 << (tickProgress(20) << 100) << QStringList{"1", "1", "1", "0"} << 4;
    QTest::newRow("still running after tick 100: 19 polls")
        << 1000 << -1 << (tickProgress(100) << 100) << QStringList(20, QStringLiteral("1")) << 20;
    QTest::newRow("first poll unanswered: ends at tick 10")
        << 1000 << 1 << (tickProgress(10) << 0) << QStringList{"1"} << 3;
    QTest::newRow("start unanswered: no poll") << 1000 << 0 << QList<int>{0} << QStringList() << 2;
}

void TestModemCommands::test()
{
    QFETCH(int, pollsInProgress);
    QFETCH(int, silentAttempt);
    QFETCH(QList<int>, progress);
    QFETCH(QStringList, sessionStates);
    QFETCH(int, requests);
    ScriptedLine line;
    line.model.modem.pollsInProgress = pollsInProgress;
    for (int k = 0; k < silentAttempt; ++k)
        line.script.append(ScriptedLine::Model);
    if (silentAttempt >= 0)
        line.script << ScriptedLine::Silence << ScriptedLine::Silence;
    QVERIFY(line.run(136, {}, 100));

    const EventLog &r = line.log;
    QCOMPARE(r.progress(), progress);
    QCOMPARE(sessionEntries(r), sessionStates);
    QCOMPARE(line.sent.size(), requests);
    // The polls wait as long as the test's start.
    for (const ScriptedLine::Sent &s : line.sent)
        QCOMPARE(s.timeoutMs, 1500);
    const int ticks = progress.size() > 1 ? progress.at(progress.size() - 2) : 0;
    QCOMPARE(line.pauses, QList<int>(ticks, ModemTiming::kTickMs));
    // Polls keep the wait text: the only texts are the start, the wait and the end.
    QStringList texts{QStringLiteral("Тест модуля связи...")};
    if (!sessionStates.isEmpty())
        texts << kWaitText;
    QCOMPARE(r.statusTexts(),
             texts << (silentAttempt < 0 ? QString() : CommandLine::noConnectionText()));
    if (sessionStates.value(sessionStates.size() - 1) == QLatin1String("0"))
        QCOMPARE(r.argsOf("setBC68Data").last().first().toStringList(),
                 (QStringList{"0", "250991234567890", "-85", "169552957"}));
}

void TestModemCommands::sessionData_data()
{
    QTest::addColumn<bool>("running");
    QTest::newRow("session running disables the test button") << true;
    QTest::newRow("no session enables it") << false;
}

void TestModemCommands::sessionData()
{
    QFETCH(bool, running);
    ScriptedLine line;
    line.model.modem.pollsInProgress = 1000;
    if (running) {
        // A test that fails at its first poll leaves the session running.
        line.script = {ScriptedLine::Model, ScriptedLine::Silence, ScriptedLine::Silence};
        QVERIFY(line.run(136));
        line.clear();
    }
    QVERIFY(line.run(137, {}, 100));
    // Without a session the modem has no IMSI, signal or cell to report.
    QCOMPARE(line.log.trace(),
             (QStringList{"error Получаем данные сеанса связи...", "update_timer",
                          running ? "enableButtonStartBC68 false" : "enableButtonStartBC68 true",
                          running ? "setBC68Data 1|250991234567890|0|0"
                                  : "setBC68Data 0||0|0",
                          "updateProgressBar 100", "error "}));
    QCOMPARE(line.sent.at(0).timeoutMs, 500);
}

QTEST_MAIN(TestModemCommands)
#include "tst_modemcommands.moc"
