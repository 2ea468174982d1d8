#include "cli/applycommand.h"

#include "cli/applyplan.h"
#include "cli/channelfileinput.h"
#include "cli/clioptions.h"
#include "cli/commandrunner.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/jsondocument.h"
#include "link/frame.h"

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
// always (hardware, poll period), the analog channels also for a controller write.
int readBefore(const Wanted &wanted, CommandRunner &runner, Snapshot &snapshot)
{
    int code = runner.readController(snapshot);
    if (code == ExitCode::Done && (wanted.controller || wanted.analog))
        code = runner.readAnalog(snapshot);
    if (code == ExitCode::Done && wanted.digital)
        code = runner.readDigital(snapshot);
    return code;
}

int write(const ApplyPlan &plan, CommandRunner &runner)
{
    int code = ExitCode::Done;
    if (!plan.controller.isEmpty())
        code = runner.write(Link::CmdWriteControllerSettings, plan.controller);
    if (code == ExitCode::Done && !plan.analog.isEmpty())
        code = runner.write(Link::CmdWriteAnalogSettings, plan.analog);
    if (code == ExitCode::Done && !plan.digital.isEmpty())
        code = runner.write(Link::CmdWriteDigitalSettings, plan.digital);
    return code;
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

} // namespace

bool load(const QString &fileName, Wanted &wanted, QString *error)
{
    QFile file(fileName);
    const bool opened = fileName == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : file.open(QIODevice::ReadOnly);
    if (!opened) {
        *error = QCoreApplication::translate("TabDialog", "Не удалось открыть файл %1")
                     .arg(QDir::toNativeSeparators(fileName));
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

int run(const Wanted &wanted, const CliOptions &options, CommandRunner &runner, Console &console)
{
    Snapshot before;
    if (const int code = readBefore(wanted, runner, before))
        return code;
    const ApplyPlan plan = ApplyPlanner::plan(before, wanted);
    if (plan.refusal != ExitCode::Done) {
        console.message(plan.refusalText);
        return plan.refusal;
    }
    if (plan.sendsNothing()) {
        console.message(QCoreApplication::translate("TabDialog", "Нечего записывать."));
        return ExitCode::Done;
    }
    if (options.dryRun)
        console.data((plan.changes.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    if (!plan.questions.isEmpty() && !options.yes) {
        for (const QString &question : plan.questions)
            console.message(question);
        console.message(text("Без --yes ответ «Нет»: ничего не записано."));
        return ExitCode::Refused;
    }
    if (options.dryRun)
        return ExitCode::Done;

    if (const int code = write(plan, runner))
        return code;
    console.message(text("Записано изменений: %1").arg(plan.changes.size()));
    for (const QString &change : plan.changes)
        console.message(change);
    Snapshot after;
    if (const int code = readBack(plan, runner, after))
        return code;
    const QStringList differences = ApplyPlanner::readBackDifferences(plan, after);
    if (differences.isEmpty())
        return ExitCode::Done;
    console.message(text("После записи контроллер хранит другие значения:"));
    for (const QString &difference : differences)
        console.message(difference);
    return ExitCode::ReadBackDiffers;
}

} // namespace ApplyCommand
