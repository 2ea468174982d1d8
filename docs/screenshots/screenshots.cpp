// Renders each tab of the configurator, filled from the simulated controller, to PNG files
// for the README.

#include "ui/dialog/tabdialog.h"
#include "ui/dialog/userprompts.h"
#include "ui/journal/trafficwindow.h"
#include "ui/monitor/commissioning.h"
#include "ui/monitor/monitorwindow.h"
#include "link/worker/masterthread.h"
#include "sim/simserver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>

#include <cstdio>

namespace {

constexpr int kWaitMs = 60000;

bool clickAndWait(TabDialog &dialog, const char *name)
{
    auto *button = dialog.findChild<QPushButton *>(QLatin1String(name));
    if (!button || !button->isEnabled())
        return false;
    button->click();
    return QTest::qWaitFor([&dialog] { return !dialog.isCommandRunning(); }, kWaitMs);
}

// Saves the report where the script renders its first page; nothing else is asked.
class ReportPath : public UserPrompts
{
public:
    explicit ReportPath(const QString &file) : path(file) {}
    void critical(QWidget *, const QString &, const QString &) override {}
    bool question(QWidget *, const QString &, const QString &) override { return false; }
    QString openFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return {};
    }
    QString saveFileName(QWidget *, const QString &, const QString &, const QString &) override
    {
        return path;
    }

private:
    QString path;
};

// The analog meters counting while they are watched, then the report of the session.
bool commissioning(TabDialog &dialog, SimServer &sim, const QString &outDir, const QString &pdf)
{
    constexpr int kCycles = 8;
    constexpr quint32 kSteps[] = {12, 0, 0, 0, 30, 0, 0, 5};
    sim.withModel([](ControllerModel &m) { m.analog.readingStep = 0; });
    QObject::connect(
        dialog.worker(), &MasterThread::setComData, &dialog,
        [&sim, &kSteps](int index, const QStringList &) {
            sim.withModel([&](ControllerModel &m) {
                m.analog.channels[index].value += kSteps[index % 8];
                // The temperature wanders by a tenth of a degree.
                if (index == 1)
                    m.analog.channels[1].value = 230 + (m.analog.channels[1].value + 3) % 9;
            });
        },
        Qt::DirectConnection);
    dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(1);
    dialog.findChild<QPushButton *>(QStringLiteral("monitorButton"))->click();
    MonitorWindow *w = dialog.commissioningButtons()->monitorWindow();
    if (!w)
        return false;
    w->resize(1100, 560);
    w->findChild<QSpinBox *>(QStringLiteral("monitorIntervalSpin"))->setValue(1);
    if (!QTest::qWaitFor([w] { return w->samples().samples().size() >= kCycles * 6; }, kWaitMs))
        return false;
    w->stop();
    if (!QTest::qWaitFor([w] { return !w->isReading(); }, kWaitMs))
        return false;
    const QString monitorPath = QDir(outDir).filePath(QStringLiteral("monitor.png"));
    if (!w->grab().save(monitorPath))
        return false;
    w->close();
    std::printf("%s\n", qPrintable(monitorPath));

    ReportPath prompts(pdf);
    UserPrompts::install(&prompts);
    dialog.findChild<QPushButton *>(QStringLiteral("reportButton"))->click();
    auto *save = dialog.findChild<QPushButton *>(QStringLiteral("reportSaveButton"));
    if (auto *engineer = dialog.findChild<QLineEdit *>(QStringLiteral("engineerEdit")))
        engineer->setText(QStringLiteral("Иванов И. И."));
    if (save)
        save->click();
    UserPrompts::install(nullptr);
    std::printf("%s\n", qPrintable(pdf));
    return save && QFile::exists(pdf);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);

    ControllerModel model;
    model.setHardware(QStringLiteral("8.1"));
    // A few meters on the RS-485 line, one of them not answering.
    SimDigitalChannels &d = model.digital;
    d.channels[0] = {8, 1, 41234567u, "111111", 1, 12};
    d.channels[1] = {7, 5, 0xFA000003u + 8 * 17, {}, 1, 12};
    d.channels[2] = {1, 10, 3u, {}, 1, 14};
    d.channels[3] = {2, 11, 4u, {}, 1, 14};
    d.meters[0] = {true, "41234567", {1523400, 733100, 790300, 0}};
    d.meters[1] = {true, "00731245", {48211000, 0, 0, 0}};
    d.meters[2] = {true, "21-044512", {153220, 0, 0, 0}};
    d.meters[3] = {false, {}, {}};
    SimServer sim(model);
    if (!sim.start()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    TabDialog dialog;
    dialog.selectPort(sim.portName());
    // At the size the window opens with, which scripts/screenshots gives a screen to hold.
    dialog.show();
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    if (!clickAndWait(dialog, "authButton"))
        return 1;

    const char *files[] = {"tab-controller.png", "tab-analog.png", "tab-digital.png"};
    for (int tab = 0; tab < 3; ++tab) {
        tabs->setCurrentIndex(tab);
        if (!clickAndWait(dialog, "readSettingsButton"))
            return 1;
        if (tab == 2) {
            auto *readSelected = dialog.findChild<QCheckBox *>(QStringLiteral("readSelectedCheck"));
            if (readSelected)
                readSelected->setChecked(false);
        }
        if (tab > 0 && !clickAndWait(dialog, "readDataButton"))
            return 1;
        const QString path = QDir(outDir).filePath(QLatin1String(files[tab]));
        if (!dialog.grab().save(path))
            return 1;
        std::printf("%s\n", qPrintable(path));
    }

    // The meter readings stopped at the third meter, then the traffic journal.
    const int metersRead = sim.requestCount(2);
    auto *readData = dialog.findChild<QPushButton *>(QStringLiteral("readDataButton"));
    readData->click();
    if (!QTest::qWaitFor([&] { return sim.requestCount(2) >= metersRead + 3; }, kWaitMs))
        return 1;
    dialog.findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
    if (!QTest::qWaitFor([&dialog] { return !dialog.isCommandRunning(); }, kWaitMs))
        return 1;
    const QString stopped = QDir(outDir).filePath(QStringLiteral("stopped.png"));
    QWidget *journal = dialog.trafficJournal();
    journal->show();
    const QString journalPath = QDir(outDir).filePath(QStringLiteral("traffic-journal.png"));
    if (!dialog.grab().save(stopped) || !journal->grab().save(journalPath))
        return 1;
    std::printf("%s\n%s\n", qPrintable(stopped), qPrintable(journalPath));
    journal->hide();
    const QString pdf = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QDir(outDir).filePath("report.pdf");
    return commissioning(dialog, sim, outDir, pdf) ? 0 : 1;
}
