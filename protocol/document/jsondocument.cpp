#include "protocol/document/jsondocument.h"

#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/document/fieldnames.h"
#include "protocol/document/jsonwriter.h"
#include "protocol/frame/sessionrecord.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace JsonDocument {

namespace {

using FieldNames::Field;
using FieldNames::Kind;

constexpr int kDigitalChannels = DigitalRules::kChannelCount;
// Whole numbers in a double are exact up to 2^53.
constexpr double kExactIntegerLimit = 9007199254740992.0;

QString text(const char *source)
{
    return QCoreApplication::translate("JsonDocument", source);
}

QJsonValue documentValue(const Field &field, const QString &listText)
{
    switch (field.kind) {
    case Kind::Number:
        return double(listText.toULongLong());
    case Kind::Address:
        return DigitalRules::numberToAddress(listText);
    default:
        return listText;
    }
}

// The reading as the window shows it: tenths of a degree or bar for sensors.
QJsonValue shownReading(const QString &raw, int code)
{
    return AnalogRules::readingShown(raw, code).toDouble();
}

void writeController(JsonWriter &w, const ControllerSettings &settings)
{
    const QStringList list = settings.toFieldList();
    w.beginObject(FieldNames::kControllerSection);
    for (const Field &f : FieldNames::kControllerInfo)
        w.value(f.key, documentValue(f, list.value(f.readEntry)));
    for (const Field &f : FieldNames::kController)
        w.value(f.key, documentValue(f, list.value(f.readEntry)));
    w.endObject();
}

void writeAnalog(JsonWriter &w, const Snapshot &s)
{
    w.beginArray(FieldNames::kAnalogSection);
    for (int index = 0; index < AnalogRecord::kChannelCount; ++index) {
        if (!s.analogPresent(index))
            continue;
        const AnalogSettings settings = s.analog.value(index);
        const QStringList list = settings.toFieldList();
        const int code = settings.deviceCode;
        w.beginObject();
        w.value(FieldNames::kChannel, index + 1);
        for (const Field &f : FieldNames::kAnalog) {
            const QString raw = list.value(f.readEntry);
            w.value(f.key,
                    f.kind == Kind::Threshold ? QJsonValue(AnalogRules::thresholdShown(raw, code))
                                              : documentValue(f, raw));
        }
        w.value(FieldNames::kReading, shownReading(list.value(AnalogRecord::SettingsValue), code));
        w.endObject();
    }
    w.endArray();
}

void writeDigital(JsonWriter &w, const Snapshot &s)
{
    w.beginArray(FieldNames::kDigitalSection);
    for (int index = 0; index < kDigitalChannels; ++index) {
        if (!s.digitalPresent(index))
            continue;
        const QStringList list = s.digital.value(index).toFieldList();
        w.beginObject();
        w.value(FieldNames::kChannel, DigitalRules::displayNumber(index, s.analogChannelCount));
        for (const Field &f : FieldNames::kDigital)
            w.value(f.key, documentValue(f, list.value(f.readEntry)));
        w.endObject();
    }
    w.endArray();
}

// Reads one section of a document, refusing at the first place that does not fit.
class Reader
{
public:
    explicit Reader(QString *e)
        : error(e)
    {
    }

    bool fail(const QString &message)
    {
        if (error)
            *error = message;
        return false;
    }

    // Strings and numbers as text; anything else fails.
    static bool valueText(const QJsonValue &v, QString *out)
    {
        if (v.isString()) {
            *out = v.toString();
            return true;
        }
        if (!v.isDouble())
            return false;
        const double d = v.toDouble();
        const bool whole = std::trunc(d) == d && std::fabs(d) < kExactIntegerLimit;
        *out = whole ? QString::number(qint64(d)) : QString::number(d, 'g', 17);
        return true;
    }

    bool wholeNumber(const QJsonValue &v, int low, int high, const QString &place, const char *key,
                     int *out)
    {
        QString s;
        bool ok = false;
        const int n = valueText(v, &s) ? s.toInt(&ok) : 0;
        if (!ok || n < low || n > high)
            return fail(QStringLiteral("%1, %2: ").arg(place, QLatin1String(key))
                        + text("ожидается целое число от %1 до %2").arg(low).arg(high));
        *out = n;
        return true;
    }

    template <std::size_t N>
    bool fields(const QJsonObject &object, const Field (&table)[N], const QString &place,
                FieldValues *values, const QStringList &ignored)
    {
        for (auto it = object.begin(); it != object.end(); ++it) {
            const QString key = it.key();
            if (key == QLatin1String(FieldNames::kChannel) || ignored.contains(key))
                continue;
            const Field *field =
                std::find_if(std::begin(table), std::end(table),
                             [&](const Field &f) { return key == QLatin1String(f.key); });
            if (field == std::end(table))
                return fail(text("%1: неизвестное поле «%2»").arg(place, key));
            QString raw;
            QString value;
            if (!valueText(it.value(), &raw) || !FieldNames::normalize(*field, raw, &value))
                return fail(FieldNames::refusalText(*field, place));
            values->insert(field->writeEntry, value);
        }
        return true;
    }

    template <std::size_t N>
    bool channels(const QJsonValue &section, const char *name, const Field (&table)[N],
                  int maxChannel, QMap<int, FieldValues> *out)
    {
        if (!section.isArray())
            return fail(text("%1: ожидается массив каналов").arg(QLatin1String(name)));
        for (const QJsonValue &item : section.toArray()) {
            const QString place = QLatin1String(name);
            if (!item.isObject())
                return fail(text("%1: ожидается объект канала").arg(place));
            const QJsonObject object = item.toObject();
            int channel = 0;
            if (!wholeNumber(object.value(QLatin1String(FieldNames::kChannel)), 1, maxChannel,
                             place, FieldNames::kChannel, &channel))
                return false;
            const QString channelPlace = text("%1, канал %2").arg(place).arg(channel);
            if (out->contains(channel))
                return fail(text("%1: канал указан дважды").arg(channelPlace));
            FieldValues values;
            if (!fields(object, table, channelPlace, &values,
                        {QLatin1String(FieldNames::kReading)}))
                return false;
            out->insert(channel, values);
        }
        return true;
    }

private:
    QString *error;
};

} // namespace

QByteArray write(const Snapshot &snapshot)
{
    JsonWriter w;
    w.beginObject();
    w.value(FieldNames::kFormat, kFormat);
    w.value(FieldNames::kAnalogChannelCount, snapshot.analogChannelCount);
    if (snapshot.controller)
        writeController(w, *snapshot.controller);
    if (!snapshot.analog.isEmpty())
        writeAnalog(w, snapshot);
    if (!snapshot.digital.isEmpty())
        writeDigital(w, snapshot);
    w.endObject();
    return w.text();
}

bool read(const QByteArray &json, Wanted &wanted, QString *error)
{
    Reader r(error);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return r.fail(text("файл не читается как JSON: %1 (байт %2)")
                          .arg(parseError.errorString())
                          .arg(parseError.offset));
    if (!document.isObject())
        return r.fail(text("ожидается объект JSON"));
    const QJsonObject root = document.object();
    const QStringList known{
        QLatin1String(FieldNames::kFormat), QLatin1String(FieldNames::kAnalogChannelCount),
        QLatin1String(FieldNames::kControllerSection), QLatin1String(FieldNames::kAnalogSection),
        QLatin1String(FieldNames::kDigitalSection)};
    for (const QString &key : root.keys()) {
        if (!known.contains(key))
            return r.fail(text("неизвестное поле «%1»").arg(key));
    }
    int format = 0;
    if (!r.wholeNumber(root.value(QLatin1String(FieldNames::kFormat)), kFormat, kFormat,
                       text("документ"), FieldNames::kFormat, &format))
        return false;

    Wanted out;
    const QJsonValue count = root.value(QLatin1String(FieldNames::kAnalogChannelCount));
    if (!count.isUndefined()) {
        int analogCount = 0;
        if (!r.wholeNumber(count, 0, AnalogRecord::kChannelCount, text("документ"),
                           FieldNames::kAnalogChannelCount, &analogCount))
            return false;
        out.digitalNumberOffset = analogCount;
    }
    const QJsonValue controller = root.value(QLatin1String(FieldNames::kControllerSection));
    if (!controller.isUndefined()) {
        if (!controller.isObject())
            return r.fail(text("controller: ожидается объект"));
        QStringList info;
        for (const Field &f : FieldNames::kControllerInfo)
            info << QLatin1String(f.key);
        out.controller = FieldValues();
        if (!r.fields(controller.toObject(), FieldNames::kController,
                      QLatin1String(FieldNames::kControllerSection), &*out.controller, info))
            return false;
        // A document without the count numbers its digital channels after its own board's.
        const QString hw =
            controller.toObject().value(QLatin1String(FieldNames::kHardwareVersion)).toString();
        if (!out.digitalNumberOffset && !hw.isEmpty())
            out.digitalNumberOffset = SessionRecord::analogChannelCount(hw);
    }
    const QJsonValue analog = root.value(QLatin1String(FieldNames::kAnalogSection));
    if (!analog.isUndefined()) {
        QMap<int, FieldValues> byNumber;
        if (!r.channels(analog, FieldNames::kAnalogSection, FieldNames::kAnalog,
                        AnalogRecord::kChannelCount, &byNumber))
            return false;
        out.analog = QMap<int, FieldValues>();
        for (auto it = byNumber.begin(); it != byNumber.end(); ++it)
            out.analog->insert(it.key() - 1, it.value());
    }
    const QJsonValue digital = root.value(QLatin1String(FieldNames::kDigitalSection));
    if (!digital.isUndefined()) {
        out.digital = QMap<int, FieldValues>();
        if (!r.channels(digital, FieldNames::kDigitalSection, FieldNames::kDigital,
                        AnalogRecord::kChannelCount + kDigitalChannels, &*out.digital))
            return false;
    }
    wanted = out;
    return true;
}

} // namespace JsonDocument
