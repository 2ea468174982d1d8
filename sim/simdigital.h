#pragma once

// Simulated controller, digital channels: settings read (8) and write (32), meter readings (2).

#include "protocol/channels/digitalrules.h"
#include "sim/simanswer.h"

#include <QString>

#include <array>

class SimDigitalChannels
{
public:
    static constexpr int kChannelCount = DigitalRules::kChannelCount;
    static constexpr quint8 kMissingType = 255;
    static constexpr int kPasswordBytes = 10;
    static constexpr int kSerialBytes = 16;
    // The controller polls the meter before it answers; short, so tests stay fast.
    static constexpr int kDefaultMeterDelayMs = 150;

    struct Channel {
        quint8 type = 0;
        quint8 protocol = 0;
        quint32 address = 0;
        QByteArray password; // up to 10 bytes as stored, zero padding removed
        quint8 kt = 1;
        quint16 object = 0;
    };

    struct Meter {
        bool answers = true;
        QByteArray serial; // up to 16 bytes
        std::array<quint32, 4> readings{};
    };

    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);

    // Channels from `count` on are missing: they read as device type 255 and ignore writes.
    void setPresentChannels(int count) { presentChannels = count; }
    int present() const { return presentChannels; }
    // The response payload of command 8 for channel `index` as it stands.
    QByteArray settingsPayload(int index) const;

    std::array<Channel, kChannelCount> channels;
    std::array<Meter, kChannelCount> meters;
    int meterDelayMs = kDefaultMeterDelayMs;
    int writes = 0; // command 32 requests that changed a channel

private:
    QByteArray readingsPayload(int index) const;

    int presentChannels = kChannelCount;
};
