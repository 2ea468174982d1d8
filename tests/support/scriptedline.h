#pragma once

// A command line in memory for the command tests: each attempt is answered from a script of
// replies, then by the simulated controller's model; requests, pauses and reports are kept.

#include "link/worker/commandline.h"
#include "sim/controllermodel.h"

#include <QObject>
#include <QVariantList>

class MasterThread;

struct WorkerEvent {
    QString name;
    QVariantList args;
};

// The reports of a command line or a worker, in the order they arrived on the test's thread,
// each under the name of the worker's signal that carries it.
class EventLog : public QObject, public CommandReports
{
public:
    EventLog() = default;
    // A worker's reports, and the end of each of its runs.
    explicit EventLog(MasterThread *worker);

    // Every report as its name and its arguments, lists joined by '|': "updateProgressBar 100".
    QStringList trace() const;
    QStringList statusTexts() const; // arguments of error()
    QList<int> progress() const;
    QList<QVariantList> argsOf(const QString &name) const;

    QList<WorkerEvent> events;
    int finished = 0; // enableTablesContorls(true) seen

    void status(const QString &text) override { add("error", {text}); }
    void progress(int percent) override { add("updateProgressBar", {percent}); }
    void answered() override { add("update_timer", {}); }
    void frame(const Traffic::Frame &) override {}
    void channelSettings(Channels kind, int index, const QStringList &fields) override
    {
        add(kind == Channels::Analog ? "setComSettings" : "setRsSettings", {index, fields});
    }
    void reading(Channels kind, int index, const QStringList &fields) override
    {
        add(kind == Channels::Analog ? "setComData" : "setRsData", {index, fields});
    }
    void channelsInUse(Channels kind, int count) override
    {
        add(kind == Channels::Analog ? "set_num_of_analogInputs" : "set_num_of_rs485Inputs",
            {count});
    }
    void controllerSettings(const QStringList &fields) override { add("setCpuSet", {fields}); }
    void modemData(const QStringList &fields) override { add("setBC68Data", {fields}); }
    void modemIdle(bool idle) override { add("enableButtonStartBC68", {idle}); }
    void commandsEnabled(const QString &fw) override { add("enableButtonsContorls", {true, fw}); }
    void hardware(const QString &version) override { add("updateHw", {version}); }
    void succeeded(int cmd) override { add("update_cmd_status", {cmd, true}); }
    void settingsModeOver() override { add("stop_timer", {}); }

private:
    void add(const char *name, const QVariantList &args)
    {
        events.append({QString::fromLatin1(name), args});
    }
};

// Holds the log before the line that reports into it is built.
struct ScriptedLog {
    EventLog log;
};

class ScriptedLine : private ScriptedLog, public CommandLine
{
public:
    // Model: the model answers, after the reply's bytes as noise on the line. Stop: the
    // engineer stops the command (or the window closes) while this request waits to go.
    enum Kind { Model, Frame, Silence, Lost, Stop };
    struct Reply {
        Reply(Kind k, const QByteArray &bytes = {}) : kind(k), frame(bytes) {}
        Reply(const QByteArray &bytes) : kind(Frame), frame(bytes) {}
        Kind kind;
        QByteArray frame;
    };
    struct Sent { QByteArray frame; int timeoutMs; int quietGap; };

    explicit ScriptedLine(const ControllerModel &model = ControllerModel());
    // Runs the command of `code` through the worker's table; false when there is none.
    bool run(int code, const Rows &rows = Rows(), int timeoutMs = 100);
    // Forgets what earlier commands sent and reported.
    void clear();
    bool pause(int ms) override;
    QList<QByteArray> payloads(int cmd) const;
    QList<int> commands() const;

    ControllerModel model;
    QList<Reply> script;
    QList<Sent> sent;
    QList<int> pauses;
    using ScriptedLog::log;

protected:
    Transfer transfer(const QByteArray &frame, int attempt, int quietGap,
                      QByteArray &answer) override;

private:
    bool lost = false;
};
