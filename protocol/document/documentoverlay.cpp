#include "protocol/document/documentoverlay.h"

#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/document/fieldnames.h"

#include <QJsonArray>

namespace DocumentOverlay {

namespace {

using FieldNames::Field;

QString documentText(const QJsonValue &v)
{
    return v.isDouble() ? QString::number(qint64(v.toDouble())) : v.toString();
}

// `list` is a read list; `code` the device type the channel will have, for its thresholds.
template <std::size_t N>
QStringList laid(QStringList list, const Field (&fields)[N], const QJsonObject &section, int code)
{
    for (const Field &f : fields) {
        const QJsonValue v = section.value(QLatin1String(f.key));
        if (v.isUndefined() || f.readEntry >= list.size())
            continue;
        QString value;
        bool fits = true;
        if (f.kind == FieldNames::Kind::Threshold)
            value = AnalogRules::thresholdStored(v.toDouble(), code, &fits);
        else
            fits = FieldNames::normalize(f, documentText(v), &value);
        if (fits)
            list[f.readEntry] = value;
    }
    return list;
}

QJsonArray section(const QJsonObject &document, const char *key)
{
    return document.value(QLatin1String(key)).toArray();
}

} // namespace

Snapshot overlay(const QJsonObject &document, const Snapshot &read)
{
    Snapshot out = read;
    const QJsonValue controller = document.value(QLatin1String(FieldNames::kControllerSection));
    if (read.controller && controller.isObject())
        out.controller = ControllerSettings::fromFieldList(laid(
            read.controller->toFieldList(), FieldNames::kController, controller.toObject(), 0));
    for (const QJsonValue &v : section(document, FieldNames::kAnalogSection)) {
        const QJsonObject channel = v.toObject();
        const int index = channel.value(QLatin1String(FieldNames::kChannel)).toInt() - 1;
        if (!read.analogPresent(index))
            continue;
        const AnalogSettings as = read.analog.value(index);
        const int code = channel.value(QLatin1String("deviceCode")).toInt(as.deviceCode);
        AnalogSettings settings =
            AnalogSettings::fromFieldList(laid(as.toFieldList(), FieldNames::kAnalog, channel, code));
        settings.counter = as.counter;
        out.analog[index] = settings;
    }
    for (const QJsonValue &v : section(document, FieldNames::kDigitalSection)) {
        const QJsonObject channel = v.toObject();
        const int index = DigitalRules::indexForNumber(
            channel.value(QLatin1String(FieldNames::kChannel)).toInt(), read.analogChannelCount);
        if (!read.digitalPresent(index))
            continue;
        out.digital[index] = DigitalSettings::fromFieldList(
            laid(read.digital.value(index).toFieldList(), FieldNames::kDigital, channel, 0));
    }
    return out;
}

} // namespace DocumentOverlay
