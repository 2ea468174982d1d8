// The protocol's floor under a command: line time at 115200 baud 8N1 (ten bits a byte),
// quiet gaps, pauses and the read window of the meter readings; and the program's share of
// a wall time measured over it.

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
    void floorAndProgramShare_data();
    void floorAndProgramShare();
};

void TestLineFloor::floorAndProgramShare_data()
{
    QTest::addColumn<Exchange>("exchange");
    QTest::addColumn<ExchangeRules>("rules");
    QTest::addColumn<int>("exchanges");
    QTest::addColumn<double>("simMs");
    QTest::addColumn<double>("wallMs");
    QTest::addColumn<double>("floorMs");
    QTest::addColumn<double>("programMs");
    // 52 bytes are 520 bits, 4.51389 ms; each exchange 4.2 ms of simulator, gap 50, pause 5.
    QTest::newRow("cmd4 8 exchanges 10+42 bytes gap 50 pause 5")
        << Exchange{10, 42, 0} << ExchangeRules{50, 5, 100} << 8 << 4.2 << 500.0
        << 8 * (55.0 + 4.51389) << 500.0 - 8 * 59.2;
    // Meter readings: the whole window is waited, and covers the answer and its delay.
    QTest::newRow("cmd2 window 6000 hides a 150 ms answer")
        << Exchange{10, 42, 150} << ExchangeRules{0, 5, 6000} << 1 << 154.0 << 6100.0
        << 0.86806 + 6000.0 + 5.0 << 95.0;
    QTest::newRow("cmd2 answer later than the window counts whole")
        << Exchange{10, 42, 200} << ExchangeRules{0, 5, 100} << 1 << 204.0 << 300.0
        << 0.86806 + 200.0 + 3.64583 + 5.0 << 195.0;
    // The answer delay comes before the gap; a run faster than the rules shows below zero.
    QTest::newRow("cmd9 10+211 bytes delay 20 gap 50, negative share")
        << Exchange{10, 211, 20} << ExchangeRules{50, 0, 300} << 1 << 4.0 << 53.0
        << 0.86806 + 20.0 + 18.31597 + 50.0 << -1.0;
}

void TestLineFloor::floorAndProgramShare()
{
    QFETCH(Exchange, exchange);
    QFETCH(ExchangeRules, rules);
    QFETCH(int, exchanges);
    QFETCH(double, simMs);
    QFETCH(double, wallMs);
    QFETCH(double, floorMs);
    QFETCH(double, programMs);
    CommandFigure figure;
    figure.rules = rules;
    figure.floor = LineFloor::commandFloor(QList<Exchange>(exchanges, exchange), rules);
    figure.split.simMs = simMs;
    figure.wallMs = wallMs;
    QCOMPARE(figure.floor.exchanges, exchanges);
    QVERIFY2(qAbs(figure.floor.totalMs - floorMs) < 1e-3,
             qPrintable(QString::number(figure.floor.totalMs, 'f', 5)));
    QVERIFY2(qAbs(figure.programMs() - programMs) < 1e-6,
             qPrintable(QString::number(figure.programMs())));
}

QTEST_MAIN(TestLineFloor)
#include "tst_linefloor.moc"
