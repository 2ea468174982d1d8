#include "sim/simdigital.h"

namespace {

constexpr int kSettingsPayload = 20;
constexpr int kReadingsPayload = 33;

void appendBigEndian(QByteArray &out, quint32 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

quint32 bigEndian(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

QByteArray padded(const QByteArray &text, int width)
{
    QByteArray out = text.left(width);
    out.append(QByteArray(width - out.size(), '\0'));
    return out;
}

} // namespace

QByteArray SimDigitalChannels::settingsPayload(int index) const
{
    QByteArray out;
    out.append(char(index));
    if (index >= presentChannels || index >= kChannelCount) {
        // What the controller reports for a channel its configuration lacks.
        out.append(char(kMissingType));
        out.append(QByteArray(kSettingsPayload - 2, '\0'));
        return out;
    }
    const Channel &c = channels[index];
    out.append(char(c.type));
    out.append(char(c.protocol));
    appendBigEndian(out, c.address, 4);
    out.append(padded(c.password, kPasswordBytes));
    out.append(char(c.kt));
    appendBigEndian(out, c.object, 2);
    return out;
}

QByteArray SimDigitalChannels::readingsPayload(int index) const
{
    QByteArray out(1, '\0');
    const bool polled = index < presentChannels && index < kChannelCount
        && channels[index].type != 0 && meters[index].answers;
    if (!polled) {
        // The meter kept silent: an empty serial number and no readings.
        out.append(QByteArray(kReadingsPayload - 1, '\0'));
        return out;
    }
    const Meter &m = meters[index];
    out.append(padded(m.serial, kSerialBytes));
    for (quint32 reading : m.readings)
        appendBigEndian(out, reading, 4);
    return out;
}

SimAnswer SimDigitalChannels::answer(quint8 cmd, const QByteArray &payload,
                                     const SimContext &context)
{
    Q_UNUSED(context);
    if (payload.isEmpty())
        return {{}, true};
    const int index = quint8(payload.at(0));
    switch (cmd) {
    case 8:
        if (payload.size() != 1)
            return {{}, true};
        return {settingsPayload(index)};
    case 32: {
        if (payload.size() != kSettingsPayload)
            return {{}, true};
        if (index < presentChannels && index < kChannelCount) {
            Channel &c = channels[index];
            c.type = quint8(payload.at(1));
            c.protocol = quint8(payload.at(2));
            c.address = bigEndian(payload, 3, 4);
            // The field is stored as it came, bytes after a zero too.
            QByteArray password = payload.mid(7, kPasswordBytes);
            while (password.endsWith('\0'))
                password.chop(1);
            c.password = password;
            c.kt = quint8(payload.at(17));
            c.object = quint16(bigEndian(payload, 18, 2));
            ++writes;
        }
        return {settingsPayload(index)};
    }
    case 2: {
        if (payload.size() != 1)
            return {{}, true};
        SimAnswer result{readingsPayload(index)};
        result.delayMs = meterDelayMs;
        return result;
    }
    default:
        return {{}, true};
    }
}
