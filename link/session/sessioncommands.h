#pragma once

// Session commands: authorise (134), new password (135), leave settings mode (128).

#include <QString>

class CommandLine;

namespace SessionCommands {

constexpr int kTimeoutFactor = 5;

// The controller refused the password (its firmware is supported).
QString wrongPasswordText();

void authorise(CommandLine &line);
void newPassword(CommandLine &line);
void leaveSettingsMode(CommandLine &line);

} // namespace SessionCommands
