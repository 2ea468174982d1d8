#pragma once

// Analog channel table: eight rows of device, input, serial number, scaling, thresholds,
// reading and object number, with the stored copy of what the controller holds.

#include <QStringList>
#include <QWidget>

#include <cstdint>

class AnalogTab : public QWidget
{
    Q_OBJECT

public:
    explicit AnalogTab(QWidget *parent = nullptr);

    void setComSettingsReaded(bool readed);
    void setComChannelsCount(uint8_t comChannelsCount);
    void resetComSettings();
    bool isComSettingsChanged() const;

    bool isComChannelEnabled(int row) const;
    int checkComChannel(int row) const;
    bool isContactSensor(int row) const;
    double lkValue(int row) const;
    double stValue(int row) const;
    QStringList getComSettings(int row);
    QStringList getComData(int row) const;
    bool hasFastOpenCollector() const;

signals:
    void analogSettingsReaded(bool readed);
    void analogSettingsChanged();

public slots:
    void setComSettings(int index, const QStringList &data);
    void setComData(int index, const QStringList &data);

private:
    bool readed = false;
    uint8_t channelCount = 8;
};
