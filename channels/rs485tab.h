#pragma once

// Digital channel table: 32 meters on the controller's RS-485 line, with device type,
// protocol, address, password, КТ and object number, and the marks of changed channels.

#include <QStringList>
#include <QWidget>

#include <cstdint>

class RS485Tab : public QWidget
{
    Q_OBJECT

public:
    explicit RS485Tab(QWidget *parent = nullptr);

    void setRsSettingsReaded(bool readed, bool updateChangedChannels);
    void name_rs_channels(uint8_t analogChannels);
    void resetChannels();
    bool hasChanges() const;

    bool isChannelEnabled(int row) const;
    int checkChannel(int row) const;
    bool isChannelChanged(int row) const;
    QStringList channelSettings(int row) const;
    bool isMeterChannel(int row) const;
    bool readSelectedOnly() const;
    bool isChannelSelected(int row) const;

signals:
    void rsSettingsReaded(bool readed);
    void rsSettingsChanged();

public slots:
    void setRsData(int index, const QStringList &data);
    void setRsSettings(int index, const QStringList &data);

private:
    bool readed = false;
};
