#include "protocol/history/settingsdiff.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMap>

#include <algorithm>

namespace SettingsDiff {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("SettingsDiff", source);
}

enum class Shown { Plain, Minutes, SendMode, OnOff };

struct Label {
    const char *key;
    const char *label;
    Shown shown;
};

// The tabs' own labels, without their colons.
constexpr Label kControllerLabels[] = {
    {"serialNumber", QT_TRANSLATE_NOOP("SettingsDiff", "Серийный номер"), Shown::Plain},
    {"hardwareVersion", QT_TRANSLATE_NOOP("SettingsDiff", "Версия, аппаратура"), Shown::Plain},
    {"firmwareVersion", QT_TRANSLATE_NOOP("SettingsDiff", "Версия, прошивка"), Shown::Plain},
    {"imei", QT_TRANSLATE_NOOP("SettingsDiff", "IMEI модема"), Shown::Plain},
    {"infoText", QT_TRANSLATE_NOOP("SettingsDiff", "Информация о контроллере"), Shown::Plain},
    {"sendPeriodSeconds", QT_TRANSLATE_NOOP("SettingsDiff", "Период выхода на связь, мин"),
     Shown::Minutes},
    {"logPeriodSeconds", QT_TRANSLATE_NOOP("SettingsDiff", "Период журналирования, мин"),
     Shown::Minutes},
    {"consumptionThreshold",
     QT_TRANSLATE_NOOP("SettingsDiff", "Отправка по расходу: л, Втч, ккал"), Shown::Plain},
    {"consumptionSendMode",
     QT_TRANSLATE_NOOP("SettingsDiff", "Отправка по расходу: л, Втч, ккал"), Shown::SendMode},
    {"contactPollPeriodSeconds",
     QT_TRANSLATE_NOOP("SettingsDiff", "Период опроса контактных датчиков, сек"), Shown::Plain},
    {"psm", QT_TRANSLATE_NOOP("SettingsDiff", "PSM-режим работы модема"), Shown::OnOff},
    {"serverIp", QT_TRANSLATE_NOOP("SettingsDiff", "IP адрес"), Shown::Plain},
    {"serverPort", QT_TRANSLATE_NOOP("SettingsDiff", "Порт"), Shown::Plain},
    {"apiGet", QT_TRANSLATE_NOOP("SettingsDiff", "API_GET"), Shown::Plain},
    {"apiSave", QT_TRANSLATE_NOOP("SettingsDiff", "API_SAVE"), Shown::Plain},
};

constexpr Label kAnalogLabels[] = {
    {"deviceCode", QT_TRANSLATE_NOOP("SettingsDiff", "Тип устройства"), Shown::Plain},
    {"input", QT_TRANSLATE_NOOP("SettingsDiff", "Тип входа"), Shown::Plain},
    {"serial", QT_TRANSLATE_NOOP("SettingsDiff", "Серийный №"), Shown::Plain},
    {"multiplier", QT_TRANSLATE_NOOP("SettingsDiff", "Множитель"), Shown::Plain},
    {"divider", QT_TRANSLATE_NOOP("SettingsDiff", "Делитель"), Shown::Plain},
    {"lk", "LK", Shown::Plain},
    {"st", "ST", Shown::Plain},
    {"object", QT_TRANSLATE_NOOP("SettingsDiff", "Объект"), Shown::Plain},
};

constexpr Label kDigitalLabels[] = {
    {"deviceCode", QT_TRANSLATE_NOOP("SettingsDiff", "Тип устройства"), Shown::Plain},
    {"protocol", QT_TRANSLATE_NOOP("SettingsDiff", "Тип входа"), Shown::Plain},
    {"address", QT_TRANSLATE_NOOP("SettingsDiff", "Адрес"), Shown::Plain},
    {"password", QT_TRANSLATE_NOOP("SettingsDiff", "Пароль (hex)"), Shown::Plain},
    {"kt", QT_TRANSLATE_NOOP("SettingsDiff", "КТ"), Shown::Plain},
    {"object", QT_TRANSLATE_NOOP("SettingsDiff", "Объект"), Shown::Plain},
};

// Readings and the controller's state at the moment of the read.
constexpr const char *kNotSettings[] = {"reading", "batteryMillivolts", "lidOpen", "powerSource"};

const QLatin1String kController("controller");
const QLatin1String kAnalog("analog");
const QLatin1String kDigital("digital");
const QLatin1String kChannel("channel");
const QLatin1String kAnalogCount("analogChannelCount");

QJsonObject withoutReadings(QJsonObject object)
{
    for (const char *key : kNotSettings)
        object.remove(QLatin1String(key));
    return object;
}

QString valueText(const QJsonValue &value)
{
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 16);
    if (value.isString())
        return value.toString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QString();
}

QString shownText(const QJsonValue &value, Shown shown)
{
    if (value.isUndefined() || value.isNull())
        return QStringLiteral("—");
    switch (shown) {
    case Shown::Minutes:
        return QString::number(value.toDouble() / 60.0, 'g', 16);
    case Shown::SendMode:
        return value.toInt() == 0 ? text("Не чаще чем раз в сутки")
                                  : text("При каждом журналировании");
    case Shown::OnOff:
        return value.toInt() == 0 ? text("выкл.") : text("вкл.");
    case Shown::Plain:
        break;
    }
    const QString plain = valueText(value);
    return plain.isEmpty() && value.isString() ? QStringLiteral("«»") : plain;
}

template <std::size_t N>
void compareFields(const QString &place, const QJsonObject &before, const QJsonObject &after,
                   const Label (&labels)[N], QStringList *out)
{
    for (const Label &l : labels) {
        const QJsonValue a = before.value(QLatin1String(l.key));
        const QJsonValue b = after.value(QLatin1String(l.key));
        if (a == b)
            continue;
        *out << text("%1: %2: %3 → %4")
                    .arg(place, text(l.label), shownText(a, l.shown), shownText(b, l.shown));
    }
}

QMap<int, QJsonObject> byChannel(const QJsonArray &channels)
{
    QMap<int, QJsonObject> map;
    for (const QJsonValue &v : channels)
        map.insert(v.toObject().value(kChannel).toInt(), v.toObject());
    return map;
}

template <std::size_t N>
void compareChannels(const QString &title, const QJsonObject &before, const QJsonObject &after,
                     QLatin1String section, const Label (&labels)[N], QStringList *out)
{
    const bool had = before.contains(section);
    const bool has = after.contains(section);
    if (!had && !has)
        return;
    if (had != has) {
        *out << (has ? text("%1: считаны впервые") : text("%1: не считаны")).arg(title);
        return;
    }
    const QMap<int, QJsonObject> a = byChannel(before.value(section).toArray());
    const QMap<int, QJsonObject> b = byChannel(after.value(section).toArray());
    QList<int> numbers = a.keys();
    for (const int n : b.keys()) {
        if (!a.contains(n))
            numbers << n;
    }
    std::sort(numbers.begin(), numbers.end());
    for (const int n : numbers)
        compareFields(text("%1, канал %2").arg(title).arg(n), a.value(n), b.value(n), labels, out);
}

void collectValues(const QJsonValue &value, QStringList *out)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            collectValues(it.value(), out);
    } else if (value.isArray()) {
        for (const QJsonValue &v : value.toArray())
            collectValues(v, out);
    } else {
        const QString t = valueText(value);
        if (!t.isEmpty())
            *out << t.toLower();
    }
}

// `from` with only the sections `like` holds.
QJsonObject sectionsLike(QJsonObject from, const QJsonObject &like)
{
    for (const QLatin1String section : {kController, kAnalog, kDigital}) {
        if (!like.contains(section))
            from.remove(section);
    }
    return from;
}

} // namespace

QJsonObject settingsOf(const QJsonObject &document)
{
    QJsonObject settings = document;
    if (settings.contains(kController))
        settings.insert(kController, withoutReadings(settings.value(kController).toObject()));
    for (const QLatin1String section : {kAnalog, kDigital}) {
        if (!settings.contains(section))
            continue;
        QJsonArray channels;
        for (const QJsonValue &v : settings.value(section).toArray())
            channels.append(withoutReadings(v.toObject()));
        settings.insert(section, channels);
    }
    return settings;
}

QByteArray canonical(const QJsonObject &document)
{
    return QJsonDocument(settingsOf(document)).toJson(QJsonDocument::Compact);
}

bool sameSettings(const QJsonObject &a, const QJsonObject &b)
{
    return settingsOf(a) == settingsOf(b);
}

bool nothingNew(const QJsonObject &previous, const QJsonObject &document)
{
    for (const QLatin1String section : {kController, kAnalog, kDigital}) {
        if (document.contains(section) && !previous.contains(section))
            return false;
    }
    return sameSettings(sectionsLike(previous, document), document);
}

QStringList lines(const QJsonObject &before, const QJsonObject &after)
{
    QStringList out;
    const QString controllerTitle = text("Контроллер");
    if (before.value(kAnalogCount) != after.value(kAnalogCount))
        out << text("%1: %2: %3 → %4")
                   .arg(controllerTitle, text("Аналоговых входов на плате"),
                        shownText(before.value(kAnalogCount), Shown::Plain),
                        shownText(after.value(kAnalogCount), Shown::Plain));
    const bool had = before.contains(kController);
    const bool has = after.contains(kController);
    if (had && has)
        compareFields(controllerTitle, before.value(kController).toObject(),
                      after.value(kController).toObject(), kControllerLabels, &out);
    else if (had != has)
        out << (has ? text("%1: считаны впервые") : text("%1: не считаны")).arg(controllerTitle);
    compareChannels(text("Аналоговые каналы"), before, after, kAnalog, kAnalogLabels, &out);
    compareChannels(text("Цифровые каналы"), before, after, kDigital, kDigitalLabels, &out);
    return out;
}

QString summary(const QJsonObject &before, const QJsonObject &after)
{
    if (before.isEmpty())
        return text("первая версия");
    const QStringList changes = lines(sectionsLike(before, after), after);
    if (changes.isEmpty())
        return text("без изменений");
    if (changes.size() == 1)
        return changes.first();
    return text("%1 и ещё %2").arg(changes.first()).arg(changes.size() - 1);
}

QString searchText(const QJsonObject &document)
{
    QStringList values;
    collectValues(settingsOf(document), &values);
    return values.join(QLatin1Char('\n'));
}

QString serverAddress(const QJsonObject &document)
{
    const QJsonObject controller = document.value(kController).toObject();
    if (controller.isEmpty())
        return QString();
    return valueText(controller.value(QLatin1String("serverIp"))) + QLatin1Char(':')
        + valueText(controller.value(QLatin1String("serverPort")));
}

} // namespace SettingsDiff
