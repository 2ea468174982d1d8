#include "settings/modemtiming.h"

#include <atomic>

namespace ModemTiming {

namespace {

// Read on the worker thread, written by tests on theirs.
std::atomic<int> currentTickMs{kTickMs};

} // namespace

int tickMs()
{
    return currentTickMs.load();
}

void setTickMs(int ms)
{
    currentTickMs.store(ms > 0 ? ms : kTickMs);
}

} // namespace ModemTiming
