#pragma once

// Main window: the three tabs, the command buttons, progress and status; hands every
// command to the worker and routes its answers to the tabs.

#include "link/worker/masterthread.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

class AnalogTab;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;
class QTabWidget;
class QTimer;
class RS485Tab;
class SettingsTab;
class TrafficWindow;
class HistoryWindow;
struct HistoryLocation;

class TabDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSettingsModeSeconds = 300;
    static constexpr int kCountdownTickMs = 1000;

    explicit TabDialog(QWidget *parent = nullptr);
    ~TabDialog() override;

    void selectPort(const QString &name);
    bool isAuthorised() const { return authorised; }
    bool isCountdownRunning() const;
    // While a command runs the window is frozen but for the stop and the traffic journal.
    bool isCommandRunning() const { return commandRunning; }
    MasterThread *worker() const { return masterThread.get(); }
    TrafficWindow *trafficJournal() const { return trafficWindow; }
    // Copies the traffic journal's lines to `fileName` from now on; false when it cannot be opened.
    bool setTrafficLogFile(const QString &fileName);
    // Keeps the configuration history there; without it the window keeps none.
    void setHistoryLocation(const HistoryLocation &location);
    HistoryWindow *history() const { return historyWindow; }

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private slots:
    void transaction_write_settings();
    void transaction_read_settings();
    void transaction_read_data();
    void transaction_exit();
    void transaction_auth_pass(const QString &pass);
    void transaction_update_pass(const QString &passnew, const QString &passnew_repeat);
    void transaction_bc68_start();
    void transaction_bc68_update();
    void transaction_upload_firmware();
    void setTablesEnabledControls(bool on);
    void setButtonsEnabledControls(bool on);
    void enableButtonStartBC68(bool on);
    void update_timerLabel();
    void update_timer();
    void stop_timer();
    void loadFile();
    void saveFile();
    void update_cmd_status(int cmd, bool isOk);
    void currentChanged(int index);
    void cancelCommand();
    void showTrafficWindow();
    void portNotOpened(const QString &portName, int errorCode);

private:
    void createTabs();
    QHBoxLayout *createCommandButtons();
    void layOut(QHBoxLayout *commandButtons);
    QHBoxLayout *createStatusRow();
    void connectButtons();
    void connectWorker();
    void connectTabs();

    // Runs a question or file dialog and gives its answer, or none when the session ended
    // while it was open. Such a dialog runs its own event loop, in which the settings-mode
    // countdown can end the session and empty the tables: the action that asked then gives up.
    template <typename Prompt>
    auto withinSession(Prompt prompt) -> std::optional<decltype(prompt())>
    {
        const quint64 session = sessionsEnded;
        auto answer = prompt();
        if (sessionsEnded != session)
            return std::nullopt;
        return answer;
    }

    void startTransaction(int cmd);
    void startTransaction(int cmd, const Rows &rows);
    void beginTransaction();
    void writeControllerSettings();
    void writeAnalogChannels();
    void writeDigitalChannels();
    void tabReadedChanged(int tab, bool readed);
    void tabChanged(int tab);
    bool tabHasChanges(int tab) const;
    bool tabReadFromController(int tab) const;
    void hardwareChanged(const QString &hw);
    void rememberDir(const QString &fileName);
    void critical(const QString &title, const QString &text);

    QTabWidget *tabWidget = nullptr;
    AnalogTab *analogTab = nullptr;
    RS485Tab *rs485Tab = nullptr;
    SettingsTab *settingsTab = nullptr;
    QPushButton *readSettingsButton = nullptr;
    QPushButton *writeSettingsButton = nullptr;
    QPushButton *readDataButton = nullptr;
    QPushButton *exitButton = nullptr;
    QPushButton *importButton = nullptr;
    QPushButton *exportButton = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QPushButton *cancelButton = nullptr;
    QPushButton *trafficButton = nullptr;
    // Holds everything a running command freezes: tabs, command buttons, progress.
    QWidget *body = nullptr;
    TrafficWindow *trafficWindow = nullptr;
    QPushButton *historyButton = nullptr;
    HistoryWindow *historyWindow = nullptr;
    QPointer<QWidget> focusBeforeCommand;
    std::unique_ptr<QTimer> exitTimer;
    // Destroyed with the dialog: its destructor stops the thread in order.
    std::unique_ptr<MasterThread> masterThread;
    QString lastDir;
    int exitCountdown = kSettingsModeSeconds;
    int currentTab = 0;
    bool authorised = false;
    bool commandRunning = false;
    bool tabReaded[3] = {false, false, false};
    bool settingsChangedFlags[3] = {false, false, false};
    QString fwVersion;
    QString hwVersion;
    // Counts the sessions ended so far, for withinSession().
    quint64 sessionsEnded = 0;
};
