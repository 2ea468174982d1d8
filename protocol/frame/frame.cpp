#include "protocol/frame/frame.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/global/logcategories.h"
#include "protocol/frame/sessionrecord.h"
#include "protocol/settings/controllerrecord.h"
#include "protocol/settings/modemrecord.h"

#include <QDebug>

namespace Link {

namespace {

const char kRequestHeader[] = {char(kStartByte), 0x00, 0x46, 0x25, 0x00, 0x00, 0x00};

struct ResponseSize {
    quint8 cmd;
    int size;       // whole frame, any firmware but 1.4.0
    int size140;    // whole frame for firmware 1.4.0
};

constexpr int kAnySize = -1;

constexpr ResponseSize kResponseSizes[] = {
    {CmdAnalogReading, 14, 14},
    {CmdDigitalReadings, kAnySize, kAnySize},
    {CmdReadAnalogSettings, 42, 42},
    {CmdReadDigitalSettings, 29, 29},
    {CmdReadControllerSettings, 211, 179},
    {CmdWriteAnalogSettings, 42, 42},
    {CmdWriteDigitalSettings, 29, 29},
    {CmdWriteControllerSettings, 211, 179},
    {CmdAnalogReadingAlt, kAnySize, kAnySize},
    {CmdLeaveSettingsMode, 14, 10},
    {CmdFirmwareStart, kAnySize, kAnySize},
    {CmdFirmwarePart, kAnySize, kAnySize},
    {CmdFirmwareReserved, kAnySize, kAnySize},
    {CmdFirmwareFinish, kAnySize, kAnySize},
    {CmdAuthorise, 10, 10},
    {CmdNewPassword, 10, 10},
    {CmdModemTest, 49, 49},
    {CmdModemSessionData, 49, 49},
};

} // namespace

quint8 frameChecksum(const QByteArray &data, int length)
{
    quint8 sum = kChecksumSeed;
    const int end = qMin(length, int(data.size()));
    for (int i = 0; i < end; ++i)
        sum ^= quint8(data.at(i));
    return sum;
}

void buildRequest(QByteArray &out, quint8 cmd, const QByteArray *payload)
{
    out.clear();
    out.append(kRequestHeader, sizeof kRequestHeader);
    out.append(char(cmd));
    if (payload)
        out.append(*payload);
    else
        out.append(char(kNoPayloadFiller));
    out.append(char(frameChecksum(out, int(out.size()))));
}

QByteArray buildRequest(quint8 cmd, const QByteArray *payload)
{
    QByteArray out;
    buildRequest(out, cmd, payload);
    return out;
}

int requiredResponseSize(quint8 cmd, quint32 fwWord)
{
    for (const ResponseSize &entry : kResponseSizes) {
        if (entry.cmd == cmd)
            return fwWord == kFirmwareWord140 ? entry.size140 : entry.size;
    }
    return 0;
}

bool answerMayBeAbandoned(quint8 cmd)
{
    switch (cmd) {
    case CmdAnalogReading:
    case CmdDigitalReadings:
    case CmdReadAnalogSettings:
    case CmdReadDigitalSettings:
    case CmdReadControllerSettings:
    case CmdAnalogReadingAlt:
    case CmdModemSessionData:
    case CmdFirmwarePart:
        return true;
    default:
        return false;
    }
}

FrameFault responseFault(const QByteArray &resp, quint32 fwWord)
{
    const int n = int(resp.size());
    if (n < kHeaderSize)
        return FrameFault::Size;
    int required = requiredResponseSize(quint8(resp.at(7)), fwWord);
    if (required == kAnySize)
        required = n;
    if (n != required) {
        qCDebug(lcLink) << "requiredSize" << required << "resp.size()" << n;
        return FrameFault::Size;
    }
    if (quint8(resp.at(0)) != kStartByte)
        return FrameFault::Start;
    return quint8(resp.at(n - 1)) == frameChecksum(resp, n - 1) ? FrameFault::None
                                                                  : FrameFault::Checksum;
}

int check_response(const QByteArray &resp, quint32 fwWord)
{
    return responseFault(resp, fwWord) == FrameFault::None ? 0 : 1;
}

QStringList decodeResponse(const QByteArray &resp, int cmd)
{
    switch (cmd) {
    case CmdAnalogReading:
    case CmdAnalogReadingAlt:
        return AnalogRecord::decodeReading(resp);
    case CmdReadAnalogSettings:
    case CmdWriteAnalogSettings:
        return AnalogRecord::decodeSettings(resp);
    case CmdReadDigitalSettings:
    case CmdWriteDigitalSettings:
        return DigitalRecord::decodeSettings(resp);
    case CmdDigitalReadings:
        return DigitalRecord::decodeReadings(resp);
    case CmdReadControllerSettings:
    case CmdWriteControllerSettings:
        return ControllerRecord::decodeSettings(resp);
    case CmdModemTest:
    case CmdModemSessionData:
        return ModemRecord::decodeSessionData(resp);
    case CmdAuthorise:
        return SessionRecord::decodeAuthorise(resp);
    default:
        return {};
    }
}

QString versionText(quint32 word)
{
    return QStringLiteral("%1.%2.%3").arg(word >> 24).arg((word >> 16) & 0xFF).arg(word & 0xFFFF);
}

quint32 firmwareWord(const QByteArray &resp)
{
    return readNumber(resp, 3, 4);
}

QString hardwareVersionText(const QByteArray &resp)
{
    if (resp.size() < 3)
        return {};
    return QStringLiteral("%1.%2").arg(quint8(resp.at(1))).arg(quint8(resp.at(2)));
}

quint32 readNumber(const QByteArray &resp, int offset, int size)
{
    if (offset < 0 || size < 1 || size > 4 || offset + size > resp.size())
        return 0;
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(resp.at(offset + i));
    return value;
}

QString readText(const QByteArray &resp, int offset, int size)
{
    if (offset < 0 || size < 1 || offset >= resp.size())
        return {};
    const QByteArray field = resp.mid(offset, size);
    const int zero = int(field.indexOf('\0'));
    return QString::fromUtf8(zero < 0 ? field : field.left(zero));
}

QString keptText(const QByteArray &resp, int offset, int size)
{
    if (offset < 0 || size < 1 || offset + size > resp.size())
        return {};
    const QByteArray field = resp.mid(offset, size);
    if (encodeText(readText(field, 0, size), size) == field)
        return {};
    return QString::fromLatin1(field.toHex());
}

namespace {

QByteArray bigEndian(quint32 value, int size)
{
    QByteArray out(size, '\0');
    for (int i = size - 1; i >= 0; --i) {
        out[i] = char(value & 0xFF);
        value >>= 8;
    }
    return out;
}

quint32 unsignedValue(const QString &text)
{
    bool ok = false;
    const uint value = text.toUInt(&ok, 10);
    return ok ? value : 0;
}

} // namespace

QByteArray encodeU8(const QString &text)
{
    return bigEndian(unsignedValue(text), 1);
}

QByteArray encodeU16(const QString &text)
{
    return bigEndian(unsignedValue(text), 2);
}

QByteArray encodeI16(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    return bigEndian(ok ? quint32(value) : 0, 2);
}

QByteArray encodeU32(const QString &text)
{
    return bigEndian(unsignedValue(text), 4);
}

qint64 listNumber(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? value : 0;
}

QByteArray encodeText(const QString &text, int width)
{
    QByteArray bytes = text.toUtf8();
    if (bytes.size() < width)
        bytes.append(QByteArray(width - bytes.size(), '\0'));
    return bytes;
}

namespace {

// The kept bytes that stand for `text` in a field of `width`; empty when there are none.
QByteArray keptFor(const QString &text, int width, const QString &kept)
{
    if (kept.isEmpty())
        return {};
    const QByteArray field = QByteArray::fromHex(kept.toLatin1());
    if (field.size() != width || readText(field, 0, width) != text)
        return {};
    return field;
}

} // namespace

QByteArray encodeText(const QString &text, int width, const QString &kept)
{
    const QByteArray field = keptFor(text, width, kept);
    return field.isEmpty() ? encodeText(text, width) : field;
}

bool textFits(const QString &text, int width, const QString &kept)
{
    return !keptFor(text, width, kept).isEmpty() || text.toUtf8().size() <= width;
}

} // namespace Link
