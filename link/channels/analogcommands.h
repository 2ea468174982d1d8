#pragma once

// Analog channel commands: read settings (4), write settings (16), readings (1).

class CommandLine;

namespace AnalogCommands {

// Writing makes the controller store the record in flash before it answers.
constexpr int kWriteTimeoutFactor = 5;

void readSettings(CommandLine &line);
void writeSettings(CommandLine &line);
void readReadings(CommandLine &line);

} // namespace AnalogCommands
