// The controller tab through the main window against the simulated controller: authorise,
// read, edit, write and read back, for both record layouts.

#include "app/tabdialog.h"
#include "tests/support/fakeprompts.h"
#include "tests/support/workerharness.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QtTest>

namespace {

constexpr int kCommandWaitMs = 20000;

template <typename W>
W *child(const QWidget &parent, const char *name)
{
    W *w = parent.findChild<W *>(QLatin1String(name));
    if (!w)
        qFatal("no widget %s", name);
    return w;
}

QString text(const QWidget &parent, const char *name)
{
    return child<QLineEdit>(parent, name)->text();
}

} // namespace

class TestControllerDialog : public QObject
{
    Q_OBJECT

private slots:
    void readEditWriteReadBack_data();
    void readEditWriteReadBack();
};

void TestControllerDialog::readEditWriteReadBack_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("fw1.4.2") << QStringLiteral("1.4.2");
    QTest::newRow("fw1.4.0") << QStringLiteral("1.4.0");
}

void TestControllerDialog::readEditWriteReadBack()
{
    QFETCH(QString, firmware);
    FakePrompts prompts;
    ControllerModel model;
    QVERIFY(model.setFirmware(firmware));
    QVERIFY(model.setHardware(QStringLiteral("8.1")));
    SimServer sim(model);
    QVERIFY(sim.start());

    TabDialog dialog;
    WorkerRecorder recorder(dialog.worker());
    dialog.selectPort(sim.portName());
    dialog.show();
    int commands = 0;
    const auto press = [&](const char *name) {
        auto *button = child<QPushButton>(dialog, name);
        if (!button->isEnabled())
            return false;
        button->click();
        return waitForFinished(recorder, ++commands, kCommandWaitMs);
    };

    QVERIFY(press("authButton"));
    QVERIFY(dialog.isAuthorised());

    QVERIFY(press("readSettingsButton"));
    QCOMPARE(text(dialog, "serialEdit"), QStringLiteral("T3-0421-0077"));
    QCOMPARE(text(dialog, "versionEdit"), QStringLiteral("Аппаратура 8.1, прошивка ") + firmware);
    QCOMPARE(text(dialog, "logMinutesEdit"), QStringLiteral("60"));
    QCOMPARE(text(dialog, "serverIpEdit"), QStringLiteral("10.20.30.40"));
    QVERIFY(!child<QPushButton>(dialog, "writeSettingsButton")->isEnabled());

    child<QSpinBox>(dialog, "logHoursSpin")->setValue(2);
    child<QSpinBox>(dialog, "sendDaysSpin")->setValue(2);
    child<QSpinBox>(dialog, "contactPollSpin")->setValue(120);
    child<QSpinBox>(dialog, "consumptionSpin")->setValue(300);
    child<QComboBox>(dialog, "consumptionModeCombo")->setCurrentIndex(1);
    child<QLineEdit>(dialog, "serverIpEdit")->setText(QStringLiteral("192.168.1.10"));
    child<QSpinBox>(dialog, "serverPortSpin")->setValue(8080);
    child<QLineEdit>(dialog, "apiGetEdit")->setText(QStringLiteral("/v2/get"));
    child<QLineEdit>(dialog, "apiSaveEdit")->setText(QStringLiteral("/v2/save"));
    QVERIFY(press("writeSettingsButton"));

    struct Stored {
        quint32 log, send, poll, threshold;
        quint8 mode, psm;
        QString ip;
        quint16 port;
        QByteArray apiGet, apiSave;
        int writes;
    };
    const Stored stored = sim.withModel([](ControllerModel &m) {
        const SimControllerSettings &s = m.controllerSettings;
        return Stored{s.logPeriod, s.sendPeriod, s.contactPollPeriod, s.consumptionThreshold,
                      s.consumptionSendMode, s.psm,
                      QStringLiteral("%1.%2.%3.%4").arg(s.serverIp[0]).arg(s.serverIp[1])
                          .arg(s.serverIp[2]).arg(s.serverIp[3]),
                      s.serverPort, s.apiGet, s.apiSave, s.writes};
    });
    QCOMPARE(stored.writes, 1);
    QCOMPARE(stored.log, 7200u);
    QCOMPARE(stored.send, 172800u);
    QCOMPARE(stored.poll, 120u);
    QCOMPARE(stored.threshold, 300u);
    QCOMPARE(stored.mode, quint8(1));
    QCOMPARE(stored.psm, quint8(0));
    QCOMPARE(stored.ip, QStringLiteral("192.168.1.10"));
    QCOMPARE(stored.port, quint16(8080));
    QCOMPARE(stored.apiGet, QByteArray("/v2/get"));
    QCOMPARE(stored.apiSave, QByteArray("/v2/save"));
    // The answer to the write is what the controller now holds: nothing left to write.
    QVERIFY(!child<QPushButton>(dialog, "writeSettingsButton")->isEnabled());

    // Read back, with a battery that has run down meanwhile.
    sim.withModel([](ControllerModel &m) { m.controllerSettings.batteryVoltage = 3450; });
    QVERIFY(press("readSettingsButton"));
    QCOMPARE(text(dialog, "logMinutesEdit"), QStringLiteral("120"));
    QCOMPARE(text(dialog, "sendMinutesEdit"), QStringLiteral("2880"));
    QCOMPARE(child<QSpinBox>(dialog, "contactPollSpin")->value(), 120);
    QCOMPARE(child<QComboBox>(dialog, "consumptionModeCombo")->currentIndex(), 1);
    QCOMPARE(text(dialog, "apiGetEdit"), QStringLiteral("/v2/get"));
    QCOMPARE(text(dialog, "powerEdit"), QStringLiteral("Батарейное, напряжение на батарее 3.45 В"));
    QCOMPARE(sim.requestCount(33), 1);
    QVERIFY(prompts.shown.isEmpty());
}

QTEST_MAIN(TestControllerDialog)
#include "tst_controllerdialog.moc"
