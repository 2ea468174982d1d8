#pragma once

// Asks who set the controller up and where to save the commissioning report, and saves it.

#include "report/reportdata.h"

#include <QDialog>

class QLineEdit;

class ReportDialog : public QDialog
{
    Q_OBJECT

public:
    ReportDialog(const ReportData &data, const QString &dir, QWidget *parent = nullptr);

    // The file last saved, empty before.
    QString savedFile() const { return saved; }

private:
    void save();

    ReportData data;
    QString dir;
    QString saved;
    QLineEdit *engineerEdit = nullptr;
};
