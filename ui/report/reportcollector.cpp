#include "ui/report/reportcollector.h"

#include "link/worker/masterthread.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"

ReportCollector::ReportCollector(MasterThread *worker, QObject *parent)
    : QObject(parent)
{
    connect(worker, &MasterThread::update_cmd_status, this, [this](int cmd, bool ok) {
        // A new session may be another controller: nothing read before belongs to it.
        if (cmd == Link::CmdAuthorise && ok)
            held = ReportData();
    });
    connect(worker, &MasterThread::updateHw, this, [this](const QString &hw) {
        held.analogChannelCount = SessionRecord::analogChannelCount(hw);
    });
    connect(worker, &MasterThread::setCpuSet, this,
            [this](const QStringList &data) { held.controller = data; });
    connect(worker, &MasterThread::setComSettings, this,
            [this](int index, const QStringList &data) { held.analog[index] = data; });
    connect(worker, &MasterThread::setRsSettings, this,
            [this](int index, const QStringList &data) { held.digital[index] = data; });
    connect(worker, &MasterThread::setComData, this, [this](int index, const QStringList &data) {
        held.analogReadings[index] = {data, QDateTime::currentDateTime()};
    });
    connect(worker, &MasterThread::setRsData, this, [this](int index, const QStringList &data) {
        held.meterReadings[index] = {data, QDateTime::currentDateTime()};
    });
}

ReportData ReportCollector::report(const QString &engineer) const
{
    ReportData data = held;
    data.engineer = engineer;
    data.created = QDateTime::currentDateTime();
    return data;
}
