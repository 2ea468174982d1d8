#include "ui/dialog/preflightprompts.h"

#include "ui/dialog/sessionstate.h"
#include "ui/dialog/tabpage.h"
#include "ui/dialog/userprompts.h"

#include <QCoreApplication>
#include <QLabel>

bool askBeforeWrite(QWidget *window, const WritePreflight::Steps &steps,
                    const SessionState &session, TabPage &page, QLabel *statusLabel)
{
    using WritePreflight::Step;
    for (const Step &step : steps) {
        if (step.kind == Step::Refusal) {
            const QString title = step.title.isEmpty()
                ? QCoreApplication::translate("TabDialog", "Ошибка")
                : step.title;
            UserPrompts::current().critical(window, title, step.text);
            return false;
        }
        if (step.kind == Step::NothingToWrite) {
            statusLabel->setText(step.text);
            return false;
        }
        const std::optional<bool> yes = session.within(
            [&] { return UserPrompts::current().question(window, step.title, step.text); });
        if (!yes || (!*yes && !step.noSwitchesPsmOff))
            return false;
        if (!*yes)
            page.declined(step);
    }
    return true;
}
