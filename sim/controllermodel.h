#pragma once

// Simulated metering controller: answers one complete request frame with one response
// frame, as the real controller does in its settings mode.

#include "sim/simanalog.h"
#include "sim/simcontrollersettings.h"
#include "sim/simdigital.h"
#include "sim/simfirmware.h"
#include "sim/simmodem.h"

#include <QByteArray>
#include <QString>

class ControllerModel
{
public:
    static constexpr quint32 kDefaultFirmware = 0x01040002; // 1.4.2
    static constexpr quint32 kFirmware140 = 0x01040000;

    ControllerModel();

    // The answer to a request frame; a frame that is not a valid request stays unanswered.
    SimAnswer answer(const QByteArray &request);
    // A complete response frame around `payload`.
    QByteArray frame(quint8 cmd, const QByteArray &payload) const;
    static quint8 checksum(const QByteArray &bytes);

    // Accepts texts such as "1.4.2" and "8.2"; false when the text is not a version.
    bool setFirmware(const QString &version);
    bool setHardware(const QString &version);
    // Every settings record the controller holds, as its read commands would answer: the
    // controller record, then the analog and the digital channels in index order.
    QByteArray heldRecords() const;

    QString password;
    quint32 fwWord = kDefaultFirmware;
    quint8 hwMajor = 8;
    quint8 hwMinor = 2;
    bool authorised = false;
    bool inSettingsMode = true;
    // The controller answers every settings write this late (it stores the record at once).
    int writeAnswerDelayMs = 0;

    SimControllerSettings controllerSettings;
    SimModem modem;
    SimAnalogChannels analog;
    SimDigitalChannels digital;
    SimFirmware firmware;

private:
    SimContext context() const;
    SimAnswer sessionAnswer(quint8 cmd, const QByteArray &payload);
};
