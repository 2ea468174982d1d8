#include "ui/monitor/monitorwindow.h"

#include "link/channels/digitalcommands.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/frame/frame.h"
#include "link/worker/masterthread.h"
#include "ui/dialog/userprompts.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QDateTimeAxis>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

// An analog channel answers within a frame's quiet gap and pauses; one second is ample.
constexpr int kAnalogChannelMs = 100;
constexpr int kMsecsPerSecond = 1000;
// Points drawn per pixel of the plot's width: more would not show.
constexpr int kPointsPerPixel = 2;
constexpr int kMinDrawnPoints = 200;

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString figure(double value)
{
    return QString::number(value, 'f', std::fabs(value) < 1000 ? 2 : 0);
}

} // namespace

MonitorWindow::MonitorWindow(MasterThread *w, const MonitorPlan &p, QWidget *parent)
    : QDialog(parent, Qt::Window)
    , worker(w)
    , plan(p)
{
    setObjectName(QStringLiteral("monitorWindow"));
    setWindowTitle(tr("Наблюдение за показаниями"));
    setAttribute(Qt::WA_DeleteOnClose);
    data.setChannels(plan.channels);

    const int minimum = cycleSeconds(plan);
    intervalSpin = named(new QSpinBox, "monitorIntervalSpin");
    intervalSpin->setRange(minimum, std::max(minimum, kMaxIntervalSeconds));
    intervalSpin->setValue(std::max(minimum, kDefaultIntervalSeconds));
    intervalSpin->setSuffix(tr(" с"));
    stopButton = named(new QPushButton(tr("Остановить")), "monitorStopButton");
    stopButton->setToolTip(tr("Остановить наблюдение (Esc)"));
    saveButton = named(new QPushButton(tr("Сохранить CSV…")), "monitorSaveButton");
    statusLabel = named(new QLabel, "monitorStatusLabel");
    auto *hint = named(
        new QLabel(tr("Интервал не короче одного цикла опроса выбранных каналов (%1 с): чтение "
                      "счетчика занимает до 60 × таймаут. Пока идет наблюдение, контроллер не "
                      "выходит из режима настройки и расходует батарею; остальные команды ждут.")
                       .arg(minimum)),
        "monitorHintLabel");
    hint->setWordWrap(true);

    chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    timeAxis = new QDateTimeAxis;
    timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    valueAxis = new QValueAxis;
    chart->addAxis(timeAxis, Qt::AlignBottom);
    chart->addAxis(valueAxis, Qt::AlignLeft);
    chartView = named(new QChartView(chart), "monitorChart");
    chartView->setMinimumSize(480, 320);
    chartView->setRenderHint(QPainter::Antialiasing, false);

    table = named(new QTableWidget(int(plan.channels.size()), ColumnCount), "monitorTable");
    table->setHorizontalHeaderLabels({tr("Канал"), tr("Единицы"), tr("Последнее значение"),
                                      tr("Изменение с начала"), tr("Скорость в час")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (int c = 0; c < plan.channels.size(); ++c) {
        QList<QLineSeries *> first{new QLineSeries};
        first.first()->setName(QString::number(plan.channels.at(c).number));
        chart->addSeries(first.first());
        first.first()->attachAxis(timeAxis);
        first.first()->attachAxis(valueAxis);
        lines.append(first);
        table->setItem(c, ChannelColumn, new QTableWidgetItem(QString::number(plan.channels.at(c).number)));
        table->setItem(c, UnitColumn, new QTableWidgetItem(plan.channels.at(c).unit));
        for (int col = LastColumn; col < ColumnCount; ++col)
            table->setItem(c, col, new QTableWidgetItem);
    }

    auto *controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("Интервал опроса:")));
    controls->addWidget(intervalSpin);
    controls->addWidget(stopButton);
    controls->addStretch(1);
    controls->addWidget(saveButton);
    auto *splitter = new QSplitter;
    splitter->addWidget(chartView);
    splitter->addWidget(table);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(hint);
    layout->addLayout(controls);
    layout->addWidget(splitter, 1);
    layout->addWidget(statusLabel);

    nextCycle.setSingleShot(true);
    connect(&nextCycle, &QTimer::timeout, this, &MonitorWindow::runCycle);
    connect(stopButton, &QPushButton::clicked, this, &MonitorWindow::stop);
    connect(saveButton, &QPushButton::clicked, this, &MonitorWindow::saveCsv);
    if (worker) {
        connect(worker, &MasterThread::setComData, this,
                [this](int index, const QStringList &f) { reading(false, index, f); });
        connect(worker, &MasterThread::setRsData, this,
                [this](int index, const QStringList &f) { reading(true, index, f); });
        connect(worker, &MasterThread::error, this, [this](const QString &s) {
            if (commandActive && !s.isEmpty())
                lastStatus = s;
        });
        connect(worker, &MasterThread::enableTablesContorls, this, &MonitorWindow::commandEnded);
    }
}

MonitorWindow::~MonitorWindow()
{
    // The window may go with the main window while a cycle runs; its answers are not wanted.
    if (commandActive && worker)
        worker->cancel();
}

int MonitorWindow::cycleSeconds(const MonitorPlan &plan)
{
    const qint64 perChannel = plan.cmd == Link::CmdDigitalReadings
        ? qint64(DigitalCommands::kReadingsTimeoutFactor) * plan.timeoutMs
        : kAnalogChannelMs;
    const qint64 ms = perChannel * plan.rows.size();
    return int(std::max<qint64>(1, (ms + kMsecsPerSecond - 1) / kMsecsPerSecond));
}

void MonitorWindow::start()
{
    if (watching || !worker)
        return;
    watching = true;
    stopButton->setEnabled(true);
    statusLabel->setText(tr("Идет наблюдение…"));
    runCycle();
}

void MonitorWindow::stop()
{
    if (!watching)
        return;
    watching = false;
    nextCycle.stop();
    stopButton->setEnabled(false);
    // The reading under way ends after its exchange, as the main window's stop does.
    if (commandActive && worker)
        worker->cancel();
    statusLabel->setText(tr("Наблюдение остановлено."));
}

void MonitorWindow::runCycle()
{
    if (!watching || !worker || commandActive)
        return;
    commandActive = true;
    answeredInCycle = 0;
    lastStatus.clear();
    cycleClock.start();
    worker->transaction(plan.portName, plan.timeoutMs, plan.cmd, plan.rows);
}

void MonitorWindow::reading(bool meter, int index, const QStringList &fields)
{
    if (!commandActive)
        return;
    ++answeredInCycle;
    data.add(QDateTime::currentDateTime(), data.position(meter, index), fields);
}

void MonitorWindow::commandEnded(bool on)
{
    if (!on || !commandActive)
        return;
    commandActive = false;
    redraw();
    if (closeWhenIdle) {
        close();
        return;
    }
    if (!watching)
        return;
    if (answeredInCycle < plan.rows.size()) {
        // The line failed: the worker said why; the samples taken stay.
        stop();
        statusLabel->setText(lastStatus.isEmpty() ? MasterThread::noConnectionText() : lastStatus);
        return;
    }
    const qint64 left = qint64(intervalSpin->value()) * kMsecsPerSecond - cycleClock.elapsed();
    nextCycle.start(int(std::max<qint64>(0, left)));
}

void MonitorWindow::redraw()
{
    const int maxPoints =
        std::max(kMinDrawnPoints, int(chart->plotArea().width()) * kPointsPerPixel);
    qint64 tMin = 0;
    qint64 tMax = 0;
    double vMin = 0;
    double vMax = 0;
    bool any = false;
    for (int c = 0; c < lines.size(); ++c) {
        const QList<QVector<QPointF>> runs = data.drawn(c, maxPoints);
        QList<QLineSeries *> &series = lines[c];
        // A gap starts another line in the channel's colour, without a legend entry of its own.
        while (series.size() < std::max<qsizetype>(1, runs.size())) {
            auto *more = new QLineSeries;
            chart->addSeries(more);
            more->attachAxis(timeAxis);
            more->attachAxis(valueAxis);
            more->setPen(series.first()->pen());
            for (QLegendMarker *marker : chart->legend()->markers(more))
                marker->setVisible(false);
            series.append(more);
        }
        for (int k = 0; k < series.size(); ++k) {
            const QVector<QPointF> points = k < runs.size() ? runs.at(k) : QVector<QPointF>();
            series.at(k)->replace(points);
            for (const QPointF &p : points) {
                tMin = any ? std::min(tMin, qint64(p.x())) : qint64(p.x());
                tMax = any ? std::max(tMax, qint64(p.x())) : qint64(p.x());
                vMin = any ? std::min(vMin, p.y()) : p.y();
                vMax = any ? std::max(vMax, p.y()) : p.y();
                any = true;
            }
        }
    }
    if (any) {
        if (tMax == tMin)
            tMax = tMin + kMsecsPerSecond;
        timeAxis->setRange(QDateTime::fromMSecsSinceEpoch(tMin), QDateTime::fromMSecsSinceEpoch(tMax));
        const double margin = vMax > vMin ? (vMax - vMin) * 0.05 : 1.0;
        valueAxis->setRange(vMin - margin, vMax + margin);
    }
    fillTable();
}

void MonitorWindow::fillTable()
{
    for (int c = 0; c < plan.channels.size(); ++c) {
        const MonitorSamples::Summary s = data.summary(c);
        QString last;
        if (s.tried && !s.lastAnswered)
            last = DigitalRules::meterSilentText();
        else if (s.any)
            last = figure(s.last);
        table->item(c, LastColumn)->setText(last);
        table->item(c, ChangeColumn)->setText(s.any ? figure(s.change) : QString());
        table->item(c, RateColumn)->setText(s.any ? figure(s.ratePerHour) : QString());
    }
}

void MonitorWindow::saveCsv()
{
    const QString proposed = QDir::current().filePath(
        tr("наблюдение_%1.csv").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm"))));
    const QString fileName = UserPrompts::current().saveFileName(
        this, tr("Сохранить CSV"), proposed, tr("Файлы CSV (*.csv)"));
    if (fileName.isEmpty())
        return;
    QSaveFile file(fileName);
    const QByteArray text = data.csv();
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        UserPrompts::current().critical(this, tr("Ошибка"), tr("Не удалось сохранить файл %1").arg(fileName));
        return;
    }
    statusLabel->setText(tr("Сохранено: %1").arg(QDir::toNativeSeparators(fileName)));
}

void MonitorWindow::closeEvent(QCloseEvent *event)
{
    stop();
    // The window waits for the reading under way, so that its answers do not reach the next
    // command of the main window.
    if (commandActive) {
        closeWhenIdle = true;
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void MonitorWindow::keyPressEvent(QKeyEvent *event)
{
    // Esc stops the watching; the samples stay on show until a second Esc closes the window.
    if (event->key() == Qt::Key_Escape && watching) {
        stop();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
