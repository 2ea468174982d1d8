// Road: the settings-mode countdown runs out with no command: the session ends locally,
// the tables are emptied and nothing is sent, also when a question or file dialog was open.

#include "roadsupport.h"

#include "channels/analogtab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

// Drives the one-second ticks by hand instead of waiting five minutes.
void runDown(TabDialog *dialog, int ticks = TabDialog::kSettingsModeSeconds)
{
    for (int tick = 0; tick < ticks; ++tick)
        QMetaObject::invokeMethod(dialog, "update_timerLabel");
}

} // namespace

class TestRoadCountdown : public QObject
{
    Q_OBJECT

private slots:
    void road();
    void endsWhilePromptIsOpen_data();
    void endsWhilePromptIsOpen();
};

void TestRoadCountdown::road()
{
    Road road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    auto *table = road.find<QTableWidget>("analogTable");
    auto *firstType = qobject_cast<QComboBox *>(table->cellWidget(0, AnalogTab::TypeColumn));
    QVERIFY(firstType->currentIndex() != 0);
    QVERIFY(road.dialog->isCountdownRunning());
    const int sent = road.sim->requestCount();

    runDown(road.dialog.get(), 299);
    QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:01)"));
    QVERIFY(road.dialog->isAuthorised());
    QVERIFY(QMetaObject::invokeMethod(road.dialog.get(), "update_timerLabel"));

    QCOMPARE(road.button("exitButton")->text(), QStringLiteral("Выход из режима (через 00:00)"));
    QVERIFY(!road.dialog->isAuthorised());
    QVERIFY(!road.dialog->isCountdownRunning());
    QCOMPARE(road.status(), QStringLiteral("Выход из режима настроек. Требуется авторизация."));
    for (int row = 0; row < AnalogTab::kRows; ++row) {
        auto *type = qobject_cast<QComboBox *>(table->cellWidget(row, AnalogTab::TypeColumn));
        QCOMPARE(type->currentIndex(), 0);
    }
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton", "exitButton"})
        QVERIFY2(!road.button(name)->isEnabled(), name);
    QCOMPARE(road.sim->requestCount(), sent);
}

void TestRoadCountdown::endsWhilePromptIsOpen_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::newRow("contact-sensor question before an analog write") << "contact";
    QTest::newRow("PSM question before a controller write") << "psm";
    QTest::newRow("save dialog of an export") << "export";
    QTest::newRow("firmware update confirmation") << "firmware";
}

void TestRoadCountdown::endsWhilePromptIsOpen()
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
    QVERIFY(road.authorise());
    QVERIFY(road.click("readSettingsButton")); // contact poll period 60 s, firmware 1.4.2
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton")); // channel 3: contact sensor, LK 10 s
    const char *button = "writeSettingsButton";
    if (prompt == QLatin1String("contact")) {
        auto *table = road.find<QTableWidget>("analogTable");
        qobject_cast<QLineEdit *>(table->cellWidget(0, AnalogTab::ObjectColumn))->setText("77");
    } else if (prompt == QLatin1String("psm")) {
        road.showTab(0);
        road.find<QSpinBox>("contactPollSpin")->setValue(30);
    } else if (prompt == QLatin1String("export")) {
        button = "exportButton";
        road.prompts.nextFileName = earlier;
    } else {
        road.showTab(0);
        button = "uploadFirmwareButton";
    }
    const int sent = road.sim->requestCount();
    road.prompts.answers = {true};
    road.prompts.whileOpen = [&road] { runDown(road.dialog.get()); };
    QVERIFY(road.button(button)->isEnabled());
    road.button(button)->click();

    // The question was asked, or the save dialog shown.
    QCOMPARE(road.prompts.shown.size() + road.prompts.fileDialogArgs.size() / 3, 1);
    QVERIFY(!road.dialog->isAuthorised());
    QVERIFY(road.dialog->isEnabled()); // nothing was handed to the worker
    QCOMPARE(road.sim->requestCount(), sent);
    QCOMPARE(road.status(), QStringLiteral("Выход из режима настроек. Требуется авторизация."));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("an earlier export\n"));
    // Nothing the ended session knew enables a command: the firmware update waits for a read.
    road.showTab(0);
    QVERIFY(!road.button("uploadFirmwareButton")->isEnabled());
}

QTEST_MAIN(TestRoadCountdown)
#include "tst_road_countdown.moc"
