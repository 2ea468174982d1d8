#pragma once

// One analog channel's settings as the controller holds them (commands 4 and 16), and the
// field lists they travel in between the worker, the table and the write command.

#include "protocol/channels/analogrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct AnalogSettings {
    // What the table's editors take, from the record's fields.
    static constexpr int kSerialMaxChars = AnalogRecord::kSerialFieldBytes;
    static constexpr int kObjectMax = 65535; // the object field is 16 bits
    static constexpr int kObjectMaxChars = 5;

    // The wire code, also one that no list names: it goes back as it came.
    int deviceCode = AnalogRecord::kDeviceOff;
    int input = AnalogRecord::kInputUndefined;
    QString serial;
    // The serial field's bytes as read, in hex, where the text shown cannot give them back
    // (Link::keptText); they are written while the serial still reads as they do.
    QString serialKept;
    qint64 multiplier = 0;
    qint64 divider = 0;
    // Thresholds as the record field holds them: tenths for sensors; a temperature's may be
    // given signed (as the table collects it) or as the unsigned word the controller sends.
    qint64 lk = 0;
    qint64 st = 0;
    qint64 object = 0;
    // The meter's counter, written back with the settings.
    qint64 counter = 0;

    bool isPresent() const { return deviceCode != AnalogRecord::kAbsentChannel; }

    // The settings list of setComSettings; a text that is no number reads as 0.
    static AnalogSettings fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
    // The write list of command 16 for channel `index`, and back.
    static AnalogSettings fromWriteList(const QStringList &entry);
    QStringList toWriteList(int index) const;

    bool operator==(const AnalogSettings &other) const;
    bool operator!=(const AnalogSettings &other) const { return !(*this == other); }
};

// One analog channel's reading (command 1): the raw counter or measurement.
struct AnalogReading {
    qint64 raw = 0;

    static AnalogReading fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
};
