#include "protocol/bulk/channelexchange.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrules.h"

#include <QCoreApplication>

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
                   const QList<bool> &digitalPresent)
{
    Import out;
    out.skipped = parsed.skipped;
    for (const ChannelFile::Line &line : parsed.lines) {
        const int position = line.fields.value(ChannelFile::DeviceField).toInt();
        const QList<bool> &present = line.analog ? analogPresent : digitalPresent;
        if (!present.value(line.row, false)) {
            ++out.skipped;
            continue;
        }
        if (line.analog)
            out.analog.append({line.row, ChannelFile::analogSettings(
                                             line, AnalogRecord::codeForPosition(position))});
        else
            out.digital.append({line.row, ChannelFile::digitalSettings(
                                              line, DigitalRules::codeForDevicePosition(position))});
    }
    return out;
}

} // namespace ChannelExchange
