#pragma once

// Pace of the modem test: how long the worker waits for the modem's network session.

namespace ModemTiming {

// The worker counts a test in ticks; 100 ticks of 1200 ms are the two minutes that a
// modem without PSM may need to attach to the network.
constexpr int kTickMs = 1200;
constexpr int kLastTick = 100;
// The controller needs about 12 s before its modem reports anything, then every 6 s.
constexpr int kFirstPollTick = 10;
constexpr int kPollEveryTicks = 5;

} // namespace ModemTiming
