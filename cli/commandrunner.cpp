#include "cli/commandrunner.h"

#include "protocol/channels/digitalrules.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "protocol/frame/frame.h"
#include "link/worker/masterthread.h"
#include "link/session/sessioncommands.h"
#include "protocol/frame/sessionrecord.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRunner, "lumaro.cli.runner", QtWarningMsg)

CommandRunner::CommandRunner(const QString &port, int timeout, Console &c)
    : portName(port)
    , timeoutMs(timeout)
    , console(c)
    , worker(std::make_unique<MasterThread>())
{
    connectWorker();
}

CommandRunner::~CommandRunner() = default;

// The worker's reports cross to this thread queued, in the order it sent them.
void CommandRunner::connectWorker()
{
    MasterThread *w = worker.get();
    w->relayReports(this, *this);
    connect(w, &MasterThread::portNotOpened, this, [this] { reports.portFailed = true; });
    // The last signal of every command, failed or not.
    connect(w, &MasterThread::enableTablesContorls, this, [this] {
        reports.ended = true;
        loop.quit();
    });
}

void CommandRunner::status(const QString &text)
{
    if (!text.isEmpty())
        reports.lastText = text;
    console.status(text);
}

void CommandRunner::progress(int percent)
{
    console.progress(percent);
}

void CommandRunner::channelSettings(Channels kind, int index, const QStringList &fields)
{
    (kind == Channels::Analog ? reports.analogSettings : reports.digitalSettings)
        .insert(index, fields);
}

void CommandRunner::reading(Channels kind, int index, const QStringList &fields)
{
    (kind == Channels::Analog ? reports.analogReadings : reports.meterReadings)
        .insert(index, fields);
}

void CommandRunner::succeeded(int cmd)
{
    if (cmd == Link::CmdAuthorise)
        reports.authorised = true;
    if (cmd == Link::CmdLeaveSettingsMode)
        reports.sessionEnded = true;
}

bool CommandRunner::run(int cmd, const Rows *rows)
{
    reports = Reports();
    if (interrupted) {
        reports.lastText = MasterThread::stoppedText();
        return false;
    }
    reports.cmd = cmd;
    qCDebug(lcRunner) << "command" << cmd << "rows" << (rows ? rows->size() : 0);
    if (rows)
        worker->transaction(portName, timeoutMs, cmd, *rows);
    else
        worker->transaction(portName, timeoutMs, cmd);
    if (!reports.ended)
        loop.exec();
    console.endProgress();
    // The caller judges what the command brought: one stopped after its last exchange is
    // complete all the same.
    return true;
}

void CommandRunner::interrupt()
{
    interrupted = true;
    worker->cancel();
}

int CommandRunner::failed()
{
    // After a stop the worker's last text says how far the command came.
    console.message(reports.lastText);
    if (interrupted)
        return ExitCode::Interrupted;
    if (reports.portFailed)
        return ExitCode::PortFailed;
    // An authorise that was answered failed on the password or on the firmware version.
    if (reports.cmd != Link::CmdAuthorise || !reports.answered)
        return ExitCode::NoConnection;
    return reports.lastText == SessionCommands::wrongPasswordText() ? ExitCode::WrongPassword
                                                                    : ExitCode::UnsupportedFirmware;
}

int CommandRunner::authorise(const QString &password)
{
    const Rows rows{{password}};
    if (!run(Link::CmdAuthorise, &rows) || !reports.authorised)
        return failed();
    analogCount = SessionRecord::analogChannelCount(reports.hardware);
    worker->setAnalogChannelCount(quint8(analogCount));
    return ExitCode::Done;
}

Snapshot CommandRunner::snapshot() const
{
    Snapshot s;
    s.analogChannelCount = analogCount;
    return s;
}

int CommandRunner::readController(Snapshot &snapshot)
{
    if (!run(Link::CmdReadControllerSettings) || reports.controller.isEmpty())
        return failed();
    snapshot.controller = ControllerSettings::fromFieldList(reports.controller);
    return ExitCode::Done;
}

int CommandRunner::readAnalog(Snapshot &snapshot)
{
    if (!run(Link::CmdReadAnalogSettings)
        || reports.analogSettings.size() != AnalogRecord::kChannelCount)
        return failed();
    snapshot.setAnalog(reports.analogSettings);
    return ExitCode::Done;
}

int CommandRunner::readDigital(Snapshot &snapshot)
{
    if (!run(Link::CmdReadDigitalSettings)
        || reports.digitalSettings.size() != DigitalRules::kChannelCount)
        return failed();
    snapshot.setDigital(reports.digitalSettings);
    return ExitCode::Done;
}

int CommandRunner::write(int cmd, const Rows &rows, int *answered)
{
    const bool ran = run(cmd, &rows);
    // The controller answers every record with what it now holds; the worker sends the
    // records in order and stops at the first that goes unanswered.
    qsizetype count = reports.digitalSettings.size();
    if (cmd == Link::CmdWriteControllerSettings)
        count = reports.controller.isEmpty() ? 0 : 1;
    else if (cmd == Link::CmdWriteAnalogSettings)
        count = reports.analogSettings.size();
    if (answered)
        *answered = int(qMin(count, rows.size()));
    return ran && count == rows.size() ? int(ExitCode::Done) : failed();
}

int CommandRunner::readAnalogReadings(const Rows &rows, QMap<int, QStringList> &readings)
{
    if (!run(Link::CmdAnalogReading, &rows) || reports.analogReadings.size() != rows.size())
        return failed();
    readings = reports.analogReadings;
    return ExitCode::Done;
}

int CommandRunner::readMeterReadings(const Rows &rows, QMap<int, QStringList> &readings)
{
    if (!run(Link::CmdDigitalReadings, &rows) || reports.meterReadings.size() != rows.size())
        return failed();
    readings = reports.meterReadings;
    return ExitCode::Done;
}

int CommandRunner::uploadFirmware()
{
    // The controller restarts into the new firmware: the session ends with the upload.
    if (!run(Link::CmdFirmwareStart) || !reports.sessionEnded)
        return failed();
    console.message(reports.lastText);
    return ExitCode::Done;
}

int CommandRunner::leaveSettingsMode()
{
    if (!run(Link::CmdLeaveSettingsMode) || !reports.sessionEnded)
        return failed();
    return ExitCode::Done;
}
