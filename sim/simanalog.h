#pragma once

// Simulated controller, analog channels: settings read (4) and write (16), readings (1).

#include "sim/simanswer.h"

class SimAnalogChannels
{
public:
    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
};
