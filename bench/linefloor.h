#pragma once

// What the protocol itself costs on the line: the time no program could go below.

#include <QList>
#include <QtGlobal>

namespace LineFloor {

constexpr int kBaudRate = 115200;
// 8N1: a start bit, eight data bits and a stop bit for every byte.
constexpr int kBitsPerByte = 10;

// Time of `bytes` on the line, in milliseconds.
constexpr double lineMs(qint64 bytes)
{
    return double(bytes) * kBitsPerByte * 1000.0 / kBaudRate;
}

// How the worker runs each exchange of one command.
struct ExchangeRules {
    int quietGapMs = 0;   // silence that ends a response; 0: the whole read window is waited
    int pauseMs = 0;      // pause after every accepted response
    int readWindowMs = 0; // the multiplied time-out; counts only when quietGapMs is 0
};

// One request and its answer as they went over the line.
struct Exchange {
    int requestBytes = 0;
    int responseBytes = 0;
    int answerDelayMs = 0; // the controller works this long before it answers
};

struct Floor {
    int exchanges = 0;
    qint64 bytes = 0;
    double lineMs = 0;  // bytes' time alone
    double totalMs = 0; // the whole floor
};

double exchangeFloorMs(const Exchange &exchange, const ExchangeRules &rules);
Floor commandFloor(const QList<Exchange> &exchanges, const ExchangeRules &rules);

} // namespace LineFloor
