#include "protocol/bulk/writepreflight.h"

#include "protocol/bulk/writechecks.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"

#include <utility>

namespace WritePreflight {

namespace {

Step refusal(const QString &text, const QString &title = QString())
{
    return {Step::Refusal, title, text, false};
}

Step question(const QString &title, const QString &text, bool noSwitchesPsmOff = false)
{
    return {Step::Question, title, text, noSwitchesPsmOff};
}

AnalogRules::RowValues rowValues(const AnalogRow &row, double lk, double st)
{
    AnalogRules::RowValues values;
    values.devicePosition = AnalogRecord::positionForCode(row.settings.deviceCode);
    values.inputCode = row.settings.input;
    values.lk = lk;
    values.st = st;
    values.multiplier = int(row.settings.multiplier);
    values.divider = int(row.settings.divider);
    return values;
}

// A record field's limits as the window's editors keep them: a number beyond the field would
// be cut to its low bits, a scale or КТ of 0 makes every reading of the channel wrong.
struct FieldLimit {
    const char *name;
    qint64 low;
    qint64 high;
};

constexpr FieldLimit kMultiplierLimit = {QT_TRANSLATE_NOOP("TabDialog", "Множитель"),
                                         AnalogRules::kScaleMin, AnalogRules::kScaleMax};
constexpr FieldLimit kDividerLimit = {QT_TRANSLATE_NOOP("TabDialog", "Делитель"),
                                      AnalogRules::kScaleMin, AnalogRules::kScaleMax};
constexpr FieldLimit kAnalogObjectLimit = {QT_TRANSLATE_NOOP("TabDialog", "Объект"), 0,
                                           AnalogSettings::kObjectMax};
constexpr FieldLimit kKtLimit = {QT_TRANSLATE_NOOP("TabDialog", "КТ"), DigitalRules::kKtMin,
                                 DigitalRules::kKtMax};
constexpr FieldLimit kDigitalObjectLimit = {QT_TRANSLATE_NOOP("TabDialog", "Объект"), 0,
                                            DigitalSettings::kObjectMax};

// Empty when `value` is within `limit` or is what the controller held in that field.
QString outsideField(const FieldLimit &limit, qint64 value, std::optional<qint64> held,
                     int channel)
{
    if ((value >= limit.low && value <= limit.high) || (held && *held == value))
        return {};
    return WriteChecks::fieldRangeText(limit.name, limit.low, limit.high, channel);
}

template <typename Settings>
std::optional<qint64> heldField(const std::optional<Settings> &asRead, qint64 Settings::*field)
{
    if (!asRead)
        return std::nullopt;
    return (*asRead).*field;
}

} // namespace

QString storedThreshold(double shown, int deviceCode, bool *fits)
{
    return AnalogRules::thresholdStored(shown, deviceCode, fits);
}

Steps controller(const ControllerSettings &settings, const QString &hardwareVersion,
                 const QList<AnalogRow> &analog)
{
    Steps steps;
    if (settings.psm != 0 && WriteChecks::psmIsCostly(hardwareVersion))
        steps << question(WriteChecks::psmTitle(), WriteChecks::psmText(), true);
    if (settings.contactPollPeriodSeconds == 0) {
        for (const AnalogRow &row : analog) {
            if (row.settings.deviceCode == AnalogRecord::kContact) {
                steps << refusal(WriteChecks::zeroPollPeriodText(),
                                 WriteChecks::zeroPollPeriodTitle());
                return steps;
            }
        }
    }
    const QString path = ControllerRecord::oversizePathField(settings.toWriteList());
    if (!path.isEmpty())
        steps << refusal(ControllerRecord::oversizePathText(path));
    return steps;
}

Steps analog(const QList<AnalogRow> &rows, int pollPeriodSeconds)
{
    using AnalogRules::isFastOpenCollector;
    bool fastOpenCollector = false;
    for (const AnalogRow &row : rows)
        fastOpenCollector = fastOpenCollector
            || isFastOpenCollector(row.settings.deviceCode, row.settings.input);
    Steps steps;
    for (const AnalogRow &row : rows) {
        const int channel = row.index + 1;
        const int code = row.settings.deviceCode;
        // The checks see what is written: sensors keep tenths of a degree or bar, anything
        // finer would not survive the write.
        bool lkFits = true;
        bool stFits = true;
        const double lk = AnalogRules::thresholdShown(
            storedThreshold(row.lk, code, &lkFits).toDouble(), code);
        const double st = AnalogRules::thresholdShown(
            storedThreshold(row.st, code, &stFits).toDouble(), code);
        // A row just as the controller holds it goes back unchanged, whatever its own values;
        // only the rule that spans rows still applies, as another row may have been edited.
        int check = AnalogRules::RowValid;
        if (row.changed)
            check = AnalogRules::checkRow(rowValues(row, lk, st), fastOpenCollector);
        else if (code == AnalogRecord::kPressure && fastOpenCollector)
            check = AnalogRules::PressureWithFastOpenCollector;
        // A device and input paired anew must also be a pair the table's input list offers:
        // the row check alone lets an unused channel keep any input.
        if (check == AnalogRules::RowValid && row.changed && row.pairedAnew
            && !AnalogRules::isInputAllowed(AnalogRecord::positionForCode(code), row.settings.input))
            check = AnalogRules::InputMismatch;
        if (check != AnalogRules::RowValid)
            return steps << refusal(WriteChecks::analogMessage(check, channel));
        if (!row.written)
            continue;
        // The row check bounds thresholds only for some devices; what is written must also
        // fit its field, or the controller would store another value than the one shown.
        if (row.changed && !lkFits)
            return steps << refusal(WriteChecks::thresholdRangeText(QStringLiteral("LK"), code, channel));
        if (row.changed && !stFits)
            return steps << refusal(WriteChecks::thresholdRangeText(QStringLiteral("ST"), code, channel));
        // A serial number is never cut to its field: the engineer shortens it.
        if (!AnalogRecord::serialFits(row.settings.serial, row.settings.serialKept))
            return steps << refusal(WriteChecks::serialTooLongText(channel));
        // The counter field is 32 bits: a larger typed number would be cut to its low bits.
        if (!row.typedReading.isEmpty()) {
            bool counterFits = false;
            row.typedReading.toUInt(&counterFits, 10);
            if (!counterFits)
                return steps << refusal(WriteChecks::readingRangeText(channel));
        }
        if (row.changed) {
            const AnalogSettings &s = row.settings;
            for (const auto &[limit, field] :
                 {std::pair{kMultiplierLimit, &AnalogSettings::multiplier},
                  std::pair{kDividerLimit, &AnalogSettings::divider},
                  std::pair{kAnalogObjectLimit, &AnalogSettings::object}}) {
                const QString outside =
                    outsideField(limit, s.*field, heldField(row.asRead, field), channel);
                if (!outside.isEmpty())
                    return steps << refusal(outside);
            }
        }
        const bool lkLow = WriteChecks::thresholdBelowPollPeriod(lk, pollPeriodSeconds);
        const bool stLow = WriteChecks::thresholdBelowPollPeriod(st, pollPeriodSeconds);
        if (code == AnalogRecord::kContact && (lkLow || stLow))
            steps << question(WriteChecks::contactSensorTitle(lkLow, stLow),
                              WriteChecks::contactSensorText(channel, pollPeriodSeconds));
    }
    return steps;
}

Steps digital(const QList<DigitalRow> &rows, int analogCount)
{
    // Every present channel is checked, also those not edited: the controller would poll a
    // wrong meter set-up just the same.
    QList<QStringList> changed;
    for (const DigitalRow &row : rows) {
        const DigitalSettings &s = row.settings;
        const int check = DigitalRules::checkChannel(DigitalRules::devicePositionForCode(s.deviceCode),
                                                     s.protocol, s.address);
        if (check != DigitalRules::ChannelValid)
            return {refusal(WriteChecks::digitalMessage(
                check, DigitalRules::displayNumber(row.index, analogCount)))};
        if (!row.changed)
            continue;
        const int channel = DigitalRules::displayNumber(row.index, analogCount);
        for (const auto &[limit, field] : {std::pair{kKtLimit, &DigitalSettings::kt},
                                           std::pair{kDigitalObjectLimit, &DigitalSettings::object}}) {
            const QString outside =
                outsideField(limit, s.*field, heldField(row.asRead, field), channel);
            if (!outside.isEmpty())
                return {refusal(outside)};
        }
        changed << s.toWriteList(row.index);
    }
    if (changed.isEmpty())
        return {{Step::NothingToWrite, QString(), WriteChecks::nothingToWriteText(), false}};
    // A password is never cut to its field: the engineer shortens it.
    const int longPassword = DigitalRules::firstOverlongPassword(changed);
    if (longPassword >= 0)
        return {refusal(WriteChecks::passwordTooLongText(
            DigitalRules::displayNumber(longPassword, analogCount),
            DigitalRules::kPasswordFieldBytes))};
    return {};
}

} // namespace WritePreflight
