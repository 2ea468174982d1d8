#pragma once

// Stores the snapshots `read` and `apply` take in the configuration history. A history that
// cannot be opened or written stops nothing: one warning on standard error, and the command
// goes on without it.

#include "protocol/document/snapshot.h"
#include "protocol/history/snapshotmeta.h"
#include "store/historystore.h"

#include <QString>

class Console;

class HistoryRecorder
{
public:
    // `location`: --history as given; empty for the user's own file.
    HistoryRecorder(const QString &location, Console &console);

    void record(const Snapshot &snapshot, SnapshotMeta::Kind kind);

    // The history to use, or false with a message; for the `history` commands too.
    static bool locate(const QString &text, HistoryLocation *location, QString *error);

private:
    void warn(const QString &why);

    QString locationText;
    Console &console;
    HistoryStore store;
    bool tried = false;
    bool warned = false;
};
