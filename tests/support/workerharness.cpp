#include "tests/support/workerharness.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>

WorkerRecorder::WorkerRecorder(MasterThread *worker)
{
    const auto add = [this](const char *name, QVariantList args) {
        events.append({QString::fromLatin1(name), std::move(args)});
    };
    connect(worker, &MasterThread::error, this,
            [add](const QString &s) { add("error", {s}); });
    connect(worker, &MasterThread::enableTablesContorls, this, [this, add](bool on) {
        add("enableTablesContorls", {on});
        if (on)
            ++finished;
    });
    connect(worker, &MasterThread::enableButtonsContorls, this,
            [add](bool on, const QString &fw) { add("enableButtonsContorls", {on, fw}); });
    connect(worker, &MasterThread::updateProgressBar, this,
            [add](int v) { add("updateProgressBar", {v}); });
    connect(worker, &MasterThread::updateHw, this, [add](const QString &hw) { add("updateHw", {hw}); });
    connect(worker, &MasterThread::setComSettings, this,
            [add](int i, const QStringList &d) { add("setComSettings", {i, d}); });
    connect(worker, &MasterThread::setComData, this,
            [add](int i, const QStringList &d) { add("setComData", {i, d}); });
    connect(worker, &MasterThread::setRsSettings, this,
            [add](int i, const QStringList &d) { add("setRsSettings", {i, d}); });
    connect(worker, &MasterThread::setRsData, this,
            [add](int i, const QStringList &d) { add("setRsData", {i, d}); });
    connect(worker, &MasterThread::setCpuSet, this,
            [add](const QStringList &d) { add("setCpuSet", {d}); });
    connect(worker, &MasterThread::update_timer, this, [add] { add("update_timer", {}); });
    connect(worker, &MasterThread::stop_timer, this, [add] { add("stop_timer", {}); });
    connect(worker, &MasterThread::set_num_of_analogInputs, this,
            [add](int n) { add("set_num_of_analogInputs", {n}); });
    connect(worker, &MasterThread::set_num_of_rs485Inputs, this,
            [add](int n) { add("set_num_of_rs485Inputs", {n}); });
    connect(worker, &MasterThread::setBC68Data, this,
            [add](const QStringList &d) { add("setBC68Data", {d}); });
    connect(worker, &MasterThread::enableButtonStartBC68, this,
            [add](bool on) { add("enableButtonStartBC68", {on}); });
    connect(worker, &MasterThread::update_cmd_status, this,
            [add](int cmd, bool ok) { add("update_cmd_status", {cmd, ok}); });
}

QStringList WorkerRecorder::names() const
{
    QStringList out;
    for (const WorkerEvent &e : events)
        out.append(e.name);
    return out;
}

QStringList WorkerRecorder::statusTexts() const
{
    QStringList out;
    for (const WorkerEvent &e : events) {
        if (e.name == QLatin1String("error"))
            out.append(e.args.value(0).toString());
    }
    return out;
}

QList<int> WorkerRecorder::progress() const
{
    QList<int> out;
    for (const WorkerEvent &e : events) {
        if (e.name == QLatin1String("updateProgressBar"))
            out.append(e.args.value(0).toInt());
    }
    return out;
}

QList<QVariantList> WorkerRecorder::argsOf(const QString &name) const
{
    QList<QVariantList> out;
    for (const WorkerEvent &e : events) {
        if (e.name == name)
            out.append(e.args);
    }
    return out;
}

bool waitForFinished(WorkerRecorder &recorder, int count, int waitMs)
{
    QDeadlineTimer deadline(waitMs);
    while (recorder.finished < count) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

WorkerHarness::WorkerHarness(const ControllerModel &model)
    : sim(model)
{
    ok = sim.start();
    worker = std::make_unique<MasterThread>();
    recorder = std::make_unique<WorkerRecorder>(worker.get());
}

WorkerHarness::~WorkerHarness()
{
    worker.reset();
    sim.stop();
}

bool WorkerHarness::runOnPort(const QString &port, int cmd, const Rows *rows, int timeoutMs,
                              int waitMs)
{
    const int target = recorder->finished + 1;
    if (rows)
        worker->transaction(port, timeoutMs, cmd, *rows);
    else
        worker->transaction(port, timeoutMs, cmd);
    return waitForFinished(*recorder, target, waitMs);
}

bool WorkerHarness::run(int cmd, const Rows &rows, int timeoutMs, int waitMs)
{
    return runOnPort(sim.portName(), cmd, &rows, timeoutMs, waitMs);
}

bool WorkerHarness::runWithoutRows(int cmd, int timeoutMs, int waitMs)
{
    return runOnPort(sim.portName(), cmd, nullptr, timeoutMs, waitMs);
}

bool WorkerHarness::authorise()
{
    const QString password = sim.withModel([](ControllerModel &m) { return m.password; });
    const bool done = run(134, Rows{QStringList{password}});
    return done && !recorder->argsOf(QStringLiteral("update_cmd_status")).isEmpty();
}
