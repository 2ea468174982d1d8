#pragma once

// Simulated controller, controller settings record: read (9) and write (33).

#include "sim/simanswer.h"

#include <QByteArray>

class SimControllerSettings
{
public:
    static constexpr int kFrameSize = 211;
    static constexpr int kFrameSize140 = 179;
    static constexpr int kWritePayloadSize = 89;

    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
    // The response payload of command 9 as this record stands.
    QByteArray record(const SimContext &context) const;

    // The record as the controller holds it. Texts are raw bytes, cut to their field on
    // the wire, so that a test can fill a field without a terminating zero.
    quint32 logPeriod = 3600;
    quint32 sendPeriod = 86400;
    quint32 contactPollPeriod = 60;
    quint32 consumptionThreshold = 0;
    QByteArray serialNumber = "T3-0421-0077";
    QByteArray infoText = "LUMARO T3";
    QByteArray imei = "866207053311579";
    quint8 powerSource = 0;
    quint16 batteryVoltage = 3600;
    quint8 lidOpen = 0;
    quint8 consumptionSendMode = 0;
    quint8 psm = 0;
    quint8 serverIp[4] = {10, 20, 30, 40};
    quint16 serverPort = 80;
    QByteArray apiGet = "/sensor/get";
    QByteArray apiSave = "/sensor/save";
    // Empty: the version of the firmware word, as the controller reports it.
    QByteArray firmwareText;

    int writes = 0;               // accepted writes
    QByteArray lastWritePayload;  // payload of the last command 33, as received

private:
    bool store(const QByteArray &payload);
};
