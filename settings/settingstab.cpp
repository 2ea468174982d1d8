#include "settings/settingstab.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QSpinBox>

namespace {

constexpr int kPasswordMaxLength = 7;
const char kFactoryPassword[] = "5093178";
const char kBuiltInFirmwareVersion[] = "1.4.4";

template <typename W>
W *named(W *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLineEdit *passwordField(const char *name, const QString &text = QString())
{
    auto *edit = named(new QLineEdit(text), name);
    edit->setMaxLength(kPasswordMaxLength);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

} // namespace

SettingsTab::SettingsTab(QWidget *parent)
    : QWidget(parent)
{
    auto *linkGroup = new QGroupBox(tr("Параметры связи"));
    auto *linkGrid = new QGridLayout;
    comPortCombo = named(new QComboBox, "comPortCombo");
    comPortCombo->setMinimumWidth(75);
    comPortCombo->setEditable(true);
    refreshButton = named(new QPushButton(tr("Обновить")), "refreshButton");
    timeoutSpin = named(new QSpinBox, "timeoutSpin");
    timeoutSpin->setRange(100, 900);
    timeoutSpin->setValue(100);
    timeoutSpin->setSingleStep(100);
    timeoutSpin->setMinimumWidth(60);
    timeoutSpin->setToolTip(tr("Минимальное время ожидания ответа от контроллера. "
                               "Для сложных операций применяется мультипликатор."));
    passwordEdit = passwordField("passwordEdit", QString::fromLatin1(kFactoryPassword));
    authButton = named(new QPushButton(tr("Авторизоваться")), "authButton");
    newPasswordEdit = passwordField("newPasswordEdit");
    confirmPasswordEdit = passwordField("confirmPasswordEdit");
    changePasswordButton = named(new QPushButton(tr("Сменить пароль")), "changePasswordButton");
    linkGrid->addWidget(new QLabel(tr("COM-порт:")), 0, 0);
    linkGrid->addWidget(comPortCombo, 0, 1);
    linkGrid->addWidget(refreshButton, 0, 2);
    linkGrid->addWidget(new QLabel(tr("Таймаут, мс: ")), 0, 3);
    linkGrid->addWidget(timeoutSpin, 0, 4);
    linkGrid->addWidget(new QLabel(tr("Пароль: ")), 1, 0);
    linkGrid->addWidget(passwordEdit, 1, 1);
    linkGrid->addWidget(authButton, 1, 2);
    linkGrid->addWidget(new QLabel(tr("Новый пароль: ")), 2, 0);
    linkGrid->addWidget(newPasswordEdit, 2, 1);
    linkGrid->addWidget(new QLabel(tr("Подтверждение: ")), 3, 0);
    linkGrid->addWidget(confirmPasswordEdit, 3, 1);
    linkGrid->addWidget(changePasswordButton, 3, 2);
    linkGroup->setLayout(linkGrid);

    auto *infoGroup = new QGroupBox(tr("Информация о контроллере"));
    auto *infoGrid = new QGridLayout;
    uploadFirmwareButton = named(
        new QPushButton(tr("  Обновить до %1  ").arg(QLatin1String(kBuiltInFirmwareVersion))),
        "uploadFirmwareButton");
    infoGrid->addWidget(uploadFirmwareButton, 1, 2);
    infoGroup->setLayout(infoGrid);

    auto *modemGroup = new QGroupBox(tr("Тест модуля связи"));
    auto *modemGrid = new QGridLayout;
    testButton = named(new QPushButton(tr("Выполнить тест")), "testButton");
    modemGrid->addWidget(testButton, 4, 1);
    modemGroup->setLayout(modemGrid);

    auto *grid = new QGridLayout;
    grid->addWidget(linkGroup, 0, 0);
    grid->addWidget(infoGroup, 1, 1);
    grid->addWidget(modemGroup, 2, 1);
    setLayout(grid);

    connect(refreshButton, &QPushButton::clicked, this, &SettingsTab::refreshSerial);
    connect(authButton, &QPushButton::clicked, this,
            [this] { emit auth_pass_button_clicked(passwordEdit->text()); });
    connect(changePasswordButton, &QPushButton::clicked, this, [this] {
        emit update_pass_button_clicked(newPasswordEdit->text(), confirmPasswordEdit->text());
    });
    connect(testButton, &QPushButton::clicked, this, &SettingsTab::start_bc68_button_clicked);
    connect(uploadFirmwareButton, &QPushButton::clicked, this,
            &SettingsTab::upload_firmware_button_clicked);

    refreshSerial();
}

void SettingsTab::refreshSerial()
{
    comPortCombo->clear();
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        comPortCombo->addItem(info.portName());
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
    emit settingsReaded(readed);
}

bool SettingsTab::hasChanges() const
{
    return !settingsReadedFlag;
}

QStringList SettingsTab::getCpuSettings() const
{
    return {};
}

QString SettingsTab::getSerialNumber() const
{
    return {};
}

bool SettingsTab::isPsmEnabled() const
{
    return false;
}

void SettingsTab::setPsmEnabled(bool on)
{
    Q_UNUSED(on);
}

int SettingsTab::getContactPollPeriod() const
{
    return 0;
}

void SettingsTab::setCpuSet(const QStringList &data)
{
    Q_UNUSED(data);
    settingsReadedFlag = true;
    emit settingsReaded(true);
}

void SettingsTab::set_num_of_analogInputs(int count)
{
    Q_UNUSED(count);
}

void SettingsTab::set_num_of_rs485Inputs(int count)
{
    Q_UNUSED(count);
}

void SettingsTab::updateBC68Data(const QStringList &data)
{
    Q_UNUSED(data);
}

void SettingsTab::setEnabledUploadFirmwareButton(bool enabled, const QString &toolTip)
{
    uploadFirmwareButton->setEnabled(enabled);
    uploadFirmwareButton->setToolTip(toolTip);
}
