#include "protocol/channels/digitalrecord.h"

#include "protocol/frame/frame.h"

namespace DigitalRecord {

namespace {

// Offsets inside the payload, which starts right after the command byte.
enum SettingsOffset {
    OffChannel = 0,
    OffDeviceType = 1,
    OffProtocol = 2,
    OffAddress = 3,
    OffPassword = 7,
    OffKt = 17,
    OffObject = 18,
};

constexpr int kSerialOffset = 1;
constexpr int kFirstReadingOffset = 17;
constexpr int kReadingSize = 4;

// The frame without its checksum byte, so that a short frame never lends its checksum
// to a field.
QByteArray withoutChecksum(const QByteArray &resp)
{
    return resp.left(qMax(int(resp.size()) - 1, 0));
}

QString number(const QByteArray &frame, int payloadOffset, int size)
{
    return QString::number(Link::readNumber(frame, Link::kPayloadOffset + payloadOffset, size));
}

// Low 8 bits of a signed decimal text; text that is not a number gives 0.
char signedByte(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return ok ? char(value & 0xFF) : char(0);
}

} // namespace

QStringList decodeSettings(const QByteArray &resp)
{
    const QByteArray frame = withoutChecksum(resp);
    QStringList list{
        number(frame, OffDeviceType, 1),
        number(frame, OffProtocol, 1),
        number(frame, OffAddress, 4),
        Link::readText(frame, Link::kPayloadOffset + OffPassword, kPasswordWidth),
        number(frame, OffKt, 1),
        number(frame, OffObject, 2),
    };
    const QString kept = Link::keptText(frame, Link::kPayloadOffset + OffPassword, kPasswordWidth);
    if (!kept.isEmpty())
        list << kept;
    return list;
}

QStringList decodeReadings(const QByteArray &resp)
{
    const QByteArray frame = withoutChecksum(resp);
    // A serial number field that the answer does not hold whole is absent, like a number
    // field: a cut serial number would pass for the meter's own.
    const int serialOffset = Link::kPayloadOffset + kSerialOffset;
    const bool wholeSerial = frame.size() >= serialOffset + kSerialWidth;
    QStringList list{wholeSerial ? Link::readText(frame, serialOffset, kSerialWidth) : QString()};
    for (int i = 0; i < kReadingCount; ++i)
        list.append(number(frame, kFirstReadingOffset + i * kReadingSize, kReadingSize));
    return list;
}

bool encodeSettings(const QStringList &entry, QByteArray &payload)
{
    payload.clear();
    const QString password = entry.value(WritePassword);
    const QString kept = entry.value(WritePasswordKept);
    if (!Link::textFits(password, kPasswordWidth, kept))
        return false;
    payload.append(signedByte(entry.value(WriteChannel)));
    payload.append(Link::encodeU8(entry.value(WriteDeviceType)));
    payload.append(Link::encodeU8(entry.value(WriteProtocol)));
    payload.append(Link::encodeU32(entry.value(WriteAddress)));
    payload.append(Link::encodeText(password, kPasswordWidth, kept));
    payload.append(Link::encodeU8(entry.value(WriteKt)));
    payload.append(Link::encodeU16(entry.value(WriteObject)));
    Q_ASSERT(payload.size() == kSettingsPayloadSize);
    return true;
}

} // namespace DigitalRecord
