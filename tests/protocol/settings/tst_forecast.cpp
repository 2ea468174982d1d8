// The battery-life and traffic forecast, without widgets; the tab's test shows the other
// examples as texts.

#include "protocol/settings/forecast.h"

#include <QtTest>

Q_DECLARE_METATYPE(Forecast::Inputs)

class TestForecast : public QObject
{
    Q_OBJECT

private slots:
    void compute_data()
    {
        // Log and send minutes, consumption mode index, PSM, analog channels, fast open
        // collector, digital channels, external power.
        QTest::addColumn<Forecast::Inputs>("in");
        // Current in µA, months on the small and the large cell, records per send, sends per
        // month, kilobytes per year.
        QTest::addColumn<QList<qint64>>("expected");
        // 1-minute logging with a 10-day connection: (60 + 2 * 14400) * 100000 exceeds 32 bits.
        QTest::newRow("1 min log, 10 day send overflows 32 bits")
            << Forecast::Inputs{1, 14400, 0, false, 0, false, 0, false}
            << QList<qint64>{30 + 3340, 1, 2, 14401, 3, 64836};
        QTest::newRow("every logging with logging off never divides by zero")
            << Forecast::Inputs{0, 1440, 1, false, 8, false, 32, false} << QList<qint64>{30, 108, 108, 1, 0, 0};
        // A mode byte the list lacks leaves the combo blank: connections follow the logging,
        // but each one carries the records of a periodic send.
        QTest::newRow("blank consumption mode: every logging, two records a send")
            << Forecast::Inputs{60, 1440, -1, false, 8, false, 32, false} << QList<qint64>{2107, 2, 3, 2, 720, 60480};
    }

    void compute()
    {
        QFETCH(Forecast::Inputs, in);
        QFETCH(QList<qint64>, expected);
        const Forecast::Result r = Forecast::compute(in);
        QCOMPARE((QList<qint64>{r.currentMicroAmps, r.monthsSmallCell, r.monthsLargeCell,
                                r.recordsPerSend, r.sendsPerMonth, r.kilobytesPerYear}),
                 expected);
    }

    void formatLifetime_data()
    {
        QTest::addColumn<int>("months");
        QTest::addColumn<QString>("text");
        QTest::newRow("0") << 0 << QStringLiteral("0 мес");
        QTest::newRow("12 one year") << 12 << QStringLiteral("1 год");
        QTest::newRow("23") << 23 << QStringLiteral("1 год 11 мес");
        QTest::newRow("60") << 60 << QStringLiteral("5 лет");
        QTest::newRow("252 twenty-one years") << 252 << QStringLiteral("21 год");
    }

    void formatLifetime()
    {
        QFETCH(int, months);
        QFETCH(QString, text);
        QCOMPARE(Forecast::formatLifetime(months), text);
    }
};

QTEST_MAIN(TestForecast)
#include "tst_forecast.moc"
