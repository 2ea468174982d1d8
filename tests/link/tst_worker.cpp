// The worker over a real pseudo-terminal with the simulated controller behind it: the read
// rules of the serial line, the port's life across commands, hand-over and the worker's end.
// The window's port-loss road covers a port that vanishes and comes back under its name.

#include "protocol/frame/frame.h"
#include "link/worker/masterthread.h"
#include "sim/simserver.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

constexpr int kAuthorise = 134;
constexpr int kLeave = 128;
const Rows kPassword{{QStringLiteral("5093178")}};
const QString kAccepted = QStringLiteral("Пароль успешно введен");

// A worker, its reports and the simulated controller on a pseudo-terminal.
struct Road {
    Road() { QVERIFY(sim.start()); }
    bool run(int cmd, const Rows *rows = nullptr, int timeoutMs = 300, QString port = {})
    {
        const int target = log->finished + 1;
        port = port.isNull() ? sim.portName() : port;
        if (rows)
            worker->transaction(port, timeoutMs, cmd, *rows);
        else
            worker->transaction(port, timeoutMs, cmd);
        return QTest::qWaitFor([&] { return log->finished >= target; }, 60000);
    }
    SimServer sim;
    std::unique_ptr<MasterThread> worker = std::make_unique<MasterThread>();
    std::unique_ptr<EventLog> log = std::make_unique<EventLog>(worker.get());
};

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void readRules_data();
    void readRules();
    void portOpenedAgainOnlyWhenItsNameChanges();
    void commandHandedOverWhileBusyIsNotLost();
    void portLostDuringUploadIsReportedOnce();
    void stopWaitsForAWrittenRecordsAnswer();
    void endsPromptly_data();
    void endsPromptly();
};

void TestWorker::readRules_data()
{
    QTest::addColumn<int>("kind"); // -1: no fault
    QTest::addColumn<int>("param");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("stale");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("succeeds");
    QTest::newRow("clean answer") << -1 << 0 << 100 << false << 1 << true;
    QTest::newRow("pieces 20 ms apart read as one") << int(SimFault::Pieces) << 20 << 300 << false
                                                    << 1 << true;
    QTest::newRow("noise inside the quiet gap joins the answer")
        << int(SimFault::TrailingJunk) << 3 << 100 << false << 2 << false;
    // The late answer and the repeat may reach the controller as one: requests are not counted.
    QTest::newRow("answer after the time-out") << int(SimFault::Late) << 1500 << 100 << false << -1
                                               << false;
    QTest::newRow("time-out 0 reads nothing") << -1 << 0 << 0 << false << -1 << false;
    QTest::newRow("stale bytes before the request are dropped") << -1 << 0 << 100 << true << 1
                                                                << true;
}

void TestWorker::readRules()
{
    QFETCH(int, kind);
    QFETCH(int, param);
    QFETCH(int, timeoutMs);
    QFETCH(bool, stale);
    QFETCH(int, requests);
    QFETCH(bool, succeeds);
    Road road;
    QVERIFY(road.run(kAuthorise, &kPassword));
    road.sim.clearRequests();
    road.log->events.clear();
    if (stale) {
        road.sim.sendRaw(QByteArray::fromHex("aa0802010400028001"));
        QTRY_VERIFY(road.sim.pendingOnPort() > 0);
    }
    if (kind >= 0)
        road.sim.injectFault({SimFault::Kind(kind), 2, param});
    QVERIFY(road.run(kLeave, nullptr, timeoutMs));
    if (requests > 0)
        QCOMPARE(road.sim.requestCount(kLeave), requests);
    QCOMPARE(road.log->statusTexts().count(MasterThread::noConnectionText()), succeeds ? 0 : 1);
    QCOMPARE(road.log->argsOf("stop_timer").size(), succeeds ? 1 : 0);
    QCOMPARE(road.log->events.last().name, QStringLiteral("enableTablesContorls"));
}

void TestWorker::portOpenedAgainOnlyWhenItsNameChanges()
{
    Road road;
    SimServer other;
    QVERIFY(other.start());
    QTemporaryDir dir;
    // Named after the pseudo-terminal, so that its lock file is no other run's.
    const QString alias = dir.filePath("alias" + QFileInfo(road.sim.portName()).fileName());
    // A port that cannot be opened is said so, with its error code, and nothing more.
    QVERIFY(road.run(kAuthorise, &kPassword, 300, alias));
    QCOMPARE(road.log->trace().mid(1), (QStringList{"updateProgressBar 0", "enableTablesContorls true"}));
    const QString text = road.log->statusTexts().first();
    // The code, then the likely reason in words.
    const QRegularExpressionMatch said =
        QRegularExpression("^Невозможно открыть порт (.+), код ошибки (\\d+): такого порта нет")
            .match(text);
    QVERIFY2(said.captured(1) == alias && said.captured(2).toInt() > 0, qPrintable(text));
    QVERIFY(QFile::link(road.sim.portName(), alias));
    QVERIFY(road.run(kAuthorise, &kPassword, 300, alias));
    // Once the name is gone only a port held open since the first command still reaches it.
    QVERIFY(QFile::remove(alias));
    QVERIFY(road.run(kLeave, nullptr, 300, alias));
    QVERIFY(road.run(kAuthorise, &kPassword, 300, alias));
    QVERIFY(road.run(kAuthorise, &kPassword, 300, other.portName()));
    QCOMPARE(road.sim.requestCount(kAuthorise), 2);
    QCOMPARE(road.sim.requestCount(kLeave), 1);
    QCOMPARE(other.requestCount(kAuthorise), 1);
    QCOMPARE(road.log->statusTexts().count(kAccepted), 3);
}

void TestWorker::commandHandedOverWhileBusyIsNotLost()
{
    Road road;
    // The first answer comes late, so the second command arrives while the worker is busy.
    road.sim.injectFault({SimFault::Late, 1, 300});
    road.worker->transaction(road.sim.portName(), 100, kAuthorise, kPassword);
    QTRY_VERIFY_WITH_TIMEOUT(!road.log->statusTexts().isEmpty(), 10000);
    road.worker->transaction(road.sim.portName(), 100, kLeave);
    QVERIFY(QTest::qWaitFor([&] { return road.log->finished == 2; }, 30000));
    QCOMPARE(road.log->argsOf("update_cmd_status").last(), (QVariantList{kLeave, true}));
}

void TestWorker::portLostDuringUploadIsReportedOnce()
{
    Road road;
    road.worker->transaction(road.sim.portName(), 300, Link::CmdFirmwareStart);
    QTRY_VERIFY_WITH_TIMEOUT(road.sim.requestCount(Link::CmdFirmwarePart) >= 1, 30000);
    road.sim.closeLine();
    QVERIFY(QTest::qWaitFor([&] { return road.log->finished == 1; }, 60000));
    // The parts and the finish that follow the loss end quietly on the closed port.
    QCOMPARE(road.log->statusTexts().count(MasterThread::noConnectionText()), 1);
    QCOMPARE(road.log->progress().last(), 0);
}

void TestWorker::stopWaitsForAWrittenRecordsAnswer()
{
    Road road;
    QVERIFY(road.run(kAuthorise, &kPassword));
    road.sim.injectFault({SimFault::Late, 1, 400});
    const Rows rows{{"0", "8", "1", "42", "", "1", "7"}, {"1", "8", "1", "43", "", "1", "7"}};
    road.worker->transaction(road.sim.portName(), 300, Link::CmdWriteDigitalSettings, rows);
    QTRY_VERIFY(road.sim.requestCount(Link::CmdWriteDigitalSettings) == 1);
    road.worker->cancel();
    QVERIFY(QTest::qWaitFor([&] { return road.log->finished == 2; }, 10000));
    // The controller stored the first record: the table takes its answer, the second is not sent.
    QCOMPARE(road.log->statusTexts().last(), "Операция прервана: обработано каналов 1 из 2.");
    QCOMPARE(road.log->argsOf("setRsSettings").size(), 1);
    QCOMPARE(road.sim.requestCount(Link::CmdWriteDigitalSettings), 1);
}

void TestWorker::endsPromptly_data()
{
    QTest::addColumn<bool>("busy");
    QTest::addColumn<bool>("closing"); // or the engineer's stop
    QTest::newRow("idle between commands") << false << true;
    // 60 times 900 ms: the meter readings would read for 54 s.
    QTest::newRow("reading meters") << true << true;
    QTest::newRow("reading meters, stopped") << true << false;
}

void TestWorker::endsPromptly()
{
    QFETCH(bool, busy);
    QFETCH(bool, closing);
    Road road;
    QVERIFY(road.run(kAuthorise, &kPassword));
    if (busy) {
        road.sim.injectFault({SimFault::Silence, 1});
        road.worker->transaction(road.sim.portName(), 900, Link::CmdDigitalReadings, {{"0"}});
        // A stop pressed at once holds even before the worker has taken the command.
        if (closing)
            QTRY_VERIFY(road.sim.requestCount(Link::CmdDigitalReadings) == 1);
    }
    QElapsedTimer timer;
    timer.start();
    if (!closing) {
        road.worker->cancel();
        QVERIFY(QTest::qWaitFor([&] { return road.log->finished == 2; }, 5000));
        QCOMPARE(road.log->statusTexts().last(), "Операция прервана: обработано каналов 0 из 1.");
        // The session goes on: the next command is answered.
        QVERIFY(road.run(kLeave));
        QCOMPARE(road.log->argsOf("stop_timer").size(), 1);
        return;
    }
    road.worker.reset();
    QVERIFY2(timer.elapsed() < 5000, "the worker must end when the window closes");
}

QTEST_MAIN(TestWorker)
#include "tst_worker.moc"
