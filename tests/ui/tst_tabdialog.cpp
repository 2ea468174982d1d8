// The main window's construction and opening size, the gating of its command controls, the
// settings-mode countdown, its refusals before sending, and its orderly end.

#include "ui/dialog/commandgating.h"
#include "ui/dialog/tabdialog.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

Q_DECLARE_METATYPE(GatingInput)

namespace {

// The offscreen screen is 800 pixels wide, narrower than the window's minimum: the window is
// opened on a desktop screen, as it is in the field.
[[maybe_unused]] const bool desktopScreen = [] {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen")
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" LUMARO_DESKTOP_SCREEN);
    return true;
}();

// QLineEdit paints its text inside its frame, 2 pixels from either side.
bool showsWhole(const QLineEdit *edit)
{
    const int frame = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
    return edit->fontMetrics().horizontalAdvance(edit->text()) <= edit->width() - 2 * frame - 4;
}

} // namespace

class TestTabDialog : public QObject
{
    Q_OBJECT

private slots:
    void construction();
    void opensShowingEverything_data();
    void opensShowingEverything();
    void gating_data();
    void gating();
    void countdownRestartsOnEveryExchange();
    void passwordConfirmation_data();
    void passwordConfirmation();
    void closingEndsTheWorker();
    void escapeKeepsTheWindowOpen();
};

void TestTabDialog::construction()
{
    TabDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("LUMARO RS-485 Configurator v1.4.4"));
    QCOMPARE(dialog.minimumSize(), QSize(1000, 700));
    // Top to bottom: the tabs, the buttons in a row, the progress bar, which a running command
    // freezes; then the status line with the stop and the journal's button.
    auto *outer = qobject_cast<QVBoxLayout *>(dialog.layout());
    QVERIFY(outer && outer->count() == 2);
    auto *column = qobject_cast<QVBoxLayout *>(outer->itemAt(0)->widget()->layout());
    QVERIFY(column && column->count() == 3);
    auto *tabs = qobject_cast<QTabWidget *>(column->itemAt(0)->widget());
    QStringList texts;
    for (int i = 0; i < tabs->count(); ++i)
        texts << tabs->tabText(i);
    auto *row = qobject_cast<QHBoxLayout *>(column->itemAt(1)->layout());
    for (int i = 0; i < row->count(); ++i)
        texts << qobject_cast<QPushButton *>(row->itemAt(i)->widget())->text();
    QCOMPARE(texts.join(QLatin1Char('|')),
             QStringLiteral("Контроллер|Аналоговые каналы|Цифровые каналы|Считать настройки|"
                            "Записать настройки|Считать показания|Импорт каналов|Экспорт каналов|"
                            "Выход из режима"));
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(qobject_cast<QProgressBar *>(column->itemAt(2)->widget()));
    auto *statusRow = qobject_cast<QHBoxLayout *>(outer->itemAt(1)->layout());
    QCOMPARE(statusRow->itemAt(1)->widget()->objectName(), QStringLiteral("cancelButton"));
    // "Наблюдение", "Отчёт" and "История" beside "Журнал".
    QCOMPARE(statusRow->itemAt(2)->widget()->findChild<QPushButton *>("monitorButton")->text(),
             QStringLiteral("Наблюдение"));
    QCOMPARE(statusRow->itemAt(2)->widget()->findChild<QPushButton *>("reportButton")->text(),
             QStringLiteral("Отчёт"));
    QCOMPARE(statusRow->itemAt(3)->widget()->objectName(), QStringLiteral("historyButton"));
    QCOMPARE(qobject_cast<QPushButton *>(statusRow->itemAt(3)->widget())->text(),
             QStringLiteral("История"));
    QCOMPARE(statusRow->itemAt(4)->widget()->objectName(), QStringLiteral("trafficButton"));
    QCOMPARE(qobject_cast<QLabel *>(statusRow->itemAt(0)->widget())->text(),
             QStringLiteral("Перед началом работы необходимо: выбрать верный COM-порт, перевести "
                            "контроллер в режим настройки, авторизоваться."));
    // The gating of a window without a session; the worker waits for the first command.
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton", "exitButton",
                             "monitorButton", "reportButton"})
        QVERIFY2(!dialog.findChild<QPushButton *>(QLatin1String(name))->isEnabled(), name);
    QVERIFY(!dialog.worker()->isRunning());
}

void TestTabDialog::opensShowingEverything_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text"); // shown after the window has opened
    QTest::newRow("port typed in") << "comPortCombo" << "/dev/ttyUSB10";
    QTest::newRow("traffic, one-minute logging, 40 channels") << "trafficEdit" << "2073600 кБайт";
    QTest::newRow("battery life") << "batteryLifeEdit" << "2 года 11 мес / 4 года 11 мес";
    QTest::newRow("versions") << "versionEdit" << "Аппаратура 8.2, прошивка 1.4.12";
    QTest::newRow("power") << "powerEdit" << "Батарейное, напряжение на батарее 3.654 В";
    QTest::newRow("modem test failed") << "modemStatusEdit"
                                       << "Не удалось подключиться к сети, повторите попытку";
}

void TestTabDialog::opensShowingEverything()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    TabDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), dialog.sizeHint().expandedTo(QSize(1000, 700)));
    for (QWidget *widget : dialog.findChildren<QWidget *>()) {
        const auto *label = qobject_cast<QLabel *>(widget);
        const bool oneLine = label ? !label->wordWrap()
                                   : qobject_cast<QAbstractButton *>(widget) || qobject_cast<QComboBox *>(widget);
        if (oneLine && widget->isVisible())
            QVERIFY2(widget->width() >= widget->sizeHint().width(),
                     qPrintable(widget->property("text").toString()
                                + widget->property("currentText").toString()));
    }
    QWidget *widget = dialog.findChild<QWidget *>(field);
    auto *combo = qobject_cast<QComboBox *>(widget);
    QLineEdit *edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit *>(widget);
    edit->setText(text);
    QVERIFY2(showsWhole(edit), qPrintable(text));
}

void TestTabDialog::gating_data()
{
    QTest::addColumn<GatingInput>("in");
    // Read settings, write, read readings, exit, password, modem test, firmware, watching
    // ("Наблюдение"), report: 1 enabled.
    QTest::addColumn<QString>("enabled");
    QTest::addColumn<QStringList>("tips"); // read settings, write, read readings, firmware
    const QString auth = QStringLiteral("Перед началом работы необходимо авторизоваться");
    const QString noChanges = QStringLiteral("Нет изменений для записи");
    const QString channelTabs =
        QStringLiteral("Для чтения показаний используйте вкладки Аналоговые и Цифровые каналы");
    const QString readFirst = QStringLiteral("Перед чтением показаний нужно считать или записать настройки");
    const QString v140 = QStringLiteral(
        "Обновление прошивки через RS-485 не поддерживается в контроллерах с версией прошивки "
        "1.4.0.\r\nЧтобы обновить прошивку контроллера, поставьте контроллер на обновление через "
        "личный кабинет.");
    QTest::newRow("no session: only password and modem test")
        << GatingInput{true, false, 1, true, false, "1.4.1", true} << "000011100"
        << QStringList{auth, auth, auth, QString()};
    QTest::newRow("controller tab never reads readings")
        << GatingInput{true, true, 0, true, false, "1.4.1", true} << "100111101"
        << QStringList{QString(), noChanges, channelTabs, QString()};
    QTest::newRow("analog tab read, unchanged, firmware current")
        << GatingInput{true, true, 1, true, false, "1.4.4", false} << "101111010"
        << QStringList{QString(), noChanges, QString(), QStringLiteral("Обновление прошивки не требуется.")};
    QTest::newRow("digital tab edited, firmware 1.4.0")
        << GatingInput{true, true, 2, true, true, "1.4.0", true} << "110111001"
        << QStringList{QString(), QString(), readFirst, v140};
    QTest::newRow("analog tab unread, no firmware known")
        << GatingInput{true, true, 1, false, false, "", false} << "100111000"
        << QStringList{QString(), noChanges, QString(), QString()};
    QTest::newRow("command running: tips stay, controls off")
        << GatingInput{false, true, 2, true, true, "1.4.1", true} << "000000000"
        << QStringList{QString(), QString(), readFirst, QString()};
}

void TestTabDialog::gating()
{
    QFETCH(GatingInput, in);
    QFETCH(QString, enabled);
    QFETCH(QStringList, tips);
    const CommandGating g = commandGating(in);
    QString seen;
    for (bool on : {g.readSettings.enabled, g.writeSettings.enabled, g.readData.enabled,
                    g.exitEnabled, g.changePasswordEnabled, g.testEnabled, g.uploadFirmware.enabled,
                    g.monitorEnabled, g.reportEnabled})
        seen += on ? QLatin1Char('1') : QLatin1Char('0');
    QCOMPARE(seen, enabled);
    QCOMPARE((QStringList{g.readSettings.toolTip, g.writeSettings.toolTip, g.readData.toolTip,
                          g.uploadFirmware.toolTip}),
             tips);
}

void TestTabDialog::countdownRestartsOnEveryExchange()
{
    TabDialog dialog;
    auto *exit = dialog.findChild<QPushButton *>(QStringLiteral("exitButton"));
    QVERIFY(QMetaObject::invokeMethod(&dialog, "update_timer"));
    for (int tick = 0; tick < 100; ++tick)
        QVERIFY(QMetaObject::invokeMethod(&dialog, "update_timerLabel"));
    QCOMPARE(exit->text(), QStringLiteral("Выход из режима (через 03:20)"));
    QVERIFY(QMetaObject::invokeMethod(&dialog, "update_timer"));
    QVERIFY(QMetaObject::invokeMethod(&dialog, "update_timerLabel"));
    QCOMPARE(exit->text(), QStringLiteral("Выход из режима (через 04:59)"));
}

void TestTabDialog::passwordConfirmation_data()
{
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    const QString mismatch = QStringLiteral("Ошибка в подтверждении нового пароля");
    QTest::newRow("case differs") << "abc" << "ABC" << mismatch;
    QTest::newRow("new password empty") << "" << "1234567" << mismatch;
    QTest::newRow("both empty") << "" << "" << QStringLiteral("Новый пароль не может быть пустым");
}

void TestTabDialog::passwordConfirmation()
{
    QFETCH(QString, newPassword);
    QFETCH(QString, confirmation);
    QFETCH(QString, message);

    FakePrompts prompts;
    TabDialog dialog;
    // The button itself is enabled only once a command has ended; the slot checks alone.
    QVERIFY(QMetaObject::invokeMethod(&dialog, "transaction_update_pass",
                                      Q_ARG(QString, newPassword), Q_ARG(QString, confirmation)));

    QCOMPARE(prompts.shown.size(), 1);
    const FakePrompts::Shown &box = prompts.shown.first();
    QCOMPARE(box.kind + '|' + box.title + '|' + box.text, QStringLiteral("critical|Ошибка|") + message);
    // Refused before sending: the worker never started and the window stays usable.
    QVERIFY(!dialog.worker()->isRunning());
    QVERIFY(!dialog.isCommandRunning());
}

void TestTabDialog::closingEndsTheWorker()
{
    auto dialog = std::make_unique<TabDialog>();
    dialog->selectPort(QStringLiteral("/nonexistent/ttyLUMARO"));
    dialog->findChild<QPushButton *>(QStringLiteral("authButton"))->click();
    QVERIFY(dialog->isCommandRunning());
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->isCommandRunning(), 10000);
    QVERIFY(dialog->findChild<QLabel *>(QStringLiteral("statusLabel"))
                ->text()
                .startsWith(QStringLiteral("Невозможно открыть порт /nonexistent/ttyLUMARO")));
    QPointer<MasterThread> worker = dialog->worker();
    QVERIFY(worker->isRunning());
    dialog.reset();
    QVERIFY(worker.isNull());
}

void TestTabDialog::escapeKeepsTheWindowOpen()
{
    TabDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    auto *password = dialog.findChild<QLineEdit *>(QStringLiteral("passwordEdit"));
    password->setFocus();
    QTest::keyClick(password, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
}

QTEST_MAIN(TestTabDialog)
#include "tst_tabdialog.moc"
