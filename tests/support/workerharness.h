#pragma once

// Runs MasterThread against the simulated controller on a pseudo-terminal and records
// every signal of the worker, in order, on the test's thread.

#include "link/masterthread.h"
#include "sim/simserver.h"

#include <QObject>
#include <QVariantList>

#include <memory>

struct WorkerEvent {
    QString name;
    QVariantList args;
};

class WorkerRecorder : public QObject
{
    Q_OBJECT
public:
    explicit WorkerRecorder(MasterThread *worker);
    QList<WorkerEvent> events;
    QStringList names() const;
    QStringList statusTexts() const; // arguments of error()
    QList<int> progress() const;
    QList<QVariantList> argsOf(const QString &name) const;
    int finished = 0; // enableTablesContorls(true) seen
};

class WorkerHarness
{
public:
    // Generous enough that a loaded machine does not turn a slow answer into silence.
    static constexpr int kTimeoutMs = 300;

    explicit WorkerHarness(const ControllerModel &model = ControllerModel());
    ~WorkerHarness();

    bool started() const { return ok; }
    // Hands a command to the worker and waits until its last signal has arrived.
    bool run(int cmd, const Rows &rows = Rows(), int timeoutMs = kTimeoutMs, int waitMs = 30000);
    bool runWithoutRows(int cmd, int timeoutMs = kTimeoutMs, int waitMs = 30000);
    bool runOnPort(const QString &port, int cmd, const Rows *rows, int timeoutMs, int waitMs);
    // Authorises with the simulator's password; true when the session is open.
    bool authorise();

    SimServer sim;
    std::unique_ptr<MasterThread> worker;
    std::unique_ptr<WorkerRecorder> recorder;

private:
    bool ok = false;
};

// Waits for the recorder to see `count` finished commands, processing events.
bool waitForFinished(WorkerRecorder &recorder, int count, int waitMs);
