#pragma once

// The channel file's export and import as the window runs them: the file dialogs, the tables'
// rows through ChannelExchange, and the outcome in a message or the status line.

#include <QString>

class AnalogTab;
class QLabel;
class QWidget;
class RS485Tab;
class SessionState;
class SettingsTab;

class ChannelFileActions
{
public:
    struct Tabs {
        SettingsTab *settings = nullptr;
        AnalogTab *analog = nullptr;
        RS485Tab *digital = nullptr;
    };

    ChannelFileActions(QWidget *window, const Tabs &tabs, const SessionState &session,
                       QLabel *statusLabel);

    void exportChannels(int analogCount);
    // True when the file's rows were laid over the tables.
    bool importChannels();

private:
    void critical(const QString &title, const QString &text);
    void rememberDir(const QString &fileName);

    QWidget *window;
    Tabs tabs;
    const SessionState &session;
    QLabel *statusLabel;
    QString lastDir;
};
