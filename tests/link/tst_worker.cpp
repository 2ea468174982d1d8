// The worker thread: hand-over of commands, the port's life across commands, and its end.

#include "tests/support/logcapture.h"
#include "tests/support/workerharness.h"

#include <QtTest>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

namespace {

constexpr int kAuthorise = 134;
constexpr int kLeaveSettingsMode = 128;
constexpr int kFirmwareStart = 129;
constexpr int kFirmwarePart = 130;

Rows passwordRows()
{
    return Rows{QStringList{QStringLiteral("5093178")}};
}

// Points `link` at `target`, replacing what it pointed at, in one step.
bool pointLink(const QString &link, const QString &target)
{
    const QString temp = link + QStringLiteral(".new");
    QFile::remove(temp);
    if (::symlink(QFile::encodeName(target).constData(), QFile::encodeName(temp).constData()) != 0)
        return false;
    return ::rename(QFile::encodeName(temp).constData(), QFile::encodeName(link).constData()) == 0;
}

} // namespace

class TestWorker : public QObject
{
    Q_OBJECT

private slots:
    void portStaysOpenAcrossCommands();
    void portReopensOnNameChange();
    void emptyPortName();
    void failedOpeningThenSuccess();
    void commandZeroDoesNothing();
    void commandHandedOverWhileBusyIsNotLost();
    void destructionWhileIdleIsPrompt();
    void vanishedPortIsReopenedByTheNextCommand();
    void portLostDuringUploadIsReportedOnce();
};

void TestWorker::portStaysOpenAcrossCommands()
{
    WorkerHarness h;
    QVERIFY(h.started());
    LogCapture log;
    QVERIFY(h.run(kAuthorise, passwordRows()));
    QVERIFY(h.runWithoutRows(kLeaveSettingsMode));
    QVERIFY(h.run(kAuthorise, passwordRows()));
    QCOMPARE(log.count(QStringLiteral("port opened")), 1);
    QCOMPARE(h.recorder->finished, 3);
}

void TestWorker::portReopensOnNameChange()
{
    WorkerHarness h;
    SimServer other;
    QVERIFY(h.started());
    QVERIFY(other.start());
    LogCapture log;
    QVERIFY(h.run(kAuthorise, passwordRows()));
    const Rows rows = passwordRows();
    QVERIFY(h.runOnPort(other.portName(), kAuthorise, &rows, 100, 30000));
    QCOMPARE(log.count(QStringLiteral("port opened")), 2);
    QCOMPARE(h.sim.requestCount(kAuthorise), 1);
    QCOMPARE(other.requestCount(kAuthorise), 1);
    QCOMPARE(h.recorder->statusTexts().count(QStringLiteral("Пароль успешно введен")), 2);
}

void TestWorker::emptyPortName()
{
    WorkerHarness h;
    const Rows rows = passwordRows();
    QVERIFY(h.runOnPort(QString(), kAuthorise, &rows, 100, 30000));
    const QStringList names = h.recorder->names();
    QCOMPARE(names, (QStringList{"error", "updateProgressBar", "enableTablesContorls"}));
    const QString text = h.recorder->statusTexts().first();
    QVERIFY2(text.startsWith(QStringLiteral("Невозможно открыть порт , код ошибки ")), qPrintable(text));
    bool isNumber = false;
    QVERIFY(text.section(QLatin1Char(' '), -1).toInt(&isNumber) > 0 && isNumber);
    QCOMPARE(h.recorder->progress(), QList<int>{0});
}

void TestWorker::failedOpeningThenSuccess()
{
    WorkerHarness h;
    QVERIFY(h.started());
    const Rows rows = passwordRows();
    QVERIFY(h.runOnPort(QStringLiteral("/nonexistent/ttyLUMARO"), kAuthorise, &rows, 100, 30000));
    QVERIFY(h.recorder->statusTexts().first().startsWith(
        QStringLiteral("Невозможно открыть порт /nonexistent/ttyLUMARO, код ошибки ")));
    QVERIFY(h.run(kAuthorise, rows));
    QCOMPARE(h.recorder->statusTexts().last(), QStringLiteral("Пароль успешно введен"));
}

void TestWorker::commandZeroDoesNothing()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.run(kAuthorise, passwordRows()));
    h.recorder->events.clear();
    h.sim.clearRequests();
    QVERIFY(h.runWithoutRows(0));
    QCOMPARE(h.recorder->names(), QStringList{"enableTablesContorls"});
    QCOMPARE(h.sim.requestCount(), 0);
}

void TestWorker::commandHandedOverWhileBusyIsNotLost()
{
    WorkerHarness h;
    QVERIFY(h.started());
    // The first answer comes late, so the second command arrives while the worker is busy.
    h.sim.injectFault({SimFault::Late, 1, 300});
    h.worker->transaction(h.sim.portName(), 100, kAuthorise, passwordRows());
    QTRY_VERIFY_WITH_TIMEOUT(!h.recorder->statusTexts().isEmpty(), 10000);
    h.worker->transaction(h.sim.portName(), 100, kLeaveSettingsMode);
    QVERIFY(waitForFinished(*h.recorder, 2, 30000));
    QCOMPARE(h.recorder->argsOf(QStringLiteral("update_cmd_status")).last(),
             (QVariantList{kLeaveSettingsMode, true}));
}

void TestWorker::destructionWhileIdleIsPrompt()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.run(kAuthorise, passwordRows()));
    QVERIFY(h.worker->isRunning());
    QElapsedTimer timer;
    timer.start();
    MasterThread *raw = h.worker.get();
    h.recorder.reset();
    h.worker.reset();
    Q_UNUSED(raw);
    QVERIFY2(timer.elapsed() < 5000, "the idle worker must end when woken with the quit flag");
}

void TestWorker::vanishedPortIsReopenedByTheNextCommand()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("ttyLUMARO"));

    auto first = std::make_unique<SimServer>();
    QVERIFY(first->start());
    QVERIFY(pointLink(link, first->portName()));

    MasterThread worker;
    WorkerRecorder recorder(&worker);
    worker.transaction(link, 100, kAuthorise, passwordRows());
    QVERIFY(waitForFinished(recorder, 1, 30000));
    QCOMPARE(recorder.statusTexts().last(), QStringLiteral("Пароль успешно введен"));

    // The adapter disappears while the port is open.
    first->closeLine();
    recorder.events.clear();
    worker.transaction(link, 100, kLeaveSettingsMode);
    QVERIFY(waitForFinished(recorder, 2, 30000));
    QCOMPARE(recorder.statusTexts().count(MasterThread::noConnectionText()), 1);

    // It comes back under the same name.
    SimServer second;
    QVERIFY(second.start());
    QVERIFY(pointLink(link, second.portName()));
    recorder.events.clear();
    worker.transaction(link, 100, kAuthorise, passwordRows());
    QVERIFY(waitForFinished(recorder, 3, 30000));
    QCOMPARE(recorder.statusTexts().last(), QStringLiteral("Пароль успешно введен"));
    QCOMPARE(second.requestCount(kAuthorise), 1);
}

void TestWorker::portLostDuringUploadIsReportedOnce()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    const int done = h.recorder->finished;
    h.recorder->events.clear();
    h.worker->transaction(h.sim.portName(), WorkerHarness::kTimeoutMs, kFirmwareStart);
    QTRY_VERIFY_WITH_TIMEOUT(h.sim.requestCount(kFirmwarePart) >= 1, 30000);
    h.sim.closeLine();
    QVERIFY(waitForFinished(*h.recorder, done + 1, 60000));
    // The parts and the finish that follow the loss end quietly on the closed port.
    QCOMPARE(h.recorder->statusTexts().count(MasterThread::noConnectionText()), 1);
    QCOMPARE(h.recorder->progress().last(), 0);
}

QTEST_MAIN(TestWorker)
#include "tst_worker.moc"
