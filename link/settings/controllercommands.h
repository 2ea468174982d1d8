#pragma once

// Controller settings commands: read (9) and write (33).

class CommandLine;

namespace ControllerCommands {

constexpr int kReadTimeoutFactor = 3;
// The controller stores the record in flash before it answers.
constexpr int kWriteTimeoutFactor = 15;

void readSettings(CommandLine &line);
void writeSettings(CommandLine &line);

} // namespace ControllerCommands
