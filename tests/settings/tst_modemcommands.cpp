// Modem test (136 with its polls of 137) and session data (137) against the simulated
// controller. The ticks are shortened; the polls still fall on ticks 10, 15, 20 and so on.

#include "settings/modemtiming.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kShortTickMs = 15;

// Progress values of a test that ran `ticks` ticks.
QList<int> tickProgress(int ticks)
{
    QList<int> out{0};
    for (int t = 1; t <= ticks; ++t)
        out.append(t);
    return out;
}

QStringList sessionEntries(const WorkerRecorder &r)
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
    void initTestCase() { ModemTiming::setTickMs(kShortTickMs); }
    void cleanupTestCase() { ModemTiming::setTickMs(ModemTiming::kTickMs); }
    void testPolls_data();
    void testPolls();
    void failureEndsTest_data();
    void failureEndsTest();
    void sessionData_data();
    void sessionData();

private:
    // Started and authorised, with recorder and request log emptied for the command under test.
    static bool ready(WorkerHarness &h);
};

bool TestModemCommands::ready(WorkerHarness &h)
{
    if (!h.started() || !h.authorise())
        return false;
    h.recorder->events.clear();
    h.sim.clearRequests();
    return true;
}

void TestModemCommands::testPolls_data()
{
    QTest::addColumn<int>("pollsInProgress");
    QTest::addColumn<int>("lastTick");
    QTest::addColumn<QStringList>("sessionStates");
    QTest::newRow("over at once: no poll, 0 then 100") << 0 << 0 << QStringList{"0"};
    QTest::newRow("ends on the third poll: ticks 10, 15, 20")
        << 2 << 20 << QStringList{"1", "1", "1", "0"};
    QTest::newRow("still running after tick 100: 19 polls")
        << 1000 << 100 << QStringList(20, QStringLiteral("1"));
}

void TestModemCommands::testPolls()
{
    QFETCH(int, pollsInProgress);
    QFETCH(int, lastTick);
    QFETCH(QStringList, sessionStates);
    ControllerModel model;
    model.modem.pollsInProgress = pollsInProgress;
    WorkerHarness h(model);
    QVERIFY(ready(h));
    QVERIFY(h.runWithoutRows(136));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), tickProgress(lastTick) << 100);
    QCOMPARE(sessionEntries(r), sessionStates);
    QCOMPARE(h.sim.requestCount(137), int(sessionStates.size()) - 1);
    // Polls keep the wait text: the only texts are the start, the wait and the clearing.
    QCOMPARE(r.statusTexts(),
             (QStringList{"Тест модуля связи...",
                          "Получаем данные сеанса связи, подключение может занять до 2х минут...",
                          QString()}));
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
    const QStringList last = sessionStates.last() == QLatin1String("0")
        ? QStringList{"0", "250991234567890", "-85", "169552957"}
        : QStringList{"1", "250991234567890", "0", "0"};
    QCOMPARE(r.argsOf("setBC68Data").last().first().toStringList(), last);
}

void TestModemCommands::failureEndsTest_data()
{
    QTest::addColumn<int>("silentCmd");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<int>("sessionData");
    QTest::addColumn<int>("polls");
    QTest::newRow("first poll unanswered: ends at tick 10") << 137 << (tickProgress(10) << 0) << 1
                                                            << 2;
    QTest::newRow("start unanswered: no poll") << 136 << QList<int>{0} << 0 << 0;
}

void TestModemCommands::failureEndsTest()
{
    QFETCH(int, silentCmd);
    QFETCH(QList<int>, progress);
    QFETCH(int, sessionData);
    QFETCH(int, polls);
    ControllerModel model;
    model.modem.pollsInProgress = 1000;
    WorkerHarness h(model);
    QVERIFY(ready(h));
    h.sim.injectFault({SimFault::Silence, 2, 0, silentCmd});
    QVERIFY(h.runWithoutRows(136));
    QCOMPARE(h.recorder->progress(), progress);
    QCOMPARE(h.recorder->argsOf("setBC68Data").size(), sessionData);
    QCOMPARE(h.sim.requestCount(137), polls); // both attempts of a failing poll
    QCOMPARE(h.recorder->statusTexts().last(), MasterThread::noConnectionText());
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
    ControllerModel model;
    model.modem.pollsInProgress = 1000;
    WorkerHarness h(model);
    QVERIFY(ready(h));
    if (running) {
        // Start a session that the test command then leaves running: it fails at its poll.
        h.sim.injectFault({SimFault::Silence, 2, 0, 137});
        QVERIFY(h.runWithoutRows(136));
        h.recorder->events.clear();
    }
    QVERIFY(h.runWithoutRows(137));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "enableButtonStartBC68", "setBC68Data",
                                     "updateProgressBar", "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(), (QStringList{"Получаем данные сеанса связи...", QString()}));
    QCOMPARE(r.argsOf("enableButtonStartBC68").first(), QVariantList{!running});
    QCOMPARE(sessionEntries(r), QStringList{running ? "1" : "0"});
}

QTEST_MAIN(TestModemCommands)
#include "tst_modemcommands.moc"
