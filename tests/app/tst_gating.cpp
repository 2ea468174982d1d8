// Enabling and tool tips of the command controls, and the settings-mode countdown.

#include "app/commandgating.h"
#include "app/tabdialog.h"

#include <QtTest>

#include <QLabel>
#include <QPushButton>

namespace {

const QString kAuthoriseFirst = QStringLiteral("Перед началом работы необходимо авторизоваться");
const QString kNoChanges = QStringLiteral("Нет изменений для записи");
const QString kUseChannelTabs =
    QStringLiteral("Для чтения показаний используйте вкладки Аналоговые и Цифровые каналы");
const QString kReadFirst = QStringLiteral("Перед чтением показаний нужно считать или записать настройки");
const QString kNotSupported140 = QStringLiteral(
    "Обновление прошивки через RS-485 не поддерживается в контроллерах с версией прошивки 1.4.0.\r\n"
    "Чтобы обновить прошивку контроллера, поставьте контроллер на обновление через личный кабинет.");
const QString kUpToDate = QStringLiteral("Обновление прошивки не требуется.");

bool invoke(TabDialog &dialog, const char *slot)
{
    return QMetaObject::invokeMethod(&dialog, slot);
}

QPushButton *button(TabDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

} // namespace

class TestGating : public QObject
{
    Q_OBJECT

private slots:
    void rules_data();
    void rules();
    void countdown();
    void countdownRestartsOnEveryExchange();
};

void TestGating::rules_data()
{
    QTest::addColumn<bool>("on");
    QTest::addColumn<bool>("authorised");
    QTest::addColumn<int>("tab");
    QTest::addColumn<bool>("readed");
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("fw");

    for (bool on : {false, true})
        for (bool authorised : {false, true})
            for (int tab : {0, 1, 2})
                for (bool readed : {false, true})
                    for (bool changed : {false, true})
                        for (const char *fw : {"", "1.4.0", "1.4.1", "1.4.4"}) {
                            const QByteArray name = QStringLiteral("on=%1 auth=%2 tab=%3 read=%4 changed=%5 fw=%6")
                                                        .arg(on).arg(authorised).arg(tab).arg(readed)
                                                        .arg(changed).arg(QLatin1String(fw)).toLatin1();
                            QTest::newRow(name.constData()) << on << authorised << tab << readed
                                                            << changed << QString::fromLatin1(fw);
                        }
}

void TestGating::rules()
{
    QFETCH(bool, on);
    QFETCH(bool, authorised);
    QFETCH(int, tab);
    QFETCH(bool, readed);
    QFETCH(bool, changed);
    QFETCH(QString, fw);

    const CommandGating g = commandGating({on, authorised, tab, readed, changed, fw});

    QCOMPARE(g.readSettings.enabled, on && authorised);
    QCOMPARE(g.writeSettings.enabled, on && authorised && changed);
    QCOMPARE(g.readData.enabled, tab != 0 && on && authorised && readed && !changed);
    QCOMPARE(g.exitEnabled, on && authorised);
    QCOMPARE(g.changePasswordEnabled, on);
    QCOMPARE(g.testEnabled, on);
    QCOMPARE(g.uploadFirmware.enabled, on && fw == QLatin1String("1.4.1"));
    QString firmwareTip;
    if (on && fw == QLatin1String("1.4.0"))
        firmwareTip = kNotSupported140;
    if (on && fw == QLatin1String("1.4.4"))
        firmwareTip = kUpToDate;
    QCOMPARE(g.uploadFirmware.toolTip, firmwareTip);

    // Tool tips of the dialog buttons do not depend on `on`.
    if (!authorised) {
        QCOMPARE(g.readSettings.toolTip, kAuthoriseFirst);
        QCOMPARE(g.writeSettings.toolTip, kAuthoriseFirst);
        QCOMPARE(g.readData.toolTip, kAuthoriseFirst);
        return;
    }
    QCOMPARE(g.readSettings.toolTip, QString());
    QCOMPARE(g.writeSettings.toolTip, changed ? QString() : kNoChanges);
    if (tab == 0)
        QCOMPARE(g.readData.toolTip, kUseChannelTabs);
    else
        QCOMPARE(g.readData.toolTip, changed ? kReadFirst : QString());
}

void TestGating::countdown()
{
    TabDialog dialog;
    QVERIFY(QMetaObject::invokeMethod(&dialog, "update_cmd_status", Q_ARG(int, 134), Q_ARG(bool, true)));
    QVERIFY(QMetaObject::invokeMethod(&dialog, "setTablesEnabledControls", Q_ARG(bool, true)));
    QVERIFY(button(dialog, "exitButton")->isEnabled());
    QVERIFY(invoke(dialog, "update_timer"));

    QVERIFY(invoke(dialog, "update_timerLabel"));
    QCOMPARE(button(dialog, "exitButton")->text(), QStringLiteral("Выход из режима (через 04:59)"));
    for (int tick = 2; tick <= 299; ++tick)
        QVERIFY(invoke(dialog, "update_timerLabel"));
    QCOMPARE(button(dialog, "exitButton")->text(), QStringLiteral("Выход из режима (через 00:01)"));
    QVERIFY(dialog.isAuthorised());

    QVERIFY(invoke(dialog, "update_timerLabel"));
    QCOMPARE(button(dialog, "exitButton")->text(), QStringLiteral("Выход из режима (через 00:00)"));
    QVERIFY(!dialog.isAuthorised());
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
             QStringLiteral("Выход из режима настроек. Требуется авторизация."));
    // The password and modem buttons follow only whether the window is usable: the table
    // reset re-enables them, since it reports the tables as read.
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton",
                             "exitButton"})
        QVERIFY2(!button(dialog, name)->isEnabled(), name);
    // The session ended locally: the worker was never asked to send anything.
    QVERIFY(!dialog.worker()->isRunning());
}

void TestGating::countdownRestartsOnEveryExchange()
{
    TabDialog dialog;
    QVERIFY(invoke(dialog, "update_timer"));
    for (int tick = 0; tick < 100; ++tick)
        QVERIFY(invoke(dialog, "update_timerLabel"));
    QCOMPARE(button(dialog, "exitButton")->text(), QStringLiteral("Выход из режима (через 03:20)"));
    QVERIFY(invoke(dialog, "update_timer"));
    QVERIFY(invoke(dialog, "update_timerLabel"));
    QCOMPARE(button(dialog, "exitButton")->text(), QStringLiteral("Выход из режима (через 04:59)"));
}

QTEST_MAIN(TestGating)
#include "tst_gating.moc"
