#include "protocol/settings/controllerrecord.h"

#include "protocol/frame/frame.h"

#include <QCoreApplication>

namespace ControllerRecord {

namespace {

// Response field positions as frame offsets (the payload starts at offset 8 with the
// result byte, which these commands do not use).
struct Field {
    int offset;
    int size;
};

constexpr Field kLogPeriod{9, 4};
constexpr Field kSendPeriod{13, 4};
constexpr Field kContactPollPeriod{17, 4};
constexpr Field kConsumptionThreshold{21, 4};
constexpr Field kSerialNumber{25, 13};
constexpr Field kInfoText{38, 32};
constexpr Field kImei{70, 32};
constexpr Field kPowerSource{102, 1};
constexpr Field kBatteryVoltage{103, 2};
constexpr Field kLidOpen{105, 1};
constexpr Field kConsumptionSendMode{106, 1};
constexpr Field kPsm{107, 1};
constexpr Field kServerIp{108, 4};
constexpr Field kServerPort{112, 2};
constexpr Field kApiGet{114, 32};
constexpr Field kApiSave{146, 32};
constexpr Field kFirmwareText{178, 32};

constexpr quint8 kWriteFiller = 0xFF;

// The two paths in the order they travel, with the names the user knows them by.
struct PathField {
    WriteEntry entry;
    WriteEntry kept;
    const char *name;
};

constexpr PathField kPathFields[] = {
    {WriteApiGet, WriteApiGetKept, "API_GET"},
    {WriteApiSave, WriteApiSaveKept, "API_SAVE"},
};

QString number(const QByteArray &resp, Field field)
{
    return QString::number(Link::readNumber(resp, field.offset, field.size));
}

QString text(const QByteArray &resp, Field field)
{
    return Link::readText(resp, field.offset, field.size);
}

} // namespace

QStringList decodeSettings(const QByteArray &resp, quint32 fwWord)
{
    // Firmware 1.4.0 carries no firmware text; its version is the header's word.
    const QString firmware = fwWord == Link::kFirmwareWord140
        ? Link::versionText(Link::firmwareWord(resp))
        : text(resp, kFirmwareText);
    const QString ip = QStringLiteral("%1.%2.%3.%4")
                           .arg(Link::readNumber(resp, kServerIp.offset, 1))
                           .arg(Link::readNumber(resp, kServerIp.offset + 1, 1))
                           .arg(Link::readNumber(resp, kServerIp.offset + 2, 1))
                           .arg(Link::readNumber(resp, kServerIp.offset + 3, 1));
    QStringList list{number(resp, kLogPeriod),
            number(resp, kSendPeriod),
            number(resp, kContactPollPeriod),
            number(resp, kConsumptionThreshold),
            text(resp, kSerialNumber),
            Link::hardwareVersionText(resp),
            firmware,
            text(resp, kInfoText),
            text(resp, kImei),
            number(resp, kPowerSource),
            number(resp, kBatteryVoltage),
            number(resp, kLidOpen),
            number(resp, kConsumptionSendMode),
            number(resp, kPsm),
            ip,
            number(resp, kServerPort),
            text(resp, kApiGet),
            text(resp, kApiSave)};
    const QString getKept = Link::keptText(resp, kApiGet.offset, kApiGet.size);
    const QString saveKept = Link::keptText(resp, kApiSave.offset, kApiSave.size);
    if (!getKept.isEmpty() || !saveKept.isEmpty())
        list << getKept << saveKept;
    return list;
}

QStringList decodeSettings(const QByteArray &resp)
{
    return decodeSettings(resp, resp.size() <= kFrameSize140 ? Link::kFirmwareWord140 : 0);
}

QStringList serverIpParts(const QString &text)
{
    return text.split(QLatin1Char('.'), Qt::KeepEmptyParts);
}

QString badServerIpText()
{
    return QCoreApplication::translate("MasterThread", "Неверно задан IP-адрес сервера");
}

QString oversizePathField(const QStringList &writeList)
{
    for (const PathField &path : kPathFields) {
        if (!Link::textFits(writeList.value(path.entry), kPathFieldBytes, writeList.value(path.kept)))
            return QLatin1String(path.name);
    }
    return {};
}

QString oversizePathText(const QString &field)
{
    return QCoreApplication::translate("ControllerRecord",
                                       "Поле %1 не помещается в память контроллера: не более %2 "
                                       "байт в кодировке UTF-8 (русская буква занимает 2 байта). "
                                       "Сократите текст, настройки не записаны.")
        .arg(field)
        .arg(kPathFieldBytes);
}

WriteProblem encodeWrite(const QStringList &writeList, QByteArray &payload)
{
    payload.clear();
    const QStringList octets = serverIpParts(writeList.value(WriteServerIp));
    if (octets.size() != kServerIpParts)
        return WriteProblem::ServerIp;
    if (!oversizePathField(writeList).isEmpty())
        return WriteProblem::PathTooLong;

    QByteArray out;
    out.reserve(kWritePayloadSize);
    out.append(char(kWriteFiller));
    out.append(Link::encodeU32(writeList.value(WriteLogPeriod)));
    out.append(Link::encodeU32(writeList.value(WriteSendPeriod)));
    out.append(Link::encodeU32(writeList.value(WriteContactPollPeriod)));
    out.append(Link::encodeU32(writeList.value(WriteConsumptionThreshold)));
    out.append(Link::encodeU8(writeList.value(WriteConsumptionSendMode)));
    out.append(Link::encodeU8(writeList.value(WritePsm)));
    // The tab's validator keeps octets within 0..255; a text that slips past it still
    // fills exactly one byte, its low 8 bits ("300" gives 44), so the layout holds.
    for (const QString &octet : octets)
        out.append(Link::encodeU8(octet));
    out.append(Link::encodeU16(writeList.value(WriteServerPort)));
    for (const PathField &path : kPathFields)
        out.append(Link::encodeText(writeList.value(path.entry), kPathFieldBytes,
                                    writeList.value(path.kept)));
    payload = out;
    return WriteProblem::None;
}

} // namespace ControllerRecord
