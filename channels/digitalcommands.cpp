// Worker commands for the digital channels: read settings (8), write settings (32), readings (2).

#include "link/masterthread.h"

void MasterThread::readDigitalSettings() {}

void MasterThread::writeDigitalSettings() {}

void MasterThread::readDigitalReadings() {}
