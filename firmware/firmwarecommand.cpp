// Worker command for the firmware update (start 129, parts 130, finish 132).

#include "link/masterthread.h"

void MasterThread::uploadFirmware() {}
