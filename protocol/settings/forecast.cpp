#include "protocol/settings/forecast.h"

#include <QCoreApplication>

#include <algorithm>
#include <cstdlib>

namespace Forecast {

namespace {

// Average currents in µA and charges in µA·s, measured on the controller's boards.
constexpr qint64 kBaseCurrentUa = 30;
constexpr qint64 kBaseCurrentPsmUa = 34; // the modem never switches off completely
constexpr qint64 kChargeUnitUaS = 100000;
constexpr qint64 kSessionChargeUnits = 60;    // modem attaches to the network from scratch
constexpr qint64 kSessionChargePsmUnits = 30; // modem resumes its saved session
constexpr qint64 kRecordChargeUnits = 2;      // each logged record sent in a session
constexpr qint64 kFastOpenCollectorUa = 33;   // per analog channel
constexpr qint64 kMeterPollChargeUaS = 40000; // per digital channel and poll
constexpr qint64 kMeterPollChargeExternalUaS = 200000;

constexpr qint64 kCapacityEr18505mUah = 3500000;
constexpr qint64 kCapacityEr26500mUah = 6000000;
constexpr qint64 kHoursPerMonth = 730;
// Lithium cells lose their charge on the shelf: no forecast beyond nine years.
constexpr int kMonthCap = 108;
constexpr qint64 kMonthCapHours = 79570;

constexpr qint64 kSecondsPerMonth = 2592000; // 30 days, as the operators bill
constexpr double kBytesPerSend = 200.0;
constexpr double kBytesPerRecord = 128.0;
constexpr double kBytesPerAnalogChannel = 56.0;
constexpr double kBytesPerDigitalChannel = 88.0;
constexpr qint64 kBytesPerKilobyte = 1024;
constexpr qint64 kMonthsPerYear = 12;

QString tabText(const char *text)
{
    // The texts are the controller tab's own.
    return QCoreApplication::translate("SettingsTab", text);
}

} // namespace

PeriodParts periodParts(qint64 seconds, int minSeconds, int maxSeconds)
{
    if (seconds <= 0 || seconds < minSeconds)
        return {};
    const qint64 c = std::min<qint64>(seconds, maxSeconds);
    return {int(c / kSecondsPerDay), int(c % kSecondsPerDay / kSecondsPerHour), 0};
}

PeriodParts raisedPeriodParts(qint64 seconds, int minSeconds, int maxSeconds)
{
    qint64 v = std::min<qint64>(seconds, maxSeconds);
    if (v != 0 && v < minSeconds)
        v = minSeconds;
    if (v < 0)
        v = 0;
    return {int(v / kSecondsPerDay), int(v % kSecondsPerDay / kSecondsPerHour), 0};
}

qint64 periodSeconds(int days, int hours, int minutes)
{
    return qint64(days) * kSecondsPerDay + qint64(hours) * kSecondsPerHour
        + qint64(minutes) * kSecondsPerMinute;
}

qint64 periodMinutes(int days, int hours, int minutes)
{
    return qint64(days) * 1440 + qint64(hours) * 60 + minutes;
}

int lifetimeMonths(qint64 capacityMicroAmpHours, qint64 currentMicroAmps)
{
    if (currentMicroAmps <= 0)
        return kMonthCap;
    const qint64 hours = capacityMicroAmpHours / currentMicroAmps;
    return hours >= kMonthCapHours ? kMonthCap : int(hours / kHoursPerMonth);
}

Result compute(const Inputs &in)
{
    // A negative period or count means nothing to the controller; it counts as off.
    const qint64 logMinutes = std::max(in.logMinutes, 0);
    const qint64 logSec = logMinutes * kSecondsPerMinute;
    const qint64 sendSec = in.consumptionMode != 0
        ? logSec
        : qint64(std::max(in.sendMinutes, 0)) * kSecondsPerMinute;
    const qint64 analog = std::max(in.analogChannels, 0);
    const qint64 digital = std::max(in.digitalChannels, 0);

    Result r;
    qint64 current = in.psm ? kBaseCurrentPsmUa : kBaseCurrentUa;
    if (sendSec != 0) {
        // Every connection sends the records logged since the previous one.
        const qint64 records = logSec != 0 ? sendSec / logSec : 1;
        const qint64 k = in.psm ? kSessionChargePsmUnits : kSessionChargeUnits;
        current += (k + kRecordChargeUnits * records) * kChargeUnitUaS / sendSec;
    }
    if (in.fastOpenCollector)
        current += kFastOpenCollectorUa * analog;
    // Meters are polled at every logging, or at every connection when logging is off.
    const qint64 pollSec = logSec != 0 ? logSec : sendSec;
    if (pollSec != 0) {
        const qint64 charge = in.externalPower ? kMeterPollChargeExternalUaS : kMeterPollChargeUaS;
        current += digital * charge / pollSec;
    }
    r.currentMicroAmps = current;
    r.monthsSmallCell = lifetimeMonths(kCapacityEr18505mUah, current);
    r.monthsLargeCell = lifetimeMonths(kCapacityEr26500mUah, current);

    r.recordsPerSend = (logSec == 0 || in.consumptionMode == 1) ? 1 : sendSec / logSec + 1;
    r.sendsPerMonth = sendSec != 0 ? kSecondsPerMonth / sendSec : 0;
    const double bytes = (double(analog) * kBytesPerAnalogChannel + kBytesPerRecord
                          + double(digital) * kBytesPerDigitalChannel)
            * double(r.recordsPerSend)
        + kBytesPerSend;
    r.kilobytesPerYear = (qint64(bytes) / kBytesPerKilobyte + 1) * r.sendsPerMonth * kMonthsPerYear;
    return r;
}

QString yearsWord(int years)
{
    const int lastTwo = std::abs(years) % 100;
    const int last = lastTwo % 10;
    if (last == 1 && lastTwo != 11)
        return tabText("год");
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return tabText("года");
    return tabText("лет");
}

QString formatLifetime(int months)
{
    const QString monthWord = tabText("мес");
    if (months < int(kMonthsPerYear))
        return QStringLiteral("%1 %2").arg(months).arg(monthWord);
    const int years = months / int(kMonthsPerYear);
    QString out = QStringLiteral("%1 %2").arg(years).arg(yearsWord(years));
    const int rest = months % int(kMonthsPerYear);
    if (rest != 0)
        out += QStringLiteral(" %1 %2").arg(rest).arg(monthWord);
    return out;
}

} // namespace Forecast
