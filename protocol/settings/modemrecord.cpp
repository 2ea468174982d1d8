#include "protocol/settings/modemrecord.h"

#include "protocol/frame/frame.h"

namespace ModemRecord {

namespace {

// Frame offsets; the result byte at offset 8 means nothing for these commands.
constexpr int kSessionRunningOffset = 9;
constexpr int kImsiOffset = 10;
constexpr int kImsiSize = 32;
constexpr int kRssiOffset = 42;
constexpr int kCellIdOffset = 44;

} // namespace

QStringList decodeSessionData(const QByteArray &resp)
{
    // The modem reports RSSI in dB as a signed 16-bit number: FF AB is -85.
    const auto rssi = qint16(quint16(Link::readNumber(resp, kRssiOffset, 2)));
    return {QString::number(Link::readNumber(resp, kSessionRunningOffset, 1)),
            Link::readText(resp, kImsiOffset, kImsiSize),
            QString::number(rssi),
            QString::number(Link::readNumber(resp, kCellIdOffset, 4))};
}

} // namespace ModemRecord
