#include "ui/settings/settingstab.h"

#include "ui/dialog/textwidth.h"
#include "ui/dialog/userprompts.h"
#include "protocol/firmware/firmwareupdate.h"
#include "protocol/global/logcategories.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"
#include "lumaro/version.h"
#include "protocol/settings/controllerrecord.h"
#include "protocol/settings/forecast.h"
#include "protocol/settings/modemstate.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrules.h"
#include "ui/widgets/objectname.h"

#include <QCheckBox>
#include <QSerialPort>
#include <QComboBox>
#include <QDebug>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSerialPortInfo>
#include <QSpinBox>

namespace {

// The maker's server and price page as shown to the engineer: the one place to change them.
const char kMakerServerIp[] = "203.0.113.10";
const char kPriceLink[] = "https://lumaro.ru/tariffs";

constexpr int kPasswordMaxLength = 7;

constexpr int kComboMinWidth = 75;
// Long enough for "/dev/ttyUSB10" or "/dev/pts/12", typed or chosen.
constexpr int kPortNameChars = 13;
constexpr int kSpinMinWidth = 60;
constexpr int kMaxSendDays = 10;
constexpr int kMaxLogDays = 1;
constexpr int kMaxHours = 23;
constexpr int kMaxMinutes = 59;
constexpr int kConsumptionStep = 100;
constexpr int kMaxServerPort = 65535;
constexpr double kMillivoltsPerVolt = 1000.0;
constexpr int kVoltagePrecision = 6;

// The widest texts the read-only fields show once the controller has answered; the layout
// keeps room for them from the start, so that the window opens wide enough. A one-minute
// logging period with all 40 channels comes to about two million kilobytes a year; "4 года
// 11 мес" is the longest lifetime wording; versions and the voltage get two digits a part.
constexpr qint64 kWidestYearlyKilobytes = 9999999;
constexpr int kWidestLifetimeMonths = 4 * 12 + 11;
const char kWidestHardware[] = "88.88";
const char kWidestFirmware[] = "88.88.88";
const char kWidestVoltage[] = "88.888";

const char kServerIpOctet[] = "(?:[0-1]?[0-9]?[0-9]|2[0-4][0-9]|25[0-5])";

QLineEdit *passwordField(const char *name, const QString &text = QString())
{
    auto *edit = named(new QLineEdit(text), name);
    edit->setMaxLength(kPasswordMaxLength);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

QLineEdit *readOnlyField(const char *name, const QString &text = QString())
{
    auto *edit = named(new QLineEdit(text), name);
    edit->setReadOnly(true);
    return edit;
}

// Keeps room in the layout for the widest text a field will show.
void reserveWidth(QLineEdit *edit, const QString &text)
{
    edit->setMinimumWidth(lineEditWidth(edit, text));
}

QSpinBox *spinBox(const char *name, int minimum, int maximum, const QString &suffix = QString())
{
    auto *spin = named(new QSpinBox, name);
    spin->setRange(minimum, maximum);
    spin->setSuffix(suffix);
    return spin;
}

QLabel *tippedLabel(const QString &text, const QString &toolTip)
{
    auto *label = new QLabel(text);
    label->setToolTip(toolTip);
    return label;
}

// An entry of the controller settings list as a signed 32-bit number; 0 when it is none.
bool modemFieldEmpty(const QString &entry)
{
    return entry.isEmpty() || entry == QLatin1String("0");
}

QString versionText(const QString &hardware, const QString &firmware)
{
    return SettingsTab::tr("Аппаратура ") + hardware + SettingsTab::tr(", прошивка ") + firmware;
}

QString powerText(bool external, const QString &volts)
{
    return (external ? SettingsTab::tr("Внешнее, ") : SettingsTab::tr("Батарейное, "))
        + SettingsTab::tr("напряжение на батарее ") + volts + SettingsTab::tr(" В");
}

QString modemFailedText()
{
    return SettingsTab::tr("Не удалось подключиться к сети, повторите попытку");
}

} // namespace

bool SettingsTab::Snapshot::operator==(const Snapshot &other) const
{
    return logMinutes == other.logMinutes && sendMinutes == other.sendMinutes
        && serverIp == other.serverIp && apiGet == other.apiGet && apiSave == other.apiSave
        && psm == other.psm && contactPoll == other.contactPoll
        && consumption == other.consumption && serverPort == other.serverPort
        && consumptionMode == other.consumptionMode && written == other.written;
}

SettingsTab::SettingsTab(QWidget *parent)
    : QWidget(parent)
{
    auto *linkGroup = named(new QGroupBox(tr("Параметры связи")), "linkGroup");
    auto *forecastGroup =
        named(new QGroupBox(tr("Прогноз автономности и трафика")), "forecastGroup");
    auto *controllerGroup =
        named(new QGroupBox(tr("Настройки контроллера")), "controllerGroup");
    auto *infoGroup = named(new QGroupBox(tr("Информация о контроллере")), "infoGroup");
    auto *serverGroup = named(new QGroupBox(tr("Настройки сервера")), "serverGroup");
    auto *modemGroup = named(new QGroupBox(tr("Тест модуля связи")), "modemGroup");
    buildLinkGroup(linkGroup);
    buildForecastGroup(forecastGroup);
    buildInfoGroup(infoGroup);
    buildControllerGroup(controllerGroup);
    buildServerGroup(serverGroup);
    buildModemGroup(modemGroup);

    auto *grid = new QGridLayout;
    grid->addWidget(linkGroup, 0, 0);
    grid->addWidget(forecastGroup, 0, 1);
    grid->addWidget(controllerGroup, 1, 0);
    grid->addWidget(infoGroup, 1, 1);
    grid->addWidget(serverGroup, 2, 0);
    grid->addWidget(modemGroup, 2, 1);
    setLayout(grid);

    connectEditors();

    refreshSerial();
    DHM_changed(0);
    updatePowerCalc(0);
}

void SettingsTab::buildLinkGroup(QWidget *group)
{
    comPortCombo = named(new QComboBox, "comPortCombo");
    comPortCombo->setMinimumWidth(kComboMinWidth);
    comPortCombo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    comPortCombo->setMinimumContentsLength(kPortNameChars);
    // Editable, so that a port the system does not list can be typed in.
    comPortCombo->setEditable(true);
    refreshButton = named(new QPushButton(tr("Обновить")), "refreshButton");
    timeoutSpin =
        spinBox("timeoutSpin", SessionRecord::kTimeoutMinMs, SessionRecord::kTimeoutMaxMs);
    timeoutSpin->setValue(SessionRecord::kTimeoutMinMs);
    timeoutSpin->setSingleStep(SessionRecord::kTimeoutStepMs);
    timeoutSpin->setMinimumWidth(kSpinMinWidth);
    timeoutSpin->setToolTip(tr("Минимальное время ожидания ответа от контроллера. "
                               "Для сложных операций применяется мультипликатор."));
    passwordEdit =
        passwordField("passwordEdit", QString::fromLatin1(SessionRecord::kFactoryPassword));
    authButton = named(new QPushButton(tr("Авторизоваться")), "authButton");
    newPasswordEdit = passwordField("newPasswordEdit");
    confirmPasswordEdit = passwordField("confirmPasswordEdit");
    changePasswordButton = named(new QPushButton(tr("Сменить пароль")), "changePasswordButton");

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("COM-порт:")), 0, 0);
    grid->addWidget(comPortCombo, 0, 1);
    grid->addWidget(refreshButton, 0, 2);
    grid->addWidget(new QLabel(tr("Таймаут, мс: ")), 0, 3);
    grid->addWidget(timeoutSpin, 0, 4);
    grid->addWidget(new QLabel(tr("Пароль: ")), 1, 0);
    grid->addWidget(passwordEdit, 1, 1);
    grid->addWidget(authButton, 1, 2);
    grid->addWidget(new QLabel(tr("Новый пароль: ")), 2, 0);
    grid->addWidget(newPasswordEdit, 2, 1);
    grid->addWidget(new QLabel(tr("Подтверждение: ")), 3, 0);
    grid->addWidget(confirmPasswordEdit, 3, 1);
    grid->addWidget(changePasswordButton, 3, 2);
    group->setLayout(grid);
}

void SettingsTab::buildForecastGroup(QWidget *group)
{
    analogCountSpin = spinBox("analogCountSpin", 0, AnalogRecord::kChannelCount);
    fastOcCheck = named(new QCheckBox(tr("Открытый коллектор быстрый")), "fastOcCheck");
    digitalCountSpin = spinBox("digitalCountSpin", 0, DigitalRules::kChannelCount);
    externalPowerCheck = named(new QCheckBox(tr("С внешним питанием")), "externalPowerCheck");
    batteryLifeEdit = readOnlyField("batteryLifeEdit", tr("0 мес."));
    trafficEdit = readOnlyField("trafficEdit");
    const QString widestLifetime = formatLifetime(kWidestLifetimeMonths);
    reserveWidth(batteryLifeEdit, widestLifetime + QLatin1String(" / ") + widestLifetime);
    reserveWidth(trafficEdit, QString::number(kWidestYearlyKilobytes) + tr(" кБайт"));
    priceLinkLabel = named(new QLabel(QStringLiteral("<a href=\"%1\">%2</a>")
                                          .arg(QLatin1String(kPriceLink),
                                               tr("Стоимость использования"))),
                           "priceLinkLabel");
    priceLinkLabel->setTextFormat(Qt::RichText);
    priceLinkLabel->setOpenExternalLinks(true);
    priceLinkLabel->setTextInteractionFlags(Qt::TextBrowserInteraction);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Количество аналоговых каналов:")), 0, 0);
    grid->addWidget(analogCountSpin, 0, 1);
    grid->addWidget(fastOcCheck, 0, 2);
    grid->addWidget(new QLabel(tr("Количество цифровых каналов:")), 1, 0);
    grid->addWidget(digitalCountSpin, 1, 1);
    grid->addWidget(externalPowerCheck, 1, 2);
    grid->addWidget(new QLabel(tr("Ресурс батареи ER18505M/ER26500M:")), 2, 0);
    grid->addWidget(batteryLifeEdit, 2, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Годовой трафик:")), 3, 0);
    grid->addWidget(trafficEdit, 3, 1);
    grid->addWidget(priceLinkLabel, 3, 2);
    group->setLayout(grid);
}

void SettingsTab::buildInfoGroup(QWidget *group)
{
    serialEdit = readOnlyField("serialEdit");
    versionEdit = readOnlyField("versionEdit");
    uploadFirmwareButton = named(
        new QPushButton(tr("  Обновить до %1  ").arg(QLatin1String(Lumaro::kBuiltInFirmwareVersion))),
        "uploadFirmwareButton");
    imeiEdit = readOnlyField("imeiEdit");
    powerEdit = readOnlyField("powerEdit");
    lidEdit = readOnlyField("lidEdit");
    reserveWidth(versionEdit, versionText(QLatin1String(kWidestHardware), QLatin1String(kWidestFirmware)));
    reserveWidth(powerEdit, powerText(false, QLatin1String(kWidestVoltage)));

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Серийный номер:")), 0, 0);
    grid->addWidget(serialEdit, 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Версия:")), 1, 0);
    grid->addWidget(versionEdit, 1, 1);
    grid->addWidget(uploadFirmwareButton, 1, 2);
    grid->addWidget(new QLabel(tr("IMEI модема:")), 2, 0);
    grid->addWidget(imeiEdit, 2, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Питание:")), 3, 0);
    grid->addWidget(powerEdit, 3, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Крышка:")), 4, 0);
    grid->addWidget(lidEdit, 4, 1, 1, 2);
    group->setLayout(grid);
}

void SettingsTab::buildControllerGroup(QWidget *group)
{
    const QString offTip = tr("0 - не использовать функцию");
    const QString consumptionTip = tr(
        "Задается количество ресурса, при расходе которого на любом из счетчиков контроллер "
        "внепланово выйдет на связь. Значение данного параметра 0 выключает отправку по "
        "расходу. Допустимая частота выхода на связь определяется полем: «Не чаще чем раз в "
        "сутки» или «При каждом журналировании». Использование этого параметра может "
        "понадобиться, если требуется иметь оперативную информацию по счетчикам ресурсов.");
    const QString pollTip = tr(
        "Период в секундах, с которым контроллер опрашивает датчики. К работе со счетчиками "
        "данный параметр не имеет отношения и влияет только на опрос контактных датчиков! Чем "
        "больше этот интервал, тем меньше тратится заряд батарей и выше помехозащищенность, но "
        "тем больше вероятность пропустить сработку датчика. Параметр следует выставлять исходя "
        "из характера работы контролируемого датчика. Значение данного параметра 0 выключает "
        "опрос датчиков. Датчики температуры и давления не зависимо от этого параметра "
        "опрашиваются раз в 30 секунд!");
    const QString psmTip = tr(
        "Если установить флаг «Использовать PSM-режим работы», то контроллер будет переводить "
        "NB-IoT модем в специальный режим энергопотребления, в котором он сохраняет последний "
        "сеанс коннекта с вышкой и при следующем обмене моментально к ней подключается, тратя "
        "минимум энергии и времени. Включение данного режима приводит к дополнительным "
        "постоянным расходам энергии (порядка 5 мкА), так как модем не выключается полностью! "
        "Если контроллер обеспечивает контроль важных датчиков с частым выходом на связь, то "
        "скорость выхода на связь может быть важна и включение данного режима оправданно. Если "
        "контроллер собирает данные со счетчиков ресурсов и передает их на сервер раз в "
        "несколько дней, то включение данного режима не целесообразно. Если флаг сброшен, то "
        "модем полностью выключается и не потребляет энергию, при этом подключение к вышке "
        "может длиться до 3х минут.");

    const QString days = tr(" дней");
    const QString hours = tr(" часов");
    const QString minutes = tr(" минут");
    sendMinutesEdit = readOnlyField("sendMinutesEdit");
    sendMinutesEdit->setToolTip(offTip);
    sendDaysSpin = spinBox("sendDaysSpin", 0, kMaxSendDays, days);
    sendHoursSpin = spinBox("sendHoursSpin", 0, kMaxHours, hours);
    logMinutesEdit = readOnlyField("logMinutesEdit");
    logMinutesEdit->setToolTip(offTip);
    logDaysSpin = spinBox("logDaysSpin", 0, kMaxLogDays, days);
    logHoursSpin = spinBox("logHoursSpin", 0, kMaxHours, hours);
    consumptionSpin = spinBox("consumptionSpin", 0, ControllerRecord::kConsumptionThresholdMax);
    consumptionSpin->setSingleStep(kConsumptionStep);
    consumptionSpin->setToolTip(consumptionTip);
    consumptionModeCombo = named(new QComboBox, "consumptionModeCombo");
    consumptionModeCombo->addItems(
        {tr("Не чаще чем раз в сутки"), tr("При каждом журналировании")});
    consumptionModeCombo->setToolTip(consumptionTip);
    contactPollSpin = spinBox("contactPollSpin", 0, ControllerRecord::kContactPollPeriodMax);
    contactPollSpin->setToolTip(pollTip);
    psmCheck = named(new QCheckBox, "psmCheck");
    psmCheck->setToolTip(psmTip);

    // The minute spin boxes take part in the period logic but are never shown: the tab
    // edits periods in whole hours.
    logMinutesSpin = spinBox("logMinutesSpin", 0, kMaxMinutes, minutes);
    logMinutesSpin->setParent(this);
    logMinutesSpin->hide();
    sendMinutesSpin = spinBox("sendMinutesSpin", 0, kMaxMinutes, minutes);
    sendMinutesSpin->setParent(this);
    sendMinutesSpin->hide();

    auto *grid = new QGridLayout;
    grid->setSizeConstraint(QLayout::SetMaximumSize);
    grid->addWidget(new QLabel(tr("Период выхода на связь, мин:")), 0, 0);
    grid->addWidget(sendMinutesEdit, 0, 1);
    grid->addWidget(sendDaysSpin, 0, 2);
    grid->addWidget(sendHoursSpin, 0, 3);
    grid->addWidget(new QLabel(tr("Период журналирования, мин:")), 1, 0);
    grid->addWidget(logMinutesEdit, 1, 1);
    grid->addWidget(logDaysSpin, 1, 2);
    grid->addWidget(logHoursSpin, 1, 3);
    grid->addWidget(tippedLabel(tr("Отправка по расходу: л, Втч, ккал"), consumptionTip), 2, 0);
    grid->addWidget(consumptionSpin, 2, 1);
    grid->addWidget(consumptionModeCombo, 2, 2, 1, 2);
    grid->addWidget(tippedLabel(tr("Период опроса контактных датчиков, сек:"), pollTip), 3, 0);
    grid->addWidget(contactPollSpin, 3, 1);
    grid->addWidget(tippedLabel(tr("PSM-режим работы модема"), psmTip), 4, 0);
    grid->addWidget(psmCheck, 4, 1);
    group->setLayout(grid);
}

void SettingsTab::buildServerGroup(QWidget *group)
{
    const QString octet = QLatin1String(kServerIpOctet);
    const QString dot = QStringLiteral("\\.");
    serverIpEdit = named(new QLineEdit, "serverIpEdit");
    serverIpEdit->setMaxLength(ControllerSettings::kServerIpMaxChars);
    serverIpValidator = new QRegularExpressionValidator(
        QRegularExpression(QLatin1Char('^') + octet + dot + octet + dot + octet + dot + octet
                           + QLatin1Char('$')),
        this);
    serverIpValidator->setObjectName(QStringLiteral("serverIpValidator"));
    serverIpEdit->setValidator(serverIpValidator);
    serverPortSpin = spinBox("serverPortSpin", 0, kMaxServerPort);
    serverPortSpin->setValue(0);
    serverPortSpin->setMinimumWidth(kSpinMinWidth);
    apiGetEdit = named(new QLineEdit, "apiGetEdit");
    apiGetEdit->setMaxLength(ControllerSettings::kApiPathMaxChars);
    apiSaveEdit = named(new QLineEdit, "apiSaveEdit");
    apiSaveEdit->setMaxLength(ControllerSettings::kApiPathMaxChars);
    serverHintLabel = named(new QLabel(tr("Сервер LUMARO: IP адрес = ") + QLatin1String(kMakerServerIp)
                                       + tr(", порт = 80, API_GET = /sensor/get, "
                                            "API_SAVE = /sensor/save")),
                            "serverHintLabel");
    serverHintLabel->setWordWrap(true);

    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("IP адрес:")), 0, 0);
    grid->addWidget(serverIpEdit, 0, 1);
    grid->addWidget(new QLabel(tr("Порт:")), 0, 2);
    grid->addWidget(serverPortSpin, 0, 3);
    grid->addWidget(new QLabel(tr("API_GET:")), 1, 0);
    grid->addWidget(apiGetEdit, 1, 1, 1, 3);
    grid->addWidget(new QLabel(tr("API_SAVE:")), 2, 0);
    grid->addWidget(apiSaveEdit, 2, 1, 1, 3);
    grid->addWidget(serverHintLabel, 3, 0, 1, 4);
    group->setLayout(grid);
}

void SettingsTab::buildModemGroup(QWidget *group)
{
    modemStatusEdit = readOnlyField("modemStatusEdit");
    imsiEdit = readOnlyField("imsiEdit");
    rssiEdit = readOnlyField("rssiEdit");
    cellIdEdit = readOnlyField("cellIdEdit");
    reserveWidth(modemStatusEdit, modemFailedText());
    testButton = named(new QPushButton(tr("Выполнить тест")), "testButton");

    auto *buttonBox = new QHBoxLayout;
    buttonBox->addWidget(testButton);
    auto *grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Статус:")), 0, 0);
    grid->addWidget(modemStatusEdit, 0, 1);
    grid->addWidget(new QLabel(tr("Номер симкарты IMSI:")), 1, 0);
    grid->addWidget(imsiEdit, 1, 1);
    grid->addWidget(new QLabel(tr("Уровень сигнала RSSI:")), 2, 0);
    grid->addWidget(rssiEdit, 2, 1);
    grid->addWidget(new QLabel(tr("Базовая станция CELLID:")), 3, 0);
    grid->addWidget(cellIdEdit, 3, 1);
    grid->addLayout(buttonBox, 4, 1);
    group->setLayout(grid);
}

void SettingsTab::connectEditors()
{
    connect(refreshButton, &QPushButton::clicked, this, &SettingsTab::refreshSerial);
    connect(authButton, &QPushButton::clicked, this,
            [this] { emit auth_pass_button_clicked(passwordEdit->text()); });
    connect(changePasswordButton, &QPushButton::clicked, this, [this] {
        emit update_pass_button_clicked(newPasswordEdit->text(), confirmPasswordEdit->text());
    });
    connect(testButton, &QPushButton::clicked, this, &SettingsTab::start_bc68_button_clicked);
    connect(uploadFirmwareButton, &QPushButton::clicked, this,
            &SettingsTab::confirmFirmwareUpload);

    for (QSpinBox *spin : {logDaysSpin, logHoursSpin, logMinutesSpin})
        connect(spin, &QSpinBox::valueChanged, this, &SettingsTab::DHM_LOG_changed);
    for (QSpinBox *spin : {sendDaysSpin, sendHoursSpin, sendMinutesSpin})
        connect(spin, &QSpinBox::valueChanged, this, &SettingsTab::DHM_SEND_changed);

    for (QSpinBox *spin : {analogCountSpin, digitalCountSpin})
        connect(spin, &QSpinBox::valueChanged, this, &SettingsTab::updatePowerCalc);
    for (QCheckBox *check : {fastOcCheck, externalPowerCheck, psmCheck})
        connect(check, &QCheckBox::stateChanged, this, &SettingsTab::updatePowerCalc);
    connect(consumptionModeCombo, &QComboBox::currentIndexChanged, this,
            &SettingsTab::updatePowerCalc);

    // Only the settings the controller stores mark the tab as changed; the hidden minute
    // spin boxes and the forecast inputs do not.
    for (QSpinBox *spin : {logDaysSpin, logHoursSpin, sendDaysSpin, sendHoursSpin, contactPollSpin,
                           consumptionSpin, serverPortSpin})
        connect(spin, &QSpinBox::valueChanged, this, &SettingsTab::settingsChanged);
    connect(psmCheck, &QCheckBox::stateChanged, this, &SettingsTab::settingsChanged);
    connect(consumptionModeCombo, &QComboBox::currentIndexChanged, this,
            &SettingsTab::settingsChanged);
    for (QLineEdit *edit : {serverIpEdit, apiGetEdit, apiSaveEdit})
        connect(edit, &QLineEdit::textChanged, this, &SettingsTab::settingsChanged);

    for (QSpinBox *spin : {logDaysSpin, logHoursSpin, logMinutesSpin})
        held[HeldLog].releaseOn(spin, &QSpinBox::valueChanged);
    for (QSpinBox *spin : {sendDaysSpin, sendHoursSpin, sendMinutesSpin})
        held[HeldSend].releaseOn(spin, &QSpinBox::valueChanged);
    held[HeldLog].releaseOn(logMinutesEdit, &QLineEdit::textChanged);
    held[HeldSend].releaseOn(sendMinutesEdit, &QLineEdit::textChanged);
    held[HeldPoll].releaseOn(contactPollSpin, &QSpinBox::valueChanged);
    held[HeldConsumption].releaseOn(consumptionSpin, &QSpinBox::valueChanged);
    held[HeldMode].releaseOn(consumptionModeCombo, &QComboBox::currentIndexChanged);
    held[HeldPsm].releaseOn(psmCheck, &QCheckBox::stateChanged);
}

QString SettingsTab::writeValue(HeldField field, qint64 editorValue) const
{
    return QString::number(held[field].valueOr(editorValue));
}

void SettingsTab::refreshSerial()
{
    comPortCombo->clear();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        comPortCombo->addItem(info.portName());
}

void SettingsTab::portNotOpened(const QString &portName, int errorCode)
{
    if (errorCode != QSerialPort::DeviceNotFoundError)
        return;
    // The adapter was pulled or renamed: list what is there now, keeping the name typed.
    refreshSerial();
    comPortCombo->setCurrentText(portName);
}

void SettingsTab::selectPort(const QString &name)
{
    const int index = comPortCombo->findText(name);
    if (index >= 0)
        comPortCombo->setCurrentIndex(index);
    else
        comPortCombo->setEditText(name);
}

void SettingsTab::setSettingsReaded(bool readed)
{
    settingsReadedFlag = readed;
    // Held values belong to the read they came with.
    if (!readed) {
        for (HeldValue &value : held)
            value.release();
    }
    emit settingsReaded(readed);
}

SettingsTab::Snapshot SettingsTab::currentSnapshot() const
{
    Snapshot s;
    s.logMinutes = logMinutesEdit->text();
    s.sendMinutes = sendMinutesEdit->text();
    s.serverIp = serverIpEdit->text();
    s.apiGet = apiGetEdit->text();
    s.apiSave = apiSaveEdit->text();
    s.psm = psmCheck->isChecked();
    s.contactPoll = contactPollSpin->value();
    s.consumption = consumptionSpin->value();
    s.serverPort = serverPortSpin->value();
    s.consumptionMode = consumptionModeCombo->currentIndex();
    s.written = getCpuSettings();
    return s;
}

bool SettingsTab::hasChanges() const
{
    return !settingsReadedFlag || !(currentSnapshot() == readSnapshot);
}

QStringList SettingsTab::getCpuSettings() const
{
    // A minutes text that is no number writes 0, which switches the period off.
    const auto seconds = [](const QLineEdit *minutes) {
        return qint64(minutes->text().toInt()) * Forecast::kSecondsPerMinute;
    };
    QStringList list;
    list.reserve(ControllerRecord::WriteEntryCount);
    list << writeValue(HeldLog, seconds(logMinutesEdit))
         << writeValue(HeldSend, seconds(sendMinutesEdit))
         << writeValue(HeldPoll, contactPollSpin->value())
         << writeValue(HeldConsumption, consumptionSpin->value())
         << writeValue(HeldMode, consumptionModeCombo->currentIndex())
         << writeValue(HeldPsm, psmCheck->isChecked() ? 1 : 0) << serverIpEdit->text()
         << QString::number(serverPortSpin->value()) << apiGetEdit->text() << apiSaveEdit->text();
    // The paths' bytes as read go along; they are written while the paths read as they do.
    if (!asRead.apiGetKept.isEmpty() || !asRead.apiSaveKept.isEmpty())
        list << asRead.apiGetKept << asRead.apiSaveKept;
    return list;
}

PageCommand SettingsTab::readSettingsCommand()
{
    return {Link::CmdReadControllerSettings, std::nullopt, {}};
}

PageCommand SettingsTab::readDataCommand()
{
    // Readings belong to the channel tabs.
    return {};
}

WritePreflight::Steps SettingsTab::writePreflight(const WriteContext &context) const
{
    ControllerSettings settings = asRead;
    settings.setFromWriteList(getCpuSettings());
    return WritePreflight::controller(settings, context.hardwareVersion, context.analog);
}

void SettingsTab::declined(const WritePreflight::Step &step)
{
    if (step.noSwitchesPsmOff)
        setPsmEnabled(false);
}

PageCommand SettingsTab::writeCommand()
{
    return {Link::CmdWriteControllerSettings, Rows{getCpuSettings()}, {}};
}

QString SettingsTab::getSerialNumber() const
{
    return serialEdit->text();
}

bool SettingsTab::isPsmEnabled() const
{
    return psmCheck->isChecked();
}

void SettingsTab::setPsmEnabled(bool on)
{
    psmCheck->setChecked(on);
}

int SettingsTab::getContactPollPeriod() const
{
    return contactPollSpin->value();
}

void SettingsTab::setCpuSet(const QStringList &data)
{
    const ControllerSettings read = ControllerSettings::fromFieldList(data);
    showSettings(read);
    asRead = read;

    settingsReadedFlag = true;
    readSnapshot = currentSnapshot();
    modemStatusEdit->clear();
    imsiEdit->clear();
    rssiEdit->clear();
    cellIdEdit->clear();
    emit settingsReaded(true);
}

void SettingsTab::changeSettings(const ControllerSettings &settings)
{
    showSettings(settings);
    emit settingsChanged();
}

void SettingsTab::showSettings(const ControllerSettings &read)
{
    using namespace ControllerRecord;
    const auto showPeriod = [](qint64 seconds, int minSeconds, int maxSeconds, QSpinBox *day,
                               QSpinBox *hour, QSpinBox *min) {
        const Forecast::PeriodParts parts = Forecast::periodParts(seconds, minSeconds, maxSeconds);
        day->setValue(parts.days);
        hour->setValue(parts.hours);
        min->setValue(parts.minutes);
    };
    const quint32 logSeconds = read.logPeriodSeconds;
    const quint32 sendSeconds = read.sendPeriodSeconds;
    showPeriod(logSeconds, Forecast::kLogPeriodMinSeconds, Forecast::kLogPeriodMaxSeconds,
               logDaysSpin, logHoursSpin, logMinutesSpin);
    showPeriod(sendSeconds, Forecast::kSendPeriodMinSeconds, Forecast::kSendPeriodMaxSeconds,
               sendDaysSpin, sendHoursSpin, sendMinutesSpin);
    // Last, because the spin boxes' own handlers rewrite the minutes fields on the way:
    // a period read from the controller keeps its exact minutes.
    logMinutesEdit->setText(QString::number(logSeconds / Forecast::kSecondsPerMinute));
    sendMinutesEdit->setText(QString::number(sendSeconds / Forecast::kSecondsPerMinute));

    // Spin boxes clamp what they cannot hold; the exact value is held below.
    contactPollSpin->setValue(int(qMin(read.contactPollPeriodSeconds, quint32(kContactPollPeriodMax))));
    consumptionSpin->setValue(int(qMin(read.consumptionThreshold, quint32(kConsumptionThresholdMax))));
    serialEdit->setText(read.serialNumber);
    versionEdit->setText(versionText(read.hardwareVersion, read.firmwareText));
    imeiEdit->setText(read.imei);
    const double volts = read.batteryMillivolts / kMillivoltsPerVolt;
    powerEdit->setText(
        powerText(read.powerSource != 0, QString::number(volts, 'g', kVoltagePrecision)));
    lidEdit->setText(read.lidOpen != 0 ? tr("Открыта") : tr("Закрыта"));
    // A mode byte the list does not name shows no item.
    const quint32 mode = read.consumptionSendMode;
    consumptionModeCombo->setCurrentIndex(mode < quint32(consumptionModeCombo->count()) ? int(mode) : -1);
    psmCheck->setChecked(read.psm != 0);
    serverIpEdit->setText(read.serverIp);
    serverPortSpin->setValue(int(read.serverPort));
    apiGetEdit->setText(read.apiGet);
    apiSaveEdit->setText(read.apiSave);
    // The period boxes recomputed the forecast from whole hours on the way; the minutes
    // fields now hold the controller's exact periods.
    updatePowerCalc(0);

    // Last, as filling the editors above releases whatever an earlier read held.
    held[HeldLog].hold(logSeconds);
    held[HeldSend].hold(sendSeconds);
    held[HeldPoll].hold(read.contactPollPeriodSeconds);
    held[HeldConsumption].hold(read.consumptionThreshold);
    held[HeldMode].hold(read.consumptionSendMode);
    held[HeldPsm].hold(read.psm);
}

void SettingsTab::updateDHM(int seconds, int min_seconds, int max_seconds, QSpinBox *day,
                            QSpinBox *hour, QSpinBox *min)
{
    if (!day || !hour || !min)
        return;
    const Forecast::PeriodParts parts =
        Forecast::raisedPeriodParts(seconds, min_seconds, max_seconds);
    day->setValue(parts.days);
    hour->setValue(parts.hours);
    min->setValue(parts.minutes);
}

void SettingsTab::set_minutes_fromDHM(QLineEdit *seconds, QSpinBox *day, QSpinBox *hour,
                                      QSpinBox *min)
{
    if (!seconds || !day || !hour || !min)
        return;
    seconds->setText(
        QString::number(Forecast::periodMinutes(day->value(), hour->value(), min->value())));
}

void SettingsTab::DHM_changed(int)
{
    set_minutes_fromDHM(logMinutesEdit, logDaysSpin, logHoursSpin, logMinutesSpin);
    set_minutes_fromDHM(sendMinutesEdit, sendDaysSpin, sendHoursSpin, sendMinutesSpin);
    updatePowerCalc(0);
}

void SettingsTab::periodChanged(QLineEdit *minutesEdit, QSpinBox *day, QSpinBox *hour,
                                QSpinBox *min, int minSeconds, int maxSeconds)
{
    // Setting a spin box re-enters here through valueChanged; the values written are
    // already within the limits, so the nested call changes nothing more.
    const qint64 t = Forecast::periodSeconds(day->value(), hour->value(), min->value());
    const Forecast::PeriodParts parts = Forecast::periodParts(t, minSeconds, maxSeconds);
    day->setValue(parts.days);
    hour->setValue(parts.hours);
    min->setValue(parts.minutes);
    set_minutes_fromDHM(minutesEdit, day, hour, min);
    updatePowerCalc(0);
}

void SettingsTab::DHM_LOG_changed(int)
{
    periodChanged(logMinutesEdit, logDaysSpin, logHoursSpin, logMinutesSpin,
                  Forecast::kLogPeriodMinSeconds, Forecast::kLogPeriodMaxSeconds);
}

void SettingsTab::DHM_SEND_changed(int)
{
    periodChanged(sendMinutesEdit, sendDaysSpin, sendHoursSpin, sendMinutesSpin,
                  Forecast::kSendPeriodMinSeconds, Forecast::kSendPeriodMaxSeconds);
}

void SettingsTab::set_num_of_analogInputs(int count)
{
    analogCountSpin->setValue(count);
}

void SettingsTab::set_num_of_rs485Inputs(int count)
{
    digitalCountSpin->setValue(count);
}

QString SettingsTab::formatLifetime(int months) const
{
    return Forecast::formatLifetime(months);
}

void SettingsTab::updatePowerCalc(int)
{
    Forecast::Inputs in;
    in.logMinutes = logMinutesEdit->text().toInt();
    in.sendMinutes = sendMinutesEdit->text().toInt();
    in.consumptionMode = consumptionModeCombo->currentIndex();
    in.psm = psmCheck->isChecked();
    in.analogChannels = analogCountSpin->value();
    in.fastOpenCollector = fastOcCheck->isChecked();
    in.digitalChannels = digitalCountSpin->value();
    in.externalPower = externalPowerCheck->isChecked();
    const Forecast::Result r = Forecast::compute(in);

    qCDebug(lcForecast) << "summury_consumption_uAh = " << r.currentMicroAmps;
    batteryLifeEdit->setText(formatLifetime(r.monthsSmallCell) + QLatin1String(" / ")
                             + formatLifetime(r.monthsLargeCell));
    trafficEdit->setText(QString::number(r.kilobytesPerYear) + tr(" кБайт"));
    qCDebug(lcForecast) << "Records in send " << r.recordsPerSend;
    qCDebug(lcForecast) << "Sends per month " << r.sendsPerMonth;
}

void SettingsTab::updateBC68Data(const QStringList &data)
{
    const ModemState state = ModemState::fromFieldList(data);
    const QString notConnected = tr("подключение к сети не установлено");
    const QString imsi = state.imsi;
    const QString rssi = state.rssiDb != 0 ? QString::number(state.rssiDb) : QString();
    const QString cellId = state.cellId != 0 ? QString::number(state.cellId) : QString();
    if (state.sessionRunning)
        modemStatusEdit->setText(tr("Получаем данные сеанса связи"));
    else if (modemFieldEmpty(imsi) || rssi.isEmpty() || cellId.isEmpty())
        modemStatusEdit->setText(modemFailedText());
    else
        modemStatusEdit->setText(tr("Связь с сетью успешно установлена"));
    imsiEdit->setText(modemFieldEmpty(imsi) ? notConnected : imsi);
    rssiEdit->setText(modemFieldEmpty(rssi) ? notConnected : rssi + tr(" дБ"));
    cellIdEdit->setText(modemFieldEmpty(cellId) ? notConnected : cellId);
}

void SettingsTab::setEnabledUploadFirmwareButton(bool enabled, const QString &toolTip)
{
    uploadFirmwareButton->setEnabled(enabled);
    uploadFirmwareButton->setToolTip(toolTip);
}

void SettingsTab::confirmFirmwareUpload()
{
    if (UserPrompts::current().question(this, FirmwareUpdate::confirmTitle(),
                                        FirmwareUpdate::confirmText()))
        emit upload_firmware_button_clicked();
}
