#include "protocol/bulk/channelfile.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"

#include "protocol/global/logcategories.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QSaveFile>

#include <climits>
#include <iterator>

namespace ChannelFile {

namespace {

static_assert(std::size(kAnalogColumns) == AnalogRecord::SettingsObject + 1);
static_assert(std::size(kDigitalColumns) == DigitalRecord::SettingsFieldCount);
const QLatin1Char kSeparator(';');
const QLatin1Char kFallbackSeparator(',');
const QLatin1Char kCodeMark('#');

// Readings and a meter's own serial number go out for the engineer's eyes only and are never
// imported, so a separator or line break the meter reported is blanked rather than refused.
QString shownOnly(QString text)
{
    for (const QChar c : {QChar(';'), QChar('\n'), QChar('\r')})
        text.replace(c, QLatin1Char(' '));
    return text;
}

} // namespace

QString headerLine()
{
    // The last letter of "адреc" is a Latin c: files in the field carry it so.
    return QStringLiteral("Аналоговый(A)/Цифровой(D);№ канала;Тип устройства;Тип входа;"
                          "Серийный номер;Множитель;Делитель;T1;T2;Показания;Сетевой адреc;"
                          "Пароль;KT;Объект");
}

QString openFailedText(const QString &path)
{
    return QCoreApplication::translate("TabDialog", "Не удалось открыть файл %1")
        .arg(QDir::toNativeSeparators(path));
}

QString saveFailedText()
{
    return QCoreApplication::translate("TabDialog", "Не могу записать в файл.");
}

QString fileFilter()
{
    return QStringLiteral("CSV files (*.csv);;All files (*.*)");
}

QString analogLine(int channel, int devicePosition, const QStringList &settings,
                   const QString &reading)
{
    QStringList fields(kFieldCount);
    fields[KindField] = QStringLiteral("A");
    fields[ChannelField] = QString::number(channel);
    fields[DeviceField] = deviceField(devicePosition, settings.value(0).toInt());
    fields[InputField] = settings.value(1);
    fields[SerialField] = settings.value(2);
    fields[MultiplierField] = settings.value(3);
    fields[DividerField] = settings.value(4);
    fields[LkField] = settings.value(5);
    fields[StField] = settings.value(6);
    fields[ReadingField] = shownOnly(reading);
    fields[ObjectField] = QString::number(settings.value(7).toInt());
    return fields.join(kSeparator);
}

QString digitalLine(int channel, int devicePosition, const QStringList &settings,
                    const QString &serial, const QString &readings, const QString &address)
{
    QStringList fields(kFieldCount);
    fields[KindField] = QStringLiteral("D");
    fields[ChannelField] = QString::number(channel);
    fields[DeviceField] = deviceField(devicePosition, settings.value(1).toInt());
    fields[InputField] = settings.value(2);
    fields[SerialField] = shownOnly(serial);
    fields[ReadingField] = shownOnly(readings);
    fields[AddressField] = address;
    fields[PasswordField] = settings.value(4);
    fields[KtField] = settings.value(5);
    fields[ObjectField] = QString::number(settings.value(6).toInt());
    return fields.join(kSeparator);
}

QString deviceField(int devicePosition, int deviceCode)
{
    if (devicePosition != 0 || deviceCode == 0)
        return QString::number(devicePosition);
    return kCodeMark + QString::number(deviceCode);
}

int deviceCode(const QString &field, int positions, int (*codeAt)(int))
{
    bool ok = false;
    if (field.startsWith(kCodeMark)) {
        // 255 marks a channel the board lacks and is never written.
        const int code = field.mid(1).toInt(&ok, 10);
        return ok && code >= 0 && code < AnalogRecord::kAbsentChannel ? code : -1;
    }
    const int position = field.toInt(&ok, 10);
    return ok && position >= 0 && position < positions ? codeAt(position) : -1;
}

bool readsBack(const QString &line)
{
    return !line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r'))
        && line.count(kSeparator) == kFieldCount - 1;
}

QByteArray content(const QStringList &lines)
{
    QByteArray out = headerLine().toUtf8();
    out.append('\n');
    for (const QString &line : lines) {
        out.append(line.toUtf8());
        out.append('\n');
    }
    return out;
}

bool save(const QString &path, const QStringList &lines, QString *errorText)
{
    QSaveFile file(path);
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    const QByteArray bytes = content(lines);
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

Parsed parse(const QByteArray &data)
{
    Parsed parsed;
    QList<QByteArray> rawLines = data.split('\n');
    if (!rawLines.isEmpty())
        rawLines.removeFirst(); // the header
    // A final line feed leaves one empty piece behind, which is no line of the file.
    if (!rawLines.isEmpty() && rawLines.last().isEmpty())
        rawLines.removeLast();
    for (QByteArray raw : rawLines) {
        if (raw.endsWith('\r'))
            raw.chop(1); // files written on Windows
        if (raw.trimmed().isEmpty())
            continue; // a blank line carries no channel and is no damage either
        const QString text = QString::fromUtf8(raw);
        QStringList fields = text.split(kSeparator);
        if (fields.size() != kFieldCount) {
            fields = text.split(kFallbackSeparator);
            qCDebug(lcChannelFile) << "Wrong delim";
        }
        const QString kind = fields.value(KindField);
        if (fields.size() != kFieldCount
            || (kind != QLatin1String("A") && kind != QLatin1String("D"))) {
            qCDebug(lcChannelFile) << "Wrong String:" << fields;
            ++parsed.skipped;
            continue;
        }
        Line line;
        line.analog = kind == QLatin1String("A");
        bool isNumber = false;
        const int channel = fields[ChannelField].toInt(&isNumber);
        // A hand-edited channel field of -2147483648 must not overflow; no table has that row.
        line.row = isNumber && channel != INT_MIN ? channel - 1 : -1;
        if (fields[ObjectField].endsWith(QLatin1Char('\n')))
            fields[ObjectField].chop(1);
        line.fields = fields;
        parsed.lines.append(line);
    }
    return parsed;
}

QStringList analogSettings(const Line &line, int deviceCode)
{
    QStringList list;
    for (const int column : kAnalogColumns)
        list << line.fields.value(column);
    list[AnalogRecord::SettingsType] = QString::number(deviceCode);
    if (deviceCode == AnalogRecord::kTemperature) {
        // -50 tenths of a degree travel as 4294967246.
        for (const int entry : {AnalogRecord::SettingsLk, AnalogRecord::SettingsSt})
            list[entry] = QString::number(quint32(list[entry].toInt()));
    }
    return list;
}

QStringList digitalSettings(const Line &line, int deviceCode)
{
    QStringList list;
    for (const int column : kDigitalColumns)
        list << line.fields.value(column);
    list[DigitalRecord::SetDeviceType] = QString::number(deviceCode);
    return list;
}

} // namespace ChannelFile
