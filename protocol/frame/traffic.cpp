#include "protocol/frame/traffic.h"

#include "protocol/frame/frame.h"

#include <QCoreApplication>

namespace Traffic {

namespace {

struct Name {
    quint8 cmd;
    const char *text;
};

constexpr Name kNames[] = {
    {Link::CmdAnalogReading, QT_TRANSLATE_NOOP("Traffic", "показания аналогового канала")},
    {Link::CmdDigitalReadings, QT_TRANSLATE_NOOP("Traffic", "показания счётчика")},
    {Link::CmdReadAnalogSettings, QT_TRANSLATE_NOOP("Traffic", "чтение аналогового канала")},
    {Link::CmdReadDigitalSettings, QT_TRANSLATE_NOOP("Traffic", "чтение цифрового канала")},
    {Link::CmdReadControllerSettings, QT_TRANSLATE_NOOP("Traffic", "чтение настроек контроллера")},
    {Link::CmdWriteAnalogSettings, QT_TRANSLATE_NOOP("Traffic", "запись аналогового канала")},
    {Link::CmdWriteDigitalSettings, QT_TRANSLATE_NOOP("Traffic", "запись цифрового канала")},
    {Link::CmdWriteControllerSettings, QT_TRANSLATE_NOOP("Traffic", "запись настроек контроллера")},
    {Link::CmdAnalogReadingAlt, QT_TRANSLATE_NOOP("Traffic", "показания аналогового канала")},
    {Link::CmdLeaveSettingsMode, QT_TRANSLATE_NOOP("Traffic", "выход из режима настройки")},
    {Link::CmdFirmwareStart, QT_TRANSLATE_NOOP("Traffic", "начало обновления прошивки")},
    {Link::CmdFirmwarePart, QT_TRANSLATE_NOOP("Traffic", "часть прошивки")},
    {Link::CmdFirmwareReserved, QT_TRANSLATE_NOOP("Traffic", "прошивка (резерв)")},
    {Link::CmdFirmwareFinish, QT_TRANSLATE_NOOP("Traffic", "конец обновления прошивки")},
    {Link::CmdAuthorise, QT_TRANSLATE_NOOP("Traffic", "авторизация")},
    {Link::CmdNewPassword, QT_TRANSLATE_NOOP("Traffic", "новый пароль")},
    {Link::CmdModemTest, QT_TRANSLATE_NOOP("Traffic", "тест модуля связи")},
    {Link::CmdModemSessionData, QT_TRANSLATE_NOOP("Traffic", "данные сеанса связи")},
};

QString text(const char *source)
{
    return QCoreApplication::translate("Traffic", source);
}

} // namespace

Outcome judge(const QByteArray &answer, quint8 cmd, quint32 fwWord)
{
    if (answer.isEmpty())
        return Outcome::NoAnswer;
    switch (Link::responseFault(answer, fwWord)) {
    case Link::FrameFault::Size: return Outcome::WrongSize;
    case Link::FrameFault::Start: return Outcome::WrongStart;
    case Link::FrameFault::Checksum: return Outcome::WrongChecksum;
    case Link::FrameFault::None: break;
    }
    return quint8(answer.at(7)) == cmd ? Outcome::Accepted : Outcome::ForeignCommand;
}

QString commandName(quint8 cmd)
{
    for (const Name &name : kNames) {
        if (name.cmd == cmd)
            return text(name.text);
    }
    return text(QT_TRANSLATE_NOOP("Traffic", "неизвестная команда"));
}

QString outcomeText(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Sent: return text(QT_TRANSLATE_NOOP("Traffic", "отправлен"));
    case Outcome::NotSent: return text(QT_TRANSLATE_NOOP("Traffic", "не отправлен"));
    case Outcome::Accepted: return text(QT_TRANSLATE_NOOP("Traffic", "принят"));
    case Outcome::WrongSize: return text(QT_TRANSLATE_NOOP("Traffic", "неверный размер"));
    case Outcome::WrongStart: return text(QT_TRANSLATE_NOOP("Traffic", "неверный начальный байт"));
    case Outcome::WrongChecksum:
        return text(QT_TRANSLATE_NOOP("Traffic", "неверная контрольная сумма"));
    case Outcome::ForeignCommand: return text(QT_TRANSLATE_NOOP("Traffic", "чужая команда"));
    case Outcome::NoAnswer: return text(QT_TRANSLATE_NOOP("Traffic", "нет ответа"));
    case Outcome::Abandoned: return text(QT_TRANSLATE_NOOP("Traffic", "ожидание прервано"));
    case Outcome::PortLost: return text(QT_TRANSLATE_NOOP("Traffic", "порт потерян"));
    }
    return QString();
}

QString formatLine(const Frame &frame)
{
    const bool request = frame.direction == Direction::Request;
    QString line = QDateTime::fromMSecsSinceEpoch(frame.time).toString(QStringLiteral("HH:mm:ss.zzz"))
        + (request ? QStringLiteral(" → ") : QStringLiteral(" ← "))
        + QString::number(frame.cmd) + QLatin1Char(' ') + commandName(frame.cmd)
        + QStringLiteral(", ") + text(QT_TRANSLATE_NOOP("Traffic", "%1 байт")).arg(frame.bytes.size());
    if (!frame.bytes.isEmpty())
        line += QStringLiteral(": ") + QString::fromLatin1(frame.bytes.toHex(' '));
    return line + QStringLiteral(" — ") + outcomeText(frame.outcome)
        + text(QT_TRANSLATE_NOOP("Traffic", ", попытка %1")).arg(frame.attempt);
}

} // namespace Traffic
