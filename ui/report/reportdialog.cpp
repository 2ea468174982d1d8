#include "ui/report/reportdialog.h"

#include "report/reportdocument.h"
#include "ui/dialog/userprompts.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

ReportDialog::ReportDialog(const ReportData &d, const QString &folder, QWidget *parent)
    : QDialog(parent)
    , data(d)
    , dir(folder)
{
    setObjectName(QStringLiteral("reportDialog"));
    setWindowTitle(ReportDocument::title());
    setAttribute(Qt::WA_DeleteOnClose);
    engineerEdit = new QLineEdit(data.engineer);
    engineerEdit->setObjectName(QStringLiteral("engineerEdit"));
    auto *form = new QFormLayout;
    form->addRow(tr("Инженер:"), engineerEdit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
    QPushButton *saveButton = buttons->button(QDialogButtonBox::Save);
    saveButton->setObjectName(QStringLiteral("reportSaveButton"));
    saveButton->setText(tr("Сохранить PDF…"));
    buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
    connect(buttons, &QDialogButtonBox::accepted, this, &ReportDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void ReportDialog::save()
{
    data.engineer = engineerEdit->text().trimmed();
    const QString fileName = UserPrompts::current().saveFileName(
        this, tr("Сохранить отчёт"), QDir(dir).filePath(data.fileName()),
        tr("Документы PDF (*.pdf)"));
    if (fileName.isEmpty())
        return;
    if (!ReportDocument::writePdf(data, fileName)) {
        UserPrompts::current().critical(this, tr("Ошибка"),
                                        tr("Не удалось сохранить файл %1").arg(fileName));
        return;
    }
    saved = fileName;
    accept();
}
