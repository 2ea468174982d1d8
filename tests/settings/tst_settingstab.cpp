// The controller tab: showing a settings list, the period editors, change detection, the
// forecast fields, the modem fields and the firmware confirmation.

#include "settings/settingstab.h"
#include "tests/support/fakeprompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QtTest>

namespace {

// A controller settings list as the worker emits it.
QStringList settingsList(const QString &logPeriod = QStringLiteral("3600"),
                         const QString &sendPeriod = QStringLiteral("86400"))
{
    return {logPeriod,  sendPeriod, QStringLiteral("60"), QStringLiteral("500"),
            QStringLiteral("T3-0421-0077"), QStringLiteral("8.2"), QStringLiteral("1.4.2"),
            QStringLiteral("info"), QStringLiteral("866207053311579"), QStringLiteral("0"),
            QStringLiteral("3600"), QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("1"),
            QStringLiteral("192.168.1.10"), QStringLiteral("8080"), QStringLiteral("/sensor/get"),
            QStringLiteral("/sensor/save")};
}

template <typename W>
W *child(const SettingsTab &tab, const char *name)
{
    W *w = tab.findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QString text(const SettingsTab &tab, const char *name)
{
    return child<QLineEdit>(tab, name)->text();
}

} // namespace

class TestSettingsTab : public QObject
{
    Q_OBJECT

private slots:
    void namedWidgets();
    void showsPeriods_data();
    void showsPeriods();
    void clampsEditedPeriods_data();
    void clampsEditedPeriods();
    void showsSettings();
    void powerAndLid_data();
    void powerAndLid();
    void notNumbersShowAsZero();
    void hasChanges();
    void writeListFromEditors();
    void forecast_data();
    void forecast();
    void channelCountsClamped();
    void serverIpValidator();
    void modemData_data();
    void modemData();
    void settingsClearModemFields();
    void firmwareConfirmation_data();
    void firmwareConfirmation();
    void typedPortIsUsed();
};

void TestSettingsTab::namedWidgets()
{
    SettingsTab tab;
    const char *names[] = {
        "comPortCombo", "refreshButton", "timeoutSpin", "passwordEdit", "authButton",
        "newPasswordEdit", "confirmPasswordEdit", "changePasswordButton", "analogCountSpin",
        "fastOcCheck", "digitalCountSpin", "externalPowerCheck", "batteryLifeEdit", "trafficEdit",
        "priceLinkLabel", "serialEdit", "versionEdit", "uploadFirmwareButton", "imeiEdit",
        "powerEdit", "lidEdit", "sendMinutesEdit", "sendDaysSpin", "sendHoursSpin",
        "logMinutesEdit", "logDaysSpin", "logHoursSpin", "consumptionSpin",
        "consumptionModeCombo", "contactPollSpin", "psmCheck", "logMinutesSpin",
        "sendMinutesSpin", "serverIpEdit", "serverPortSpin", "apiGetEdit", "apiSaveEdit",
        "modemStatusEdit", "imsiEdit", "rssiEdit", "cellIdEdit", "testButton"};
    for (const char *name : names)
        QVERIFY2(tab.findChild<QWidget *>(QLatin1String(name)), name);
    QVERIFY(tab.comPortCombo->isEditable());
    QCOMPARE(child<QPushButton>(tab, "uploadFirmwareButton")->text(),
             QStringLiteral("  Обновить до 1.4.4  "));
}

void TestSettingsTab::showsPeriods_data()
{
    QTest::addColumn<QString>("logPeriod");
    QTest::addColumn<QString>("sendPeriod");
    QTest::addColumn<QString>("logMinutes");
    QTest::addColumn<int>("logDays");
    QTest::addColumn<int>("logHours");
    QTest::addColumn<QString>("sendMinutes");
    QTest::addColumn<int>("sendDays");
    QTest::addColumn<int>("sendHours");
    QTest::addColumn<QString>("logWritten");
    QTest::newRow("log 5400 s: 90 min, 1 hour, written back as 5400")
        << "5400" << "86400" << "90" << 0 << 1 << "1440" << 1 << 0 << "5400";
    QTest::newRow("log 30 s and send 120 s: below the limits")
        << "30" << "120" << "0" << 0 << 0 << "2" << 0 << 0 << "0";
    QTest::newRow("log 200000 s: 3333 min, 1 day")
        << "200000" << "0" << "3333" << 1 << 0 << "0" << 0 << 0 << "199980";
    QTest::newRow("send 20 days capped at 10 days")
        << "0" << "1728000" << "0" << 0 << 0 << "28800" << 10 << 0 << "0";
}

void TestSettingsTab::showsPeriods()
{
    QFETCH(QString, logPeriod);
    QFETCH(QString, sendPeriod);
    QFETCH(QString, logMinutes);
    QFETCH(int, logDays);
    QFETCH(int, logHours);
    QFETCH(QString, sendMinutes);
    QFETCH(int, sendDays);
    QFETCH(int, sendHours);
    QFETCH(QString, logWritten);
    SettingsTab tab;
    tab.setCpuSet(settingsList(logPeriod, sendPeriod));
    QCOMPARE(text(tab, "logMinutesEdit"), logMinutes);
    QCOMPARE(child<QSpinBox>(tab, "logDaysSpin")->value(), logDays);
    QCOMPARE(child<QSpinBox>(tab, "logHoursSpin")->value(), logHours);
    QCOMPARE(child<QSpinBox>(tab, "logMinutesSpin")->value(), 0);
    QCOMPARE(text(tab, "sendMinutesEdit"), sendMinutes);
    QCOMPARE(child<QSpinBox>(tab, "sendDaysSpin")->value(), sendDays);
    QCOMPARE(child<QSpinBox>(tab, "sendHoursSpin")->value(), sendHours);
    QCOMPARE(tab.getCpuSettings().value(0), logWritten);
}

void TestSettingsTab::clampsEditedPeriods_data()
{
    QTest::addColumn<QString>("period");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("shownDays");
    QTest::addColumn<int>("shownHours");
    QTest::addColumn<QString>("minutes");
    QTest::newRow("log 1 day 5 hours ends at 1 day") << "log" << 1 << 5 << 1 << 0 << "1440";
    QTest::newRow("log 0 days 23 hours") << "log" << 0 << 23 << 0 << 23 << "1380";
    QTest::newRow("send 10 days 5 hours ends at 10 days") << "send" << 10 << 5 << 10 << 0 << "14400";
    QTest::newRow("send 2 days 3 hours") << "send" << 2 << 3 << 2 << 3 << "3060";
}

void TestSettingsTab::clampsEditedPeriods()
{
    QFETCH(QString, period);
    QFETCH(int, days);
    QFETCH(int, hours);
    QFETCH(int, shownDays);
    QFETCH(int, shownHours);
    QFETCH(QString, minutes);
    SettingsTab tab;
    const QByteArray prefix = period.toLatin1();
    auto *daySpin = child<QSpinBox>(tab, prefix + "DaysSpin");
    auto *hourSpin = child<QSpinBox>(tab, prefix + "HoursSpin");
    daySpin->setValue(days);
    hourSpin->setValue(hours);
    QCOMPARE(daySpin->value(), shownDays);
    QCOMPARE(hourSpin->value(), shownHours);
    QCOMPARE(text(tab, prefix + "MinutesEdit"), minutes);
}

void TestSettingsTab::showsSettings()
{
    SettingsTab tab;
    QSignalSpy readed(&tab, &SettingsTab::settingsReaded);
    tab.setCpuSet(settingsList());
    QCOMPARE(readed.size(), 1);
    QCOMPARE(readed.first().first().toBool(), true);
    QCOMPARE(child<QSpinBox>(tab, "contactPollSpin")->value(), 60);
    QCOMPARE(child<QSpinBox>(tab, "consumptionSpin")->value(), 500);
    QCOMPARE(tab.getSerialNumber(), QStringLiteral("T3-0421-0077"));
    QCOMPARE(text(tab, "versionEdit"), QStringLiteral("Аппаратура 8.2, прошивка 1.4.2"));
    QCOMPARE(text(tab, "imeiEdit"), QStringLiteral("866207053311579"));
    QCOMPARE(child<QComboBox>(tab, "consumptionModeCombo")->currentIndex(), 1);
    QVERIFY(tab.isPsmEnabled());
    QCOMPARE(text(tab, "serverIpEdit"), QStringLiteral("192.168.1.10"));
    QCOMPARE(child<QSpinBox>(tab, "serverPortSpin")->value(), 8080);
    QCOMPARE(text(tab, "apiGetEdit"), QStringLiteral("/sensor/get"));
    QCOMPARE(text(tab, "apiSaveEdit"), QStringLiteral("/sensor/save"));
}

void TestSettingsTab::powerAndLid_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("millivolts");
    QTest::addColumn<QString>("lid");
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("lidText");
    QTest::newRow("battery 3600 mV, lid closed")
        << "0" << "3600" << "0" << "Батарейное, напряжение на батарее 3.6 В" << "Закрыта";
    QTest::newRow("external 3655 mV, lid open")
        << "1" << "3655" << "1" << "Внешнее, напряжение на батарее 3.655 В" << "Открыта";
    QTest::newRow("any non-zero source is external, lid 255 open")
        << "255" << "0" << "255" << "Внешнее, напряжение на батарее 0 В" << "Открыта";
}

void TestSettingsTab::powerAndLid()
{
    QFETCH(QString, source);
    QFETCH(QString, millivolts);
    QFETCH(QString, lid);
    QFETCH(QString, power);
    QFETCH(QString, lidText);
    QStringList list = settingsList();
    list[9] = source;
    list[10] = millivolts;
    list[11] = lid;
    SettingsTab tab;
    tab.setCpuSet(list);
    QCOMPARE(text(tab, "powerEdit"), power);
    QCOMPARE(text(tab, "lidEdit"), lidText);
}

void TestSettingsTab::notNumbersShowAsZero()
{
    QStringList list = settingsList(QStringLiteral("abc"), QStringLiteral("-"));
    list[2] = QStringLiteral("x");
    list[15] = QStringLiteral("99999"); // beyond the port range: the spin box clamps
    list.removeLast();                  // a short list shows the missing entries empty
    SettingsTab tab;
    tab.setCpuSet(list);
    QCOMPARE(text(tab, "logMinutesEdit"), QStringLiteral("0"));
    QCOMPARE(text(tab, "sendMinutesEdit"), QStringLiteral("0"));
    QCOMPARE(tab.getContactPollPeriod(), 0);
    QCOMPARE(child<QSpinBox>(tab, "serverPortSpin")->value(), 65535);
    QCOMPARE(text(tab, "apiSaveEdit"), QString());
}

void TestSettingsTab::hasChanges()
{
    SettingsTab tab;
    QVERIFY(tab.hasChanges()); // never read
    tab.setCpuSet(settingsList());
    QVERIFY(!tab.hasChanges());

    auto *apiGet = child<QLineEdit>(tab, "apiGetEdit");
    apiGet->setFocus();
    apiGet->end(false);
    QTest::keyClicks(apiGet, QStringLiteral("xy"));
    QVERIFY(tab.hasChanges());
    QTest::keyClick(apiGet, Qt::Key_Backspace);
    QTest::keyClick(apiGet, Qt::Key_Backspace);
    QVERIFY(!tab.hasChanges());

    // Case matters: the controller stores the path as typed.
    apiGet->setText(QStringLiteral("/Sensor/get"));
    QVERIFY(tab.hasChanges());
    apiGet->setText(QStringLiteral("/sensor/get"));

    QSignalSpy changed(&tab, &SettingsTab::settingsChanged);
    child<QSpinBox>(tab, "logHoursSpin")->setValue(2);
    QVERIFY(!changed.isEmpty());
    QVERIFY(tab.hasChanges());
    child<QSpinBox>(tab, "logHoursSpin")->setValue(1);
    QVERIFY(!tab.hasChanges());

    // The forecast inputs are not settings of the controller.
    changed.clear();
    tab.set_num_of_analogInputs(3);
    child<QCheckBox>(tab, "externalPowerCheck")->setChecked(true);
    QVERIFY(changed.isEmpty());
    QVERIFY(!tab.hasChanges());

    tab.setSettingsReaded(false);
    QVERIFY(tab.hasChanges());
}

void TestSettingsTab::writeListFromEditors()
{
    SettingsTab tab;
    tab.setCpuSet(settingsList(QStringLiteral("5400"), QStringLiteral("86400")));
    child<QCheckBox>(tab, "psmCheck")->setChecked(false);
    child<QComboBox>(tab, "consumptionModeCombo")->setCurrentIndex(0);
    QCOMPARE(tab.getCpuSettings(),
             (QStringList{"5400", "86400", "60", "500", "0", "0", "192.168.1.10", "8080",
                          "/sensor/get", "/sensor/save"}));
}

void TestSettingsTab::forecast_data()
{
    QTest::addColumn<int>("logHours");
    QTest::addColumn<int>("sendDays");
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("psm");
    QTest::addColumn<int>("analog");
    QTest::addColumn<bool>("fastOc");
    QTest::addColumn<int>("digital");
    QTest::addColumn<bool>("external");
    QTest::addColumn<QString>("battery");
    QTest::addColumn<QString>("traffic");
    QTest::newRow("as constructed: I 30")
        << 0 << 0 << 0 << false << 0 << false << 0 << false << "9 лет / 9 лет" << "0 кБайт";
    QTest::newRow("I 177") << 1 << 1 << 0 << false << 4 << false << 2 << false
                           << "2 года 3 мес / 3 года 10 мес" << "5040 кБайт";
    QTest::newRow("I 1186") << 1 << 1 << 1 << true << 8 << true << 0 << false << "4 мес / 6 мес"
                            << "8640 кБайт";
    QTest::newRow("I 175") << 0 << 1 << 0 << false << 0 << false << 32 << true
                           << "2 года 3 мес / 3 года 10 мес" << "1440 кБайт";
}

void TestSettingsTab::forecast()
{
    QFETCH(int, logHours);
    QFETCH(int, sendDays);
    QFETCH(int, mode);
    QFETCH(bool, psm);
    QFETCH(int, analog);
    QFETCH(bool, fastOc);
    QFETCH(int, digital);
    QFETCH(bool, external);
    QFETCH(QString, battery);
    QFETCH(QString, traffic);
    SettingsTab tab;
    // Every input alone recomputes the forecast; the order must not matter.
    child<QCheckBox>(tab, "fastOcCheck")->setChecked(fastOc);
    child<QCheckBox>(tab, "externalPowerCheck")->setChecked(external);
    tab.set_num_of_analogInputs(analog);
    tab.set_num_of_rs485Inputs(digital);
    child<QSpinBox>(tab, "logHoursSpin")->setValue(logHours);
    child<QSpinBox>(tab, "sendDaysSpin")->setValue(sendDays);
    child<QComboBox>(tab, "consumptionModeCombo")->setCurrentIndex(mode);
    tab.setPsmEnabled(psm);
    QCOMPARE(text(tab, "batteryLifeEdit"), battery);
    QCOMPARE(text(tab, "trafficEdit"), traffic);
}

void TestSettingsTab::channelCountsClamped()
{
    SettingsTab tab;
    tab.set_num_of_analogInputs(12);
    tab.set_num_of_rs485Inputs(40);
    QCOMPARE(child<QSpinBox>(tab, "analogCountSpin")->value(), 8);
    QCOMPARE(child<QSpinBox>(tab, "digitalCountSpin")->value(), 32);
}

void TestSettingsTab::serverIpValidator()
{
    SettingsTab tab;
    auto *ip = child<QLineEdit>(tab, "serverIpEdit");
    ip->setFocus();
    QTest::keyClicks(ip, QStringLiteral("192.168.1.300"));
    QCOMPARE(ip->text(), QStringLiteral("192.168.1.30"));
    QVERIFY(ip->hasAcceptableInput());
    ip->clear();
    QTest::keyClicks(ip, QStringLiteral("10.0.0"));
    QVERIFY(!ip->hasAcceptableInput());
}

void TestSettingsTab::modemData_data()
{
    QTest::addColumn<QStringList>("data");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("imsi");
    QTest::addColumn<QString>("rssi");
    QTest::addColumn<QString>("cellId");
    const QString none = QStringLiteral("подключение к сети не установлено");
    const QString failed = QStringLiteral("Не удалось подключиться к сети, повторите попытку");
    QTest::newRow("connected") << QStringList{"0", "250991234567890", "-85", "4294967295"}
                               << "Связь с сетью успешно установлена" << "250991234567890"
                               << "-85 дБ" << "4294967295";
    QTest::newRow("in progress") << QStringList{"1", "250991234567890", "0", "0"}
                                 << "Получаем данные сеанса связи" << "250991234567890" << none
                                 << none;
    QTest::newRow("rssi 0 fails although IMSI and cell are known")
        << QStringList{"0", "250991234567890", "0", "12345"} << failed << "250991234567890"
        << none << "12345";
    QTest::newRow("empty IMSI") << QStringList{"0", "", "-70", "12345"} << failed << none
                                << "-70 дБ" << "12345";
    QTest::newRow("short list") << QStringList{"0"} << failed << none << none << none;
}

void TestSettingsTab::modemData()
{
    QFETCH(QStringList, data);
    QFETCH(QString, status);
    QFETCH(QString, imsi);
    QFETCH(QString, rssi);
    QFETCH(QString, cellId);
    SettingsTab tab;
    tab.updateBC68Data(data);
    QCOMPARE(text(tab, "modemStatusEdit"), status);
    QCOMPARE(text(tab, "imsiEdit"), imsi);
    QCOMPARE(text(tab, "rssiEdit"), rssi);
    QCOMPARE(text(tab, "cellIdEdit"), cellId);
}

void TestSettingsTab::settingsClearModemFields()
{
    SettingsTab tab;
    tab.updateBC68Data({"0", "250991234567890", "-85", "1"});
    tab.setCpuSet(settingsList());
    for (const char *name : {"modemStatusEdit", "imsiEdit", "rssiEdit", "cellIdEdit"})
        QVERIFY2(text(tab, name).isEmpty(), name);
}

void TestSettingsTab::firmwareConfirmation_data()
{
    QTest::addColumn<bool>("answer");
    QTest::newRow("No emits nothing") << false;
    QTest::newRow("Yes starts the update") << true;
}

void TestSettingsTab::firmwareConfirmation()
{
    QFETCH(bool, answer);
    FakePrompts prompts;
    prompts.answers = {answer};
    SettingsTab tab;
    QSignalSpy upload(&tab, &SettingsTab::upload_firmware_button_clicked);
    tab.setEnabledUploadFirmwareButton(true, QString());
    QTest::mouseClick(child<QPushButton>(tab, "uploadFirmwareButton"), Qt::LeftButton);
    QCOMPARE(prompts.shown.size(), 1);
    QCOMPARE(prompts.shown.first().kind, QStringLiteral("question"));
    QCOMPARE(prompts.shown.first().title, QStringLiteral("Вы уверены?"));
    QCOMPARE(prompts.shown.first().text, QStringLiteral("Начать обновление прошивки?"));
    QCOMPARE(upload.size(), answer ? 1 : 0);
}

void TestSettingsTab::typedPortIsUsed()
{
    SettingsTab tab;
    tab.selectPort(QStringLiteral("/dev/pts/77"));
    QCOMPARE(tab.comPortCombo->currentText(), QStringLiteral("/dev/pts/77"));
}

QTEST_MAIN(TestSettingsTab)
#include "tst_settingstab.moc"
