#pragma once

// What a controller holds, as read in this run, and what a document asks of it.

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogsettings.h"
#include "protocol/channels/digitalsettings.h"
#include "protocol/settings/controllersettings.h"

#include <QMap>
#include <QStringList>

#include <optional>

// The records as they arrived; a section not read stays empty.
struct Snapshot {
    int analogChannelCount = AnalogRecord::kChannelCount;
    std::optional<ControllerSettings> controller;
    QMap<int, AnalogSettings> analog;   // channel index -> settings
    QMap<int, DigitalSettings> digital; // channel index -> settings

    // The worker's field lists, by channel index.
    void setAnalog(const QMap<int, QStringList> &lists);
    void setDigital(const QMap<int, QStringList> &lists);

    // A board's missing channels read as device type 255; they are never written.
    bool analogPresent(int index) const
    {
        return index < analogChannelCount && analog.contains(index)
            && analog.value(index).isPresent();
    }
    bool digitalPresent(int index) const
    {
        return digital.contains(index) && digital.value(index).isPresent();
    }
};

// Values by their place in the record's write list. LK and ST hold the values the window
// shows (degrees, bar, minutes, seconds): their wire form depends on the device type, which
// may come from the controller.
using FieldValues = QMap<int, QString>;

// Only the sections and fields a document names; everything else stays as the controller
// holds it.
struct Wanted {
    std::optional<FieldValues> controller;
    std::optional<QMap<int, FieldValues>> analog;  // by channel index
    std::optional<QMap<int, FieldValues>> digital; // by the channel number the file gives
    // Digital channel n of the file is index n - 1 - this; none: the controller's analog count.
    std::optional<int> digitalNumberOffset;
};
