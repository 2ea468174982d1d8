#include "ui/dialog/userprompts.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

class WidgetPrompts final : public UserPrompts
{
public:
    void critical(QWidget *parent, const QString &title, const QString &text) override
    {
        QMessageBox::critical(parent, title, text, QMessageBox::Ok);
    }

    bool question(QWidget *parent, const QString &title, const QString &text) override
    {
        return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No)
            == QMessageBox::Yes;
    }

    QString openFileName(QWidget *parent, const QString &caption, const QString &dir,
                         const QString &filter) override
    {
        return QFileDialog::getOpenFileName(parent, caption, dir, filter);
    }

    QString saveFileName(QWidget *parent, const QString &caption, const QString &path,
                         const QString &filter) override
    {
        return QFileDialog::getSaveFileName(parent, caption, path, filter);
    }
};

WidgetPrompts widgetPrompts;
UserPrompts *installed = nullptr;

} // namespace

UserPrompts &UserPrompts::current()
{
    return installed ? *installed : widgetPrompts;
}

void UserPrompts::install(UserPrompts *prompts)
{
    installed = prompts;
}
