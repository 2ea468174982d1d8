#pragma once

// A command line in memory for the command tests: each attempt is answered from a script of
// replies, then by the simulated controller's model; requests, pauses and reports are kept.

#include "link/worker/commandline.h"
#include "sim/controllermodel.h"

#include <QObject>
#include <QVariantList>

#include <type_traits>

class MasterThread;

struct WorkerEvent {
    QString name;
    QVariantList args;
};

// The reports of a worker or a command line, in the order they arrived on the test's thread.
class EventLog : public QObject
{
public:
    template <class Source>
    explicit EventLog(Source *source);

    // Every report as its name and its arguments, lists joined by '|': "updateProgressBar 100".
    QStringList trace() const;
    QStringList statusTexts() const; // arguments of error()
    QList<int> progress() const;
    QList<QVariantList> argsOf(const QString &name) const;

    QList<WorkerEvent> events;
    int finished = 0; // enableTablesContorls(true) seen

private:
    void add(const char *name, const QVariantList &args)
    {
        events.append({QString::fromLatin1(name), args});
    }
};

class ScriptedLine : public CommandLine
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
    EventLog log{this};

protected:
    Transfer transfer(const QByteArray &frame, int attempt, int quietGap,
                      QByteArray &answer) override;

private:
    bool lost = false;
};

template <class Source>
EventLog::EventLog(Source *s)
{
    using S = Source;
    using L = const QStringList &;
    connect(s, &S::error, this, [this](const QString &t) { add("error", {t}); });
    // Only the worker ends a run; a command never does.
    if constexpr (std::is_same_v<Source, MasterThread>) {
        connect(s, &S::enableTablesContorls, this, [this](bool on) {
            add("enableTablesContorls", {on});
            finished += on;
        });
    }
    connect(s, &S::enableButtonsContorls, this,
            [this](bool on, const QString &fw) { add("enableButtonsContorls", {on, fw}); });
    connect(s, &S::updateProgressBar, this, [this](int v) { add("updateProgressBar", {v}); });
    connect(s, &S::updateHw, this, [this](const QString &hw) { add("updateHw", {hw}); });
    connect(s, &S::setComSettings, this, [this](int i, L d) { add("setComSettings", {i, d}); });
    connect(s, &S::setComData, this, [this](int i, L d) { add("setComData", {i, d}); });
    connect(s, &S::setRsSettings, this, [this](int i, L d) { add("setRsSettings", {i, d}); });
    connect(s, &S::setRsData, this, [this](int i, L d) { add("setRsData", {i, d}); });
    connect(s, &S::setCpuSet, this, [this](L d) { add("setCpuSet", {d}); });
    connect(s, &S::update_timer, this, [this] { add("update_timer", {}); });
    connect(s, &S::stop_timer, this, [this] { add("stop_timer", {}); });
    connect(s, &S::set_num_of_analogInputs, this,
            [this](int n) { add("set_num_of_analogInputs", {n}); });
    connect(s, &S::set_num_of_rs485Inputs, this,
            [this](int n) { add("set_num_of_rs485Inputs", {n}); });
    connect(s, &S::setBC68Data, this, [this](L d) { add("setBC68Data", {d}); });
    connect(s, &S::enableButtonStartBC68, this,
            [this](bool on) { add("enableButtonStartBC68", {on}); });
    connect(s, &S::update_cmd_status, this,
            [this](int cmd, bool ok) { add("update_cmd_status", {cmd, ok}); });
}
