#pragma once

// The controller's settings, identification and state (commands 9 and 33), and the field
// lists they travel in between the worker, the controller tab and the write command.

#include "protocol/settings/controllerrecord.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct ControllerSettings {
    // What the tab's editors take, from the record's fields.
    static constexpr int kServerIpMaxChars = 15; // "255.255.255.255"
    static constexpr int kApiPathMaxChars = ControllerRecord::kPathFieldBytes;

    // Settings, written with command 33. Numbers keep the whole 32-bit field: an editor that
    // cannot show one holds it until edited.
    quint32 logPeriodSeconds = 0;
    quint32 sendPeriodSeconds = 0;
    quint32 contactPollPeriodSeconds = 0;
    quint32 consumptionThreshold = 0;
    quint32 consumptionSendMode = 0;
    quint32 psm = 0;
    QString serverIp;
    quint32 serverPort = 0;
    QString apiGet;
    QString apiSave;
    // The path fields' bytes as read, in hex, where the texts shown cannot give them back
    // (Link::keptText); they are written while the paths still read as they do.
    QString apiGetKept;
    QString apiSaveKept;

    // Identification and state, read only.
    QString serialNumber;
    QString hardwareVersion;
    QString firmwareText;
    QString infoText;
    QString imei;
    quint32 powerSource = 0;
    quint32 batteryMillivolts = 0;
    quint32 lidOpen = 0;

    // The list of setCpuSet; a text that is no number reads as 0.
    static ControllerSettings fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
    // The write list of command 33, and back (identification stays as it is).
    QStringList toWriteList() const;
    void setFromWriteList(const QStringList &entry);

    // The settings written with command 33 are the same; identification is not compared.
    bool sameSettings(const ControllerSettings &other) const;
};
