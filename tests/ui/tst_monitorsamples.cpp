// The watching window's samples: what is drawn keeps gaps and extremes while thinned, what is
// saved keeps every sample.

#include "ui/monitor/monitorsamples.h"

#include <QtTest>

#include <algorithm>

namespace {

const QDateTime kStart(QDate(2024, 5, 17), QTime(9, 0));

MonitorSamples meterSamples(const QList<int> &readings)
{
    MonitorSamples s;
    s.setChannels({{0, 9, true, 8, QStringLiteral("Вт*ч")}});
    for (int k = 0; k < readings.size(); ++k) {
        // -1 stands for a meter that kept silent: an empty serial number.
        const QStringList fields = readings.at(k) < 0
            ? QStringList(5)
            : QStringList{QStringLiteral("EM-1"), QString::number(readings.at(k)), "0", "0", "0"};
        s.add(kStart.addSecs(5 * k), 0, fields);
    }
    return s;
}

} // namespace

class TestMonitorSamples : public QObject
{
    Q_OBJECT

private slots:
    void runs_data();
    void runs();
    void thinningKeepsTheExtremesAndEverySampleIsSaved();
};

void TestMonitorSamples::runs_data()
{
    QTest::addColumn<QList<int>>("readings");
    QTest::addColumn<int>("runs");
    QTest::addColumn<QString>("last");
    QTest::newRow("steady") << QList<int>{10, 20, 30} << 1 << "30";
    QTest::newRow("silent in between: a gap") << QList<int>{10, -1, 30} << 2 << "30";
    QTest::newRow("silent at the end") << QList<int>{10, 20, -1} << 1 << "";
    QTest::newRow("never answered") << QList<int>{-1, -1} << 0 << "";
}

void TestMonitorSamples::runs()
{
    QFETCH(QList<int>, readings);
    QFETCH(int, runs);
    QFETCH(QString, last);
    const MonitorSamples s = meterSamples(readings);
    QCOMPARE(s.drawn(0, 100).size(), runs);
    const MonitorSamples::Summary sum = s.summary(0);
    QCOMPARE(sum.lastAnswered ? QString::number(sum.last) : QString(), last);
    if (readings.first() == 10 && readings.contains(30))
        QCOMPARE(sum.ratePerHour, 20.0 * 3600 / 10); // 20 Wh in 10 s
}

void TestMonitorSamples::thinningKeepsTheExtremesAndEverySampleIsSaved()
{
    // A day of 5-second samples, one spike.
    QList<int> readings;
    for (int k = 0; k < 17280; ++k)
        readings.append(k == 9001 ? 999999 : k);
    const MonitorSamples s = meterSamples(readings);
    const QList<QVector<QPointF>> runs = s.drawn(0, 1000);
    QCOMPARE(runs.size(), 1);
    QVERIFY(runs.first().size() <= 1000);
    const auto highest = std::max_element(runs.first().begin(), runs.first().end(),
                                          [](const QPointF &a, const QPointF &b) { return a.y() < b.y(); });
    QCOMPARE(highest->y(), 999999.0);
    QVERIFY(std::is_sorted(runs.first().begin(), runs.first().end(),
                           [](const QPointF &a, const QPointF &b) { return a.x() < b.x(); }));
    const QList<QByteArray> lines = s.csv().split('\n');
    QCOMPARE(lines.size(), 17280 + 2); // header, samples, final line end
    QCOMPARE(lines.at(1), QByteArray("2024-05-17 09:00:00;9;0;0"));
}

QTEST_MAIN(TestMonitorSamples)
#include "tst_monitorsamples.moc"
