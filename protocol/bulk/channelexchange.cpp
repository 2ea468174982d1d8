#include "protocol/bulk/channelexchange.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"

#include <QCoreApplication>

#include <optional>

namespace ChannelExchange {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

QString invalidRowText(int channel)
{
    return text("Неверная конфигурация для %1 канала!").arg(channel);
}

QString unreadableLineText(int channel)
{
    return text("Неверная конфигурация для %1 канала! Символ «;» или перевод строки в серийном "
                "номере или пароле не даст прочитать канал из файла.")
        .arg(channel);
}

// A whole number from `low` to `high`, or the one the controller holds in that field.
bool fits(const QString &text, qint64 low, qint64 high, std::optional<qint64> held)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok && ((value >= low && value <= high) || (held && value == *held));
}

template <typename Settings>
std::optional<qint64> heldField(const QList<Settings> &read, int row, qint64 Settings::*field)
{
    if (row < 0 || row >= read.size())
        return std::nullopt;
    return read.at(row).*field;
}

bool analogLineFits(const ChannelFile::Line &line, int code, const QList<AnalogSettings> &read)
{
    using namespace ChannelFile;
    const QStringList &f = line.fields;
    const qint64 low = AnalogRules::thresholdStoredMin(code);
    const qint64 high = AnalogRules::thresholdStoredMax(code);
    return fits(f.value(MultiplierField), AnalogRules::kScaleMin, AnalogRules::kScaleMax,
                heldField(read, line.row, &AnalogSettings::multiplier))
        && fits(f.value(DividerField), AnalogRules::kScaleMin, AnalogRules::kScaleMax,
                heldField(read, line.row, &AnalogSettings::divider))
        && fits(f.value(LkField), low, high, std::nullopt)
        && fits(f.value(StField), low, high, std::nullopt)
        && fits(f.value(ObjectField), 0, AnalogSettings::kObjectMax, std::nullopt);
}

bool digitalLineFits(const ChannelFile::Line &line, const QList<DigitalSettings> &read)
{
    using namespace ChannelFile;
    const QStringList &f = line.fields;
    return fits(f.value(KtField), DigitalRules::kKtMin, DigitalRules::kKtMax,
                heldField(read, line.row, &DigitalSettings::kt))
        && fits(f.value(ObjectField), 0, DigitalSettings::kObjectMax, std::nullopt);
}

} // namespace

Export exportLines(const QList<ExportRow> &analog, const QList<ExportRow> &digital,
                   int analogCount)
{
    Export out;
    for (int r = 0; r < analog.size(); ++r) {
        const ExportRow &row = analog.at(r);
        if (!row.valid)
            return {{}, invalidRowText(r + 1)};
        if (!row.present)
            continue;
        const int position = AnalogRecord::positionForCode(row.settings.value(0).toInt());
        out.lines << ChannelFile::analogLine(r + 1, position, row.settings, row.reading);
        if (!ChannelFile::readsBack(out.lines.last()))
            return {{}, unreadableLineText(r + 1)};
    }
    for (int r = 0; r < digital.size(); ++r) {
        const ExportRow &row = digital.at(r);
        const int channel = DigitalRules::displayNumber(r, analogCount);
        if (!row.valid)
            return {{}, invalidRowText(channel)};
        if (!row.present)
            continue;
        const QStringList &s = row.settings;
        out.lines << ChannelFile::digitalLine(
            r + 1, DigitalRules::devicePositionForCode(s.value(1).toInt()), s, row.reading,
            row.readings, DigitalRules::numberToAddress(s.value(3)));
        if (!ChannelFile::readsBack(out.lines.last()))
            return {{}, unreadableLineText(channel)};
    }
    return out;
}

Import importLines(const ChannelFile::Parsed &parsed, const QList<bool> &analogPresent,
                   const QList<bool> &digitalPresent, const QList<AnalogSettings> &analogRead,
                   const QList<DigitalSettings> &digitalRead)
{
    Import out;
    out.skipped = parsed.skipped;
    for (const ChannelFile::Line &line : parsed.lines) {
        const QList<bool> &present = line.analog ? analogPresent : digitalPresent;
        const QString device = line.fields.value(ChannelFile::DeviceField);
        const int code = line.analog
            ? ChannelFile::deviceCode(device, AnalogRecord::kDevicePositions,
                                      AnalogRecord::codeForPosition)
            : ChannelFile::deviceCode(device, DigitalRules::kDeviceTypeCount,
                                      DigitalRules::codeForDevicePosition);
        if (!present.value(line.row, false) || code < 0) {
            ++out.skipped;
            continue;
        }
        if (line.analog) {
            if (!analogLineFits(line, code, analogRead)) {
                ++out.skipped;
                continue;
            }
            out.analog.append({line.row, ChannelFile::analogSettings(line, code)});
        } else {
            if (!digitalLineFits(line, digitalRead)) {
                ++out.skipped;
                continue;
            }
            out.digital.append({line.row, ChannelFile::digitalSettings(line, code)});
        }
    }
    return out;
}

} // namespace ChannelExchange
