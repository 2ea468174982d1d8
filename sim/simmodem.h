#pragma once

// Simulated controller, modem test (136) and session data (137).

#include "sim/simanswer.h"

#include <QByteArray>
#include <QElapsedTimer>

class SimModem
{
public:
    static constexpr int kFrameSize = 49;

    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);

    // How long a session started by command 136 stays in progress; 0 ends it at once.
    int sessionTimeMs = 15000;
    // When not negative, the session ends after this many answers to command 137 in
    // progress instead of after sessionTimeMs: tests count polls, not milliseconds.
    int pollsInProgress = -1;
    // Whether the modem reaches the network; without it the session ends with no signal
    // and no cell.
    bool networkReachable = true;
    QByteArray imsi = "250991234567890";
    qint16 rssi = -85;
    quint32 cellId = 0x0A1B2C3D;

    int testsStarted = 0;

private:
    bool inProgress();
    QByteArray record(bool running) const;

    bool sessionStarted = false;
    bool sessionFinished = false;
    int pollsAnswered = 0;
    QElapsedTimer sessionClock;
};
