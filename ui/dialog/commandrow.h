#pragma once

// The window's six command buttons under the tabs, enabled and explained by the gating rules.

#include <QHBoxLayout>

class QPushButton;
struct CommandGating;

class CommandRow : public QHBoxLayout
{
public:
    CommandRow();

    // What may be pressed now, with the reason on the tool tip of what may not.
    void apply(const CommandGating &gating);

    QPushButton *const readSettingsButton;
    QPushButton *const writeSettingsButton;
    QPushButton *const readDataButton;
    QPushButton *const importButton;
    QPushButton *const exportButton;
    QPushButton *const exitButton;
};
