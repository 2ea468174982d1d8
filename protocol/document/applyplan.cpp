#include "protocol/document/applyplan.h"

#include "protocol/bulk/writepreflight.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/document/fieldnames.h"
#include "protocol/settings/forecast.h"

#include <QCoreApplication>

#include <algorithm>

namespace ApplyPlanner {

namespace {

using FieldNames::Field;
using FieldNames::Kind;
namespace A = AnalogRecord;
namespace C = ControllerRecord;
namespace D = DigitalRecord;

// What the window's editors let the engineer set where that is less than the record field
// holds. A value the controller already holds passes whatever it is: the window sends it back
// as it came.
struct EditorRange {
    int entry;
    qint64 low;
    qint64 high;
    bool offToo; // 0 also, which switches the setting off
};

constexpr EditorRange kControllerRanges[] = {
    {C::WriteLogPeriod, Forecast::kLogPeriodMinSeconds, Forecast::kLogPeriodMaxSeconds, true},
    {C::WriteSendPeriod, Forecast::kSendPeriodMinSeconds, Forecast::kSendPeriodMaxSeconds, true},
    {C::WriteContactPollPeriod, 0, C::kContactPollPeriodMax, false},
    {C::WriteConsumptionThreshold, 0, C::kConsumptionThresholdMax, false},
    {C::WriteConsumptionSendMode, 0, 1, false}, // the mode list has two items
    {C::WritePsm, 0, 1, false},                 // a check box
};
// A scale or КТ of 0 zeroes the readings; the boxes start at 1 (channels/heldzero.h).
constexpr EditorRange kAnalogRanges[] = {
    {A::WriteInput, 0, A::kInputTypes - 1, false},
    {A::WriteScale, AnalogRules::kScaleMin, AnalogRules::kScaleMax, false},
    {A::WriteDivider, AnalogRules::kScaleMin, AnalogRules::kScaleMax, false},
};
constexpr EditorRange kDigitalRanges[] = {
    {D::WriteProtocol, 0, DigitalRules::kProtocolCount - 1, false},
    {D::WriteKt, DigitalRules::kKtMin, DigitalRules::kKtMax, false},
};

QString text(const char *source)
{
    return QCoreApplication::translate("ApplyPlanner", source);
}

// A write-list value as a document shows it.
QString shown(const Field &field, const QString &value, int code)
{
    switch (field.kind) {
    case Kind::Threshold:
        return QString::number(AnalogRules::thresholdShown(value.toDouble(), code));
    case Kind::Address:
        return DigitalRules::numberToAddress(value);
    case Kind::Text:
        return QLatin1Char('"') + value + QLatin1Char('"');
    default:
        return value;
    }
}

template <std::size_t N>
void describe(const Field (&table)[N], const QStringList &before, const QStringList &after,
              int codeBefore, int codeAfter, const QString &place, QStringList *lines)
{
    for (const Field &f : table) {
        if (before.value(f.writeEntry) != after.value(f.writeEntry))
            *lines << QStringLiteral("%1: %2 %3 → %4")
                          .arg(place, QLatin1String(f.key),
                               shown(f, before.value(f.writeEntry), codeBefore),
                               shown(f, after.value(f.writeEntry), codeAfter));
    }
}

template <std::size_t N>
void compare(const Field (&table)[N], const QStringList &written, const QStringList &held, int code,
             const QString &place, QStringList *lines)
{
    for (const Field &f : table) {
        if (written.value(f.writeEntry) != held.value(f.writeEntry))
            *lines << text("%1: %2 записано %3, в контроллере %4")
                          .arg(place, QLatin1String(f.key),
                               shown(f, written.value(f.writeEntry), code),
                               shown(f, held.value(f.writeEntry), code));
    }
}

QStringList overlay(QStringList list, const FieldValues &values)
{
    for (auto it = values.begin(); it != values.end(); ++it)
        list[it.key()] = it.value();
    return list;
}

// One analog channel as read and as the file leaves it, with the thresholds as shown.
struct AnalogResult {
    QStringList before;
    QStringList after;
    double lk = 0;
    double st = 0;

    bool changed() const { return after != before; }
    bool entryChanged(int entry) const { return after.value(entry) != before.value(entry); }
    int code() const { return after.value(A::WriteType).toInt(); }
};

AnalogResult analogResult(int index, const QStringList &read, const FieldValues &values)
{
    AnalogResult r;
    r.before = analogWriteList(index, read);
    const int readCode = read.value(A::SettingsType).toInt();
    // A threshold the file leaves out keeps the value the window would show, also under
    // another device type: that is what the engineer saw.
    r.lk = values.contains(A::WriteLk)
        ? values.value(A::WriteLk).toDouble()
        : AnalogRules::thresholdShown(read.value(A::SettingsLk), readCode);
    r.st = values.contains(A::WriteSt)
        ? values.value(A::WriteSt).toDouble()
        : AnalogRules::thresholdShown(read.value(A::SettingsSt), readCode);
    r.after = overlay(r.before, values);
    bool fits = true; // refused by the preflight, which sees the shown values
    r.after[A::WriteLk] = AnalogRules::thresholdStored(r.lk, r.code(), &fits);
    r.after[A::WriteSt] = AnalogRules::thresholdStored(r.st, r.code(), &fits);
    return r;
}

ApplyPlan refused(ApplyPlan::Refusal code, const QString &message)
{
    ApplyPlan p;
    p.refusal = code;
    p.refusalText = message;
    return p;
}

QString question(const QString &title, const QString &body)
{
    return title + QStringLiteral(": ") + body;
}

template <std::size_t N>
const char *keyOf(const Field (&table)[N], int entry)
{
    for (const Field &f : table) {
        if (f.writeEntry == entry)
            return f.key;
    }
    return "";
}

QString notInWindow(const QString &place, const char *key, const QString &what)
{
    return text("%1, %2: в окне можно задать %3. Ничего не записано.")
        .arg(place, QLatin1String(key), what);
}

// The first value the window's editors could not have set, among those that differ from
// what was read.
template <std::size_t N, std::size_t M>
QString outsideRanges(const Field (&table)[N], const EditorRange (&ranges)[M],
                      const QStringList &before, const QStringList &after, const QString &place)
{
    for (const EditorRange &range : ranges) {
        const QString value = after.value(range.entry);
        if (value == before.value(range.entry))
            continue;
        const qint64 number = value.toLongLong();
        if ((range.offToo && number == 0) || (number >= range.low && number <= range.high))
            continue;
        const QString span = range.high == range.low + 1
            ? text("%1 или %2").arg(range.low).arg(range.high)
            : text("целое число от %1 до %2").arg(range.low).arg(range.high);
        return notInWindow(place, keyOf(table, range.entry),
                           range.offToo ? text("0 или %1").arg(span) : span);
    }
    return {};
}

// A device code the window's list does not name: 255 would mark the channel absent, and
// any other the controller would not know what to poll for.
template <std::size_t N>
QString unlistedDevice(const Field (&table)[N], int entry, const QStringList &before,
                       const QStringList &after, const QString &place, int positions,
                       int (*codeAt)(int))
{
    const QString value = after.value(entry);
    if (value == before.value(entry))
        return {};
    QList<int> codes;
    for (int position = 0; position < positions; ++position)
        codes << codeAt(position);
    if (codes.contains(value.toInt()))
        return {};
    std::sort(codes.begin(), codes.end());
    QStringList listed;
    for (const int code : codes)
        listed << QString::number(code);
    return notInWindow(place, keyOf(table, entry),
                       text("код из списка: %1").arg(listed.join(QStringLiteral(", "))));
}

// The preflight's steps as lumaro-cli tells them: questions collected for --yes, the first
// refusal or nothing-to-write as the text that ends the plan.
QString collect(const WritePreflight::Steps &steps, QStringList *questions)
{
    for (const WritePreflight::Step &step : steps) {
        const QString line = step.title.isEmpty() ? step.text : question(step.title, step.text);
        if (step.kind != WritePreflight::Step::Question)
            return line;
        *questions << line;
    }
    return {};
}

} // namespace

namespace {

// The write list of `size` entries with every named field taken from the read list.
template <std::size_t N>
QStringList writeListOf(int size, const Field (&fields)[N], const QStringList &read)
{
    QStringList list(size);
    for (const Field &f : fields)
        list[f.writeEntry] = read.value(f.readEntry);
    return list;
}

} // namespace

QStringList analogWriteList(int index, const QStringList &read)
{
    QStringList list = writeListOf(A::WriteFieldCount, FieldNames::kAnalog, read);
    list[A::WriteChannel] = QString::number(index);
    const int code = read.value(A::SettingsType).toInt();
    for (const int entry : {A::WriteLk, A::WriteSt}) {
        bool fits = true; // whatever the field held, it holds
        const double shown = AnalogRules::thresholdShown(list[entry], code);
        list[entry] = AnalogRules::thresholdStored(shown, code, &fits);
    }
    // As read: the file carries none (a written record takes it fresh, see plan()).
    list[A::WriteValue] = read.value(A::SettingsValue);
    // The serial's bytes as read, written while the serial reads as they do.
    if (!read.value(A::SettingsSerialKept).isEmpty())
        list << read.value(A::SettingsSerialKept);
    return list;
}

ApplyPlan plan(const Snapshot &read, const Wanted &wanted)
{
    // A section is written only over what this run read of it.
    if ((wanted.controller && !read.controller) || (wanted.analog && read.analog.isEmpty())
        || (wanted.digital && read.digital.isEmpty()))
        return refused(ApplyPlan::Refused,
                       text("Настройки не считаны с контроллера. Ничего не записано."));
    const int analogCount = read.analogChannelCount;
    const QString otherBoard = text("В контроллере нет %1 канала %2: файл для другой аппаратной "
                                    "версии. Ничего не записано.");
    const QMap<int, FieldValues> analogWanted = wanted.analog.value_or(QMap<int, FieldValues>());
    for (auto it = analogWanted.cbegin(); it != analogWanted.cend(); ++it) {
        if (!read.analogPresent(it.key()))
            return refused(ApplyPlan::NotForThisBoard, otherBoard.arg(text("аналогового")).arg(it.key() + 1));
    }
    QMap<int, FieldValues> digitalWanted;
    const int offset = wanted.digitalNumberOffset.value_or(analogCount);
    const QMap<int, FieldValues> digitalByNumber =
        wanted.digital.value_or(QMap<int, FieldValues>());
    for (auto it = digitalByNumber.cbegin(); it != digitalByNumber.cend(); ++it) {
        const int index = DigitalRules::indexForNumber(it.key(), offset);
        if (!read.digitalPresent(index))
            return refused(ApplyPlan::NotForThisBoard, otherBoard.arg(text("цифрового")).arg(it.key()));
        digitalWanted.insert(index, it.value());
    }

    ApplyPlan p;
    // The first value that no editor of the window could have set; refused before the
    // window's own checks run, as a file the window could not have produced.
    QString outside;
    const QStringList controllerBefore =
        read.controller ? read.controller->toWriteList() : QStringList(C::WriteEntryCount);
    const QStringList controllerAfter =
        overlay(controllerBefore, wanted.controller.value_or(FieldValues()));
    if (controllerAfter != controllerBefore) {
        const QString place = text("Контроллер");
        p.controller.append(controllerAfter);
        describe(FieldNames::kController, controllerBefore, controllerAfter, 0, 0, place,
                 &p.controllerChanges.emplace_back());
        outside = outsideRanges(FieldNames::kController, kControllerRanges, controllerBefore,
                                controllerAfter, place);
    }
    QList<WritePreflight::AnalogRow> analog;
    for (int index = 0; index < A::kChannelCount; ++index) {
        if (!read.analogPresent(index))
            continue;
        const AnalogResult r =
            analogResult(index, read.analog.value(index).toFieldList(), analogWanted.value(index));
        analog.append({index, AnalogSettings::fromWriteList(r.after), r.lk, r.st, r.changed(),
                       r.entryChanged(A::WriteType) || r.entryChanged(A::WriteInput), r.changed(),
                       read.analog.value(index), QString()});
        if (!r.changed())
            continue;
        const QString place = text("Канал %1").arg(index + 1);
        // No counter: the worker reads it right before the record goes, so that the pulses
        // counted since the read above are kept.
        QStringList record = r.after;
        record[A::WriteValue].clear();
        p.analog.append(record);
        describe(FieldNames::kAnalog, r.before, r.after, r.before.value(A::WriteType).toInt(),
                 r.code(), place, &p.analogChanges.emplace_back());
        if (outside.isEmpty())
            outside = unlistedDevice(FieldNames::kAnalog, A::WriteType, r.before, r.after, place,
                                     A::kDevicePositions, A::codeForPosition);
        if (outside.isEmpty())
            outside = outsideRanges(FieldNames::kAnalog, kAnalogRanges, r.before, r.after, place);
    }
    QList<WritePreflight::DigitalRow> digital;
    for (int index = 0; index < DigitalRules::kChannelCount; ++index) {
        if (!read.digitalPresent(index))
            continue;
        const QStringList before = read.digital.value(index).toWriteList(index);
        const QStringList after = overlay(before, digitalWanted.value(index));
        digital.append({index, DigitalSettings::fromWriteList(after), after != before,
                        read.digital.value(index)});
        if (after == before)
            continue;
        const QString place =
            text("Канал %1").arg(DigitalRules::displayNumber(index, analogCount));
        p.digital.append(after);
        describe(FieldNames::kDigital, before, after, 0, 0, place,
                 &p.digitalChanges.emplace_back());
        if (outside.isEmpty())
            outside = unlistedDevice(FieldNames::kDigital, D::WriteDeviceType, before, after,
                                     place, DigitalRules::kDeviceTypeCount,
                                     DigitalRules::codeForDevicePosition);
        if (outside.isEmpty())
            outside = outsideRanges(FieldNames::kDigital, kDigitalRanges, before, after, place);
    }
    if (!outside.isEmpty())
        return refused(ApplyPlan::NotForThisBoard, outside);

    // As the window's spin box holds it: a period beyond its range counts as its maximum,
    // which still asks the contact-sensor question.
    const int pollPeriod =
        int(qMin(controllerAfter.value(C::WriteContactPollPeriod).toLongLong(),
                 qint64(C::kContactPollPeriodMax)));
    QString problem;
    if (!p.controller.isEmpty()) {
        ControllerSettings settings = *read.controller;
        settings.setFromWriteList(controllerAfter);
        problem = collect(WritePreflight::controller(settings, settings.hardwareVersion, analog),
                          &p.questions);
    }
    if (problem.isEmpty() && !p.analog.isEmpty())
        problem = collect(WritePreflight::analog(analog, pollPeriod), &p.questions);
    if (problem.isEmpty() && !p.digital.isEmpty())
        problem = collect(WritePreflight::digital(digital, analogCount), &p.questions);
    if (!problem.isEmpty())
        return refused(ApplyPlan::Refused, problem);
    return p;
}

QStringList readBackDifferences(const ApplyPlan &plan, const Snapshot &after)
{
    QStringList lines;
    for (const QStringList &row : plan.controller)
        compare(FieldNames::kController, row,
                after.controller ? after.controller->toWriteList() : QStringList(), 0,
                text("Контроллер"), &lines);
    for (const QStringList &row : plan.analog) {
        const int index = row.value(A::WriteChannel).toInt();
        compare(FieldNames::kAnalog, row, analogWriteList(index, after.analog.value(index).toFieldList()),
                row.value(A::WriteType).toInt(), text("Канал %1").arg(index + 1), &lines);
    }
    for (const QStringList &row : plan.digital) {
        const int index = row.value(D::WriteChannel).toInt();
        compare(FieldNames::kDigital, row, after.digital.value(index).toWriteList(index), 0,
                text("Канал %1").arg(
                    DigitalRules::displayNumber(index, after.analogChannelCount)),
                &lines);
    }
    return lines;
}

} // namespace ApplyPlanner

QStringList ApplyPlan::changes() const
{
    QStringList lines;
    for (const QList<QStringList> *section : {&controllerChanges, &analogChanges, &digitalChanges}) {
        for (const QStringList &record : *section)
            lines += record;
    }
    return lines;
}
