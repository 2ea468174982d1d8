#include "ui/dialog/statusrow.h"

#include "ui/journal/trafficwindow.h"
#include "ui/widgets/objectname.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

namespace {

// The row speaks for the window.
QString text(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

} // namespace

StatusRow::StatusRow(QWidget *window)
    : QHBoxLayout()
    , label(named(new QLabel(text("Перед началом работы необходимо: выбрать верный COM-порт, "
                                "перевести контроллер в режим настройки, авторизоваться.")),
                  "statusLabel"))
    , cancelButton(named(new QPushButton(text("Прервать")), "cancelButton"))
    , trafficButton(named(new QPushButton(text("Журнал")), "trafficButton"))
    , journal(new TrafficWindow(window))
{
    cancelButton->setToolTip(text("Остановить команду после текущего обмена (Esc)"));
    cancelButton->hide();
    trafficButton->setToolTip(text("Журнал обмена с контроллером (F12)"));
    trafficButton->setFocusPolicy(Qt::NoFocus);
    addWidget(label, 1);
    addWidget(cancelButton);
    addWidget(trafficButton);
    connect(trafficButton, &QPushButton::clicked, this, [this] { showJournal(); });
    auto *journalKey = new QShortcut(QKeySequence(Qt::Key_F12), window);
    connect(journalKey, &QShortcut::activated, this, [this] { showJournal(); });
}

void StatusRow::commandStarted()
{
    cancelButton->setEnabled(true);
    cancelButton->show();
    cancelButton->setFocus();
    label->clear();
}

void StatusRow::showJournal()
{
    journal->show();
    journal->raise();
    journal->activateWindow();
}
