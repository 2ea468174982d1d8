#include "protocol/channels/analogsettings.h"

namespace {

qint64 number(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    return ok ? value : 0;
}

} // namespace

AnalogSettings AnalogSettings::fromFieldList(const QStringList &list)
{
    using namespace AnalogRecord;
    AnalogSettings s;
    s.deviceCode = int(number(list.value(SettingsType)));
    s.input = int(number(list.value(SettingsInput)));
    s.serial = list.value(SettingsSerial);
    s.multiplier = number(list.value(SettingsScale));
    s.divider = number(list.value(SettingsDivider));
    s.lk = number(list.value(SettingsLk));
    s.st = number(list.value(SettingsSt));
    s.object = number(list.value(SettingsObject));
    s.counter = number(list.value(SettingsValue));
    s.serialKept = list.value(SettingsSerialKept);
    return s;
}

QStringList AnalogSettings::toFieldList() const
{
    QStringList list(AnalogRecord::SettingsFieldCount);
    list[AnalogRecord::SettingsType] = QString::number(deviceCode);
    list[AnalogRecord::SettingsInput] = QString::number(input);
    list[AnalogRecord::SettingsSerial] = serial;
    list[AnalogRecord::SettingsScale] = QString::number(multiplier);
    list[AnalogRecord::SettingsDivider] = QString::number(divider);
    list[AnalogRecord::SettingsLk] = QString::number(lk);
    list[AnalogRecord::SettingsSt] = QString::number(st);
    list[AnalogRecord::SettingsObject] = QString::number(object);
    list[AnalogRecord::SettingsValue] = QString::number(counter);
    if (!serialKept.isEmpty())
        list << serialKept;
    return list;
}

AnalogSettings AnalogSettings::fromWriteList(const QStringList &entry)
{
    using namespace AnalogRecord;
    AnalogSettings s;
    s.deviceCode = int(number(entry.value(WriteType)));
    s.input = int(number(entry.value(WriteInput)));
    s.serial = entry.value(WriteSerial);
    s.multiplier = number(entry.value(WriteScale));
    s.divider = number(entry.value(WriteDivider));
    s.lk = number(entry.value(WriteLk));
    s.st = number(entry.value(WriteSt));
    s.object = number(entry.value(WriteObject));
    s.counter = number(entry.value(WriteValue));
    s.serialKept = entry.value(WriteSerialKept);
    return s;
}

QStringList AnalogSettings::toWriteList(int index) const
{
    QStringList entry(AnalogRecord::WriteFieldCount);
    entry[AnalogRecord::WriteChannel] = QString::number(index);
    entry[AnalogRecord::WriteType] = QString::number(deviceCode);
    entry[AnalogRecord::WriteInput] = QString::number(input);
    entry[AnalogRecord::WriteSerial] = serial;
    entry[AnalogRecord::WriteScale] = QString::number(multiplier);
    entry[AnalogRecord::WriteDivider] = QString::number(divider);
    entry[AnalogRecord::WriteLk] = QString::number(lk);
    entry[AnalogRecord::WriteSt] = QString::number(st);
    entry[AnalogRecord::WriteObject] = QString::number(object);
    entry[AnalogRecord::WriteValue] = QString::number(counter);
    if (!serialKept.isEmpty())
        entry << serialKept;
    return entry;
}

bool AnalogSettings::operator==(const AnalogSettings &o) const
{
    return deviceCode == o.deviceCode && input == o.input && serial == o.serial
        && multiplier == o.multiplier && divider == o.divider && lk == o.lk && st == o.st
        && object == o.object && counter == o.counter && serialKept == o.serialKept;
}

AnalogReading AnalogReading::fromFieldList(const QStringList &list)
{
    return {number(list.value(0))};
}

QStringList AnalogReading::toFieldList() const
{
    return {QString::number(raw)};
}
