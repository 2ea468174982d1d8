#pragma once

// Watches the readings of the channels "Считать показания" reads on a tab: the same command
// again and again through the window's worker, a chart and a table of what came in.

#include "link/worker/commandline.h"
#include "ui/monitor/monitorsamples.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

class MasterThread;
class QChart;
class QChartView;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QValueAxis;

// What to watch and on which line.
struct MonitorPlan {
    QString portName;
    int timeoutMs = 0;
    int cmd = 0;  // the readings command of the tab
    Rows rows;    // its rows, one per channel
    QList<MonitorChannel> channels;
};

class MonitorWindow : public QDialog
{
    Q_OBJECT

public:
    enum Column { ChannelColumn, UnitColumn, LastColumn, ChangeColumn, RateColumn, ColumnCount };

    static constexpr int kDefaultIntervalSeconds = 5;
    static constexpr int kMaxIntervalSeconds = 3600;

    MonitorWindow(MasterThread *worker, const MonitorPlan &plan, QWidget *parent = nullptr);
    ~MonitorWindow() override;

    // The shortest interval: one cycle of the chosen channels, a meter taking 60 time-outs.
    static int cycleSeconds(const MonitorPlan &plan);

    bool isWatching() const { return watching; }
    // A reading of the cycle is under way on the worker.
    bool isReading() const { return commandActive; }
    const MonitorSamples &samples() const { return data; }
    // Takes what came in so far into the chart and the table (the bench calls it after a load).
    void redraw();
    // For the bench: samples as if they had been read.
    MonitorSamples &samplesForLoad() { return data; }

public slots:
    void start();
    void stop();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void runCycle();
    void reading(bool meter, int index, const QStringList &fields);
    void commandEnded(bool on);
    void saveCsv();
    void fillTable();

    QPointer<MasterThread> worker;
    MonitorPlan plan;
    MonitorSamples data;
    QSpinBox *intervalSpin = nullptr;
    QPushButton *stopButton = nullptr;
    QPushButton *saveButton = nullptr;
    QLabel *statusLabel = nullptr;
    QChartView *chartView = nullptr;
    QChart *chart = nullptr;
    QDateTimeAxis *timeAxis = nullptr;
    QValueAxis *valueAxis = nullptr;
    QTableWidget *table = nullptr;
    // Per channel, one line per run of readings without a gap.
    QList<QList<QLineSeries *>> lines;
    QTimer nextCycle;
    QElapsedTimer cycleClock;
    QString lastStatus;
    int answeredInCycle = 0;
    bool watching = false;
    bool commandActive = false;
    bool closeWhenIdle = false;
};
