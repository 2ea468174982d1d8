#pragma once

// Period conversions of the controller tab and the forecast of battery life and yearly
// traffic computed from the controller settings.

#include <QString>

namespace Forecast {

constexpr int kSecondsPerMinute = 60;
constexpr int kSecondsPerHour = 3600;
constexpr int kSecondsPerDay = 86400;

// Limits of the two controller periods as the tab edits them.
constexpr int kLogPeriodMinSeconds = 60;
constexpr int kLogPeriodMaxSeconds = kSecondsPerDay;
constexpr int kSendPeriodMinSeconds = 300;
constexpr int kSendPeriodMaxSeconds = 10 * kSecondsPerDay;

// A period as the tab's spin boxes show it: the minutes spin box always ends at 0.
struct PeriodParts {
    int days = 0;
    int hours = 0;
    int minutes = 0;
};

// A period read from the controller or edited in the tab: a period shorter than the
// lower limit switches the spin boxes to 0, a longer one than the upper limit stops at it.
PeriodParts periodParts(qint64 seconds, int minSeconds, int maxSeconds);
// What the public updateDHM shows: a short non-zero period is raised to the lower limit.
PeriodParts raisedPeriodParts(qint64 seconds, int minSeconds, int maxSeconds);
qint64 periodSeconds(int days, int hours, int minutes);
qint64 periodMinutes(int days, int hours, int minutes);

struct Inputs {
    int logMinutes = 0;   // 0: logging off
    int sendMinutes = 0;  // 0: connections off
    // Index of the consumption mode in its list: 0 connects at the set period, 1 at every
    // logging; -1 is a mode the controller reported that the list does not hold, which
    // connects at every logging yet counts records as the periodic mode does.
    int consumptionMode = 0;
    bool psm = false;
    int analogChannels = 0;
    bool fastOpenCollector = false;
    int digitalChannels = 0;
    bool externalPower = false;
};

struct Result {
    qint64 currentMicroAmps = 0; // average consumption
    int monthsSmallCell = 0;     // ER18505M
    int monthsLargeCell = 0;     // ER26500M
    qint64 recordsPerSend = 0;
    qint64 sendsPerMonth = 0;
    qint64 kilobytesPerYear = 0;
};

// 64-bit throughout: a 1-minute logging period with a 10-day connection period already
// overflows 32 bits in the session charge. Never divides by zero.
Result compute(const Inputs &in);

// Months of battery life that a cell of `capacityMicroAmpHours` gives at `currentMicroAmps`,
// capped at nine years.
int lifetimeMonths(qint64 capacityMicroAmpHours, qint64 currentMicroAmps);

// "4 мес", "1 год", "2 года 6 мес", "9 лет".
QString formatLifetime(int months);
// "год", "года" or "лет" for a number of years, by the Russian plural rules.
QString yearsWord(int years);

} // namespace Forecast
