#pragma once

// Keeps what the controller answered in this session, records and readings with their time,
// for the commissioning report.

#include "report/reportdata.h"

#include <QObject>

class MasterThread;

class ReportCollector : public QObject
{
    Q_OBJECT

public:
    explicit ReportCollector(MasterThread *worker, QObject *parent = nullptr);

    // The report as of now, for `engineer`.
    ReportData report(const QString &engineer) const;

private:
    ReportData held;
};
