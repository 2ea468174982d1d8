#pragma once

// `apply`: reads the controller, writes what a file changes, reads back and compares.

#include "protocol/document/snapshot.h"

#include <QString>

class CommandRunner;
class HistoryRecorder;
class Console;
struct CliOptions;

namespace ApplyCommand {

// A JSON document or a channel file of the window; "-" reads standard input. False, with a
// message, for a file that cannot be read or used.
bool load(const QString &fileName, Wanted &wanted, QString *error);

// Stores the settings read before the write and those read back after it in `history`.
int run(const Wanted &wanted, const CliOptions &options, CommandRunner &runner, Console &console,
        HistoryRecorder *history = nullptr);

} // namespace ApplyCommand
