#include "ui/dialog/commandrow.h"

#include "ui/dialog/commandgating.h"
#include "ui/widgets/objectname.h"

#include <QCoreApplication>
#include <QPushButton>

namespace {

// The row speaks for the window.
QPushButton *button(const char *text, const char *name)
{
    return named(new QPushButton(QCoreApplication::translate("TabDialog", text)), name);
}

void applyState(QPushButton *button, const ControlState &state)
{
    button->setEnabled(state.enabled);
    button->setToolTip(state.toolTip);
}

} // namespace

CommandRow::CommandRow()
    : readSettingsButton(button("Считать настройки", "readSettingsButton"))
    , writeSettingsButton(button("Записать настройки", "writeSettingsButton"))
    , readDataButton(button("Считать показания", "readDataButton"))
    , importButton(button("Импорт каналов", "importButton"))
    , exportButton(button("Экспорт каналов", "exportButton"))
    , exitButton(button("Выход из режима", "exitButton"))
{
    for (QPushButton *b : {readSettingsButton, writeSettingsButton, readDataButton, importButton,
                           exportButton, exitButton})
        addWidget(b);
}

void CommandRow::apply(const CommandGating &gating)
{
    applyState(readSettingsButton, gating.readSettings);
    applyState(writeSettingsButton, gating.writeSettings);
    applyState(readDataButton, gating.readData);
    exitButton->setEnabled(gating.exitEnabled);
}
