#pragma once

// What a controller holds, as read in this run, and what a file asks of it.

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"

#include <QMap>
#include <QStringList>

#include <optional>

// The worker's field lists, as they arrived; a section not read stays empty.
struct Snapshot {
    int analogChannelCount = AnalogRecord::kChannelCount;
    QStringList controller;         // controller settings list
    QMap<int, QStringList> analog;  // channel index -> analog settings list
    QMap<int, QStringList> digital; // channel index -> digital settings list

    // A board's missing channels read as device type 255; they are never written.
    bool analogPresent(int index) const
    {
        return index < analogChannelCount && analog.contains(index)
            && analog.value(index).value(0).toInt() != AnalogRecord::kAbsentChannel;
    }
    bool digitalPresent(int index) const
    {
        return digital.contains(index)
            && digital.value(index).value(0).toInt() != AnalogRecord::kAbsentChannel;
    }
};

// Values by their place in the record's write list. LK and ST hold the values the window
// shows (degrees, bar, minutes, seconds): their wire form depends on the device type, which
// may come from the controller.
using FieldValues = QMap<int, QString>;

// Only the sections and fields a file names; everything else stays as the controller holds it.
struct Wanted {
    std::optional<FieldValues> controller;
    std::optional<QMap<int, FieldValues>> analog;  // by channel index
    std::optional<QMap<int, FieldValues>> digital; // by the channel number the file gives
    // Digital channel n of the file is index n - 1 - this; none: the controller's analog count.
    std::optional<int> digitalNumberOffset;
};
