#pragma once

// The configurator's command-line options, read before the application connects to a
// display, so that --help and --version answer in a terminal that has none.

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>

#include <optional>

class ProgramOptions
{
    Q_DECLARE_TR_FUNCTIONS(ProgramOptions)

public:
    ProgramOptions();

    // Gives the exit code when the program ends here: 0 after --help or --version, 1 for a
    // misused option of its own. Options it does not know may be Qt's (-platform, -style),
    // which QApplication takes away before check().
    std::optional<int> readBeforeApplication(int argc, char *argv[]);
    // Reads the options QApplication left; an unknown one ends the program with a message.
    void check(const QCoreApplication &app);

    QString port() const { return parser.value(portOption); }
    bool isVerbose() const { return parser.isSet(verboseOption); }
    QString logFile() const { return parser.value(logOption); }
    // Empty: the user's own history file.
    QString history() const { return parser.value(historyOption); }

private:
    QCommandLineParser parser;
    const QCommandLineOption helpOption;
    const QCommandLineOption versionOption;
    const QCommandLineOption portOption;
    const QCommandLineOption verboseOption;
    const QCommandLineOption logOption;
    const QCommandLineOption historyOption;
};
