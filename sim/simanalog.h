#pragma once

// Simulated controller, analog channels: settings read (4) and write (16), readings (1).

#include "sim/simanswer.h"

#include <QByteArray>

#include <array>
#include <chrono>

// One analog channel as the controller keeps it, fields in wire units.
struct SimAnalogChannel {
    quint8 type = 0;
    quint8 input = 0;
    QByteArray serial; // at most 16 bytes
    quint16 scale = 10;
    quint16 divider = 1;
    quint16 lk = 0;    // two's complement for temperature
    quint16 st = 0;
    quint16 object = 0;
    quint32 value = 0;
};

class SimAnalogChannels
{
public:
    static constexpr int kChannels = 8;
    static constexpr quint8 kAbsentType = 255;

    // A board with a water meter, temperature and contact sensors, gas, pressure and hot water.
    SimAnalogChannels();

    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
    // Four inputs on hardware 8.2 and 8.3, eight on every other board.
    static int presentChannels(const SimContext &context);
    // The response payload of command 4 for channel `index` as it stands.
    QByteArray record(int index, const SimContext &context) const;

    // Pulses a second that channel `index`'s meter counts from now on, in real time.
    void setPulseRate(int index, double pulsesPerSecond);
    // Adds the pulses counted since the last call to the readings.
    void countPulses();
    // Counts `ms` worth of pulses at once, as if the engineer had edited that long.
    void passTime(int ms);

    std::array<SimAnalogChannel, kChannels> channels;
    quint32 readingStep = 1;  // added to a channel's reading after every reading request
    int silentChannel = -1;   // requests for this channel index stay unanswered
    int storedWrites = 0;     // records accepted by command 16
    // Pulses that each channel's latest write took off the counter it had counted up to then.
    std::array<quint32, kChannels> pulsesSetBack{};

private:
    using Clock = std::chrono::steady_clock;

    void store(int index, const QByteArray &payload);

    std::array<double, kChannels> pulseRate{};
    // Pulses counted but not yet whole.
    std::array<double, kChannels> pulseFraction{};
    Clock::time_point countedUntil = Clock::now();
};
