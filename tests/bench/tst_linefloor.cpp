// The protocol's floor under each command: line time at 115200 baud 8N1, quiet gaps,
// pauses and the read window of the meter readings; and the program's share of a wall time.

#include "bench/commandbench.h"
#include "bench/linefloor.h"

#include <QtTest>

using LineFloor::Exchange;
using LineFloor::ExchangeRules;

Q_DECLARE_METATYPE(LineFloor::Exchange)
Q_DECLARE_METATYPE(LineFloor::ExchangeRules)

class TestLineFloor : public QObject
{
    Q_OBJECT

private slots:
    void lineTime_data();
    void lineTime();
    void exchangeFloor_data();
    void exchangeFloor();
    void commandFloorAddsEveryExchange();
    void programTime_data();
    void programTime();
};

void TestLineFloor::lineTime_data()
{
    QTest::addColumn<qint64>("bytes");
    QTest::addColumn<double>("ms");
    // Ten bits a byte: 11520 bytes fill one second.
    QTest::newRow("one byte 86.8 us") << qint64(1) << 0.0868056;
    QTest::newRow("11520 bytes one second") << qint64(11520) << 1000.0;
    QTest::newRow("firmware part frame 272 bytes 23.6 ms") << qint64(272) << 23.6111;
    QTest::newRow("nothing takes no time") << qint64(0) << 0.0;
}

void TestLineFloor::lineTime()
{
    QFETCH(qint64, bytes);
    QFETCH(double, ms);
    QVERIFY2(qAbs(LineFloor::lineMs(bytes) - ms) < 1e-3,
             qPrintable(QString::number(LineFloor::lineMs(bytes))));
}

void TestLineFloor::exchangeFloor_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<ExchangeRules>("rules");
    QTest::addColumn<double>("ms");
    // Analog settings: 10-byte request, 42-byte answer, gap 50, pause 5: 55 + 520 bits.
    QTest::newRow("cmd4 10+42 bytes gap 50 pause 5")
        << Exchange{10, 42, 0} << ExchangeRules{50, 5, 100} << 55.0 + 4.51389;
    // Controller settings: 10-byte request, 211-byte answer, no pause.
    QTest::newRow("cmd9 10+211 bytes gap 50") << Exchange{10, 211, 0} << ExchangeRules{50, 0, 300}
                                              << 50.0 + 19.18403;
    QTest::newRow("answer delay adds before the gap")
        << Exchange{10, 14, 20} << ExchangeRules{50, 0, 100} << 70.0 + 2.08333;
    // Meter readings: the whole 6000 ms window is waited whenever the answer comes.
    QTest::newRow("cmd2 window 6000 hides a 150 ms answer")
        << Exchange{10, 42, 150} << ExchangeRules{0, 5, 6000} << 0.86806 + 6000.0 + 5.0;
    QTest::newRow("cmd2 answer later than the window counts whole")
        << Exchange{10, 42, 200} << ExchangeRules{0, 5, 100} << 0.86806 + 200.0 + 3.64583 + 5.0;
}

void TestLineFloor::exchangeFloor()
{
    QFETCH(Exchange, exchange);
    QFETCH(ExchangeRules, rules);
    QFETCH(double, ms);
    const double floor = LineFloor::exchangeFloorMs(exchange, rules);
    QVERIFY2(qAbs(floor - ms) < 1e-3, qPrintable(QString::number(floor, 'f', 5)));
}

void TestLineFloor::commandFloorAddsEveryExchange()
{
    // Firmware upload of three parts: start (18-byte request), parts (272), finish (10),
    // each answered with a 10-byte frame.
    const QList<Exchange> exchanges{
        {18, 10, 0}, {272, 10, 0}, {272, 10, 0}, {272, 10, 0}, {10, 10, 0}};
    const LineFloor::Floor floor = LineFloor::commandFloor(exchanges, ExchangeRules{50, 0, 30000});
    QCOMPARE(floor.exchanges, 5);
    QCOMPARE(floor.bytes, qint64(894));
    QVERIFY(qAbs(floor.lineMs - 77.6042) < 1e-3);
    QVERIFY(qAbs(floor.totalMs - (250.0 + 77.6042)) < 1e-3);

    const LineFloor::Floor none = LineFloor::commandFloor({}, ExchangeRules{50, 5, 100});
    QCOMPARE(none.exchanges, 0);
    QCOMPARE(none.totalMs, 0.0);
}

void TestLineFloor::programTime_data()
{
    QTest::addColumn<ExchangeRules>("rules");
    QTest::addColumn<int>("exchanges");
    QTest::addColumn<double>("simMs");
    QTest::addColumn<double>("wallMs");
    QTest::addColumn<double>("programMs");
    // Eight analog settings: each exchange 4.2 ms of simulator, 50 ms gap, 5 ms pause.
    QTest::newRow("cmd4 8 exchanges, 26.4 ms of program")
        << ExchangeRules{50, 5, 100} << 8 << 4.2 << 500.0 << 500.0 - 8 * 59.2;
    // The meter's 150 ms answer lies inside the 6000 ms window: only window and pause count.
    QTest::newRow("cmd2 window covers the answer delay")
        << ExchangeRules{0, 5, 6000} << 1 << 154.0 << 6100.0 << 95.0;
    QTest::newRow("faster than the rules gives a negative share")
        << ExchangeRules{50, 0, 100} << 1 << 4.0 << 53.0 << -1.0;
}

void TestLineFloor::programTime()
{
    QFETCH(ExchangeRules, rules);
    QFETCH(int, exchanges);
    QFETCH(double, simMs);
    QFETCH(double, wallMs);
    QFETCH(double, programMs);
    CommandFigure figure;
    figure.rules = rules;
    figure.floor = LineFloor::commandFloor(QList<Exchange>(exchanges, Exchange{10, 42, 0}), rules);
    figure.split.simMs = simMs;
    figure.wallMs = wallMs;
    QVERIFY2(qAbs(figure.programMs() - programMs) < 1e-6,
             qPrintable(QString::number(figure.programMs())));
    const double floorMs = figure.floor.totalMs;
    QVERIFY(qAbs(figure.lineRatio() - (floorMs + programMs) / floorMs) < 1e-9);
}

QTEST_MAIN(TestLineFloor)
#include "tst_linefloor.moc"
