#include "sim/simcontrollersettings.h"

namespace {

constexpr quint32 kFirmware140 = 0x01040000;
constexpr int kSerialNumberField = 13;
constexpr int kTextField = 32;

void appendNumber(QByteArray &out, quint32 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

void appendText(QByteArray &out, const QByteArray &text, int width)
{
    const QByteArray field = text.left(width);
    out.append(field);
    out.append(QByteArray(width - field.size(), '\0'));
}

quint32 takeNumber(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

// The field as it came, bytes after a zero too; the padding is dropped.
QByteArray takeText(const QByteArray &bytes, int offset, int width)
{
    QByteArray field = bytes.mid(offset, width);
    while (field.endsWith('\0'))
        field.chop(1);
    return field;
}

} // namespace

SimAnswer SimControllerSettings::answer(quint8 cmd, const QByteArray &payload,
                                        const SimContext &context)
{
    // A write of the wrong length is not a record the controller can store: it stays silent.
    if (cmd == 33 && !store(payload))
        return {{}, true};
    return {record(context)};
}

QByteArray SimControllerSettings::record(const SimContext &context) const
{
    QByteArray out;
    out.append('\0'); // result byte
    appendNumber(out, logPeriod, 4);
    appendNumber(out, sendPeriod, 4);
    appendNumber(out, contactPollPeriod, 4);
    appendNumber(out, consumptionThreshold, 4);
    appendText(out, serialNumber, kSerialNumberField);
    appendText(out, infoText, kTextField);
    appendText(out, imei, kTextField);
    appendNumber(out, powerSource, 1);
    appendNumber(out, batteryVoltage, 2);
    appendNumber(out, lidOpen, 1);
    appendNumber(out, consumptionSendMode, 1);
    appendNumber(out, psm, 1);
    for (quint8 octet : serverIp)
        out.append(char(octet));
    appendNumber(out, serverPort, 2);
    appendText(out, apiGet, kTextField);
    appendText(out, apiSave, kTextField);
    if (context.fwWord != kFirmware140) {
        const QByteArray version = firmwareText.isEmpty()
            ? QByteArray::number(context.fwWord >> 24) + '.'
                + QByteArray::number((context.fwWord >> 16) & 0xFF) + '.'
                + QByteArray::number(context.fwWord & 0xFFFF)
            : firmwareText;
        appendText(out, version, kTextField);
    }
    return out;
}

bool SimControllerSettings::store(const QByteArray &payload)
{
    lastWritePayload = payload;
    if (payload.size() != kWritePayloadSize)
        return false;
    // Write layout: filler, four periods, mode, PSM, address, port, two paths.
    logPeriod = takeNumber(payload, 1, 4);
    sendPeriod = takeNumber(payload, 5, 4);
    contactPollPeriod = takeNumber(payload, 9, 4);
    consumptionThreshold = takeNumber(payload, 13, 4);
    consumptionSendMode = quint8(payload.at(17));
    psm = quint8(payload.at(18));
    for (int i = 0; i < 4; ++i)
        serverIp[i] = quint8(payload.at(19 + i));
    serverPort = quint16(takeNumber(payload, 23, 2));
    apiGet = takeText(payload, 25, kTextField);
    apiSave = takeText(payload, 57, kTextField);
    ++writes;
    return true;
}
