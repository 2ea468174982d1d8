// Worker commands for the controller settings: read (9) and write (33).

#include "link/masterthread.h"

void MasterThread::readControllerSettings() {}

void MasterThread::writeControllerSettings() {}
