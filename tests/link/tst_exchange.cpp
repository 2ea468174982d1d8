// One request/answer on the line: quiet gap, time-out, attempts, frame checks and the
// debug trail, against the simulated controller on a pseudo-terminal.

#include "tests/support/logcapture.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kLeaveSettingsMode = 128;

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void faults_data();
    void faults();
    void silentControllerTrail();
    void staleBytesAreDiscarded();
    void zeroTimeoutReadsNothing();
};

void TestExchange::faults_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("param");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("requests");
    QTest::addColumn<int>("wrongLines");

    QTest::newRow("clean answer") << -1 << 0 << 0 << 100 << true << 1 << 0;
    QTest::newRow("bad checksum once, second attempt") << int(SimFault::BadChecksum) << 1 << 0 << 100 << true << 2 << 1;
    QTest::newRow("bad checksum twice") << int(SimFault::BadChecksum) << 2 << 0 << 100 << false << 2 << 2;
    QTest::newRow("wrong start byte twice") << int(SimFault::BadStart) << 2 << 0 << 100 << false << 2 << 2;
    QTest::newRow("another command byte twice") << int(SimFault::OtherCommand) << 2 << 0 << 100 << false << 2 << 2;
    QTest::newRow("one byte too many twice") << int(SimFault::WrongSize) << 2 << 0 << 100 << false << 2 << 2;
    QTest::newRow("trailing noise inside the gap") << int(SimFault::TrailingJunk) << 2 << 3 << 100 << false << 2 << 2;
    QTest::newRow("pieces 20 ms apart read as one") << int(SimFault::Pieces) << 1 << 20 << 300 << true << 1 << 0;
    QTest::newRow("answer after the time-out") << int(SimFault::Late) << 2 << 1500 << 100 << false << 2 << 0;
}

void TestExchange::faults()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(int, param);
    QFETCH(int, timeoutMs);
    QFETCH(bool, succeeds);
    QFETCH(int, requests);
    QFETCH(int, wrongLines);

    WorkerHarness h;
    QVERIFY(h.started());
    if (kind >= 0)
        h.sim.injectFault({SimFault::Kind(kind), count, param});
    LogCapture log;
    QVERIFY(h.runWithoutRows(kLeaveSettingsMode, timeoutMs));

    QCOMPARE(log.count(QStringLiteral("REQUEST ")), requests);
    QCOMPARE(log.count(QStringLiteral("wrong check_response")), wrongLines);
    const QStringList texts = h.recorder->statusTexts();
    QCOMPARE(texts.count(MasterThread::noConnectionText()), succeeds ? 0 : 1);
    QCOMPARE(h.recorder->argsOf(QStringLiteral("update_timer")).size(), succeeds ? 1 : 0);
    QCOMPARE(h.recorder->argsOf(QStringLiteral("stop_timer")).size(), succeeds ? 1 : 0);
    QCOMPARE(h.recorder->progress(), QList<int>{succeeds ? 100 : 0});
}

void TestExchange::silentControllerTrail()
{
    WorkerHarness h;
    QVERIFY(h.started());
    h.sim.injectFault({SimFault::Silence, 2});
    LogCapture log;
    QVERIFY(h.runWithoutRows(kLeaveSettingsMode));

    QStringList trail;
    for (const QString &line : log.lines()) {
        if (line.startsWith(QLatin1String("REQUEST ")) || line == QLatin1String("response nothing"))
            trail.append(line.section(QLatin1Char(':'), 0, 0).trimmed());
    }
    QCOMPARE(trail, (QStringList{"REQUEST  1", "response nothing", "REQUEST  2", "response nothing"}));
    QCOMPARE(h.recorder->statusTexts(),
             (QStringList{QStringLiteral("Выход контроллера из режима настроек"),
                          MasterThread::noConnectionText()}));
    QCOMPARE(h.sim.requestCount(kLeaveSettingsMode), 2);
}

void TestExchange::staleBytesAreDiscarded()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise()); // the port is open and idle from here on
    h.sim.sendRaw(QByteArray::fromHex("aa0802010400028001"));
    QTRY_VERIFY_WITH_TIMEOUT(h.sim.pendingOnPort() > 0, 5000);

    LogCapture log;
    QVERIFY(h.runWithoutRows(kLeaveSettingsMode));
    QCOMPARE(log.count(QStringLiteral("REQUEST ")), 1);
    QCOMPARE(h.recorder->argsOf(QStringLiteral("update_cmd_status")).last(),
             (QVariantList{kLeaveSettingsMode, true}));
}

void TestExchange::zeroTimeoutReadsNothing()
{
    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    QVERIFY(h.runWithoutRows(kLeaveSettingsMode, 0));
    QCOMPARE(log.count(QStringLiteral("response nothing")), 2);
    QCOMPARE(h.recorder->statusTexts().last(), MasterThread::noConnectionText());
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
