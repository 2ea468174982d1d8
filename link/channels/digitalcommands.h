#pragma once

// Digital channel commands: read settings (8), write settings (32), meter readings (2).

class CommandLine;

namespace DigitalCommands {

// Writing makes the controller store the record before it answers.
constexpr int kWriteTimeoutFactor = 5;
// For readings the controller polls the meter on its own RS-485 line before it answers.
constexpr int kReadingsTimeoutFactor = 60;
// Readings are collected for the whole wait time and sent once.
constexpr int kReadingsQuietGapMs = 0;
constexpr int kReadingsAttempts = 1;

void readSettings(CommandLine &line);
void writeSettings(CommandLine &line);
void readReadings(CommandLine &line);

} // namespace DigitalCommands
