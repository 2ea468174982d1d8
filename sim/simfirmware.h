#pragma once

// Simulated controller, firmware update: start (129), parts (130), finish (132).

#include "sim/simanswer.h"

class SimFirmware
{
public:
    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);
};
