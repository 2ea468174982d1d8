#pragma once

// The readings taken while watching: every sample kept whole for the CSV file, per channel
// the figures of the table, and the points drawn, thinned to what the chart can show.

#include <QDateTime>
#include <QList>
#include <QPointF>
#include <QString>
#include <QVector>

struct MonitorChannel {
    int index = 0;       // channel index on the wire
    int number = 0;      // as the engineer numbers it
    bool meter = false;  // a digital channel's meter, else an analog channel
    int deviceCode = 0;
    QString unit;        // as the tab's device list names it
};

class MonitorSamples
{
public:
    struct Sample {
        qint64 msecs = 0; // since the epoch
        int channel = 0;  // position in channels()
        QString raw;      // as the controller answered; empty when it did not
        double value = 0; // in the units of the tab
        bool answered = false;
    };

    struct Summary {
        bool tried = false;        // the channel was read at least once
        bool any = false;          // a reading came in
        bool lastAnswered = false; // the latest attempt got one
        double last = 0;
        double change = 0;         // since the first reading
        double ratePerHour = 0;    // between the first and the last reading
    };

    void setChannels(const QList<MonitorChannel> &channels);
    const QList<MonitorChannel> &channels() const { return list; }
    // Position of the analog channel or meter with wire index `index`, or -1.
    int position(bool meter, int index) const;

    // An analog reading list or a meter's readings list as the worker emits it.
    void add(const QDateTime &time, int channel, const QStringList &fields);
    const QVector<Sample> &samples() const { return all; }
    Summary summary(int channel) const;

    // The channel's readings as runs without a gap, each thinned to its lowest and highest
    // value per time slot so that at most about `maxPoints` points are drawn in all.
    QList<QVector<QPointF>> drawn(int channel, int maxPoints) const;

    // time;channel;raw;value lines, ';'-separated UTF-8 with a header line.
    QByteArray csv() const;

    // The unit at the end of a device list label ("1 - Счетчик ХВС, л" -> "л").
    static QString unitOfLabel(const QString &label);

private:
    struct Point {
        qint64 msecs;
        double value;
        bool answered;
    };

    QList<MonitorChannel> list;
    QVector<Sample> all;
    QVector<QVector<Point>> perChannel;
};
