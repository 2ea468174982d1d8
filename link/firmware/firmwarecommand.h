#pragma once

// Firmware update command: start (129), the image in parts (130), finish (132).

class CommandLine;

namespace FirmwareCommand {

// The controller prepares for a new image before it answers the start.
constexpr int kStartTimeoutFactor = 15;
// The controller stores each part before it answers: the line's time-out does not apply.
constexpr int kPartTimeoutMs = 30000;
constexpr int kPartAttempts = 3;

void upload(CommandLine &line);

} // namespace FirmwareCommand
