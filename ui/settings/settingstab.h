#pragma once

// Controller tab: COM port, time-out and passwords, controller settings and identification,
// forecast of battery life and traffic, and the modem test.

#include "protocol/settings/controllersettings.h"
#include "ui/dialog/tabpage.h"
#include "ui/widgets/heldvalue.h"

#include <QStringList>
#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRegularExpressionValidator;
class QSpinBox;

class SettingsTab : public QWidget, public TabPage
{
    Q_OBJECT

public:
    explicit SettingsTab(QWidget *parent = nullptr);

    void setSettingsReaded(bool readed);
    // Whether the editors hold what this controller reported in this session.
    bool isReadFromController() const override { return settingsReadedFlag; }
    // True until the settings have been read, and whenever an editor differs from what
    // the controller last reported.
    bool hasChanges() const override;
    PageCommand readSettingsCommand() override;
    PageCommand readDataCommand() override;
    WritePreflight::Steps writePreflight(const WriteContext &context) const override;
    void declined(const WritePreflight::Step &step) override;
    PageCommand writeCommand() override;
    // The controller settings write list for command 33.
    QStringList getCpuSettings() const;
    QString getSerialNumber() const;
    bool isPsmEnabled() const;
    void setPsmEnabled(bool on);
    int getContactPollPeriod() const;
    // What the controller reported in this session.
    const ControllerSettings &settingsAsRead() const { return asRead; }
    // Other settings of the same controller in the editors, as changes to write.
    void changeSettings(const ControllerSettings &settings);
    // Selects a port by name, also one that the system does not list (a pseudo-terminal).
    void selectPort(const QString &name);
    // The worker could not open `portName`; `errorCode` is the serial port's error.
    void portNotOpened(const QString &portName, int errorCode);

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
    // Lists the serial ports the system has now.
    void refreshSerial();
    void setCpuSet(const QStringList &data);
    void updateDHM(int seconds, int min_seconds, int max_seconds, QSpinBox *day, QSpinBox *hour,
                   QSpinBox *min);
    // The field holds minutes, although the parameter has always been called `seconds`.
    void set_minutes_fromDHM(QLineEdit *seconds, QSpinBox *day, QSpinBox *hour, QSpinBox *min);
    void set_num_of_analogInputs(int count);
    void set_num_of_rs485Inputs(int count);
    void updatePowerCalc(int);
    void updateBC68Data(const QStringList &data);
    void setEnabledUploadFirmwareButton(bool enabled, const QString &toolTip);

private slots:
    void DHM_changed(int);
    void DHM_LOG_changed(int);
    void DHM_SEND_changed(int);

private:
    // The editors, and the held values behind those that cannot show a value exactly.
    void showSettings(const ControllerSettings &settings);
    // The editor values that the last read or write left, compared by hasChanges().
    struct Snapshot {
        QString logMinutes;
        QString sendMinutes;
        QString serverIp;
        QString apiGet;
        QString apiSave;
        bool psm = false;
        int contactPoll = 0;
        int consumption = 0;
        int serverPort = 0;
        int consumptionMode = 0;
        QStringList written; // the write list, which carries the held values too
        bool operator==(const Snapshot &other) const;
    };

    // Fields whose read value the editors cannot always show whole: a period that is not
    // whole minutes, a number beyond a spin box, a mode or flag byte other than 0 and 1.
    enum HeldField { HeldLog, HeldSend, HeldPoll, HeldConsumption, HeldMode, HeldPsm, HeldCount };

    void buildLinkGroup(QWidget *group);
    void buildForecastGroup(QWidget *group);
    void buildInfoGroup(QWidget *group);
    void buildControllerGroup(QWidget *group);
    void buildServerGroup(QWidget *group);
    void buildModemGroup(QWidget *group);
    void connectEditors();
    // Clamps a period edited as days and hours and shows it in its minutes field.
    void periodChanged(QLineEdit *minutesEdit, QSpinBox *day, QSpinBox *hour, QSpinBox *min,
                       int minSeconds, int maxSeconds);
    void confirmFirmwareUpload();
    Snapshot currentSnapshot() const;
    QString formatLifetime(int months) const;
    // The held value while its editor is untouched since the read, else the editor's.
    QString writeValue(HeldField field, qint64 editorValue) const;

    QPushButton *refreshButton = nullptr;
    QLineEdit *passwordEdit = nullptr;
    QPushButton *authButton = nullptr;
    QLineEdit *newPasswordEdit = nullptr;
    QLineEdit *confirmPasswordEdit = nullptr;

    QSpinBox *analogCountSpin = nullptr;
    QCheckBox *fastOcCheck = nullptr;
    QSpinBox *digitalCountSpin = nullptr;
    QCheckBox *externalPowerCheck = nullptr;
    QLineEdit *batteryLifeEdit = nullptr;
    QLineEdit *trafficEdit = nullptr;
    QLabel *priceLinkLabel = nullptr;

    QLineEdit *serialEdit = nullptr;
    QLineEdit *versionEdit = nullptr;
    QPushButton *uploadFirmwareButton = nullptr;
    QLineEdit *imeiEdit = nullptr;
    QLineEdit *powerEdit = nullptr;
    QLineEdit *lidEdit = nullptr;

    QLineEdit *sendMinutesEdit = nullptr;
    QSpinBox *sendDaysSpin = nullptr;
    QSpinBox *sendHoursSpin = nullptr;
    QSpinBox *sendMinutesSpin = nullptr; // not shown; kept at 0
    QLineEdit *logMinutesEdit = nullptr;
    QSpinBox *logDaysSpin = nullptr;
    QSpinBox *logHoursSpin = nullptr;
    QSpinBox *logMinutesSpin = nullptr; // not shown; kept at 0
    QSpinBox *consumptionSpin = nullptr;
    QComboBox *consumptionModeCombo = nullptr;
    QSpinBox *contactPollSpin = nullptr;
    QCheckBox *psmCheck = nullptr;

    QLineEdit *serverIpEdit = nullptr;
    QRegularExpressionValidator *serverIpValidator = nullptr;
    QSpinBox *serverPortSpin = nullptr;
    QLineEdit *apiGetEdit = nullptr;
    QLineEdit *apiSaveEdit = nullptr;
    QLabel *serverHintLabel = nullptr;

    QLineEdit *modemStatusEdit = nullptr;
    QLineEdit *imsiEdit = nullptr;
    QLineEdit *rssiEdit = nullptr;
    QLineEdit *cellIdEdit = nullptr;

    bool settingsReadedFlag = false;
    Snapshot readSnapshot;
    // What the controller reported, as read.
    ControllerSettings asRead;
    // What the controller reported, kept until the field's editor changes in any way.
    std::array<HeldValue, HeldCount> held;
};
