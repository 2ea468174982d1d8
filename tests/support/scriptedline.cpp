#include "tests/support/scriptedline.h"

#include "link/worker/commandtable.h"
#include "link/worker/masterthread.h"

#include <QBuffer>

EventLog::EventLog(MasterThread *worker)
{
    worker->relayReports(this, *this);
    connect(worker, &MasterThread::enableTablesContorls, this, [this](bool on) {
        add("enableTablesContorls", {on});
        finished += on;
    });
}

QStringList EventLog::trace() const
{
    QStringList out;
    for (const WorkerEvent &e : events) {
        QStringList parts{e.name};
        for (const QVariant &arg : e.args)
            parts.append(arg.userType() == QMetaType::QStringList
                             ? arg.toStringList().join(QLatin1Char('|'))
                             : arg.toString());
        out.append(parts.join(QLatin1Char(' ')));
    }
    return out;
}

QStringList EventLog::statusTexts() const
{
    QStringList out;
    for (const QVariantList &args : argsOf(QStringLiteral("error")))
        out.append(args.value(0).toString());
    return out;
}

QList<int> EventLog::progress() const
{
    QList<int> out;
    for (const QVariantList &args : argsOf(QStringLiteral("updateProgressBar")))
        out.append(args.value(0).toInt());
    return out;
}

QList<QVariantList> EventLog::argsOf(const QString &name) const
{
    QList<QVariantList> out;
    for (const WorkerEvent &e : events) {
        if (e.name == name)
            out.append(e.args);
    }
    return out;
}

ScriptedLine::ScriptedLine(const ControllerModel &m)
    : CommandLine(log)
    , model(m)
{
    firmwareFile = std::make_unique<QBuffer>();
}

bool ScriptedLine::run(int code, const Rows &commandRows, int timeoutMs)
{
    const Commands::Function command = Commands::find(code);
    rows = commandRows;
    waitTimeout = timeoutMs;
    resumeAfterStop();
    beginCommand();
    if (command)
        command(*this);
    return command != nullptr;
}

void ScriptedLine::clear()
{
    sent.clear();
    pauses.clear();
    log.events.clear();
}

bool ScriptedLine::pause(int ms)
{
    pauses.append(ms);
    return !stopRequested();
}

QList<QByteArray> ScriptedLine::payloads(int cmd) const
{
    QList<QByteArray> out;
    for (const Sent &s : sent) {
        if (quint8(s.frame.at(7)) == cmd)
            out.append(s.frame.mid(8, s.frame.size() - 9));
    }
    return out;
}

QList<int> ScriptedLine::commands() const
{
    QList<int> out;
    for (const Sent &s : sent)
        out.append(quint8(s.frame.at(7)));
    return out;
}

CommandLine::Transfer ScriptedLine::transfer(const QByteArray &frame, int, int quietGap,
                                             QByteArray &answer)
{
    if (lost || stopRequested())
        return Transfer::Stopped;
    const Reply reply = script.isEmpty() ? Reply(Model) : script.takeFirst();
    if (reply.kind == Stop) {
        requestStop();
        return Transfer::Stopped;
    }
    sent.append({frame, waitTimeout, quietGap});
    switch (reply.kind) {
    case Frame:
        answer = reply.frame;
        break;
    case Lost:
        lost = true;
        return Transfer::Lost;
    case Model: {
        // An answer later than the read window arrives after the worker stopped reading.
        const SimAnswer a = model.answer(frame);
        if (!a.silent && a.delayMs < waitTimeout)
            answer = reply.frame + a.payload;
        break;
    }
    default:
        break;
    }
    return Transfer::Read;
}
