// lumaro-cli: the controller's settings from scripts, on the window's worker and codecs.

#include "cli/clicommands.h"
#include "cli/clioptions.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/interruptnotifier.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Console console;
    CliOptions options;
    QString error;
    const bool parsed = options.parse(arguments, &error);
    // The report is drawn without a display: offscreen, unless the caller chose a platform.
    if (parsed && options.needsGui() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QCoreApplication> app = parsed && options.needsGui()
        ? std::make_unique<QGuiApplication>(argc, argv)
        : std::make_unique<QCoreApplication>(argc, argv);
    if (!parsed) {
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
