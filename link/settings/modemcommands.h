#pragma once

// Modem commands: modem test (136, then polls of 137) and session data (137).

class CommandLine;

namespace ModemCommands {

// The test command waits for the modem to power up before it answers.
constexpr int kTestTimeoutFactor = 15;
constexpr int kSessionDataTimeoutFactor = 5;

void test(CommandLine &line);
void sessionData(CommandLine &line);

} // namespace ModemCommands
