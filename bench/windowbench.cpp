#include "bench/windowbench.h"

#include "ui/dialog/tabdialog.h"
#include "link/worker/masterthread.h"
#include "sim/simserver.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

constexpr int kShowLimitMs = 20000;
constexpr int kCommandLimitMs = 60000;
constexpr int kChildLimitMs = 180000;
// Wakes the waiting loop now and then, so that a deadline is seen while nothing happens.
constexpr int kWakeMs = 100;
constexpr int kProgressDone = 100;
constexpr int kTabCount = 3;

const char kConfigurator[] = "lumaro-configurator";

double msSince(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A "Vm..." line of /proc/self/status in kB, -1 when the kernel does not give it.
qint64 procStatusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

void report(const char *key, double value)
{
    std::printf("%s %.3f\n", key, value);
    std::fflush(stdout);
}

int fail(const QString &why)
{
    std::printf("fail %s\n", qPrintable(why));
    std::fflush(stdout);
    return 1;
}

bool waitUntil(const std::function<bool()> &condition, int limitMs)
{
    QDeadlineTimer deadline(limitMs);
    QTimer wake;
    wake.start(kWakeMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Notes the first paint of the window: that is when the user sees it.
class FirstPaint : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

QProcessEnvironment offscreenEnvironment()
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

double helpStartupMs()
{
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kConfigurator));
    if (!QFileInfo(program).isExecutable())
        return -1;
    QProcess process;
    process.setProcessEnvironment(offscreenEnvironment());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, {QStringLiteral("--help")});
    if (!process.waitForFinished(kShowLimitMs) || process.exitCode() != 0)
        return -1;
    return msSince(clock);
}

} // namespace

namespace WindowBench {

int runChild(int argc, char **argv, const QElapsedTimer &sinceMain)
{
    const QString port = QString::fromLocal8Bit(argv[2]);
    // As the configurator's own main() starts.
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    report("application-ms", msSince(sinceMain));

    TabDialog dialog;
    report("dialog-ms", msSince(sinceMain));
    dialog.selectPort(port);
    FirstPaint firstPaint;
    dialog.installEventFilter(&firstPaint);
    dialog.setWindowFlags(Qt::Window);
    dialog.show();
    if (!waitUntil([&firstPaint] { return firstPaint.painted; }, kShowLimitMs))
        return fail(QStringLiteral("the window was never painted"));
    report("shown-ms", msSince(sinceMain));
    report("shown-hwm-kb", double(procStatusKb("VmHWM")));

    auto *status = dialog.findChild<QLabel *>(QStringLiteral("statusLabel"));
    auto *progress = dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *authButton = dialog.findChild<QPushButton *>(QStringLiteral("authButton"));
    auto *readButton = dialog.findChild<QPushButton *>(QStringLiteral("readSettingsButton"));
    if (!status || !progress || !tabs || !authButton || !readButton)
        return fail(QStringLiteral("a widget of the dialog is missing"));
    const auto enabled = [&dialog] { return !dialog.isCommandRunning(); };
    const auto succeeded = [&] {
        return progress->value() == kProgressDone
            && status->text() != MasterThread::noConnectionText();
    };

    QElapsedTimer reading;
    reading.start();
    // The password field holds the factory password, which the simulator expects.
    authButton->click();
    if (!waitUntil(enabled, kCommandLimitMs) || !dialog.isAuthorised())
        return fail(QStringLiteral("authorise: %1").arg(status->text()));
    for (int tab = 0; tab < kTabCount; ++tab) {
        tabs->setCurrentIndex(tab);
        if (!readButton->isEnabled())
            return fail(QStringLiteral("tab %1: reading is not enabled").arg(tab));
        readButton->click();
        if (!waitUntil(enabled, kCommandLimitMs) || !succeeded())
            return fail(QStringLiteral("tab %1: %2").arg(tab).arg(status->text()));
    }
    report("read-all-ms", msSince(reading));
    report("hwm-kb", double(procStatusKb("VmHWM")));
    std::printf("done\n");
    std::fflush(stdout);
    return 0;
}

bool measure(WindowFigures &figures, QString &problem)
{
    SimServer sim;
    if (!sim.start()) {
        problem = QStringLiteral("no pseudo-terminal for the simulator");
        return false;
    }
    QProcess child;
    child.setProcessEnvironment(offscreenEnvironment());
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(),
                {QLatin1String(kChildOption), sim.portName()});

    const QDeadlineTimer deadline(kChildLimitMs);
    bool done = false;
    while (!done && !deadline.hasExpired()) {
        if (!child.canReadLine() && !child.waitForReadyRead(int(deadline.remainingTime())))
            break;
        while (child.canReadLine()) {
            const QByteArray line = child.readLine().trimmed();
            const qsizetype space = line.indexOf(' ');
            const QByteArray key = space < 0 ? line : line.left(space);
            const double value = line.mid(key.size()).trimmed().toDouble();
            if (key == "shown-ms") {
                figures.shownFromExecMs = msSince(clock);
                figures.shownFromMainMs = value;
            } else if (key == "application-ms") {
                figures.applicationMs = value;
            } else if (key == "dialog-ms") {
                figures.dialogMs = value;
            } else if (key == "shown-hwm-kb") {
                figures.shownPeakKb = qint64(value);
            } else if (key == "read-all-ms") {
                figures.readAllMs = value;
            } else if (key == "hwm-kb") {
                figures.peakKb = qint64(value);
            } else if (key == "done") {
                done = true;
            } else if (key == "fail") {
                problem = QString::fromLocal8Bit(line.mid(key.size()).trimmed());
                done = true;
            }
        }
    }
    if (!child.waitForFinished(kShowLimitMs)) {
        child.kill();
        child.waitForFinished(kShowLimitMs);
    }
    if (!done && problem.isEmpty())
        problem = QStringLiteral("the window process ended without its figures");
    sim.stop();
    figures.helpMs = helpStartupMs();
    return problem.isEmpty();
}

} // namespace WindowBench
