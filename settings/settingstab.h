#pragma once

// Controller tab: COM port, time-out and passwords, controller settings and identification,
// forecast of battery life and traffic, and the modem test.

#include <QStringList>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class SettingsTab : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsTab(QWidget *parent = nullptr);

    void setSettingsReaded(bool readed);
    bool hasChanges() const;
    QStringList getCpuSettings() const;
    QString getSerialNumber() const;
    bool isPsmEnabled() const;
    void setPsmEnabled(bool on);
    int getContactPollPeriod() const;
    // Selects a port by name, also one that the system does not list (a pseudo-terminal).
    void selectPort(const QString &name);

    // Used by the main dialog for every command and by its enabling rules.
    QComboBox *comPortCombo = nullptr;
    QSpinBox *timeoutSpin = nullptr;
    QPushButton *changePasswordButton = nullptr;
    QPushButton *testButton = nullptr;

signals:
    void auth_pass_button_clicked(const QString &pass);
    void update_pass_button_clicked(const QString &passnew, const QString &pass_repeat);
    void start_bc68_button_clicked();
    void update_bc68_info_button_clicked();
    void upload_firmware_button_clicked();
    void settingsReaded(bool readed);
    void settingsChanged();

public slots:
    void setCpuSet(const QStringList &data);
    void set_num_of_analogInputs(int count);
    void set_num_of_rs485Inputs(int count);
    void updateBC68Data(const QStringList &data);
    void setEnabledUploadFirmwareButton(bool enabled, const QString &toolTip);

private slots:
    void refreshSerial();

private:
    QPushButton *refreshButton = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *authButton = nullptr;
    QLineEdit *newPasswordEdit = nullptr;
    QLineEdit *confirmPasswordEdit = nullptr;
    QPushButton *uploadFirmwareButton = nullptr;
    bool settingsReadedFlag = false;
};
