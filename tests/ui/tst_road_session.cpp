// Roads of a session through the window against the simulated controller: authorise, a
// write before any read, a new password, the settings-mode countdown
// and a port lost mid-command.

#include "roadsupport.h"

#include <unistd.h>

namespace {

// Drives the one-second ticks by hand instead of waiting five minutes.
void runDown(TabDialog *dialog, int ticks = TabDialog::kSettingsModeSeconds)
{
    for (int tick = 0; tick < ticks; ++tick)
        QMetaObject::invokeMethod(dialog, "update_timerLabel");
}

// Points `link` at `target` in one step, as a re-plugged adapter reappears under its name.
bool pointLink(const QString &link, const QString &target)
{
    const QByteArray temp = QFile::encodeName(link + QStringLiteral(".new"));
    ::unlink(temp.constData());
    return ::symlink(QFile::encodeName(target).constData(), temp.constData()) == 0
        && ::rename(temp.constData(), QFile::encodeName(link).constData()) == 0;
}

} // namespace

class TestRoadSession : public QObject
{
    Q_OBJECT

private slots:
    void authorise_data();
    void authorise();
    void writeBeforeReadSendsNothing_data();
    void writeBeforeReadSendsNothing();
    void changePasswordEndsSession();
    void countdownEndsSession_data();
    void countdownEndsSession();
    void portLostAndReplugged();
};

void TestRoadSession::authorise_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("expected");
    QTest::newRow("factory password") << "5093178" << false << QStringLiteral("Пароль успешно введен");
    QTest::newRow("wrong password") << "1111111" << false
                                    << "Неверный пароль доступа. Заводской пароль 5093178";
    QTest::newRow("nothing on the port") << "5093178" << true << MasterThread::noConnectionText();
}

void TestRoadSession::authorise()
{
    QFETCH(QString, password);
    QFETCH(bool, silent);
    QFETCH(QString, expected);
    Road road;
    QVERIFY(road.started);
    if (silent)
        road.sim->injectFault({SimFault::Silence, 2});
    road.find<QLineEdit>("passwordEdit")->setText(password);
    QVERIFY(road.click("authButton"));
    QCOMPARE(road.status(), expected);
    const bool authorised = expected == QStringLiteral("Пароль успешно введен");
    QCOMPARE(road.dialog->isAuthorised(), authorised);
    QCOMPARE(road.button("readSettingsButton")->isEnabled(), authorised);
    QCOMPARE(road.button("exitButton")->isEnabled(), authorised);
}

void TestRoadSession::writeBeforeReadSendsNothing_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("writeCmd");
    QTest::newRow("controller tab, a server address typed") << 0 << 33;
    QTest::newRow("analog tab") << 1 << 16;
    QTest::newRow("digital tab") << 2 << 32;
}

void TestRoadSession::writeBeforeReadSendsNothing()
{
    QFETCH(int, tab);
    QFETCH(int, writeCmd);
    Road road;
    QVERIFY(road.started);
    const auto held = [&road] {
        return road.sim->withModel([](ControllerModel &m) {
            return QList<int>{int(m.controllerSettings.logPeriod), m.analog.channels[0].type,
                              m.analog.channels[1].type, m.digital.channels[0].type};
        });
    };
    const auto edit = [&road, tab] {
        if (tab == 0)
            road.find<QLineEdit>("serverIpEdit")->setText(QStringLiteral("172.16.0.5"));
        else
            road.cell(tab == 1 ? "analogTable" : "rs485Table", 1, AnalogTab::ObjectColumn)->setText("42");
    };
    const QList<int> before = held();
    QVERIFY(road.authorise());
    road.showTab(tab);
    edit();
    // The buttons follow the usual rules; the refusal explains itself when pressed.
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().text,
             QStringLiteral("Настройки вкладки не считаны с контроллера. Сначала нажмите "
                            "«Считать настройки»."));
    QCOMPARE(road.sim->requestCount(writeCmd), 0);
    QCOMPARE(held(), before);
}

void TestRoadSession::changePasswordEndsSession()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.find<QLineEdit>("newPasswordEdit")->setText(QStringLiteral("7654321"));
    road.find<QLineEdit>("confirmPasswordEdit")->setText(QStringLiteral("7654321"));
    QVERIFY(road.click("changePasswordButton"));
    QCOMPARE(road.status(), QStringLiteral("Пароль успешно обновлен. Требуется авторизация."));
    QVERIFY(!road.dialog->isAuthorised());
    QVERIFY(!road.button("readSettingsButton")->isEnabled());
    QCOMPARE(road.sim->withModel([](ControllerModel &m) { return m.password; }), QStringLiteral("7654321"));
    road.find<QLineEdit>("passwordEdit")->setText(QStringLiteral("7654321"));
    QVERIFY(road.authorise());
}

void TestRoadSession::countdownEndsSession_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::newRow("nothing open") << "";
    QTest::newRow("contact-sensor question before an analog write") << "contact";
    QTest::newRow("PSM question before a controller write") << "psm";
    QTest::newRow("save dialog of an export") << "export";
    QTest::newRow("open dialog of an import") << "import";
    QTest::newRow("firmware update confirmation") << "firmware";
}

void TestRoadSession::countdownEndsSession()
{
    QFETCH(QString, prompt);
    QTemporaryDir dir;
    const QString earlier = dir.filePath(QStringLiteral("T3-0421-0077.csv"));
    QFile file(earlier);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("an earlier export\n") > 0);
    file.close();

    Road road(QStringLiteral("8.2"));
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) { m.controllerSettings.psm = 1; });
    QVERIFY(road.readTabs({2, 0, 1})); // channel 3 is a contact sensor, LK 10 s
    QVERIFY(road.cell<QComboBox>("analogTable", 0, AnalogTab::TypeColumn)->currentIndex() != 0);
    const char *button = "writeSettingsButton";
    if (prompt == QLatin1String("contact")) {
        road.cell("analogTable", 0, AnalogTab::ObjectColumn)->setText("77");
    } else if (prompt == QLatin1String("psm")) {
        road.showTab(0);
        road.find<QSpinBox>("contactPollSpin")->setValue(30);
    } else if (prompt == QLatin1String("firmware")) {
        road.showTab(0);
        button = "uploadFirmwareButton";
    } else {
        button = prompt == QLatin1String("export") ? "exportButton" : "importButton";
        road.prompts.nextFileName = earlier;
    }
    const int sent = road.sim->requestCount();
    if (prompt.isEmpty()) {
        QVERIFY(road.dialog->isCountdownRunning());
        runDown(road.dialog.get(), TabDialog::kSettingsModeSeconds - 1);
        QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:01)"));
        QVERIFY(road.dialog->isAuthorised());
        runDown(road.dialog.get(), 1);
    } else {
        road.prompts.answers = {true};
        road.prompts.whileOpen = [&road] { runDown(road.dialog.get()); };
        QVERIFY(road.button(button)->isEnabled());
        road.button(button)->click();
        // The question was asked, or the file dialog shown.
        QCOMPARE(road.prompts.shown.size() + road.prompts.fileDialogArgs.size() / 3, 1);
    }
    QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:00)"));
    QVERIFY(!road.dialog->isAuthorised() && !road.dialog->isCountdownRunning());
    QVERIFY(!road.dialog->isCommandRunning()); // nothing was handed to the worker
    QCOMPARE(road.sim->requestCount(), sent);
    QCOMPARE(road.status(), QStringLiteral("Выход из режима настроек. Требуется авторизация."));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("an earlier export\n"));
    for (int row = 0; row < AnalogTab::kRows; ++row)
        QCOMPARE(road.cell<QComboBox>("analogTable", row, AnalogTab::TypeColumn)->currentIndex(), 0);
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton", "exitButton"})
        QVERIFY2(!road.button(name)->isEnabled(), name);
    // Nothing the ended session read enables a command: the firmware update waits for a read.
    road.showTab(0);
    QVERIFY(!road.button("uploadFirmwareButton")->isEnabled());
    QVERIFY(!road.find<SettingsTab>("settingsTab")->isReadFromController());
    QVERIFY(!road.find<AnalogTab>("analogTab")->isReadFromController());
}

void TestRoadSession::portLostAndReplugged()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyUSB-lumaro"));
    Road road;
    QVERIFY(road.started);
    QVERIFY(pointLink(link, road.sim->portName()));
    road.dialog->selectPort(link);
    QVERIFY(road.authorise());
    road.showTab(1);
    // The first channel's answer is late; the adapter is pulled while the worker waits for it.
    road.sim->injectFault({SimFault::Late, 1, 2000, 4});
    road.button("readSettingsButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(road.sim->requestCount(4) >= 1, Road::kWaitMs);
    road.sim->closeLine();
    QTRY_VERIFY_WITH_TIMEOUT(!road.dialog->isCommandRunning(), Road::kWaitMs);
    QCOMPARE(road.status(), MasterThread::noConnectionText());
    QVERIFY(road.dialog->isAuthorised());

    ControllerModel model;
    model.setHardware(QStringLiteral("8.1"));
    SimServer replugged(model);
    QVERIFY(replugged.start());
    QVERIFY(pointLink(link, replugged.portName()));
    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.status(), QString());
    QCOMPARE(replugged.requestCount(4), 8);
}

QTEST_MAIN(TestRoadSession)
#include "tst_road_session.moc"
