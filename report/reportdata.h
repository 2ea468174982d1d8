#pragma once

// What a commissioning report tells: the controller's records as the worker read them, the
// readings with their time, who set the controller up and when.

#include <QDateTime>
#include <QMap>
#include <QString>
#include <QStringList>

struct ReportReading {
    QStringList fields; // analog reading list or meter readings list, as the worker emits them
    QDateTime time;
};

struct ReportData {
    QDateTime created;
    QString engineer;
    int analogChannelCount = 8;
    QStringList controller;                  // controller settings list
    QMap<int, QStringList> analog;           // channel index -> analog settings list
    QMap<int, QStringList> digital;          // channel index -> digital settings list
    QMap<int, ReportReading> analogReadings; // channel index -> analog reading list
    QMap<int, ReportReading> meterReadings;  // channel index -> meter readings list

    // Channels with a device on them; a board's missing channels read as 255.
    bool analogInUse(int index) const;
    bool digitalInUse(int index) const;

    // The login name of the user running the program, the engineer unless he says otherwise.
    static QString loginName();
    // "<serial>_<yyyy-MM-dd>.pdf", the name a report is saved under.
    QString fileName() const;
};
