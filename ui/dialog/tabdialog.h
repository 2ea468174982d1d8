#pragma once

// Main window: the three tabs, the command buttons, progress and status; hands every
// command to the worker and routes its answers to the tabs.

#include "link/worker/masterthread.h"
#include "ui/dialog/sessionstate.h"
#include "ui/dialog/tabpage.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <array>
#include <memory>
#include <optional>

class AnalogTab;
class Commissioning;
class ChannelFileActions;
class CommandRow;
class QHBoxLayout;
class QJsonObject;
class QKeyEvent;
class QLabel;
class QProgressBar;
class QPushButton;
class QShowEvent;
class QTabWidget;
class RS485Tab;
class SettingsTab;
class StatusRow;
class TrafficWindow;
class HistoryWindow;
class SessionHistory;
struct HistoryLocation;

class TabDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kSettingsModeSeconds = SessionState::kSettingsModeSeconds;

    explicit TabDialog(QWidget *parent = nullptr);
    ~TabDialog() override;

    void selectPort(const QString &name);
    bool isAuthorised() const { return session.isAuthorised(); }
    bool isCountdownRunning() const { return session.isCountdownRunning(); }
    // While a command runs the window is frozen but for the stop and the traffic journal.
    bool isCommandRunning() const { return commandRunning; }
    MasterThread *worker() const { return masterThread.get(); }
    TrafficWindow *trafficJournal() const { return trafficWindow; }
    Commissioning *commissioningButtons() const { return commissioning; }
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

private:
    void createTabs();
    QHBoxLayout *createCommandButtons();
    void layOut(QHBoxLayout *commandButtons);
    void connectButtons();
    void connectWorker();
    void connectTabs();
    void restoreVersion(const QJsonObject &document);
    // The tabs were filled from elsewhere (a file, the history): their changes show anew.
    void pagesChanged();

    // Without rows the worker keeps those of the command before.
    void startTransaction(int cmd, const std::optional<Rows> &rows = std::nullopt);
    void startTransaction(const PageCommand &command);
    TabPage *currentPage() const;
    void tabReadChanged(TabIndex tab, bool read);
    void tabChanged(TabIndex tab);
    void hardwareChanged(const QString &hw);

    QTabWidget *tabWidget = nullptr;
    AnalogTab *analogTab = nullptr;
    RS485Tab *rs485Tab = nullptr;
    SettingsTab *settingsTab = nullptr;
    CommandRow *commandRow = nullptr;
    QProgressBar *progressBar = nullptr;
    QLabel *statusLabel = nullptr;
    QPushButton *cancelButton = nullptr;
    StatusRow *statusRow = nullptr;
    // Holds everything a running command freezes: tabs, command buttons, progress.
    QWidget *body = nullptr;
    TrafficWindow *trafficWindow = nullptr;
    Commissioning *commissioning = nullptr;
    QPointer<QWidget> focusBeforeCommand;
    // Destroyed with the dialog: its destructor stops the thread in order.
    std::unique_ptr<MasterThread> masterThread;
    std::array<TabPage *, TabCount> pages{};
    SessionState session;
    std::unique_ptr<ChannelFileActions> fileActions;
    SessionHistory *sessionHistory = nullptr; // a child of the dialog
    HistoryWindow *historyWindow = nullptr;
    int currentTab = ControllerTab;
    bool commandRunning = false;
};
