#pragma once

// What a part of the simulated controller answers to one request.

#include <QByteArray>
#include <QElapsedTimer>

struct SimContext {
    quint32 fwWord = 0;
    quint8 hwMajor = 0;
    quint8 hwMinor = 0;
};

struct SimAnswer {
    QByteArray payload;
    bool silent = false; // the controller does not answer at all
    int delayMs = 0;     // the controller answers after this pause
};

// Payload that makes a whole frame of `frameSize` bytes, filled with zeros.
QByteArray simZeroPayload(int frameSize);
