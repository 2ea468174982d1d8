// Commissioning through the window against the simulated controller: a meter that counts at a
// steady rate is watched at the interval, its samples reach the chart, the table and the CSV
// file, and a lost line stops the watching with the samples kept; the report is saved as a PDF.

#include "tests/ui/roadsupport.h"

#include "link/worker/masterthread.h"
#include "ui/monitor/commissioning.h"
#include "ui/monitor/monitorwindow.h"
#include "report/reportdata.h"

#include <QLineSeries>
#include <QChartView>

namespace {

constexpr quint32 kLitresPerCycle = 50;
constexpr int kCycles = 4;

} // namespace

class TestRoadCommissioning : public QObject
{
    Q_OBJECT

private slots:
    void watchesACountingMeter();
    void savesTheReport();
};

void TestRoadCommissioning::watchesACountingMeter()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.readTabs({1}));
    QVERIFY(road.button("monitorButton")->isEnabled());
    // The cold-water meter on channel 1 counts a steady amount between two readings.
    road.sim->withModel([](ControllerModel &m) { m.analog.readingStep = 0; });
    connect(road.dialog->worker(), &MasterThread::setComData, this,
            [&road](int index, const QStringList &) {
                if (index == 0)
                    road.sim->withModel([](ControllerModel &m) { m.analog.channels[0].value += kLitresPerCycle; });
            },
            Qt::DirectConnection);

    road.button("monitorButton")->click();
    MonitorWindow *w = road.dialog->commissioningButtons()->monitorWindow();
    QVERIFY(w && w->isVisible() && w->isWatching());
    auto *interval = w->findChild<QSpinBox *>("monitorIntervalSpin");
    QCOMPARE(interval->minimum(), 1);
    interval->setValue(1);
    const auto meterSamples = [w] {
        QList<MonitorSamples::Sample> s;
        for (const MonitorSamples::Sample &sample : w->samples().samples()) {
            if (sample.channel == 0)
                s.append(sample);
        }
        return s;
    };
    QTRY_VERIFY_WITH_TIMEOUT(meterSamples().size() >= kCycles, Road::kWaitMs);

    // The line falls silent: the watching stops with the worker's text, the samples stay.
    road.sim->injectFault({SimFault::Silence, 100, 0, -1});
    QTRY_VERIFY_WITH_TIMEOUT(!w->isWatching(), Road::kWaitMs);
    QCOMPARE(w->findChild<QLabel *>("monitorStatusLabel")->text(), MasterThread::noConnectionText());
    const QList<MonitorSamples::Sample> s = meterSamples();
    QVERIFY(s.size() >= kCycles);
    for (int k = 1; k < s.size(); ++k)
        QCOMPARE(s.at(k).value - s.at(k - 1).value, double(kLitresPerCycle));

    // Every sample is a point of the series named after the channel, and the table adds up.
    QLineSeries *series = nullptr;
    for (QAbstractSeries *a : w->findChild<QChartView *>("monitorChart")->chart()->series())
        series = a->name() == QLatin1String("1") ? qobject_cast<QLineSeries *>(a) : series;
    QVERIFY(series);
    QCOMPARE(series->count(), s.size());
    QCOMPARE(series->at(0).y(), s.first().value);
    auto *table = w->findChild<QTableWidget *>("monitorTable");
    QCOMPARE(table->item(0, MonitorWindow::ChangeColumn)->text(),
             QString::number(double(kLitresPerCycle) * (s.size() - 1), 'f', 2));
    QVERIFY(table->item(0, MonitorWindow::RateColumn)->text().toDouble() > 0);
    QVERIFY(road.dialog->isCountdownRunning());

    const QString csvPath = QDir::temp().filePath(QStringLiteral("lumaro-monitor-%1.csv").arg(QCoreApplication::applicationPid()));
    road.prompts.nextFileName = csvPath;
    w->findChild<QPushButton *>("monitorSaveButton")->click();
    QFile csv(csvPath);
    QVERIFY(csv.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    csv.remove();
    QCOMPARE(lines.size(), w->samples().samples().size() + 1);
    const QStringList first = lines.at(1).split(';');
    QCOMPARE(first.size(), 4);
    QCOMPARE(first.at(1), QStringLiteral("1"));
    QCOMPARE(first.at(2), s.first().raw);

    w->close();
    QTRY_VERIFY(!road.dialog->commissioningButtons()->monitorWindow());
}

void TestRoadCommissioning::savesTheReport()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    QVERIFY(!road.button("reportButton")->isEnabled());
    QVERIFY(road.readTabs({0, 1}));
    QVERIFY(road.button("reportButton")->isEnabled());
    QTemporaryDir dir;
    road.prompts.nextFileName = dir.filePath("report.pdf");
    road.button("reportButton")->click();
    auto *engineer = road.find<QLineEdit>("engineerEdit");
    QVERIFY(engineer);
    QCOMPARE(engineer->text(), ReportData::loginName());
    engineer->setText(QStringLiteral("Кузнецов А. В."));
    road.find<QPushButton>("reportSaveButton")->click();
    // Named after the serial number and the day.
    QVERIFY(road.prompts.fileDialogArgs.value(1).endsWith(
        QStringLiteral("T3-0421-0077_%1.pdf").arg(QDate::currentDate().toString(Qt::ISODate))));
    QProcess extract;
    extract.start("pdftotext", {road.prompts.nextFileName, "-"});
    QVERIFY(extract.waitForFinished(Road::kWaitMs));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    for (const char *item : {"Кузнецов А. В.", "T3-0421-0077", "GAS-7", "Последние показания"})
        QVERIFY2(text.contains(QString::fromUtf8(item)), item);
}

QTEST_MAIN(TestRoadCommissioning)
#include "tst_road_commissioning.moc"
