#pragma once

// `history`: the controllers and versions of the configuration history, a version as a
// document `apply` takes, and the changes between two versions. Needs no controller.

class Console;
struct CliOptions;

namespace HistoryCommand {

// ExitCode::HistoryUnavailable when the history cannot be opened or read; Usage for an
// unknown serial number or version.
int run(const CliOptions &options, Console &console);

} // namespace HistoryCommand
