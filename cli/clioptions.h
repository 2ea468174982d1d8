#pragma once

// The command line of lumaro-cli: its commands, options and help text.

#include <QList>
#include <QString>
#include <QStringList>

struct CliOptions {
    enum Command { NoCommand, Ports, Read, Apply, Readings, Firmware, Exit };

    static constexpr int kDefaultTimeoutMs = 100;
    // The window's time-out spin box offers this range.
    static constexpr int kMinTimeoutMs = 100;
    static constexpr int kMaxTimeoutMs = 900;

    Command command = NoCommand;
    bool help = false;
    QString port;
    QString password = QStringLiteral("5093178");
    int timeoutMs = kDefaultTimeoutMs;
    QString output; // read -o; empty: standard output
    QString file;   // apply FILE; "-" is standard input
    bool dryRun = false;
    bool yes = false;
    QList<int> channels; // readings --channels, as numbered in the window; empty: all
    bool json = false;   // readings --format json

    // False, with a message, on a usage error.
    bool parse(const QStringList &arguments, QString *error);
    static QString helpText();
};
