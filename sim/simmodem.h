#pragma once

// Simulated controller, modem test (136) and session data (137).

#include "sim/simanswer.h"

class SimModem
{
public:
    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
};
