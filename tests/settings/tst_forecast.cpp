// Period conversions and the battery-life and traffic forecast, without widgets.

#include "settings/forecast.h"

#include <QtTest>

Q_DECLARE_METATYPE(Forecast::Inputs)

namespace {

Forecast::Inputs inputs(int logMinutes, int sendMinutes, bool everyLogging, bool psm, int analog,
                        bool fastOc, int digital, bool external)
{
    Forecast::Inputs in;
    in.logMinutes = logMinutes;
    in.sendMinutes = sendMinutes;
    in.sendAtEveryLogging = everyLogging;
    in.psm = psm;
    in.analogChannels = analog;
    in.fastOpenCollector = fastOc;
    in.digitalChannels = digital;
    in.externalPower = external;
    return in;
}

} // namespace

class TestForecast : public QObject
{
    Q_OBJECT

private slots:
    void compute_data();
    void compute();
    void formatLifetime_data();
    void formatLifetime();
    void periodParts_data();
    void periodParts();
    void raisedPeriodParts_data();
    void raisedPeriodParts();
};

void TestForecast::compute_data()
{
    QTest::addColumn<Forecast::Inputs>("in");
    QTest::addColumn<qint64>("current");
    QTest::addColumn<int>("smallMonths");
    QTest::addColumn<int>("largeMonths");
    QTest::addColumn<qint64>("records");
    QTest::addColumn<qint64>("sends");
    QTest::addColumn<qint64>("kilobytes");

    QTest::newRow("everything off: base current, nine years, no traffic")
        << inputs(0, 0, false, false, 0, false, 0, false) << qint64(30) << 108 << 108 << qint64(1)
        << qint64(0) << qint64(0);
    QTest::newRow("hourly log, daily send, 4 analog, 2 meters: I 177")
        << inputs(60, 1440, false, false, 4, false, 2, false) << qint64(177) << 27 << 46
        << qint64(25) << qint64(30) << qint64(5040);
    QTest::newRow("send at every hourly log, PSM, 8 fast open collectors: I 1186")
        << inputs(60, 1440, true, true, 8, true, 0, false) << qint64(1186) << 4 << 6 << qint64(1)
        << qint64(720) << qint64(8640);
    QTest::newRow("no logging: 32 powered meters polled per daily send: I 175")
        << inputs(0, 1440, false, false, 0, false, 32, true) << qint64(175) << 27 << 46
        << qint64(1) << qint64(30) << qint64(1440);
    // 1-minute logging with a 10-day connection: (60 + 2 * 14400) * 100000 exceeds 32 bits.
    QTest::newRow("1 min log, 10 day send overflows 32 bits")
        << inputs(1, 14400, false, false, 0, false, 0, false) << qint64(30 + 3340) << 1 << 2
        << qint64(14401) << qint64(3) << qint64(64836);
    QTest::newRow("every logging with logging off never divides by zero")
        << inputs(0, 1440, true, false, 8, false, 32, false) << qint64(30) << 108 << 108
        << qint64(1) << qint64(0) << qint64(0);
    QTest::newRow("negative minutes count as off")
        << inputs(-60, -1440, false, false, 0, false, 3, false) << qint64(30) << 108 << 108
        << qint64(1) << qint64(0) << qint64(0);
}

void TestForecast::compute()
{
    QFETCH(Forecast::Inputs, in);
    QFETCH(qint64, current);
    QFETCH(int, smallMonths);
    QFETCH(int, largeMonths);
    QFETCH(qint64, records);
    QFETCH(qint64, sends);
    QFETCH(qint64, kilobytes);
    const Forecast::Result r = Forecast::compute(in);
    QCOMPARE(r.currentMicroAmps, current);
    QCOMPARE(r.monthsSmallCell, smallMonths);
    QCOMPARE(r.monthsLargeCell, largeMonths);
    QCOMPARE(r.recordsPerSend, records);
    QCOMPARE(r.sendsPerMonth, sends);
    QCOMPARE(r.kilobytesPerYear, kilobytes);
}

void TestForecast::formatLifetime_data()
{
    QTest::addColumn<int>("months");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << 0 << QStringLiteral("0 мес");
    QTest::newRow("11") << 11 << QStringLiteral("11 мес");
    QTest::newRow("12 one year") << 12 << QStringLiteral("1 год");
    QTest::newRow("23") << 23 << QStringLiteral("1 год 11 мес");
    QTest::newRow("30") << 30 << QStringLiteral("2 года 6 мес");
    QTest::newRow("59") << 59 << QStringLiteral("4 года 11 мес");
    QTest::newRow("60") << 60 << QStringLiteral("5 лет");
    QTest::newRow("108 the cap") << 108 << QStringLiteral("9 лет");
    QTest::newRow("132 eleven years") << 132 << QStringLiteral("11 лет");
    QTest::newRow("252 twenty-one years") << 252 << QStringLiteral("21 год");
    QTest::newRow("270 twenty-two years") << 270 << QStringLiteral("22 года 6 мес");
}

void TestForecast::formatLifetime()
{
    QFETCH(int, months);
    QFETCH(QString, text);
    QCOMPARE(Forecast::formatLifetime(months), text);
}

void TestForecast::periodParts_data()
{
    QTest::addColumn<qint64>("seconds");
    QTest::addColumn<int>("minSeconds");
    QTest::addColumn<int>("maxSeconds");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("hours");
    QTest::newRow("log 5400 s: 1 hour") << qint64(5400) << 60 << 86400 << 0 << 1;
    QTest::newRow("log 30 s below limit: zero") << qint64(30) << 60 << 86400 << 0 << 0;
    QTest::newRow("send 120 s below limit: zero") << qint64(120) << 300 << 864000 << 0 << 0;
    QTest::newRow("log 200000 s capped at a day") << qint64(200000) << 60 << 86400 << 1 << 0;
    QTest::newRow("send 10 days 5 hours capped") << qint64(882000) << 300 << 864000 << 10 << 0;
    QTest::newRow("negative: zero") << qint64(-5) << 60 << 86400 << 0 << 0;
}

void TestForecast::periodParts()
{
    QFETCH(qint64, seconds);
    QFETCH(int, minSeconds);
    QFETCH(int, maxSeconds);
    QFETCH(int, days);
    QFETCH(int, hours);
    const Forecast::PeriodParts p = Forecast::periodParts(seconds, minSeconds, maxSeconds);
    QCOMPARE(p.days, days);
    QCOMPARE(p.hours, hours);
    QCOMPARE(p.minutes, 0);
}

void TestForecast::raisedPeriodParts_data()
{
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("hours");
    // With the connection limits: 300 s to 10 days; a short period rises to the minimum.
    QTest::newRow("zero stays off") << 0 << 0 << 0;
    QTest::newRow("120 s rises to 300 s") << 120 << 0 << 0;
    QTest::newRow("90000 s") << 90000 << 1 << 1;
    QTest::newRow("above 10 days capped") << 2000000 << 10 << 0;
}

void TestForecast::raisedPeriodParts()
{
    QFETCH(int, seconds);
    QFETCH(int, days);
    QFETCH(int, hours);
    const Forecast::PeriodParts p = Forecast::raisedPeriodParts(seconds, 300, 864000);
    QCOMPARE(p.days, days);
    QCOMPARE(p.hours, hours);
}

QTEST_MAIN(TestForecast)
#include "tst_forecast.moc"
