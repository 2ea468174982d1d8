#pragma once

// Session commands: authorise (134), new password (135), leave settings mode (128).

class CommandLine;

namespace SessionCommands {

constexpr int kTimeoutFactor = 5;

void authorise(CommandLine &line);
void newPassword(CommandLine &line);
void leaveSettingsMode(CommandLine &line);

} // namespace SessionCommands
