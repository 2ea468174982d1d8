#pragma once

// The commands of lumaro-cli over one session with the controller.

class Console;
class InterruptNotifier;
struct CliOptions;

namespace CliCommands {

// Runs the command the options name; gives the exit code.
int run(const CliOptions &options, Console &console, InterruptNotifier &interrupt);

} // namespace CliCommands
