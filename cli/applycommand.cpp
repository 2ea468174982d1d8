#include "cli/applycommand.h"

#include "protocol/bulk/channelfile.h"
#include "protocol/bulk/writechecks.h"
#include "protocol/document/applyplan.h"
#include "cli/channelfileinput.h"
#include "cli/clioptions.h"
#include "cli/commandrunner.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/historyrecorder.h"
#include "protocol/document/jsondocument.h"
#include "protocol/frame/frame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <cstdio>

namespace ApplyCommand {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("ApplyCommand", source);
}

// Reads the sections the file names, and those its checks look at: the controller record
// always (hardware, poll period), the analog channels also for a controller write. A changed
// meter channel's counter is not taken from here: the worker reads it right before its write.
int readBefore(const Wanted &wanted, CommandRunner &runner, Snapshot &snapshot)
{
    int code = runner.readController(snapshot);
    if (code == ExitCode::Done && wanted.digital)
        code = runner.readDigital(snapshot);
    if (code == ExitCode::Done && (wanted.controller || wanted.analog))
        code = runner.readAnalog(snapshot);
    return code;
}

// Sends the records, the analog channels first. When a command fails, says which changes the
// controller had confirmed before it.
int write(const ApplyPlan &plan, CommandRunner &runner, Console &console)
{
    struct Step {
        int cmd;
        const Rows &rows;
        const QList<QStringList> &changes;
    };
    const Step steps[] = {
        {Link::CmdWriteAnalogSettings, plan.analog, plan.analogChanges},
        {Link::CmdWriteControllerSettings, plan.controller, plan.controllerChanges},
        {Link::CmdWriteDigitalSettings, plan.digital, plan.digitalChanges},
    };
    QStringList written;
    for (const Step &step : steps) {
        if (step.rows.isEmpty())
            continue;
        int answered = 0;
        const int code = runner.write(step.cmd, step.rows, &answered);
        for (int k = 0; k < answered && k < step.changes.size(); ++k)
            written += step.changes.at(k);
        if (code == ExitCode::Done)
            continue;
        if (!written.isEmpty()) {
            console.message(text("Записано изменений до сбоя: %1").arg(written.size()));
            for (const QString &change : written)
                console.message(change);
        }
        return code;
    }
    return ExitCode::Done;
}

int readBack(const ApplyPlan &plan, CommandRunner &runner, Snapshot &after)
{
    int code = ExitCode::Done;
    if (!plan.controller.isEmpty())
        code = runner.readController(after);
    if (code == ExitCode::Done && !plan.analog.isEmpty())
        code = runner.readAnalog(after);
    if (code == ExitCode::Done && !plan.digital.isEmpty())
        code = runner.readDigital(after);
    return code;
}

// What the controller holds after the write: the sections read back, the others as before.
Snapshot withReadBack(Snapshot before, const Snapshot &after)
{
    if (after.controller)
        before.controller = after.controller;
    for (auto it = after.analog.begin(); it != after.analog.end(); ++it)
        before.analog.insert(it.key(), it.value());
    for (auto it = after.digital.begin(); it != after.digital.end(); ++it)
        before.digital.insert(it.key(), it.value());
    return before;
}

} // namespace

bool load(const QString &fileName, Wanted &wanted, QString *error)
{
    QFile file(fileName);
    const bool opened = fileName == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : file.open(QIODevice::ReadOnly);
    if (!opened) {
        *error = ChannelFile::openFailedText(fileName);
        return false;
    }
    QByteArray content = file.readAll();
    // Editors on Windows may put a byte-order mark before either kind of file.
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    const bool ok = ChannelFileInput::isChannelFile(content)
        ? ChannelFileInput::read(content, wanted, error)
        : JsonDocument::read(content, wanted, error);
    if (!ok)
        *error = text("Файл %1 не принят: %2").arg(QDir::toNativeSeparators(fileName), *error);
    return ok;
}

int run(const Wanted &wanted, const CliOptions &options, CommandRunner &runner, Console &console,
        HistoryRecorder *history)
{
    Snapshot before = runner.snapshot();
    if (const int code = readBefore(wanted, runner, before))
        return code;
    // Kept once the write is over, never between the read and the write: the analog counters
    // go back as read just before it, and a slow history would lose the pulses counted meanwhile.
    const auto keepRead = [&before, history](int code) {
        if (history)
            history->record(before, SnapshotMeta::Read);
        return code;
    };
    const ApplyPlan plan = ApplyPlanner::plan(before, wanted);
    if (plan.refusal != ApplyPlan::None) {
        console.message(plan.refusalText);
        return keepRead(plan.refusal == ApplyPlan::Refused ? ExitCode::Refused : ExitCode::Usage);
    }
    if (plan.sendsNothing()) {
        console.message(WriteChecks::nothingToWriteText());
        return keepRead(ExitCode::Done);
    }
    const QStringList changes = plan.changes();
    if (options.dryRun)
        console.data((changes.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!plan.questions.isEmpty() && !options.yes) {
        for (const QString &question : plan.questions)
            console.message(question);
        console.message(text("Без --yes ответ «Нет»: ничего не записано."));
        return keepRead(ExitCode::Refused);
    }
    if (options.dryRun)
        return keepRead(ExitCode::Done);

    if (const int code = keepRead(write(plan, runner, console)))
        return code;
    console.message(text("Записано изменений: %1").arg(changes.size()));
    for (const QString &change : changes)
        console.message(change);
    Snapshot after = runner.snapshot();
    if (const int code = readBack(plan, runner, after))
        return code;
    if (history)
        history->record(withReadBack(before, after), SnapshotMeta::Write);
    const QStringList differences = ApplyPlanner::readBackDifferences(plan, after);
    if (differences.isEmpty())
        return ExitCode::Done;
    console.message(text("После записи контроллер хранит другие значения:"));
    for (const QString &difference : differences)
        console.message(difference);
    return ExitCode::ReadBackDiffers;
}

} // namespace ApplyCommand
