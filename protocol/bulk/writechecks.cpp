#include "protocol/bulk/writechecks.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogrules.h"

#include <QCoreApplication>

namespace WriteChecks {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

// Analog row check messages, by code; code 16 names no channel.
constexpr const char *kAnalogMessages[] = {
    nullptr,
    "Неверная конфигурация для %1 канала! Несоответствие типов устройства и входа.",
    "Неверная конфигурация для %1 канала! LK не может равняться ST",
    "Неверная конфигурация для %1 канала! LK не может быть меньше ST",
    "Неверная конфигурация для %1 канала! LK не может быть меньше 0",
    "Неверная конфигурация для %1 канала! ST не может быть меньше 0",
    "Неверная конфигурация для %1 канала! Множитель не может быть равен 0",
    "Неверная конфигурация для %1 канала! Делитель не может быть равен 0",
    "Неверная конфигурация для %1 канала! LK должно быть целым",
    "Неверная конфигурация для %1 канала! ST должно быть целым",
    "Неверная конфигурация для %1 канала! LK должно быть от 5 до 32767 либо 0",
    "Неверная конфигурация для %1 канала! ST должно быть от 5 до 32767 либо 0",
    "Неверная конфигурация для %1 канала! LK должно быть от -30 до 100",
    "Неверная конфигурация для %1 канала! ST должно быть от -30 до 100",
    "Неверная конфигурация для %1 канала! LK должно быть от 0 до 100",
    "Неверная конфигурация для %1 канала! ST должно быть от 0 до 100",
    "Использование датчика давления требует отсутствия каналов с быстрым открытым коллектором.",
};

constexpr const char *kDigitalMessages[] = {
    nullptr,
    "Неверная конфигурация для %1 канала! Несоответствие типов устройства и входа.",
    "Неверная конфигурация для %1 канала! Адрес должен быть от 0 до 4294967295",
};

} // namespace

QString analogMessage(int code, int channel)
{
    if (code <= 0 || code >= int(std::size(kAnalogMessages)))
        return {};
    const QString message = text(kAnalogMessages[code]);
    return code == kPressureNeedsSlowInputs ? message : message.arg(channel);
}

QString digitalMessage(int code, int channel)
{
    if (code <= 0 || code >= int(std::size(kDigitalMessages)))
        return {};
    return text(kDigitalMessages[code]).arg(channel);
}

bool thresholdBelowPollPeriod(double threshold, int pollPeriodSeconds)
{
    return threshold != 0 && pollPeriodSeconds > threshold;
}

QString contactSensorTitle(bool lkLow, bool stLow)
{
    if (lkLow && stLow)
        return text("LK и ST меньше чем период опроса контактных датчиков");
    if (lkLow)
        return text("LK меньше чем период опроса контактных датчиков");
    if (stLow)
        return text("ST меньше чем период опроса контактных датчиков");
    return {};
}

QString contactSensorText(int channel, int pollPeriodSeconds)
{
    return text("Для контактного датчика на входе %1 параметры LK и ST рекомендуется задавать больше "
                "или равным чем период опроса контактных датчиков (сейчас он %2 сек) при их "
                "использовании. Всё равно записать настройки?")
        .arg(channel)
        .arg(pollPeriodSeconds);
}

bool psmIsCostly(const QString &hwVersion)
{
    return hwVersion == QLatin1String("7.2") || hwVersion == QLatin1String("8.2");
}

QString psmTitle()
{
    return text("PSM-режим");
}

QString psmText()
{
    return text("Для данной аппаратной платформы PSM-режим потребляет большое количество энергии "
                "(примерно 40 мкА), целесообразно его включать только при выходах на связь чаще чем "
                "раз в сутки или при питании от внешнего источника. Оставить его включенным?");
}

QString zeroPollPeriodTitle()
{
    return text("Некорректное значение");
}

QString zeroPollPeriodText()
{
    return text("Для контактного датчика в настройках контроллера необходимо установить ненулевой "
                "период опроса контактных датчиков.");
}

QString serialTooLongText(int channel)
{
    return text("Неверная конфигурация для %1 канала! Серийный номер не помещается в 16 байт "
                "(русская буква занимает 2 байта)")
        .arg(channel);
}

QString passwordTooLongText(int channel, int fieldBytes)
{
    return text("Неверная конфигурация для %1 канала! Пароль длиннее %2 байт.")
        .arg(channel)
        .arg(fieldBytes);
}

QString thresholdRangeText(const QString &key, int deviceCode, int channel)
{
    const qint64 low = AnalogRules::thresholdStoredMin(deviceCode);
    const qint64 high = AnalogRules::thresholdStoredMax(deviceCode);
    if (AnalogRecord::isTenthsCode(deviceCode))
        return text("Неверная конфигурация для %1 канала! %2 должно быть от %3 до %4")
            .arg(channel)
            .arg(key, QString::number(AnalogRules::thresholdShown(low, deviceCode)),
                 QString::number(AnalogRules::thresholdShown(high, deviceCode)));
    return text("Неверная конфигурация для %1 канала! %2 должно быть целым от %3 до %4")
        .arg(channel)
        .arg(key, QString::number(low), QString::number(high));
}

QString fieldRangeText(const char *field, qint64 low, qint64 high, int channel)
{
    return text("Неверная конфигурация для %1 канала! %2 должен быть от %3 до %4")
        .arg(channel)
        .arg(text(field), QString::number(low), QString::number(high));
}

QString readingRangeText(int channel)
{
    return text("Неверная конфигурация для %1 канала! Показания должны быть от 0 до 4294967295")
        .arg(channel);
}

QString nothingToWriteText()
{
    return text("Нечего записывать.");
}

} // namespace WriteChecks
