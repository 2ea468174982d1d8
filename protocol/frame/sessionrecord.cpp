#include "protocol/frame/sessionrecord.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/frame/frame.h"

#include <QCoreApplication>

namespace SessionRecord {

QStringList supportedFirmware()
{
    return {QStringLiteral("1.4.0"), QStringLiteral("1.4.1"), QStringLiteral("1.4.2")};
}

QByteArray passwordPayload(const QString &password)
{
    QByteArray payload(1, char(0xFF));
    payload.append(Link::encodeText(password, kPasswordFieldSize));
    return payload;
}

QStringList decodeAuthorise(const QByteArray &resp)
{
    return {Link::versionText(Link::firmwareWord(resp)),
            QString::number(Link::readNumber(resp, Link::kPayloadOffset, 1)),
            Link::hardwareVersionText(resp)};
}

quint8 analogChannelCount(const QString &hardware)
{
    constexpr quint8 kSmallBoardChannels = 4;
    return hardware == QLatin1String("8.2") || hardware == QLatin1String("8.3")
        ? kSmallBoardChannels
        : quint8(AnalogRecord::kChannelCount);
}

QString newPasswordProblem(const QString &password, const QString &repeated)
{
    if (password != repeated)
        return QCoreApplication::translate("TabDialog", "Ошибка в подтверждении нового пароля");
    if (password.isEmpty())
        return QCoreApplication::translate("TabDialog", "Новый пароль не может быть пустым");
    return {};
}

} // namespace SessionRecord
