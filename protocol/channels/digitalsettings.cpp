#include "protocol/channels/digitalsettings.h"

#include "protocol/frame/frame.h"

using Link::listNumber;

DigitalSettings DigitalSettings::fromFieldList(const QStringList &list)
{
    using namespace DigitalRecord;
    DigitalSettings s;
    s.deviceCode = int(listNumber(list.value(SetDeviceType)));
    s.protocol = int(listNumber(list.value(SetProtocol)));
    s.address = list.value(SetAddress);
    s.password = list.value(SetPassword);
    s.kt = listNumber(list.value(SetKt));
    s.object = listNumber(list.value(SetObject));
    s.passwordKept = list.value(SetPasswordKept);
    return s;
}

QStringList DigitalSettings::toFieldList() const
{
    QStringList list(DigitalRecord::SettingsFieldCount);
    list[DigitalRecord::SetDeviceType] = QString::number(deviceCode);
    list[DigitalRecord::SetProtocol] = QString::number(protocol);
    list[DigitalRecord::SetAddress] = address;
    list[DigitalRecord::SetPassword] = password;
    list[DigitalRecord::SetKt] = QString::number(kt);
    list[DigitalRecord::SetObject] = QString::number(object);
    if (!passwordKept.isEmpty())
        list << passwordKept;
    return list;
}

DigitalSettings DigitalSettings::fromWriteList(const QStringList &entry)
{
    DigitalSettings s = fromFieldList(entry.mid(DigitalRecord::WriteDeviceType));
    return s;
}

QStringList DigitalSettings::toWriteList(int index) const
{
    return QStringList{QString::number(index)} + toFieldList();
}

bool DigitalSettings::operator==(const DigitalSettings &o) const
{
    return deviceCode == o.deviceCode && protocol == o.protocol && address == o.address
        && password == o.password && kt == o.kt && object == o.object
        && passwordKept == o.passwordKept;
}

DigitalReading DigitalReading::fromFieldList(const QStringList &list)
{
    return {list.value(DigitalRecord::ReadSerial),
            list.mid(DigitalRecord::ReadFirst, DigitalRecord::kReadingCount)};
}

QStringList DigitalReading::toFieldList() const
{
    QStringList list{serial};
    for (int i = 0; i < DigitalRecord::kReadingCount; ++i)
        list << readings.value(i);
    return list;
}
