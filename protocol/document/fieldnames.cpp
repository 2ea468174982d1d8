#include "protocol/document/fieldnames.h"

#include "protocol/channels/digitalrules.h"

#include <QCoreApplication>

#include <cmath>

namespace FieldNames {

namespace {

constexpr int kMaxNumberDigits = 10;
constexpr int kIpOctets = 4;
constexpr int kMaxOctet = 255;

QString text(const char *source)
{
    return QCoreApplication::translate("FieldNames", source);
}

bool digitsOnly(const QString &s, int maxDigits)
{
    if (s.isEmpty() || s.size() > maxDigits)
        return false;
    for (const QChar c : s) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

bool number(const QString &s, quint32 max, QString *value)
{
    if (!digitsOnly(s, kMaxNumberDigits) || s.toULongLong() > max)
        return false;
    *value = QString::number(s.toULongLong());
    return true;
}

bool serverIp(const QString &s, QString *value)
{
    const QStringList parts = ControllerRecord::serverIpParts(s);
    if (parts.size() != kIpOctets)
        return false;
    QStringList octets;
    for (const QString &part : parts) {
        QString octet;
        if (!number(part, kMaxOctet, &octet))
            return false;
        octets << octet;
    }
    *value = octets.join(QLatin1Char('.'));
    return true;
}

} // namespace

bool normalize(const Field &field, const QString &s, QString *value)
{
    switch (field.kind) {
    case Kind::Number:
        return number(s, field.max, value);
    case Kind::ServerIp:
        return serverIp(s, value);
    case Kind::Threshold: {
        bool ok = false;
        const double shown = s.toDouble(&ok);
        if (!ok || !std::isfinite(shown))
            return false;
        *value = s.trimmed();
        return true;
    }
    case Kind::Address: {
        quint32 address = 0;
        if (!DigitalRules::parseAddress(DigitalRules::addressToNumber(s), &address))
            return false;
        *value = QString::number(address);
        return true;
    }
    case Kind::Text:
        *value = s;
        return true;
    }
    return false;
}

QString refusalText(const Field &field, const QString &place)
{
    QString what;
    switch (field.kind) {
    case Kind::Number:
        what = text("ожидается целое число от 0 до %1").arg(field.max);
        break;
    case Kind::ServerIp:
        what = ControllerRecord::badServerIpText();
        break;
    case Kind::Threshold:
        what = text("ожидается число");
        break;
    case Kind::Address:
        what = text("ожидается адрес от 0 до 4294967295 или kv и номер");
        break;
    case Kind::Text:
        what = text("ожидается текст");
        break;
    }
    return QStringLiteral("%1, %2: %3").arg(place, QLatin1String(field.key), what);
}

} // namespace FieldNames
