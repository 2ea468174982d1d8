// lumaro-cli: the controller's settings from scripts, on the window's worker and codecs.

#include "cli/clicommands.h"
#include "cli/clioptions.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/interruptnotifier.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Console console;
    CliOptions options;
    QString error;
    if (!options.parse(app.arguments().mid(1), &error)) {
        console.message(QStringLiteral("lumaro-cli: ") + error);
        console.message(QCoreApplication::translate("main", "Справка: lumaro-cli --help"));
        return ExitCode::Usage;
    }
    if (options.help) {
        console.data(CliOptions::helpText().toUtf8());
        return ExitCode::Done;
    }
    InterruptNotifier interrupt;
    return CliCommands::run(options, console, interrupt);
}
