// Worker commands for the analog channels: read settings (4), write settings (16), readings (1).

#include "link/masterthread.h"

void MasterThread::readAnalogSettings() {}

void MasterThread::writeAnalogSettings() {}

void MasterThread::readAnalogReadings() {}
