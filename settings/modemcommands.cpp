// Worker commands for the modem: modem test (136) and session data (137).

#include "link/masterthread.h"

void MasterThread::modemTest() {}

void MasterThread::modemSessionData() {}
