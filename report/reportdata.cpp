#include "report/reportdata.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/settings/controllerrecord.h"

#include <QDir>

namespace {

bool inUse(const QStringList &settings)
{
    const int code = settings.value(0).toInt();
    return !settings.isEmpty() && code != AnalogRecord::kDeviceOff
        && code != AnalogRecord::kAbsentChannel;
}

} // namespace

bool ReportData::analogInUse(int index) const
{
    return index < analogChannelCount && inUse(analog.value(index));
}

bool ReportData::digitalInUse(int index) const
{
    return inUse(digital.value(index));
}

QString ReportData::loginName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    if (name.isEmpty())
        name = QDir::home().dirName();
    return name;
}

QString ReportData::fileName() const
{
    QString serial = controller.value(ControllerRecord::SerialNumber).trimmed();
    // A serial number is the controller's text: keep a file name out of other folders.
    serial.replace(QLatin1Char('/'), QLatin1Char('_'));
    serial.replace(QLatin1Char('\\'), QLatin1Char('_'));
    return serial + QLatin1Char('_') + created.date().toString(Qt::ISODate)
        + QLatin1String(".pdf");
}
