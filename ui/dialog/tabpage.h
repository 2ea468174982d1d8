#pragma once

// What the main window asks of the tab on show, so that it never needs to know which one it is.

#include "link/worker/commandline.h"
#include "protocol/bulk/writepreflight.h"

#include <QString>

#include <optional>

// A command a tab asks for; with no command, `status` says why. Commands without rows leave
// the worker's rows as they were.
struct PageCommand {
    int cmd = 0;
    std::optional<Rows> rows;
    QString status;
};

// What the write checks of a tab need from the others.
struct WriteContext {
    QString hardwareVersion;
    int pollPeriodSeconds = 0;
    int analogCount = 0;
    QList<WritePreflight::AnalogRow> analog; // the analog channels as they stand
};

class TabPage
{
public:
    virtual ~TabPage() = default;

    // Whether the tab holds what this controller reported in this session.
    virtual bool isReadFromController() const = 0;
    // True until read, and whenever an editor differs from what was read.
    virtual bool hasChanges() const = 0;
    virtual PageCommand readSettingsCommand() = 0;
    virtual PageCommand readDataCommand() = 0;
    virtual WritePreflight::Steps writePreflight(const WriteContext &context) const = 0;
    // A No to a question that keeps the write (see WritePreflight::Step::noSwitchesPsmOff).
    virtual void declined(const WritePreflight::Step &) {}
    // The write, once the preflight's questions are answered.
    virtual PageCommand writeCommand() = 0;
};
