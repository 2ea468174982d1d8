#pragma once

// What a write asks before it goes, one pure decision per record kind that the window and
// lumaro-cli both take: the questions in the order they are asked, ending at the refusal (or
// the note that nothing is to be written) that stops the write, if any.

#include "protocol/channels/analogsettings.h"
#include "protocol/channels/digitalsettings.h"
#include "protocol/settings/controllersettings.h"

#include <QList>
#include <QString>

namespace WritePreflight {

struct Step {
    enum Kind {
        Question,      // Yes writes on; No drops the write, unless `noSwitchesPsmOff`
        Refusal,       // nothing is written
        NothingToWrite // every record as the controller holds it: no command is sent
    };
    Kind kind = Refusal;
    // Empty for a refusal under the usual title "Ошибка".
    QString title;
    QString text;
    // A No to the PSM question keeps the write and switches PSM off.
    bool noSwitchesPsmOff = false;

    bool operator==(const Step &other) const
    {
        return kind == other.kind && title == other.title && text == other.text
            && noSwitchesPsmOff == other.noSwitchesPsmOff;
    }
};
using Steps = QList<Step>;

// One present analog channel as it would be written.
struct AnalogRow {
    int index = 0;
    // Device code, input, serial number and scale; thresholds are taken from `lk` and `st`.
    AnalogSettings settings;
    // LK and ST as shown: degrees, bar, minutes or seconds.
    double lk = 0;
    double st = 0;
    bool changed = true;     // differs from what was read
    bool pairedAnew = false; // device or input differs from what was read
    bool written = true;     // the write sends this channel
};

// One present digital channel as it would be written.
struct DigitalRow {
    int index = 0;
    DigitalSettings settings;
    bool changed = true; // differs from what was read: only changed channels are sent
};

// Command 33. `analog`: the analog channels as they stand, for the contact sensors that need
// a poll period.
Steps controller(const ControllerSettings &settings, const QString &hardwareVersion,
                 const QList<AnalogRow> &analog);
// Command 16. `pollPeriodSeconds` as the controller tab holds it.
Steps analog(const QList<AnalogRow> &rows, int pollPeriodSeconds);
// Command 32; `analogCount` numbers the channels for the engineer.
Steps digital(const QList<DigitalRow> &rows, int analogCount);

// A shown threshold as its record field stores it for `deviceCode`, and whether it fits.
QString storedThreshold(double shown, int deviceCode, bool *fits);

} // namespace WritePreflight
