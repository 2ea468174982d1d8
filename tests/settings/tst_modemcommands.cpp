// Modem test (136 with its polls of 137) and session data (137) against the simulated
// controller. The ticks are shortened; the polls still fall on ticks 10, 15, 20 and so on.

#include "settings/modemtiming.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kShortTickMs = 15;
const QString kWaitText =
    QStringLiteral("Получаем данные сеанса связи, подключение может занять до 2х минут...");

// Progress values of a test that ran `ticks` ticks and finished normally.
QList<int> tickProgress(int ticks)
{
    QList<int> out{0};
    for (int t = 1; t <= ticks; ++t)
        out.append(t);
    return out;
}

ControllerModel modemModel(int pollsInProgress)
{
    ControllerModel model;
    model.modem.pollsInProgress = pollsInProgress;
    return model;
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
    void initTestCase();
    void cleanupTestCase();
    void testPolls_data();
    void testPolls();
    void sessionEndsByTime();
    void unreachableNetwork();
    void failedPollEndsTest();
    void failedStartSendsNoPoll();
    void sessionData_data();
    void sessionData();
};

void TestModemCommands::initTestCase()
{
    ModemTiming::setTickMs(kShortTickMs);
}

void TestModemCommands::cleanupTestCase()
{
    ModemTiming::setTickMs(ModemTiming::kTickMs);
}

void TestModemCommands::testPolls_data()
{
    QTest::addColumn<int>("pollsInProgress");
    QTest::addColumn<int>("lastTick");
    QTest::addColumn<QStringList>("sessionStates");
    QTest::newRow("over at once: no poll, 0 then 100")
        << 0 << 0 << QStringList{"0"};
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
    WorkerHarness h(modemModel(pollsInProgress));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    h.sim.clearRequests();
    QVERIFY(h.runWithoutRows(136));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), tickProgress(lastTick) << 100);
    QCOMPARE(sessionEntries(r), sessionStates);
    QCOMPARE(h.sim.requestCount(137), int(sessionStates.size()) - 1);
    // Polls keep the wait text: the only texts are the start, the wait and the clearing.
    QCOMPARE(r.statusTexts(),
             (QStringList{QStringLiteral("Тест модуля связи..."), kWaitText, QString()}));
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
    const QStringList last = r.argsOf("setBC68Data").last().first().toStringList();
    if (sessionStates.last() == QLatin1String("0"))
        QCOMPARE(last, (QStringList{"0", "250991234567890", "-85", "169552957"}));
    else
        QCOMPARE(last, (QStringList{"1", "250991234567890", "0", "0"}));
}

void TestModemCommands::sessionEndsByTime()
{
    // A session of 300 ms ends long before tick 100 whatever the machine's speed.
    ControllerModel model;
    model.modem.sessionTimeMs = 300;
    WorkerHarness h(model);
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(136));
    const QList<int> progress = h.recorder->progress();
    QCOMPARE(progress.last(), 100);
    const int lastTick = progress.at(progress.size() - 2);
    QVERIFY2(lastTick >= 10 && lastTick < 100 && lastTick % 5 == 0, qPrintable(QString::number(lastTick)));
    QCOMPARE(sessionEntries(*h.recorder).last(), QStringLiteral("0"));
    QCOMPARE(h.sim.requestCount(137), (lastTick - 5) / 5);
}

void TestModemCommands::unreachableNetwork()
{
    ControllerModel model = modemModel(1);
    model.modem.networkReachable = false;
    WorkerHarness h(model);
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(136));
    QCOMPARE(h.recorder->argsOf("setBC68Data").last().first().toStringList(),
             (QStringList{"0", "250991234567890", "0", "0"}));
    QCOMPARE(h.recorder->progress().last(), 100);
}

void TestModemCommands::failedPollEndsTest()
{
    WorkerHarness h(modemModel(1000));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    h.sim.clearRequests();
    h.sim.injectFault({SimFault::Silence, 2, 0, 137});
    QVERIFY(h.runWithoutRows(136));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), tickProgress(10) << 0);
    QCOMPARE(h.sim.requestCount(137), 2); // both attempts of the first poll
    QCOMPARE(r.argsOf("setBC68Data").size(), 1);
    QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
}

void TestModemCommands::failedStartSendsNoPoll()
{
    WorkerHarness h(modemModel(1000));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    h.sim.clearRequests();
    h.sim.injectFault({SimFault::Silence, 2, 0, 136});
    QVERIFY(h.runWithoutRows(136));
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QVERIFY(h.recorder->argsOf("setBC68Data").isEmpty());
    QCOMPARE(h.sim.requestCount(137), 0);
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
    WorkerHarness h(modemModel(1000));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    if (running) {
        // Start a session that the test command then leaves running: it fails at its poll.
        h.sim.injectFault({SimFault::Silence, 2, 0, 137});
        QVERIFY(h.runWithoutRows(136));
    }
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(137));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "enableButtonStartBC68", "setBC68Data",
                                     "updateProgressBar", "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(),
             (QStringList{QStringLiteral("Получаем данные сеанса связи..."), QString()}));
    QCOMPARE(r.argsOf("enableButtonStartBC68").first(), QVariantList{!running});
    QCOMPARE(sessionEntries(r), QStringList{running ? "1" : "0"});
}

QTEST_MAIN(TestModemCommands)
#include "tst_modemcommands.moc"
