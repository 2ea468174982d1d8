#include "bench/commissioningbench.h"

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/frame/frame.h"
#include "protocol/settings/controllerrecord.h"
#include "report/reportdocument.h"
#include "ui/monitor/monitorwindow.h"

#include <QApplication>
#include <QChartView>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace CommissioningBench {

namespace {

constexpr double kReportTargetMs = 2000;
constexpr double kRedrawTargetMs = 50;
constexpr int kRuns = 5;
constexpr int kChannels = AnalogRecord::kChannelCount;
constexpr int kSampleSeconds = 5;
constexpr int kDaySeconds = 86400;
constexpr int kMeters = DigitalRules::kChannelCount;
constexpr int kChildWaitMs = 300000;

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

const char *verdict(bool ok)
{
    return ok ? "ok" : "ABOVE TARGET";
}

ReportData fullController()
{
    ReportData d;
    d.created = QDateTime::currentDateTime();
    d.engineer = QStringLiteral("bench");
    d.controller = QStringList(ControllerRecord::EntryCount, QStringLiteral("1"));
    d.controller[ControllerRecord::SerialNumber] = QStringLiteral("BENCH-1");
    for (int i = 0; i < AnalogRecord::kChannelCount; ++i) {
        d.analog[i] = {"1", "2", QStringLiteral("AN-%1").arg(i), "10", "1", "30", "60", "7", "0"};
        d.analogReadings[i] = {{QString::number(1000 + i)}, d.created};
    }
    for (int i = 0; i < kMeters; ++i) {
        d.digital[i] = {"8", "1", QString::number(1000 + i), "", "1", "5"};
        d.meterReadings[i] = {{QStringLiteral("EM-%1").arg(i), "70000", "1", "2", "3"}, d.created};
    }
    return d;
}

void reportFigure()
{
    QTemporaryDir dir;
    const ReportData data = fullController();
    QList<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        ReportDocument::writePdf(data, dir.filePath(QStringLiteral("report.pdf")));
        ms.append(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("  report, 8 + 32 channels, A4 PDF  %7.1f ms median of %d (build, lay out, "
                "write)  target < %.0f ms: %s\n",
                median(ms), kRuns, kReportTargetMs, verdict(median(ms) < kReportTargetMs));
}

void chartFigure()
{
    MonitorPlan plan;
    plan.cmd = Link::CmdAnalogReading;
    for (int i = 0; i < kChannels; ++i) {
        plan.rows.append({QString::number(i)});
        plan.channels.append({i, i + 1, false, AnalogRecord::kColdWater, QStringLiteral("л")});
    }
    MonitorWindow window(nullptr, plan);
    window.resize(1322, 700);
    window.show();
    const QDateTime start = QDateTime::currentDateTime();
    const int samples = kDaySeconds / kSampleSeconds;
    MonitorSamples &load = window.samplesForLoad();
    for (int k = 0; k < samples; ++k) {
        const QDateTime at = start.addSecs(qint64(k) * kSampleSeconds);
        for (int c = 0; c < kChannels; ++c)
            load.add(at, c, {QString::number(k * (c + 1) + (k % 17))});
    }
    auto *view = window.findChild<QChartView *>(QStringLiteral("monitorChart"));
    QList<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        window.redraw();
        view->grab();
        ms.append(double(t.nsecsElapsed()) / 1e6);
    }
    std::printf("  chart redraw, %d channels x %d samples (%d points, a day at %d s)  %7.1f ms "
                "median of %d (thin, replace, paint)  target < %.0f ms: %s\n",
                kChannels, samples, kChannels * samples, kSampleSeconds, median(ms), kRuns,
                kRedrawTargetMs, verdict(median(ms) < kRedrawTargetMs));
}

} // namespace

int runChild(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::printf("\ncommissioning (offscreen, in a child process)\n");
    reportFigure();
    chartFigure();
    std::fflush(stdout);
    return 0;
}

bool measure()
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {QLatin1String(kChildOption)});
    return child.waitForFinished(kChildWaitMs) && child.exitStatus() == QProcess::NormalExit
        && child.exitCode() == 0;
}

} // namespace CommissioningBench
