#pragma once

// The command line of lumaro-cli: its commands, options and help text.

#include "protocol/frame/sessionrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

struct CliOptions {
    enum Command { NoCommand, Ports, Read, Apply, Readings, Firmware, Exit, Report, History };
    // What `history` does: list, `history show`, `history diff`.
    enum HistoryAction { HistoryList, HistoryShow, HistoryDiff };

    // As a session in the window starts.
    static constexpr int kDefaultTimeoutMs = SessionRecord::kTimeoutMinMs;

    Command command = NoCommand;
    bool help = false;
    QString port;
    QString password = QString::fromLatin1(SessionRecord::kFactoryPassword);
    int timeoutMs = kDefaultTimeoutMs;
    QString output; // read -o; empty: standard output. report -o; empty: named after the serial
    QString engineer; // report --engineer; empty: the login name
    QString file;   // apply FILE; "-" is standard input
    bool dryRun = false;
    bool yes = false;
    QList<int> channels; // readings --channels, as numbered in the window; empty: all
    bool json = false;   // readings --format json
    QString history;     // --history PATH or URI; empty: the user's own history file
    HistoryAction historyAction = HistoryList;
    QString serial;      // history --serial, or the SN of show and diff
    QString grep;        // history --grep
    int version = 0;     // history show --version; 0: the latest
    int versionA = 0;    // history diff SN A B
    int versionB = 0;

    // False, with a message, on a usage error.
    bool parse(const QStringList &arguments, QString *error);
    static QString helpText();
    // The report draws its PDF with Qt Gui; the other commands need no more than Qt Core.
    bool needsGui() const { return command == Report; }
};
