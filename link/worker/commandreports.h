#pragma once

// What a controller command reports while it runs: the records and readings it decoded, its
// progress and status texts, and the session's changes.

#include "protocol/frame/traffic.h"

#include <QString>
#include <QStringList>

class CommandReports
{
public:
    enum class Channels { Analog, Digital };

    virtual ~CommandReports() = default;

    // Every status text, the empty one clearing the line.
    virtual void status(const QString &text) = 0;
    virtual void progress(int percent) = 0;
    // An accepted answer: the controller's settings-mode countdown starts again.
    virtual void answered() = 0;
    // Every request and every answer or its absence, for the traffic journal.
    virtual void frame(const Traffic::Frame &frame) = 0;

    // One channel's settings list as the controller answered it (index from 0).
    virtual void channelSettings(Channels kind, int index, const QStringList &fields) = 0;
    virtual void reading(Channels kind, int index, const QStringList &fields) = 0;
    // How many channels of the kind are in use, after their settings were read or written.
    virtual void channelsInUse(Channels kind, int count) = 0;
    virtual void controllerSettings(const QStringList &fields) = 0;
    virtual void modemData(const QStringList &fields) = 0;
    // Whether a new modem test may start (no network session is running).
    virtual void modemIdle(bool idle) = 0;

    // The commands may be used: after authorising (no version known yet) and after reading
    // the controller settings (their firmware version).
    virtual void commandsEnabled(const QString &firmware) = 0;
    virtual void hardware(const QString &version) = 0;
    // Authorise, new password or leave settings mode succeeded.
    virtual void succeeded(int cmd) = 0;
    // The controller left settings mode (or restarts): its countdown is over.
    virtual void settingsModeOver() = 0;
};
