#include "ui/dialog/tabdialog.h"

#include "ui/dialog/commandgating.h"
#include "ui/journal/trafficwindow.h"
#include "ui/history/historywindow.h"
#include "ui/dialog/userprompts.h"
#include "protocol/bulk/channelfile.h"
#include "protocol/bulk/writechecks.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrules.h"
#include "ui/channels/analogtab.h"
#include "ui/channels/rs485tab.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"
#include "lumaro/version.h"
#include "protocol/settings/controllerrecord.h"
#include "ui/settings/settingstab.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSerialPort>
#include <QShortcut>
#include <QShowEvent>
#include <QSpinBox>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kMinimumWidth = 1000;
constexpr int kMinimumHeight = 700;
constexpr int kAnalogRows = 8;
constexpr int kDigitalRows = 32;

enum Tab { ControllerTab, AnalogChannelsTab, DigitalChannelsTab };

QString unreadableLineMessage(int channel)
{
    return QCoreApplication::translate("TabDialog",
                                       "Неверная конфигурация для %1 канала! Символ «;» или перевод "
                                       "строки в серийном номере или пароле не даст прочитать "
                                       "канал из файла.")
        .arg(channel);
}

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TabDialog::TabDialog(QWidget *parent)
    : QDialog(parent)
    , exitTimer(std::make_unique<QTimer>())
    , masterThread(std::make_unique<MasterThread>())
    , lastDir(QDir::currentPath())
{
    setObjectName(QStringLiteral("tabDialog"));
    createTabs();
    layOut(createCommandButtons());
    connectButtons();
    connectWorker();
    connectTabs();
    setButtonsEnabledControls(false);
}

void TabDialog::createTabs()
{
    tabWidget = named(new QTabWidget, "tabWidget");
    analogTab = named(new AnalogTab, "analogTab");
    rs485Tab = named(new RS485Tab, "rs485Tab");
    settingsTab = named(new SettingsTab, "settingsTab");
    tabWidget->addTab(settingsTab, tr("Контроллер"));
    tabWidget->addTab(analogTab, tr("Аналоговые каналы"));
    tabWidget->addTab(rs485Tab, tr("Цифровые каналы"));
}

QHBoxLayout *TabDialog::createCommandButtons()
{
    readSettingsButton = named(new QPushButton(tr("Считать настройки")), "readSettingsButton");
    writeSettingsButton = named(new QPushButton(tr("Записать настройки")), "writeSettingsButton");
    readDataButton = named(new QPushButton(tr("Считать показания")), "readDataButton");
    exitButton = named(new QPushButton(tr("Выход из режима")), "exitButton");
    importButton = named(new QPushButton(tr("Импорт каналов")), "importButton");
    exportButton = named(new QPushButton(tr("Экспорт каналов")), "exportButton");

    auto *row = new QHBoxLayout;
    row->addWidget(readSettingsButton);
    row->addWidget(writeSettingsButton);
    row->addWidget(readDataButton);
    row->addWidget(importButton);
    row->addWidget(exportButton);
    row->addWidget(exitButton);
    return row;
}

void TabDialog::layOut(QHBoxLayout *commandButtons)
{
    progressBar = named(new QProgressBar, "progressBar");
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    statusLabel = named(new QLabel(tr("Перед началом работы необходимо: выбрать верный COM-порт, "
                                      "перевести контроллер в режим настройки, авторизоваться.")),
                        "statusLabel");

    auto *bodyLayout = new QVBoxLayout;
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->addWidget(tabWidget);
    bodyLayout->addLayout(commandButtons);
    bodyLayout->addWidget(progressBar);
    body = named(new QWidget, "body");
    body->setLayout(bodyLayout);

    auto *layout = new QVBoxLayout;
    layout->addWidget(body);
    layout->addLayout(createStatusRow());
    setLayout(layout);

    setMinimumSize(kMinimumWidth, kMinimumHeight);
    setWindowTitle(tr("LUMARO RS-485 Configurator v") + QLatin1String(Lumaro::kBuiltInFirmwareVersion));
    tabWidget->setCurrentIndex(ControllerTab);
    currentTab = tabWidget->currentIndex();
}

QHBoxLayout *TabDialog::createStatusRow()
{
    cancelButton = named(new QPushButton(tr("Прервать")), "cancelButton");
    cancelButton->setToolTip(tr("Остановить команду после текущего обмена (Esc)"));
    cancelButton->hide();
    trafficButton = named(new QPushButton(tr("Журнал")), "trafficButton");
    trafficButton->setToolTip(tr("Журнал обмена с контроллером (F12)"));
    trafficButton->setFocusPolicy(Qt::NoFocus);
    trafficWindow = new TrafficWindow(this);
    historyButton = named(new QPushButton(tr("История")), "historyButton");
    historyButton->setFocusPolicy(Qt::NoFocus);
    historyWindow = new HistoryWindow(this);

    auto *row = new QHBoxLayout;
    row->addWidget(statusLabel, 1);
    row->addWidget(cancelButton);
    row->addWidget(trafficButton);
    row->addWidget(historyButton);
    return row;
}

void TabDialog::connectButtons()
{
    connect(cancelButton, &QPushButton::clicked, this, &TabDialog::cancelCommand);
    connect(trafficButton, &QPushButton::clicked, this, &TabDialog::showTrafficWindow);
    connect(historyButton, &QPushButton::clicked, historyWindow, &HistoryWindow::showWindow);
    connect(historyWindow, &HistoryWindow::unavailable, statusLabel, &QLabel::setText);
    auto *journalKey = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(journalKey, &QShortcut::activated, this, &TabDialog::showTrafficWindow);
    connect(readSettingsButton, &QPushButton::clicked, this, &TabDialog::transaction_read_settings);
    connect(writeSettingsButton, &QPushButton::clicked, this, &TabDialog::transaction_write_settings);
    connect(readDataButton, &QPushButton::clicked, this, &TabDialog::transaction_read_data);
    connect(exitButton, &QPushButton::clicked, this, &TabDialog::transaction_exit);
    connect(importButton, &QPushButton::clicked, this, &TabDialog::loadFile);
    connect(exportButton, &QPushButton::clicked, this, &TabDialog::saveFile);
}

// The worker's signals cross to this thread queued, in the order they were sent.
void TabDialog::connectWorker()
{
    MasterThread *worker = masterThread.get();
    connect(worker, &MasterThread::updateProgressBar, progressBar, &QProgressBar::setValue);
    connect(worker, &MasterThread::enableTablesContorls, this, &TabDialog::setTablesEnabledControls);
    connect(worker, &MasterThread::enableButtonsContorls, this, [this](bool on, const QString &fw) {
        fwVersion = fw;
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
    connect(worker, &MasterThread::portNotOpened, this, &TabDialog::portNotOpened);
}

void TabDialog::connectTabs()
{
    connect(exitTimer.get(), &QTimer::timeout, this, &TabDialog::update_timerLabel);
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
    connect(settingsTab, &SettingsTab::settingsReaded, this,
            [this](bool readed) { tabReadedChanged(ControllerTab, readed); });
    connect(settingsTab, &SettingsTab::settingsChanged, this, [this] { tabChanged(ControllerTab); });
    connect(analogTab, &AnalogTab::analogSettingsReaded, this,
            [this](bool readed) { tabReadedChanged(AnalogChannelsTab, readed); });
    connect(analogTab, &AnalogTab::analogSettingsChanged, this,
            [this] { tabChanged(AnalogChannelsTab); });
    connect(rs485Tab, &RS485Tab::rsSettingsReaded, this,
            [this](bool readed) { tabReadedChanged(DigitalChannelsTab, readed); });
    connect(rs485Tab, &RS485Tab::rsSettingsChanged, this,
            [this] { tabChanged(DigitalChannelsTab); });
}

TabDialog::~TabDialog()
{
    // Stop the worker first: it may still deliver signals to the tabs while it ends.
    masterThread.reset();
    exitTimer.reset();
}

bool TabDialog::isCountdownRunning() const
{
    return exitTimer->isActive();
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

void TabDialog::critical(const QString &title, const QString &text)
{
    UserPrompts::current().critical(this, title, text);
}

void TabDialog::beginTransaction()
{
    commandRunning = true;
    body->setEnabled(false);
    cancelButton->setEnabled(true);
    cancelButton->show();
    // Esc reaches the window through the stop; the engineer's place comes back afterwards.
    focusBeforeCommand = focusWidget();
    cancelButton->setFocus();
    progressBar->setValue(0);
    statusLabel->clear();
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

void TabDialog::showTrafficWindow()
{
    trafficWindow->show();
    trafficWindow->raise();
    trafficWindow->activateWindow();
}

bool TabDialog::setTrafficLogFile(const QString &fileName)
{
    return trafficWindow->setLogFile(fileName);
}

void TabDialog::setHistoryLocation(const HistoryLocation &location)
{
    historyWindow->setLocation(location);
}

void TabDialog::portNotOpened(const QString &portName, int errorCode)
{
    if (errorCode != QSerialPort::DeviceNotFoundError)
        return;
    // The adapter was pulled or renamed: list what is there now, keeping the name typed.
    settingsTab->refreshSerial();
    settingsTab->comPortCombo->setCurrentText(portName);
}

void TabDialog::startTransaction(int cmd)
{
    beginTransaction();
    masterThread->transaction(settingsTab->comPortCombo->currentText(),
                              settingsTab->timeoutSpin->value(), cmd);
}

void TabDialog::startTransaction(int cmd, const Rows &rows)
{
    beginTransaction();
    masterThread->transaction(settingsTab->comPortCombo->currentText(),
                              settingsTab->timeoutSpin->value(), cmd, rows);
}

bool TabDialog::tabHasChanges(int tab) const
{
    switch (tab) {
    case ControllerTab: return settingsTab->hasChanges();
    case AnalogChannelsTab: return analogTab->isComSettingsChanged();
    case DigitalChannelsTab: return rs485Tab->hasChanges();
    default: return false;
    }
}

bool TabDialog::tabReadFromController(int tab) const
{
    switch (tab) {
    case ControllerTab: return settingsTab->isSettingsReaded();
    case AnalogChannelsTab: return analogTab->isReadFromController();
    case DigitalChannelsTab: return rs485Tab->isReadFromController();
    default: return false;
    }
}

void TabDialog::tabReadedChanged(int tab, bool readed)
{
    tabReaded[tab] = readed;
    settingsChangedFlags[tab] = tabHasChanges(tab);
    setButtonsEnabledControls(true);
}

void TabDialog::tabChanged(int tab)
{
    settingsChangedFlags[tab] = tabHasChanges(tab);
    setButtonsEnabledControls(true);
}

void TabDialog::hardwareChanged(const QString &hw)
{
    hwVersion = hw;
    const quint8 count = SessionRecord::analogChannelCount(hw);
    masterThread->setAnalogChannelCount(count);
    analogTab->setComChannelsCount(count);
    rs485Tab->name_rs_channels(count);
}

void TabDialog::rememberDir(const QString &fileName)
{
    lastDir = QFileInfo(fileName).absoluteDir().absolutePath();
}

void TabDialog::transaction_write_settings()
{
    // An unread tab shows defaults, not the controller's configuration: writing them would
    // switch off its channels and periods.
    if (currentTab >= ControllerTab && currentTab <= DigitalChannelsTab
        && !tabReadFromController(currentTab)) {
        critical(tr("Ошибка"), tr("Настройки вкладки не считаны с контроллера. Сначала нажмите "
                                 "«Считать настройки»."));
        return;
    }
    switch (currentTab) {
    case ControllerTab: writeControllerSettings(); return;
    case AnalogChannelsTab: writeAnalogChannels(); return;
    case DigitalChannelsTab: writeDigitalChannels(); return;
    default: startTransaction(0, Rows());
    }
}

void TabDialog::writeControllerSettings()
{
    if (settingsTab->isPsmEnabled() && WriteChecks::psmIsCostly(hwVersion)) {
        const std::optional<bool> keepPsm = withinSession([this] {
            return UserPrompts::current().question(this, WriteChecks::psmTitle(),
                                                   WriteChecks::psmText());
        });
        if (!keepPsm)
            return;
        if (!*keepPsm)
            settingsTab->setPsmEnabled(false);
    }

    if (settingsTab->getContactPollPeriod() == 0) {
        for (int r = 0; r < kAnalogRows; ++r) {
            if (analogTab->isComChannelEnabled(r) && analogTab->isContactSensor(r)) {
                critical(WriteChecks::zeroPollPeriodTitle(), WriteChecks::zeroPollPeriodText());
                return;
            }
        }
    }
    const QStringList settings = settingsTab->getCpuSettings();
    const QString oversizePath = ControllerRecord::oversizePathField(settings);
    if (!oversizePath.isEmpty()) {
        critical(tr("Ошибка"), ControllerRecord::oversizePathText(oversizePath));
        return;
    }
    startTransaction(Link::CmdWriteControllerSettings, Rows{settings});
}

void TabDialog::writeAnalogChannels()
{
    const int longSerialRow = analogTab->overlongSerialRow();
    Rows rows;
    for (int r = 0; r < kAnalogRows; ++r) {
        if (!analogTab->isComChannelEnabled(r))
            continue;
        const int channel = r + 1;
        const int code = analogTab->checkComChannel(r);
        if (code != 0) {
            critical(tr("Ошибка"), WriteChecks::analogMessage(code, channel));
            return;
        }
        // A serial number is never cut to its field: the engineer shortens it.
        if (r == longSerialRow) {
            critical(tr("Ошибка"), AnalogTab::serialTooLongMessage(channel));
            return;
        }
        if (analogTab->isContactSensor(r)) {
            const int poll = settingsTab->getContactPollPeriod();
            const bool lkLow = WriteChecks::thresholdBelowPollPeriod(analogTab->lkValue(r), poll);
            const bool stLow = WriteChecks::thresholdBelowPollPeriod(analogTab->stValue(r), poll);
            if (lkLow || stLow) {
                const std::optional<bool> go = withinSession([&] {
                    return UserPrompts::current().question(
                        this, WriteChecks::contactSensorTitle(lkLow, stLow),
                        WriteChecks::contactSensorText(channel, poll));
                });
                if (!go || !*go)
                    return;
            }
        }
        QStringList entry{QString::number(r)};
        entry << analogTab->getComSettings(r) << analogTab->getComData(r);
        rows.append(entry);
    }
    startTransaction(Link::CmdWriteAnalogSettings, rows);
}

void TabDialog::writeDigitalChannels()
{
    const int analogCount = masterThread->getAnalogChannelCount();
    Rows rows;
    for (int r = 0; r < kDigitalRows; ++r) {
        if (!rs485Tab->isChannelEnabled(r))
            continue;
        // Every existing channel is checked, also those not edited: the controller would
        // poll a wrong meter set-up just the same.
        const int code = rs485Tab->checkChannel(r);
        if (code == 1 || code == 2) {
            critical(tr("Ошибка"), WriteChecks::digitalMessage(
                                       code, DigitalRules::displayNumber(r, analogCount)));
            return;
        }
        if (rs485Tab->isChannelChanged(r))
            rows.append(rs485Tab->channelSettings(r));
    }
    if (rows.isEmpty()) {
        statusLabel->setText(WriteChecks::nothingToWriteText());
        return;
    }
    // A password is never cut to its field: the engineer shortens it.
    const int longPassword = DigitalRules::firstOverlongPassword(rows);
    if (longPassword >= 0) {
        critical(tr("Ошибка"), WriteChecks::passwordTooLongText(
                                   DigitalRules::displayNumber(longPassword, analogCount),
                                   DigitalRules::kPasswordFieldBytes));
        return;
    }
    rs485Tab->setRsSettingsReaded(true, false);
    startTransaction(Link::CmdWriteDigitalSettings, rows);
}

void TabDialog::transaction_read_settings()
{
    int cmd = 0;
    switch (currentTab) {
    case ControllerTab: cmd = Link::CmdReadControllerSettings; break;
    case AnalogChannelsTab: cmd = Link::CmdReadAnalogSettings; break;
    case DigitalChannelsTab:
        rs485Tab->setRsSettingsReaded(true, false);
        cmd = Link::CmdReadDigitalSettings;
        break;
    default: break;
    }
    startTransaction(cmd);
}

void TabDialog::transaction_read_data()
{
    Rows rows;
    switch (currentTab) {
    case ControllerTab:
        return;
    case AnalogChannelsTab:
        for (int r = 0; r < kAnalogRows; ++r) {
            if (analogTab->isComChannelEnabled(r))
                rows.append(QStringList{QString::number(r)});
        }
        startTransaction(Link::CmdAnalogReading, rows);
        return;
    case DigitalChannelsTab: {
        const bool selectedOnly = rs485Tab->readSelectedOnly();
        const QStringList unknown(5, QStringLiteral("-"));
        for (int r = 0; r < kDigitalRows; ++r) {
            if (!rs485Tab->isChannelEnabled(r) || !rs485Tab->isMeterChannel(r))
                continue;
            if (selectedOnly && !rs485Tab->isChannelSelected(r))
                continue;
            rows.append(QStringList{QString::number(r)});
            rs485Tab->setRsData(r, unknown);
        }
        if (rows.isEmpty()) {
            statusLabel->setText(tr("Не выбрано ни одного канала для считывания показаний!"));
            return;
        }
        startTransaction(Link::CmdDigitalReadings, rows);
        return;
    }
    default:
        startTransaction(0, Rows());
    }
}

void TabDialog::transaction_exit()
{
    for (int i = 0; i < 3; ++i) {
        tabReaded[i] = false;
        settingsChangedFlags[i] = false;
    }
    startTransaction(Link::CmdLeaveSettingsMode);
}

void TabDialog::transaction_auth_pass(const QString &pass)
{
    settingsTab->setSettingsReaded(false);
    analogTab->setComSettingsReaded(false);
    rs485Tab->setRsSettingsReaded(false, true);
    startTransaction(Link::CmdAuthorise, Rows{QStringList{pass}});
}

void TabDialog::transaction_update_pass(const QString &passnew, const QString &passnew_repeat)
{
    if (passnew != passnew_repeat) {
        critical(tr("Ошибка"), tr("Ошибка в подтверждении нового пароля"));
        return;
    }
    if (passnew.isEmpty()) {
        critical(tr("Ошибка"), tr("Новый пароль не может быть пустым"));
        return;
    }
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
    if (!authorised)
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
    if (on)
        setButtonsEnabledControls(authorised);
}

void TabDialog::setButtonsEnabledControls(bool on)
{
    const bool known = currentTab >= 0 && currentTab < 3;
    const CommandGating g = commandGating({on, authorised, currentTab,
                                           known && tabReaded[currentTab],
                                           known && settingsChangedFlags[currentTab], fwVersion});
    const auto apply = [](QPushButton *button, const ControlState &state) {
        button->setEnabled(state.enabled);
        button->setToolTip(state.toolTip);
    };
    apply(readSettingsButton, g.readSettings);
    apply(writeSettingsButton, g.writeSettings);
    apply(readDataButton, g.readData);
    exitButton->setEnabled(g.exitEnabled);
    settingsTab->changePasswordButton->setEnabled(g.changePasswordEnabled);
    settingsTab->testButton->setEnabled(g.testEnabled);
    settingsTab->setEnabledUploadFirmwareButton(g.uploadFirmware.enabled, g.uploadFirmware.toolTip);
}

void TabDialog::enableButtonStartBC68(bool on)
{
    settingsTab->testButton->setEnabled(on);
}

void TabDialog::update_timerLabel()
{
    if (exitCountdown > 0) {
        --exitCountdown;
        if (exitCountdown == 0)
            stop_timer();
    }
    exitButton->setText(tr("Выход из режима (через ")
                        + QTime(0, 0).addSecs(exitCountdown).toString(QStringLiteral("mm:ss"))
                        + QLatin1String(")"));
}

void TabDialog::update_timer()
{
    if (!exitTimer->isActive())
        exitTimer->start(kCountdownTickMs);
    exitCountdown = kSettingsModeSeconds;
}

void TabDialog::stop_timer()
{
    authorised = false;
    ++sessionsEnded;
    // The firmware version belongs to the session: the update button waits for the next read.
    fwVersion.clear();
    setButtonsEnabledControls(false);
    statusLabel->setText(tr("Выход из режима настроек. Требуется авторизация."));
    exitTimer->stop();
    // The next session may be another controller: nothing shown now was read from it.
    settingsTab->setSettingsReaded(false);
    analogTab->resetComSettings();
    analogTab->setComSettingsReaded(false);
    rs485Tab->resetChannels();
}

void TabDialog::saveFile()
{
    const QString proposed = lastDir + QLatin1Char('/') + settingsTab->getSerialNumber();
    // Tables emptied while the dialog was open are not what the engineer meant to save.
    const std::optional<QString> chosen = withinSession([&] {
        return UserPrompts::current().saveFileName(this, tr("Сохранить файл"), proposed,
                                                   ChannelFile::fileFilter());
    });
    if (!chosen)
        return;
    const QString fileName = *chosen;
    statusLabel->clear();
    if (fileName.isEmpty())
        return;
    rememberDir(fileName);

    // Every channel is checked before anything is written, so a refused export leaves an
    // existing file exactly as it was.
    const int analogCount = masterThread->getAnalogChannelCount();
    QStringList lines;
    for (int r = 0; r < kAnalogRows; ++r) {
        if (analogTab->checkComChannel(r) != 0) {
            critical(tr("Ошибка"), tr("Неверная конфигурация для %1 канала!").arg(r + 1));
            return;
        }
        if (!analogTab->isComChannelEnabled(r))
            continue;
        const QStringList settings = analogTab->getComSettings(r);
        lines.append(ChannelFile::analogLine(r + 1,
                                             AnalogRecord::positionForCode(settings.value(0).toInt()),
                                             settings, analogTab->getComData(r).value(0)));
        if (!ChannelFile::readsBack(lines.last())) {
            critical(tr("Ошибка"), unreadableLineMessage(r + 1));
            return;
        }
    }
    for (int r = 0; r < kDigitalRows; ++r) {
        if (rs485Tab->checkChannel(r) != 0) {
            critical(tr("Ошибка"),
                     tr("Неверная конфигурация для %1 канала!")
                         .arg(DigitalRules::displayNumber(r, analogCount)));
            return;
        }
        if (!rs485Tab->isChannelEnabled(r))
            continue;
        const QStringList settings = rs485Tab->channelSettings(r);
        const QStringList readings = rs485Tab->channelReadings(r);
        lines.append(ChannelFile::digitalLine(
            r + 1, RS485Tab::devicePositionForCode(settings.value(1).toInt()), settings,
            readings.value(0), readings.value(1), RS485Tab::numberToAddress(settings.value(3))));
        if (!ChannelFile::readsBack(lines.last())) {
            critical(tr("Ошибка"),
                     unreadableLineMessage(DigitalRules::displayNumber(r, analogCount)));
            return;
        }
    }
    if (!ChannelFile::save(fileName, lines))
        critical(tr("Ошибка"), ChannelFile::saveFailedText());
}

void TabDialog::loadFile()
{
    // The file carries settings but no readings: its rows are laid over what the controller
    // reported, so that the next write keeps the meters' counters.
    if (!analogTab->isReadFromController() || !rs485Tab->isReadFromController()) {
        critical(tr("Ошибка"), tr("Настройки каналов не считаны с контроллера. Сначала нажмите "
                                 "«Считать настройки» на вкладках «Аналоговые каналы» и "
                                 "«Цифровые каналы»."));
        return;
    }
    // A session that ended while the dialog was open took the read rows with it.
    const std::optional<QString> chosen = withinSession([this] {
        return UserPrompts::current().openFileName(this, tr("Открыть файл"), lastDir,
                                                   ChannelFile::fileFilter());
    });
    if (!chosen)
        return;
    const QString fileName = *chosen;
    statusLabel->clear();
    if (fileName.isEmpty())
        return;
    if (!fileName.contains(settingsTab->getSerialNumber())) {
        critical(tr("Некорректное имя файла"), tr("Имя файла не соответствует SN контроллера."));
        return;
    }
    rememberDir(fileName);

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        statusLabel->setText(ChannelFile::openFailedText(fileName));
        return;
    }
    const ChannelFile::Parsed parsed = ChannelFile::parse(file.readAll());
    file.close();

    rs485Tab->clearReadings();
    int skipped = parsed.skipped;
    for (const ChannelFile::Line &line : parsed.lines) {
        const int position = line.fields.value(ChannelFile::DeviceField).toInt();
        // A line for a channel outside the table, or one the controller said it lacks, would
        // bring that row back to life and have the next write address a channel that is not
        // there: it is skipped like a damaged line.
        if (line.analog) {
            if (line.row < 0 || line.row >= kAnalogRows || !analogTab->isComChannelEnabled(line.row)) {
                ++skipped;
                continue;
            }
            analogTab->changeComSettings(
                line.row, ChannelFile::analogSettings(line, AnalogRecord::codeForPosition(position)));
        } else {
            if (line.row < 0 || line.row >= kDigitalRows || !rs485Tab->isChannelEnabled(line.row)) {
                ++skipped;
                continue;
            }
            rs485Tab->changeRsSettings(
                line.row, ChannelFile::digitalSettings(line, RS485Tab::codeForDevicePosition(position)));
        }
    }
    settingsChangedFlags[AnalogChannelsTab] = analogTab->isComSettingsChanged();
    settingsChangedFlags[DigitalChannelsTab] = rs485Tab->hasChanges();
    setButtonsEnabledControls(true);
    if (skipped > 0)
        statusLabel->setText(tr("Импорт каналов: пропущено строк с ошибками: %1").arg(skipped));
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
    if (cmd == Link::CmdAuthorise)
        authorised = isOk;
    else if (cmd == Link::CmdNewPassword || cmd == Link::CmdLeaveSettingsMode)
        authorised = !isOk;
}

void TabDialog::currentChanged(int index)
{
    currentTab = index;
    setButtonsEnabledControls(authorised);
}
