#include "protocol/channels/analogsettings.h"

#include "protocol/frame/frame.h"

using Link::listNumber;

AnalogSettings AnalogSettings::fromFieldList(const QStringList &list)
{
    using namespace AnalogRecord;
    AnalogSettings s;
    s.deviceCode = int(listNumber(list.value(SettingsType)));
    s.input = int(listNumber(list.value(SettingsInput)));
    s.serial = list.value(SettingsSerial);
    s.multiplier = listNumber(list.value(SettingsScale));
    s.divider = listNumber(list.value(SettingsDivider));
    s.lk = listNumber(list.value(SettingsLk));
    s.st = listNumber(list.value(SettingsSt));
    s.object = listNumber(list.value(SettingsObject));
    s.counter = listNumber(list.value(SettingsValue));
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
    // The write list is the settings list behind the channel index.
    using namespace AnalogRecord;
    static_assert(WriteType == SettingsType + 1 && WriteValue == SettingsValue + 1
                  && WriteSerialKept == SettingsSerialKept + 1);
    return fromFieldList(entry.mid(WriteType));
}

QStringList AnalogSettings::toWriteList(int index) const
{
    return QStringList{QString::number(index)} + toFieldList();
}

bool AnalogSettings::operator==(const AnalogSettings &o) const
{
    return deviceCode == o.deviceCode && input == o.input && serial == o.serial
        && multiplier == o.multiplier && divider == o.divider && lk == o.lk && st == o.st
        && object == o.object && counter == o.counter && serialKept == o.serialKept;
}

AnalogReading AnalogReading::fromFieldList(const QStringList &list)
{
    return {listNumber(list.value(0))};
}

QStringList AnalogReading::toFieldList() const
{
    return {QString::number(raw)};
}
