#pragma once

// The commissioning buttons beside "Журнал": "Наблюдение" watches the readings of the tab on
// show, "Отчёт" saves the commissioning report of what this session read.

#include <QPointer>
#include <QWidget>

class AnalogTab;
class MasterThread;
class MonitorWindow;
class QPushButton;
class QTabWidget;
class ReportCollector;
class RS485Tab;
class SettingsTab;
struct MonitorPlan;

class Commissioning : public QWidget
{
    Q_OBJECT

public:
    Commissioning(MasterThread *worker, QTabWidget *tabs, SettingsTab *settingsTab,
                  AnalogTab *analogTab, RS485Tab *rs485Tab, QWidget *parent = nullptr);

    // "Наблюдение" is pressable exactly when "Считать показания" is; "Отчёт" once the
    // controller settings are read.
    void setGating(bool monitor, bool report);

    // The watching window while it is open.
    MonitorWindow *monitorWindow() const;

private:
    void openMonitor();
    void openReport();
    // What "Считать показания" reads on the tab on show; false when it reads nothing.
    bool planForTab(MonitorPlan &plan) const;

    MasterThread *worker;
    QTabWidget *tabs;
    SettingsTab *settingsTab;
    AnalogTab *analogTab;
    RS485Tab *rs485Tab;
    ReportCollector *collector;
    QPushButton *monitorButton;
    QPushButton *reportButton;
    QPointer<MonitorWindow> monitor;
    QString reportDir;
};
