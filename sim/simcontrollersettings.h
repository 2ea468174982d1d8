#pragma once

// Simulated controller, controller settings record: read (9) and write (33).

#include "sim/simanswer.h"

class SimControllerSettings
{
public:
    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
};
