#include "channels/analogtab.h"

AnalogTab::AnalogTab(QWidget *parent)
    : QWidget(parent)
{
}

void AnalogTab::setComSettingsReaded(bool value)
{
    readed = value;
    emit analogSettingsReaded(value);
}

void AnalogTab::setComChannelsCount(uint8_t comChannelsCount)
{
    channelCount = comChannelsCount;
}

void AnalogTab::resetComSettings() {}

bool AnalogTab::isComSettingsChanged() const
{
    return !readed;
}

bool AnalogTab::isComChannelEnabled(int row) const
{
    return row >= 0 && row < channelCount;
}

int AnalogTab::checkComChannel(int row) const
{
    Q_UNUSED(row);
    return 0;
}

bool AnalogTab::isContactSensor(int row) const
{
    Q_UNUSED(row);
    return false;
}

double AnalogTab::lkValue(int row) const
{
    Q_UNUSED(row);
    return 0;
}

double AnalogTab::stValue(int row) const
{
    Q_UNUSED(row);
    return 0;
}

QStringList AnalogTab::getComSettings(int row)
{
    Q_UNUSED(row);
    return {};
}

QStringList AnalogTab::getComData(int row) const
{
    Q_UNUSED(row);
    return {};
}

bool AnalogTab::hasFastOpenCollector() const
{
    return false;
}

void AnalogTab::setComSettings(int index, const QStringList &data)
{
    Q_UNUSED(index);
    Q_UNUSED(data);
}

void AnalogTab::setComData(int index, const QStringList &data)
{
    Q_UNUSED(data);
    if (index == channelCount - 1)
        setComSettingsReaded(true);
}
