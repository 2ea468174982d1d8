#include "cli/channelfileinput.h"

#include "protocol/bulk/channelfile.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/document/fieldnames.h"

#include <QCoreApplication>

namespace ChannelFileInput {

namespace {

using namespace ChannelFile;
using FieldNames::Field;

QString text(const char *source)
{
    return QCoreApplication::translate("ChannelFileInput", source);
}

// The line's values after its device, which comes first in both tables; each field is found
// in the column the window's import takes its settings-list entry from. The text is the
// file's own: the import's conversions would turn a threshold no field holds into another
// value instead of letting it be refused.
template <std::size_t N, std::size_t M>
bool takeFields(const Line &line, const Field (&table)[N], const int (&columns)[M], int code,
                const QString &place, FieldValues *values, QString *error)
{
    for (std::size_t i = 1; i < N; ++i) {
        QString value;
        const QString cell = line.fields.value(columns[table[i].readEntry]);
        if (!FieldNames::normalize(table[i], cell, &value)) {
            *error = FieldNames::refusalText(table[i], place);
            return false;
        }
        // The file holds thresholds as the controller does, in tenths for sensors.
        if (table[i].kind == FieldNames::Kind::Threshold && AnalogRecord::isTenthsCode(code))
            value = QString::number(AnalogRules::thresholdShown(value.toDouble(), code));
        values->insert(table[i].writeEntry, value);
    }
    return true;
}

bool takeLine(const Line &line, Wanted &out, QString *error)
{
    const QString place = text("канал %1%2")
                              .arg(line.analog ? QLatin1Char('A') : QLatin1Char('D'))
                              .arg(line.fields.value(ChannelField));
    const int count = line.analog ? AnalogRecord::kChannelCount : DigitalRules::kChannelCount;
    if (line.row < 0 || line.row >= count) {
        *error = text("%1: нет такого канала").arg(place);
        return false;
    }
    auto &section = line.analog ? out.analog : out.digital;
    if (!section)
        section = QMap<int, FieldValues>();
    const int key = line.analog ? line.row : line.row + 1;
    if (section->contains(key)) {
        *error = text("%1: канал указан дважды").arg(place);
        return false;
    }
    // The file names a device by its place in the window's list, not by its code.
    bool ok = false;
    const int position = line.fields.value(DeviceField).toInt(&ok);
    const int positions =
        line.analog ? AnalogRecord::kDevicePositions : DigitalRules::kDeviceTypeCount;
    if (!ok || position < 0 || position >= positions) {
        *error =
            text("%1, Тип устройства: ожидается номер от 0 до %2").arg(place).arg(positions - 1);
        return false;
    }
    FieldValues values;
    if (line.analog) {
        const int code = AnalogRecord::codeForPosition(position);
        values.insert(AnalogRecord::WriteType, QString::number(code));
        if (!takeFields(line, FieldNames::kAnalog, kAnalogColumns, code, place, &values, error))
            return false;
    } else {
        const int code = DigitalRules::codeForDevicePosition(position);
        values.insert(DigitalRecord::WriteDeviceType, QString::number(code));
        if (!takeFields(line, FieldNames::kDigital, kDigitalColumns, code, place, &values, error))
            return false;
    }
    section->insert(key, values);
    return true;
}

} // namespace

bool isChannelFile(const QByteArray &content)
{
    const QByteArray start = content.trimmed().left(1);
    return start != "{" && start != "[";
}

bool read(const QByteArray &content, Wanted &wanted, QString *error)
{
    QString message;
    const Parsed parsed = parse(content);
    if (parsed.skipped > 0)
        message = text("файл каналов: строк с ошибками: %1").arg(parsed.skipped);
    else if (parsed.lines.isEmpty())
        message = text("файл каналов не содержит ни одного канала");
    Wanted out;
    // The file numbers digital channels 1 to 32 within their own table.
    out.digitalNumberOffset = 0;
    for (int i = 0; message.isEmpty() && i < parsed.lines.size(); ++i)
        takeLine(parsed.lines.at(i), out, &message);
    if (!message.isEmpty()) {
        if (error)
            *error = message;
        return false;
    }
    wanted = out;
    return true;
}

} // namespace ChannelFileInput
