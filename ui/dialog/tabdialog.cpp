#include "ui/dialog/tabdialog.h"

#include "lumaro/version.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "ui/dialog/channelfileactions.h"
#include "ui/dialog/commandgating.h"
#include "ui/dialog/commandrow.h"
#include "ui/dialog/preflightprompts.h"
#include "ui/dialog/statusrow.h"
#include "ui/dialog/userprompts.h"
#include "ui/history/historywindow.h"
#include "ui/history/sessionhistory.h"
#include "ui/journal/trafficwindow.h"
#include "ui/monitor/commissioning.h"
#include "ui/settings/settingstab.h"
#include "ui/widgets/objectname.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTime>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumWidth = 1000;
constexpr int kMinimumHeight = 700;

} // namespace

TabDialog::TabDialog(QWidget *parent)
    : QDialog(parent)
    , masterThread(std::make_unique<MasterThread>())
{
    setObjectName(QStringLiteral("tabDialog"));
    createTabs();
    layOut(createCommandButtons());
    connectButtons();
    connectWorker();
    connectTabs();
    fileActions = std::make_unique<ChannelFileActions>(
        this, ChannelFileActions::Tabs{settingsTab, analogTab, rs485Tab}, session, statusLabel);
    setButtonsEnabledControls(false);
}

void TabDialog::createTabs()
{
    tabWidget = named(new QTabWidget, "tabWidget");
    analogTab = named(new AnalogTab, "analogTab");
    rs485Tab = named(new RS485Tab, "rs485Tab");
    settingsTab = named(new SettingsTab, "settingsTab");
    pages = {settingsTab, analogTab, rs485Tab};
    tabWidget->addTab(settingsTab, tr("Контроллер"));
    tabWidget->addTab(analogTab, tr("Аналоговые каналы"));
    tabWidget->addTab(rs485Tab, tr("Цифровые каналы"));
}

QHBoxLayout *TabDialog::createCommandButtons()
{
    commandRow = new CommandRow;
    const std::pair<QPushButton *, void (TabDialog::*)()> commands[] = {
        {commandRow->readSettingsButton, &TabDialog::transaction_read_settings},
        {commandRow->writeSettingsButton, &TabDialog::transaction_write_settings},
        {commandRow->readDataButton, &TabDialog::transaction_read_data},
        {commandRow->importButton, &TabDialog::loadFile},
        {commandRow->exportButton, &TabDialog::saveFile},
        {commandRow->exitButton, &TabDialog::transaction_exit},
    };
    for (const auto &[button, slot] : commands)
        connect(button, &QPushButton::clicked, this, slot);
    return commandRow;
}

void TabDialog::layOut(QHBoxLayout *commandButtons)
{
    progressBar = named(new QProgressBar, "progressBar");
    progressBar->setRange(0, 100);
    progressBar->setValue(0);

    auto *bodyLayout = new QVBoxLayout;
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(tabWidget);
    bodyLayout->addLayout(commandButtons);
    bodyLayout->addWidget(progressBar);
    body = named(new QWidget, "body");
    body->setLayout(bodyLayout);

    auto *layout = new QVBoxLayout;
    layout->addWidget(body);
    statusRow = named(new StatusRow(this), "statusRow");
    statusLabel = statusRow->label;
    cancelButton = statusRow->cancelButton;
    trafficWindow = statusRow->journal;
    commissioning = new Commissioning(masterThread.get(), tabWidget, settingsTab, analogTab, rs485Tab);
    statusRow->insertWidget(statusRow->indexOf(statusRow->trafficButton), commissioning);
    sessionHistory = new SessionHistory(this, masterThread.get(), {settingsTab, analogTab, rs485Tab},
                                        session, statusLabel, trafficWindow);
    historyWindow = sessionHistory->historyWindow();
    statusRow->insertWidget(statusRow->indexOf(statusRow->trafficButton), sessionHistory->button());
    layout->addLayout(statusRow);
    setLayout(layout);

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setWindowTitle(tr("LUMARO RS-485 Configurator v") + QLatin1String(Lumaro::kBuiltInFirmwareVersion));
    tabWidget->setCurrentIndex(ControllerTab);
    currentTab = tabWidget->currentIndex();
}

void TabDialog::connectButtons()
{
    connect(cancelButton, &QPushButton::clicked, this, &TabDialog::cancelCommand);
    connect(historyWindow, &HistoryWindow::restoreRequested, this,
            &TabDialog::restoreVersion);
}

// The worker's signals cross to this thread queued, in the order they were sent.
void TabDialog::connectWorker()
{
    MasterThread *worker = masterThread.get();
    connect(worker, &MasterThread::updateProgressBar, progressBar, &QProgressBar::setValue);
    connect(worker, &MasterThread::enableTablesContorls, this, &TabDialog::setTablesEnabledControls);
    connect(worker, &MasterThread::enableButtonsContorls, this, [this](bool on, const QString &fw) {
        session.fwVersion = fw;
        setButtonsEnabledControls(on);
    });
    connect(worker, &MasterThread::updateHw, this, &TabDialog::hardwareChanged);
    connect(worker, &MasterThread::setComSettings, analogTab, &AnalogTab::setComSettings);
    connect(worker, &MasterThread::setComData, analogTab, &AnalogTab::setComData);
    connect(worker, &MasterThread::setRsSettings, rs485Tab, &RS485Tab::setRsSettings);
    connect(worker, &MasterThread::setRsData, rs485Tab, &RS485Tab::setRsData);
    connect(worker, &MasterThread::setCpuSet, settingsTab, &SettingsTab::setCpuSet);
    connect(worker, &MasterThread::error, statusLabel, &QLabel::setText);
    connect(worker, &MasterThread::update_timer, this, &TabDialog::update_timer);
    connect(worker, &MasterThread::stop_timer, this, &TabDialog::stop_timer);
    connect(worker, &MasterThread::set_num_of_analogInputs, settingsTab,
            &SettingsTab::set_num_of_analogInputs);
    connect(worker, &MasterThread::set_num_of_rs485Inputs, settingsTab,
            &SettingsTab::set_num_of_rs485Inputs);
    connect(worker, &MasterThread::setBC68Data, settingsTab, &SettingsTab::updateBC68Data);
    connect(worker, &MasterThread::enableButtonStartBC68, this, &TabDialog::enableButtonStartBC68);
    connect(worker, &MasterThread::update_cmd_status, this, &TabDialog::update_cmd_status);
    connect(worker, &MasterThread::traffic, trafficWindow, &TrafficWindow::appendFrame);
    connect(worker, &MasterThread::portNotOpened, settingsTab, &SettingsTab::portNotOpened);
}

void TabDialog::restoreVersion(const QJsonObject &document)
{
    // Laid over the tabs, the version's values are the engineer's changes, to be written.
    if (!commandRunning && sessionHistory->restore(document))
        pagesChanged();
}

void TabDialog::pagesChanged()
{
    for (const TabIndex tab : {ControllerTab, AnalogChannelsTab, DigitalChannelsTab})
        session.setChanged(tab, pages.at(tab)->hasChanges());
    setButtonsEnabledControls(true);
}

void TabDialog::connectTabs()
{
    connect(&session, &SessionState::secondPassed, this, &TabDialog::update_timerLabel);
    connect(settingsTab, &SettingsTab::auth_pass_button_clicked, this,
            &TabDialog::transaction_auth_pass);
    connect(settingsTab, &SettingsTab::update_pass_button_clicked, this,
            &TabDialog::transaction_update_pass);
    connect(settingsTab, &SettingsTab::start_bc68_button_clicked, this,
            &TabDialog::transaction_bc68_start);
    connect(settingsTab, &SettingsTab::update_bc68_info_button_clicked, this,
            &TabDialog::transaction_bc68_update);
    connect(settingsTab, &SettingsTab::upload_firmware_button_clicked, this,
            &TabDialog::transaction_upload_firmware);
    connect(tabWidget, &QTabWidget::currentChanged, this, &TabDialog::currentChanged);
    const auto watch = [this](auto *tab, auto readSignal, auto changedSignal, TabIndex index) {
        connect(tab, readSignal, this, [this, index](bool read) { tabReadChanged(index, read); });
        connect(tab, changedSignal, this, [this, index] { tabChanged(index); });
    };
    watch(settingsTab, &SettingsTab::settingsReaded, &SettingsTab::settingsChanged, ControllerTab);
    watch(analogTab, &AnalogTab::analogSettingsReaded, &AnalogTab::analogSettingsChanged,
          AnalogChannelsTab);
    watch(rs485Tab, &RS485Tab::rsSettingsReaded, &RS485Tab::rsSettingsChanged, DigitalChannelsTab);
}

TabDialog::~TabDialog()
{
    // Stop the worker first: it may still deliver signals to the tabs while it ends.
    masterThread.reset();
}

void TabDialog::showEvent(QShowEvent *event)
{
    // Qt opens a window at no more than two thirds of the screen, which on a laptop is below
    // the minimum, where labels and values are cut. The first show takes the layout's own
    // size instead, as far as the screen holds it; resize() keeps the minimum, and QDialog
    // then centres the window at that size. A size the caller chose stays.
    if (!event->spontaneous() && !testAttribute(Qt::WA_Resized))
        resize(sizeHint().boundedTo(screen()->availableGeometry().size()));
    QDialog::showEvent(event);
}

void TabDialog::selectPort(const QString &name)
{
    settingsTab->selectPort(name);
}

void TabDialog::cancelCommand()
{
    // A second press would stop again what the first stop lets finish (a firmware finish).
    if (!commandRunning || !cancelButton->isEnabled())
        return;
    masterThread->cancel();
    // Once is enough: the worker stops at its next safe point and says how far it got.
    cancelButton->setEnabled(false);
}

bool TabDialog::setTrafficLogFile(const QString &fileName)
{
    return trafficWindow->setLogFile(fileName);
}

void TabDialog::setHistoryLocation(const HistoryLocation &location)
{
    historyWindow->setLocation(location);
}

void TabDialog::startTransaction(int cmd, const std::optional<Rows> &rows)
{
    commandRunning = true;
    body->setEnabled(false);
    commissioning->setEnabled(false);
    // The engineer's place comes back once the command ends.
    focusBeforeCommand = focusWidget();
    statusRow->commandStarted();
    progressBar->setValue(0);
    sessionHistory->commandStarted(cmd);
    const QString port = settingsTab->comPortCombo->currentText();
    if (rows)
        masterThread->transaction(port, settingsTab->timeoutSpin->value(), cmd, *rows);
    else
        masterThread->transaction(port, settingsTab->timeoutSpin->value(), cmd);
}

void TabDialog::startTransaction(const PageCommand &command)
{
    if (command.cmd != 0)
        startTransaction(command.cmd, command.rows);
    else if (!command.status.isEmpty())
        statusLabel->setText(command.status);
}

TabPage *TabDialog::currentPage() const
{
    return currentTab >= 0 && currentTab < TabCount ? pages.at(std::size_t(currentTab)) : nullptr;
}

void TabDialog::tabReadChanged(TabIndex tab, bool read)
{
    session.setRead(tab, read);
    tabChanged(tab);
}

void TabDialog::tabChanged(TabIndex tab)
{
    session.setChanged(tab, pages.at(tab)->hasChanges());
    setButtonsEnabledControls(true);
}

void TabDialog::hardwareChanged(const QString &hw)
{
    session.hwVersion = hw;
    const quint8 count = SessionRecord::analogChannelCount(hw);
    masterThread->setAnalogChannelCount(count);
    analogTab->setComChannelsCount(count);
    rs485Tab->name_rs_channels(count);
}

void TabDialog::transaction_write_settings()
{
    TabPage *page = currentPage();
    if (!page)
        return;
    // An unread tab shows defaults, not the controller's configuration: writing them would
    // switch off its channels and periods.
    if (!page->isReadFromController()) {
        UserPrompts::current().critical(
            this, tr("Ошибка"),
            tr("Настройки вкладки не считаны с контроллера. Сначала нажмите «Считать настройки»."));
        return;
    }
    const WriteContext context{session.hwVersion, settingsTab->getContactPollPeriod(),
                               masterThread->getAnalogChannelCount(),
                               analogTab->preflightRows(false)};
    if (askBeforeWrite(this, page->writePreflight(context), session, *page, statusLabel))
        startTransaction(page->writeCommand());
}

void TabDialog::transaction_read_settings()
{
    if (TabPage *page = currentPage())
        startTransaction(page->readSettingsCommand());
}

void TabDialog::transaction_read_data()
{
    if (TabPage *page = currentPage())
        startTransaction(page->readDataCommand());
}

void TabDialog::transaction_exit()
{
    session.forgetTabs();
    sessionHistory->sessionEnded();
    startTransaction(Link::CmdLeaveSettingsMode);
}

void TabDialog::transaction_auth_pass(const QString &pass)
{
    settingsTab->setSettingsReaded(false);
    analogTab->setComSettingsReaded(false);
    rs485Tab->setRsSettingsReaded(false, true);
    sessionHistory->sessionEnded();
    startTransaction(Link::CmdAuthorise, Rows{QStringList{pass}});
}

void TabDialog::transaction_update_pass(const QString &passnew, const QString &passnew_repeat)
{
    const QString problem = SessionRecord::newPasswordProblem(passnew, passnew_repeat);
    if (!problem.isEmpty())
        UserPrompts::current().critical(this, tr("Ошибка"), problem);
    else
        startTransaction(Link::CmdNewPassword, Rows{QStringList{passnew}});
}

void TabDialog::transaction_bc68_start()
{
    startTransaction(Link::CmdModemTest);
}

void TabDialog::transaction_bc68_update()
{
    startTransaction(Link::CmdModemSessionData);
}

void TabDialog::transaction_upload_firmware()
{
    // The confirmation box may have outlived the session.
    if (!session.isAuthorised())
        return;
    startTransaction(Link::CmdFirmwareStart);
}

void TabDialog::setTablesEnabledControls(bool on)
{
    commandRunning = !on;
    body->setEnabled(on);
    cancelButton->setVisible(!on);
    if (on && focusBeforeCommand && focusBeforeCommand->isEnabled())
        focusBeforeCommand->setFocus();
    if (on) {
        sessionHistory->commandEnded();
        setButtonsEnabledControls(session.isAuthorised());
    }
}

void TabDialog::setButtonsEnabledControls(bool on)
{
    const CommandGating g = commandGating(session.gating(on, currentTab));
    commandRow->apply(g);
    settingsTab->changePasswordButton->setEnabled(g.changePasswordEnabled);
    settingsTab->testButton->setEnabled(g.testEnabled);
    settingsTab->setEnabledUploadFirmwareButton(g.uploadFirmware.enabled, g.uploadFirmware.toolTip);
    commissioning->setGating(g.monitorEnabled && !commandRunning, g.reportEnabled && !commandRunning);
}

void TabDialog::enableButtonStartBC68(bool on)
{
    settingsTab->testButton->setEnabled(on);
}

void TabDialog::update_timerLabel()
{
    if (session.tick())
        stop_timer();
    commandRow->exitButton->setText(tr("Выход из режима (через ")
                        + QTime(0, 0).addSecs(session.secondsLeft()).toString(QStringLiteral("mm:ss"))
                        + QLatin1String(")"));
}

void TabDialog::update_timer()
{
    session.restartCountdown();
}

void TabDialog::stop_timer()
{
    session.end();
    setButtonsEnabledControls(false);
    sessionHistory->sessionEnded();
    statusLabel->setText(tr("Выход из режима настроек. Требуется авторизация."));
    // The next session may be another controller: nothing shown now was read from it.
    settingsTab->setSettingsReaded(false);
    analogTab->resetComSettings();
    analogTab->setComSettingsReaded(false);
    rs485Tab->resetChannels();
}

void TabDialog::saveFile()
{
    fileActions->exportChannels(masterThread->getAnalogChannelCount());
}

void TabDialog::loadFile()
{
    if (fileActions->importChannels())
        pagesChanged();
}

void TabDialog::keyPressEvent(QKeyEvent *event)
{
    // Esc stops a running command. Otherwise it would close the whole program and drop the
    // tables' unsaved edits: the window is closed through its title bar only.
    if (event->key() == Qt::Key_Escape) {
        cancelCommand();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TabDialog::update_cmd_status(int cmd, bool isOk)
{
    session.commandDone(cmd, isOk);
}

void TabDialog::currentChanged(int index)
{
    currentTab = index;
    setButtonsEnabledControls(session.isAuthorised());
}
