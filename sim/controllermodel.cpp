#include "sim/controllermodel.h"

#include <QStringList>

namespace {

constexpr quint8 kStart = 0xAA;
constexpr quint8 kSeed = 0xBB;
constexpr int kRequestHeaderSize = 8;
constexpr int kMinimumRequest = kRequestHeaderSize + 1; // header and checksum, no payload
const char kRequestHeader[] = {char(0xAA), 0x00, 0x46, 0x25, 0x00, 0x00, 0x00};

} // namespace

QByteArray simZeroPayload(int frameSize)
{
    return QByteArray(qMax(frameSize - 9, 0), '\0');
}

ControllerModel::ControllerModel()
    : password(QStringLiteral("5093178"))
{
}

quint8 ControllerModel::checksum(const QByteArray &bytes)
{
    quint8 sum = kSeed;
    for (char byte : bytes)
        sum ^= quint8(byte);
    return sum;
}

QByteArray ControllerModel::frame(quint8 cmd, const QByteArray &payload) const
{
    QByteArray out;
    out.append(char(kStart));
    out.append(char(hwMajor));
    out.append(char(hwMinor));
    for (int shift = 24; shift >= 0; shift -= 8)
        out.append(char((fwWord >> shift) & 0xFF));
    out.append(char(cmd));
    out.append(payload);
    out.append(char(checksum(out)));
    return out;
}

bool ControllerModel::setFirmware(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != 3)
        return false;
    bool ok[3];
    const uint major = parts[0].toUInt(&ok[0]);
    const uint minor = parts[1].toUInt(&ok[1]);
    const uint patch = parts[2].toUInt(&ok[2]);
    if (!ok[0] || !ok[1] || !ok[2] || major > 255 || minor > 255 || patch > 0xFFFF)
        return false;
    fwWord = (major << 24) | (minor << 16) | patch;
    return true;
}

bool ControllerModel::setHardware(const QString &version)
{
    const QStringList parts = version.split(QLatin1Char('.'));
    if (parts.size() != 2)
        return false;
    bool ok[2];
    const uint major = parts[0].toUInt(&ok[0]);
    const uint minor = parts[1].toUInt(&ok[1]);
    if (!ok[0] || !ok[1] || major > 255 || minor > 255)
        return false;
    hwMajor = quint8(major);
    hwMinor = quint8(minor);
    return true;
}

QByteArray ControllerModel::heldRecords() const
{
    QByteArray out = controllerSettings.record(context());
    for (int index = 0; index < SimAnalogChannels::kChannels; ++index)
        out += analog.record(index, context());
    for (int index = 0; index < SimDigitalChannels::kChannelCount; ++index)
        out += digital.settingsPayload(index);
    return out;
}

SimContext ControllerModel::context() const
{
    return {fwWord, hwMajor, hwMinor};
}

SimAnswer ControllerModel::answer(const QByteArray &request)
{
    if (request.size() < kMinimumRequest || !request.startsWith(QByteArray(kRequestHeader, 7)))
        return {{}, true};
    if (checksum(request.left(request.size() - 1)) != quint8(request.back()))
        return {{}, true};
    const quint8 cmd = quint8(request.at(7));
    const QByteArray payload = request.mid(kRequestHeaderSize, request.size() - kMinimumRequest);

    SimAnswer result;
    switch (cmd) {
    case 128: case 134: case 135:
        result = sessionAnswer(cmd, payload);
        break;
    case 9: case 33:
        result = controllerSettings.answer(cmd, payload, context());
        break;
    case 136: case 137:
        result = modem.answer(cmd, payload, context());
        break;
    case 1: case 4: case 16:
        result = analog.answer(cmd, payload, context());
        break;
    case 2: case 8: case 32:
        result = digital.answer(cmd, payload, context());
        break;
    case 129: case 130: case 132:
        result = firmware.answer(cmd, payload, context());
        break;
    default:
        return {{}, true};
    }
    if (!result.silent)
        result.payload = frame(cmd, result.payload);
    if (cmd == 16 || cmd == 32 || cmd == 33)
        result.delayMs += writeAnswerDelayMs;
    return result;
}

SimAnswer ControllerModel::sessionAnswer(quint8 cmd, const QByteArray &payload)
{
    switch (cmd) {
    case 134: {
        // 0xFF, then the password zero-padded to eight bytes.
        QByteArray given = payload.mid(1);
        while (given.endsWith('\0'))
            given.chop(1);
        authorised = given == password.toUtf8();
        return {QByteArray(1, char(authorised ? 0xFF : 0x00))};
    }
    case 135: {
        QByteArray given = payload.mid(1);
        while (given.endsWith('\0'))
            given.chop(1);
        password = QString::fromUtf8(given);
        authorised = false;
        return {QByteArray(1, char(0xFF))};
    }
    case 128:
        authorised = false;
        inSettingsMode = false;
        return {simZeroPayload(fwWord == kFirmware140 ? 10 : 14)};
    default:
        return {{}, true};
    }
}
