#include "protocol/channels/digitalrules.h"

#include "protocol/channels/digitalrecord.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"

#include <QCoreApplication>
#include <QDebug>

#include <cstdint>

namespace DigitalRules {

const char *const kDeviceTypeLabels[kDeviceTypeCount] = {
    QT_TRANSLATE_NOOP("RS485Tab", "0 - Отключен"),
    QT_TRANSLATE_NOOP("RS485Tab", "1 - Электросчетчик, Вт*ч"),
    QT_TRANSLATE_NOOP("RS485Tab", "2 - Теплосчетчик, Вт*ч"),
    QT_TRANSLATE_NOOP("RS485Tab", "3 - Теплосчетчик, ккал"),
    QT_TRANSLATE_NOOP("RS485Tab", "4 - Счетчик ХВС, л"),
    QT_TRANSLATE_NOOP("RS485Tab", "5 - Счетчик ГВС, л"),
};

const char *const kProtocolLabels[kProtocolCount] = {
    QT_TRANSLATE_NOOP("RS485Tab", "0 - Не определен"),
    QT_TRANSLATE_NOOP("RS485Tab", "1 - Меркурий 23Х"),
    QT_TRANSLATE_NOOP("RS485Tab", "2 - Меркурий 20Х"),
    QT_TRANSLATE_NOOP("RS485Tab", "3 - Энергомера СЕ102М (ГОСТ 61107)"),
    QT_TRANSLATE_NOOP("RS485Tab", "4 - Энергомера СЕ30Х (ГОСТ 61107)"),
    QT_TRANSLATE_NOOP("RS485Tab", "5 - Берилл СТЕ 31, Пульс СТК (M-Bus)"),
    QT_TRANSLATE_NOOP("RS485Tab", "6 - Пульсар V9"),
    QT_TRANSLATE_NOOP("RS485Tab", "7 - VALTEC VHM-T"),
    QT_TRANSLATE_NOOP("RS485Tab", "8 - НЕВА МТ (ГОСТ 61107)"),
    QT_TRANSLATE_NOOP("RS485Tab", "9 - ABB E31 (ModBus)"),
    QT_TRANSLATE_NOOP("RS485Tab", "10 - ITELMA ЭСВХ 15.1 (ModBus)"),
    QT_TRANSLATE_NOOP("RS485Tab", "11 - Пульсар B-H"),
};

namespace {

// One row per device list position: its wire code and, as a bit per protocol position,
// the protocols the controller can poll that kind of meter with.
struct DeviceRule {
    int code;
    quint16 allowedProtocols;
};

constexpr quint16 bit(int protocol) { return quint16(1u << protocol); }

// A channel that is off offers protocols 0 to 10 in its list; the controller ignores the
// protocol of such a channel, so the row check accepts any.
constexpr quint16 kOffSelectable = quint16((1u << 11) - 1);

constexpr DeviceRule kDeviceRules[kDeviceTypeCount] = {
    {0, kOffSelectable},
    {8, bit(1) | bit(2) | bit(3) | bit(4) | bit(8) | bit(9)},
    {7, bit(5)},
    {13, bit(6) | bit(7)},
    {1, bit(10) | bit(11)},
    {2, bit(10) | bit(11)},
};

bool hasProtocol(quint16 mask, int protocol)
{
    return protocol >= 0 && protocol < kProtocolCount && (mask & bit(protocol)) != 0;
}

// Beyond this a kv number cannot reach a 32-bit address, and 8·n could overflow.
constexpr qint64 kKvNumberLimit = qint64(1) << 40;

} // namespace

int codeForDevicePosition(int position)
{
    if (position < 0 || position >= kDeviceTypeCount)
        return 0;
    return kDeviceRules[position].code;
}

int devicePositionForCode(int code)
{
    for (int position = 0; position < kDeviceTypeCount; ++position) {
        if (kDeviceRules[position].code == code)
            return position;
    }
    return 0;
}

bool isProtocolSelectable(int devicePosition, int protocol)
{
    if (devicePosition < 0 || devicePosition >= kDeviceTypeCount)
        devicePosition = 0;
    return hasProtocol(kDeviceRules[devicePosition].allowedProtocols, protocol);
}

bool isProtocolAllowed(int deviceCode, int protocol)
{
    if (deviceCode == 0)
        return true;
    for (const DeviceRule &rule : kDeviceRules) {
        if (rule.code == deviceCode)
            return hasProtocol(rule.allowedProtocols, protocol);
    }
    return false;
}

int checkChannel(int devicePosition, int protocol, const QString &addressText)
{
    const int code = codeForDevicePosition(devicePosition);
    if (code == 0)
        return ChannelValid;
    quint32 address = 0;
    if (!parseAddress(addressToNumber(addressText), &address))
        return ChannelBadAddress;
    return isProtocolAllowed(code, protocol) ? ChannelValid : ChannelTypeMismatch;
}

QString addressToNumber(const QString &text)
{
    if (!text.startsWith(QLatin1String("kv")))
        return text;
    // "kv" alone, an address still being typed, is kv0. Anything else after "kv" that is
    // no number (or none that fits 64 bits) stays as it is, so the row check refuses it
    // rather than it being written as kv0.
    const QString rest = text.mid(2);
    qint64 n = 0;
    if (!rest.isEmpty()) {
        bool ok = false;
        n = rest.toLongLong(&ok, 10);
        if (!ok)
            return text;
    }
    if (n >= kKvNumberLimit || n <= -kKvNumberLimit)
        return text;
    const qint64 number = qint64(kKvAddressBase) + qint64(kKvAddressStep) * n;
    qCDebug(lcChannels) << "kv addr: " << number;
    return QString::number(number);
}

QString numberToAddress(const QString &text)
{
    bool ok = false;
    const quint32 value = text.toUInt(&ok, 10);
    if (!ok || value < kKvAddressBase || (value - kKvAddressBase) % kKvAddressStep != 0)
        return text;
    return QLatin1String("kv") + QString::number((value - kKvAddressBase) / kKvAddressStep);
}

bool parseAddress(const QString &text, quint32 *value)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    bool ok = false;
    const qulonglong number = text.toULongLong(&ok, 10);
    if (!ok || number > UINT32_MAX)
        return false;
    if (value)
        *value = quint32(number);
    return true;
}

bool passwordFits(const QString &password, const QString &kept)
{
    return Link::textFits(password, kPasswordFieldBytes, kept);
}

int firstOverlongPassword(const QList<QStringList> &entries)
{
    for (const QStringList &entry : entries) {
        if (!passwordFits(entry.value(DigitalRecord::WritePassword),
                          entry.value(DigitalRecord::WritePasswordKept)))
            return entry.value(DigitalRecord::WriteChannel).toInt();
    }
    return -1;
}

bool meterSilent(const QStringList &readings)
{
    return readings.value(DigitalRecord::ReadSerial).isEmpty();
}

QString meterSilentText()
{
    return QCoreApplication::translate("RS485Tab", "Нет связи!");
}

} // namespace DigitalRules
