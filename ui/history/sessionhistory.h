#pragma once

// The window's side of the configuration history: after a complete read of a tab and after a
// write the controller answered, what this session read of the controller goes to the history
// as one document; a stored version comes back into the tabs as changes, to be written.

#include "protocol/document/snapshot.h"

#include <QJsonObject>
#include <QObject>

#include <array>

class AnalogTab;
class HistoryWindow;
class MasterThread;
class QLabel;
class QPushButton;
class RS485Tab;
class SessionState;
class SettingsTab;
class TrafficWindow;

class SessionHistory : public QObject
{
    Q_OBJECT

public:
    struct Tabs {
        SettingsTab *settings = nullptr;
        AnalogTab *analog = nullptr;
        RS485Tab *digital = nullptr;
    };

    // Makes "История" and its window for `dialog`, and listens to `worker` for settings answers.
    // A history that cannot be kept is said once on the status line and in the journal.
    SessionHistory(QWidget *dialog, MasterThread *worker, const Tabs &tabs,
                   const SessionState &session, QLabel *statusLabel, TrafficWindow *journal);

    QPushButton *button() const { return historyButton; }
    HistoryWindow *historyWindow() const { return window; }

    void commandStarted(int cmd);
    // The controller sent settings back during the running command.
    void answered() { gotAnswer = true; }
    void commandEnded();
    // Nothing read belongs to the next session, which may be another controller.
    void sessionEnded();
    // Lays `document` into the tabs; false, with a message, when it is not for them.
    bool restore(const QJsonObject &document);

    // What the tabs hold as read in this session, sections not read left out.
    Snapshot asRead() const;

private:
    void updateConnected();
    QString connectedSerial() const;
    bool isRead(int tab) const;
    bool allTabsRead() const;

    QPushButton *historyButton;
    HistoryWindow *window;
    Tabs tabs;
    const SessionState &session;
    QLabel *statusLabel;
    int runningCmd = 0;
    bool gotAnswer = false;
    // Laid from the history and not yet written: the next write of the tab is a restore.
    std::array<bool, 3> restored{};
};
