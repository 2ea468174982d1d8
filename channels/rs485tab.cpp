#include "channels/rs485tab.h"

RS485Tab::RS485Tab(QWidget *parent)
    : QWidget(parent)
{
}

void RS485Tab::setRsSettingsReaded(bool value, bool updateChangedChannels)
{
    Q_UNUSED(updateChangedChannels);
    readed = value;
    emit rsSettingsReaded(value);
}

void RS485Tab::name_rs_channels(uint8_t analogChannels)
{
    Q_UNUSED(analogChannels);
}

void RS485Tab::resetChannels()
{
    readed = false;
    emit rsSettingsReaded(false);
}

bool RS485Tab::hasChanges() const
{
    return !readed;
}

bool RS485Tab::isChannelEnabled(int row) const
{
    Q_UNUSED(row);
    return false;
}

int RS485Tab::checkChannel(int row) const
{
    Q_UNUSED(row);
    return 0;
}

bool RS485Tab::isChannelChanged(int row) const
{
    Q_UNUSED(row);
    return false;
}

QStringList RS485Tab::channelSettings(int row) const
{
    Q_UNUSED(row);
    return {};
}

bool RS485Tab::isMeterChannel(int row) const
{
    Q_UNUSED(row);
    return false;
}

bool RS485Tab::readSelectedOnly() const
{
    return true;
}

bool RS485Tab::isChannelSelected(int row) const
{
    Q_UNUSED(row);
    return false;
}

void RS485Tab::setRsData(int index, const QStringList &data)
{
    Q_UNUSED(index);
    Q_UNUSED(data);
}

void RS485Tab::setRsSettings(int index, const QStringList &data)
{
    Q_UNUSED(index);
    Q_UNUSED(data);
}
