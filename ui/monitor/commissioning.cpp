#include "ui/monitor/commissioning.h"

#include "link/worker/masterthread.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/frame/frame.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "ui/dialog/userprompts.h"
#include "ui/monitor/monitorwindow.h"
#include "ui/report/reportcollector.h"
#include "ui/report/reportdialog.h"
#include "ui/settings/settingstab.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

namespace {

enum Tab { ControllerTab, AnalogChannelsTab, DigitalChannelsTab };

QString analogUnit(int code)
{
    const int position = AnalogRecord::positionForCode(code);
    return MonitorSamples::unitOfLabel(
        QCoreApplication::translate("AnalogTab", AnalogRules::kDeviceLabels[position]));
}

QString meterUnit(int code)
{
    const int position = DigitalRules::devicePositionForCode(code);
    return MonitorSamples::unitOfLabel(
        QCoreApplication::translate("RS485Tab", DigitalRules::kDeviceTypeLabels[position]));
}

} // namespace

Commissioning::Commissioning(MasterThread *w, QTabWidget *t, SettingsTab *s, AnalogTab *a,
                             RS485Tab *r, QWidget *parent)
    : QWidget(parent)
    , worker(w)
    , tabs(t)
    , settingsTab(s)
    , analogTab(a)
    , rs485Tab(r)
    , collector(new ReportCollector(w, this))
    , monitorButton(new QPushButton(tr("Наблюдение")))
    , reportButton(new QPushButton(tr("Отчёт")))
    , reportDir(QDir::currentPath())
{
    monitorButton->setObjectName(QStringLiteral("monitorButton"));
    monitorButton->setToolTip(tr("Считывать показания каналов вкладки снова и снова"));
    reportButton->setObjectName(QStringLiteral("reportButton"));
    reportButton->setToolTip(tr("Сохранить протокол настройки контроллера в PDF"));
    for (QPushButton *b : {monitorButton, reportButton}) {
        b->setFocusPolicy(Qt::NoFocus);
        b->setEnabled(false);
    }
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(monitorButton);
    row->addWidget(reportButton);
    connect(monitorButton, &QPushButton::clicked, this, &Commissioning::openMonitor);
    connect(reportButton, &QPushButton::clicked, this, &Commissioning::openReport);
}

MonitorWindow *Commissioning::monitorWindow() const
{
    return monitor;
}

void Commissioning::setGating(bool monitorOn, bool reportOn)
{
    setEnabled(true);
    monitorButton->setEnabled(monitorOn);
    reportButton->setEnabled(reportOn);
}

bool Commissioning::planForTab(MonitorPlan &plan) const
{
    plan.portName = settingsTab->comPortCombo->currentText();
    plan.timeoutMs = settingsTab->timeoutSpin->value();
    if (tabs->currentIndex() == AnalogChannelsTab) {
        plan.cmd = Link::CmdAnalogReading;
        for (int r = 0; r < AnalogRecord::kChannelCount; ++r) {
            if (!analogTab->isComChannelEnabled(r))
                continue;
            const int code = analogTab->getComSettings(r).value(AnalogRecord::SettingsType).toInt();
            plan.rows.append(QStringList{QString::number(r)});
            plan.channels.append({r, r + 1, false, code, analogUnit(code)});
        }
    } else if (tabs->currentIndex() == DigitalChannelsTab) {
        plan.cmd = Link::CmdDigitalReadings;
        const bool selectedOnly = rs485Tab->readSelectedOnly();
        const int analogCount = worker->getAnalogChannelCount();
        for (int r = 0; r < DigitalRules::kChannelCount; ++r) {
            if (!rs485Tab->isChannelEnabled(r) || !rs485Tab->isMeterChannel(r))
                continue;
            if (selectedOnly && !rs485Tab->isChannelSelected(r))
                continue;
            const int code = rs485Tab->channelSettings(r).value(DigitalRecord::WriteDeviceType).toInt();
            plan.rows.append(QStringList{QString::number(r)});
            plan.channels.append(
                {r, DigitalRules::displayNumber(r, analogCount), true, code, meterUnit(code)});
        }
    }
    return !plan.rows.isEmpty();
}

void Commissioning::openMonitor()
{
    MonitorPlan plan;
    if (!planForTab(plan)) {
        UserPrompts::current().critical(
            window(), tr("Ошибка"), tr("Не выбрано ни одного канала для считывания показаний!"));
        return;
    }
    if (monitor)
        monitor->close();
    monitor = new MonitorWindow(worker, plan, window());
    // The other commands wait while the worker is busy watching.
    monitor->setWindowModality(Qt::WindowModal);
    monitor->show();
    monitor->start();
}

void Commissioning::openReport()
{
    auto *dialog = new ReportDialog(collector->report(ReportData::loginName()), reportDir, window());
    connect(dialog, &QDialog::accepted, this, [this, dialog] {
        reportDir = QFileInfo(dialog->savedFile()).absolutePath();
    });
    dialog->open();
}
