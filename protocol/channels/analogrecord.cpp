#include "protocol/channels/analogrecord.h"

#include "protocol/frame/frame.h"

namespace AnalogRecord {

namespace {

// Wire code of each position of the table's device list.
constexpr int kCodeAtPosition[kDevicePositions] = {
    kDeviceOff, kColdWater, kHotWater, kGas, kHeatWh, kHeatKcal, kElectricity,
    kTemperature, kContact, kPressure,
};

// Bit n set for each meter code n.
constexpr quint32 kMeterCodes = (1u << kColdWater) | (1u << kHotWater) | (1u << kGas)
    | (1u << kHeatWh) | (1u << kElectricity) | (1u << kHeatKcal);
static_assert(kMeterCodes == 0x218E, "meter kinds as the controller defines them");

// Payload offsets, counted from the byte after the command byte.
constexpr int kTypeOffset = 1;
constexpr int kInputOffset = 2;
constexpr int kSerialOffset = 3;
constexpr int kScaleOffset = 19;
constexpr int kDividerOffset = 21;
constexpr int kLkOffset = 23;
constexpr int kStOffset = 25;
constexpr int kObjectOffset = 27;
constexpr int kValueOffset = 29;
constexpr int kReadingOffset = 1;

quint32 field(const QByteArray &resp, int payloadOffset, int size)
{
    return Link::readNumber(resp, Link::kPayloadOffset + payloadOffset, size);
}

} // namespace

int codeForPosition(int position)
{
    if (position < 1 || position >= kDevicePositions)
        return kDeviceOff;
    return kCodeAtPosition[position];
}

int positionForCode(int code)
{
    if (code <= kDeviceOff)
        return 0;
    for (int position = 1; position < kDevicePositions; ++position) {
        if (kCodeAtPosition[position] == code)
            return position;
    }
    return 0;
}

bool isMeterCode(int code)
{
    return code >= 0 && code < 32 && (kMeterCodes & (1u << code)) != 0;
}

bool isTenthsCode(int code)
{
    return code == kTemperature || code == kPressure;
}

bool serialFits(const QString &serial, const QString &kept)
{
    return Link::textFits(serial, kSerialFieldBytes, kept);
}

QByteArray channelPayload(int index)
{
    return QByteArray(1, char(quint8(index)));
}

bool encodeSettings(const QStringList &entry, QByteArray &payload)
{
    payload.clear();
    const QString serial = entry.value(WriteSerial);
    const QString kept = entry.value(WriteSerialKept);
    if (!serialFits(serial, kept))
        return false;
    // The channel index is written as a signed number; only its low byte travels.
    bool ok = false;
    const int channel = entry.value(WriteChannel).toInt(&ok, 10);
    payload.append(char(quint8(ok ? channel : 0)));
    payload.append(Link::encodeU8(entry.value(WriteType)));
    payload.append(Link::encodeU8(entry.value(WriteInput)));
    payload.append(Link::encodeText(serial, kSerialFieldBytes, kept));
    payload.append(Link::encodeU16(entry.value(WriteScale)));
    payload.append(Link::encodeU16(entry.value(WriteDivider)));
    // Temperature thresholds may lie below zero and travel in two's complement.
    const bool signedThresholds = entry.value(WriteType).toInt() == kTemperature;
    const auto threshold = signedThresholds ? Link::encodeI16 : Link::encodeU16;
    payload.append(threshold(entry.value(WriteLk)));
    payload.append(threshold(entry.value(WriteSt)));
    payload.append(Link::encodeU16(entry.value(WriteObject)));
    payload.append(Link::encodeU32(entry.value(WriteValue)));
    Q_ASSERT(payload.size() == kSettingsPayloadSize);
    return true;
}

QStringList decodeSettings(const QByteArray &resp)
{
    QStringList out;
    out.reserve(SettingsFieldCount);
    out << QString::number(field(resp, kTypeOffset, 1))
        << QString::number(field(resp, kInputOffset, 1))
        << Link::readText(resp, Link::kPayloadOffset + kSerialOffset, kSerialFieldBytes)
        << QString::number(field(resp, kScaleOffset, 2))
        << QString::number(field(resp, kDividerOffset, 2))
        << QString::number(field(resp, kLkOffset, 2))
        << QString::number(field(resp, kStOffset, 2))
        << QString::number(field(resp, kObjectOffset, 2))
        << QString::number(field(resp, kValueOffset, 4));
    const QString kept = Link::keptText(resp, Link::kPayloadOffset + kSerialOffset, kSerialFieldBytes);
    if (!kept.isEmpty())
        out << kept;
    return out;
}

QStringList decodeReading(const QByteArray &resp)
{
    return {QString::number(field(resp, kReadingOffset, 4))};
}

} // namespace AnalogRecord
