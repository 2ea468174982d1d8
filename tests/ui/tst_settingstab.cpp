// The controller tab: showing a settings list, the period editors, change detection, the
// forecast fields, the modem fields and the firmware confirmation.

#include "protocol/settings/forecast.h"
#include "ui/settings/settingstab.h"
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
    return {logPeriod, sendPeriod, "60", "500", "T3-0421-0077", "8.2", "1.4.2", "info",
            "866207053311579", "0", "3600", "0", "1", "1", "192.168.1.10", "8080",
            "/sensor/get", "/sensor/save"};
}

template <typename W = QLineEdit>
W *child(const SettingsTab &tab, const QByteArray &name)
{
    W *w = tab.findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name.constData());
    return w;
}

QString text(const SettingsTab &tab, const QByteArray &name)
{
    return child(tab, name)->text();
}

int spin(const SettingsTab &tab, const QByteArray &name)
{
    return child<QSpinBox>(tab, name)->value();
}

} // namespace

class TestSettingsTab : public QObject
{
    Q_OBJECT

private slots:
    void showsPeriods_data();
    void showsPeriods();
    void clampsEditedPeriods_data();
    void clampsEditedPeriods();
    void showsAndWritesSettings();
    void powerAndLid_data();
    void powerAndLid();
    void modemData_data();
    void modemData();
};

void TestSettingsTab::showsPeriods_data()
{
    QTest::addColumn<QString>("logPeriod");
    QTest::addColumn<QString>("sendPeriod");
    // Minutes, days and hours of the log period, then of the send period.
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("logWritten");
    // The other forecast inputs: mode, PSM, analog, fast open collector, digital, external power.
    QTest::addColumn<QList<int>>("others");
    QTest::newRow("log 5400 s: 90 min, 1 hour, written back as 5400")
        << "5400" << "86400" << QStringList{"90", "0", "1", "1440", "1", "0"} << "5400" << QList<int>{0, 0, 0, 0, 32, 1};
    QTest::newRow("log 30 s and send 120 s: below the limits")
        << "30" << "120" << QStringList{"0", "0", "0", "2", "0", "0"} << "30" << QList<int>{0, 1, 4, 0, 2, 1};
    QTest::newRow("log 200000 s: 3333 min, 1 day")
        << "200000" << "0" << QStringList{"3333", "1", "0", "0", "0", "0"} << "200000" << QList<int>{1, 1, 8, 1, 0, 0};
    QTest::newRow("send 20 days capped at 10 days")
        << "0" << "1728000" << QStringList{"0", "0", "0", "28800", "10", "0"} << "0" << QList<int>{0, 1, 0, 0, 32, 1};
}

void TestSettingsTab::showsPeriods()
{
    QFETCH(QString, logPeriod);
    QFETCH(QString, sendPeriod);
    QFETCH(QStringList, shown);
    QFETCH(QString, logWritten);
    QFETCH(QList<int>, others);
    SettingsTab tab;
    QStringList list = settingsList(logPeriod, sendPeriod);
    list[12] = QString::number(others[0]);
    list[13] = QString::number(others[1]);
    tab.setCpuSet(list);
    tab.set_num_of_analogInputs(others[2]);
    child<QCheckBox>(tab, "fastOcCheck")->setChecked(others[3]);
    tab.set_num_of_rs485Inputs(others[4]);
    child<QCheckBox>(tab, "externalPowerCheck")->setChecked(others[5]);
    QStringList seen;
    for (const QByteArray prefix : {"log", "send"})
        seen << text(tab, prefix + "MinutesEdit") << QString::number(spin(tab, prefix + "DaysSpin"))
             << QString::number(spin(tab, prefix + "HoursSpin"));
    QCOMPARE(seen, shown);
    QCOMPARE(spin(tab, "logMinutesSpin"), 0);
    QCOMPARE(tab.getCpuSettings().value(0), logWritten);
    // The forecast is that of the minutes shown, not of the whole hours in the boxes.
    const Forecast::Result r = Forecast::compute({shown[0].toInt(), shown[3].toInt(), others[0], others[1] != 0,
                                                  others[2], others[3] != 0, others[4], others[5] != 0});
    QCOMPARE(text(tab, "trafficEdit"), QString::number(r.kilobytesPerYear) + QStringLiteral(" кБайт"));
    QCOMPARE(text(tab, "batteryLifeEdit"), Forecast::formatLifetime(r.monthsSmallCell) + " / "
                                               + Forecast::formatLifetime(r.monthsLargeCell));
}

void TestSettingsTab::clampsEditedPeriods_data()
{
    QTest::addColumn<QByteArray>("period");
    QTest::addColumn<int>("days");
    QTest::addColumn<int>("hours");
    QTest::addColumn<int>("shownHours");
    QTest::addColumn<QString>("minutes");
    QTest::newRow("log 1 day 5 hours ends at 1 day") << QByteArray("log") << 1 << 5 << 0 << "1440";
    QTest::newRow("send 10 days 5 hours ends at 10 days")
        << QByteArray("send") << 10 << 5 << 0 << "14400";
    QTest::newRow("send 2 days 3 hours") << QByteArray("send") << 2 << 3 << 3 << "3060";
}

void TestSettingsTab::clampsEditedPeriods()
{
    QFETCH(QByteArray, period);
    QFETCH(int, days);
    QFETCH(int, hours);
    QFETCH(int, shownHours);
    QFETCH(QString, minutes);
    SettingsTab tab;
    child<QSpinBox>(tab, period + "DaysSpin")->setValue(days);
    child<QSpinBox>(tab, period + "HoursSpin")->setValue(hours);
    QCOMPARE(spin(tab, period + "DaysSpin"), days);
    QCOMPARE(spin(tab, period + "HoursSpin"), shownHours);
    QCOMPARE(text(tab, period + "MinutesEdit"), minutes);
    QCOMPARE(tab.getCpuSettings().value(period == "log" ? 0 : 1), QString::number(minutes.toInt() * 60));
}

void TestSettingsTab::showsAndWritesSettings()
{
    SettingsTab tab;
    QVERIFY(tab.hasChanges()); // never read
    QSignalSpy readed(&tab, &SettingsTab::settingsReaded);
    tab.updateBC68Data({"0", "250991234567890", "-85", "1"});
    tab.setCpuSet(settingsList());
    QVERIFY(!tab.hasChanges());
    QCOMPARE(readed.size(), 1);
    QCOMPARE(readed.first().first().toBool(), true);
    QCOMPARE(tab.getSerialNumber(), QStringLiteral("T3-0421-0077"));
    QCOMPARE(text(tab, "versionEdit"), QStringLiteral("Аппаратура 8.2, прошивка 1.4.2"));
    QCOMPARE(text(tab, "imeiEdit"), QStringLiteral("866207053311579"));
    // A new read clears the last modem test's fields.
    for (const char *name : {"modemStatusEdit", "imsiEdit", "rssiEdit", "cellIdEdit"})
        QVERIFY2(text(tab, name).isEmpty(), name);
    // Unedited, the editors give back what was read.
    QStringList written{"3600", "86400", "60", "500", "1", "1", "192.168.1.10", "8080",
                        "/sensor/get", "/sensor/save"};
    QCOMPARE(tab.getCpuSettings(), written);

    // Typed and erased again: nothing to write.
    auto *apiGet = child(tab, "apiGetEdit");
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
    child<QSpinBox>(tab, "logHoursSpin")->setValue(2);
    QVERIFY(tab.hasChanges());
    child<QSpinBox>(tab, "logHoursSpin")->setValue(1);
    QVERIFY(!tab.hasChanges());
    // The forecast inputs are not settings of the controller.
    QSignalSpy changed(&tab, &SettingsTab::settingsChanged);
    tab.set_num_of_analogInputs(3);
    child<QCheckBox>(tab, "externalPowerCheck")->setChecked(true);
    QVERIFY(changed.isEmpty() && !tab.hasChanges());

    child<QCheckBox>(tab, "psmCheck")->setChecked(false);
    child<QComboBox>(tab, "consumptionModeCombo")->setCurrentIndex(0);
    written[4] = written[5] = QStringLiteral("0");
    QCOMPARE(tab.getCpuSettings(), written);
    tab.setCpuSet(settingsList());
    QVERIFY(!tab.hasChanges());
    tab.setSettingsReaded(false); // a session end forgets the read
    QVERIFY(tab.hasChanges());
}

void TestSettingsTab::powerAndLid_data()
{
    QTest::addColumn<QStringList>("entries"); // power source, battery millivolts, lid
    QTest::addColumn<QString>("power");
    QTest::addColumn<QString>("lid");
    QTest::newRow("battery 3600 mV, lid closed") << QStringList{"0", "3600", "0"}
                                                 << "Батарейное, напряжение на батарее 3.6 В"
                                                 << "Закрыта";
    QTest::newRow("external 3655 mV, lid open") << QStringList{"1", "3655", "1"}
                                                << "Внешнее, напряжение на батарее 3.655 В"
                                                << "Открыта";
    QTest::newRow("any non-zero source is external, lid 255 open")
        << QStringList{"255", "0", "255"} << "Внешнее, напряжение на батарее 0 В" << "Открыта";
}

void TestSettingsTab::powerAndLid()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, power);
    QFETCH(QString, lid);
    QStringList list = settingsList();
    list.replace(9, entries[0]);
    list.replace(10, entries[1]);
    list.replace(11, entries[2]);
    SettingsTab tab;
    tab.setCpuSet(list);
    QCOMPARE(text(tab, "powerEdit"), power);
    QCOMPARE(text(tab, "lidEdit"), lid);
}

void TestSettingsTab::modemData_data()
{
    QTest::addColumn<QStringList>("data");
    QTest::addColumn<QStringList>("shown"); // status, IMSI, RSSI, cell ID
    const QString none = QStringLiteral("подключение к сети не установлено");
    const QString failed = QStringLiteral("Не удалось подключиться к сети, повторите попытку");
    const QString imsi = QStringLiteral("250991234567890");
    QTest::newRow("connected")
        << QStringList{"0", imsi, "-85", "4294967295"}
        << QStringList{"Связь с сетью успешно установлена", imsi, "-85 дБ", "4294967295"};
    QTest::newRow("in progress") << QStringList{"1", imsi, "0", "0"}
                                 << QStringList{"Получаем данные сеанса связи", imsi, none, none};
    QTest::newRow("rssi 0 fails although IMSI and cell are known")
        << QStringList{"0", imsi, "0", "12345"} << QStringList{failed, imsi, none, "12345"};
    QTest::newRow("empty IMSI") << QStringList{"0", "", "-70", "12345"}
                                << QStringList{failed, none, "-70 дБ", "12345"};
    QTest::newRow("short list") << QStringList{"0"} << QStringList{failed, none, none, none};
}

void TestSettingsTab::modemData()
{
    QFETCH(QStringList, data);
    QFETCH(QStringList, shown);
    SettingsTab tab;
    tab.updateBC68Data(data);
    QCOMPARE((QStringList{text(tab, "modemStatusEdit"), text(tab, "imsiEdit"),
                          text(tab, "rssiEdit"), text(tab, "cellIdEdit")}),
             shown);
}

QTEST_MAIN(TestSettingsTab)
#include "tst_settingstab.moc"
