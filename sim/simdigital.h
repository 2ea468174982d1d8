#pragma once

// Simulated controller, digital channels: settings read (8) and write (32), meter readings (2).

#include "sim/simanswer.h"

class SimDigitalChannels
{
public:
    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
};
