// The session through the window against the simulated controller: authorise, refused
// password, no answer, and a new password.

#include "app/tabdialog.h"
#include "sim/simserver.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kWaitMs = 20000;

QString status(const TabDialog &dialog)
{
    return dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text();
}

QPushButton *button(const TabDialog &dialog, const char *name)
{
    return dialog.findChild<QPushButton *>(QLatin1String(name));
}

void typeText(const TabDialog &dialog, const char *name, const QString &text)
{
    dialog.findChild<QLineEdit *>(QLatin1String(name))->setText(text);
}

} // namespace

class TestSessionRoad : public QObject
{
    Q_OBJECT

private slots:
    void authorise_data();
    void authorise();
    void changePasswordEndsSession();
};

void TestSessionRoad::authorise_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("authorised");
    QTest::newRow("factory password") << "5093178" << false << QStringLiteral("Пароль успешно введен") << true;
    QTest::newRow("wrong password") << "1111111" << false
                                    << QStringLiteral("Неверный пароль доступа. Заводской пароль 5093178")
                                    << false;
    QTest::newRow("nothing on the port") << "5093178" << true
                                         << QStringLiteral("Нет связи с контроллером: неверно выбран "
                                                           "COM-порт, контроллер не в режиме настройки, "
                                                           "обрыв кабеля, перепутана полярность, "
                                                           "неисправен адаптер COM-порта!")
                                         << false;
}

void TestSessionRoad::authorise()
{
    QFETCH(QString, password);
    QFETCH(bool, silent);
    QFETCH(QString, expected);
    QFETCH(bool, authorised);

    SimServer sim;
    QVERIFY(sim.start());
    if (silent)
        sim.injectFault({SimFault::Silence, 2});
    TabDialog dialog;
    dialog.selectPort(sim.portName());
    typeText(dialog, "passwordEdit", password);
    button(dialog, "authButton")->click();
    QVERIFY(!dialog.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kWaitMs);
    QCOMPARE(status(dialog), expected);
    QCOMPARE(dialog.isAuthorised(), authorised);
    QCOMPARE(button(dialog, "readSettingsButton")->isEnabled(), authorised);
    QCOMPARE(button(dialog, "exitButton")->isEnabled(), authorised);
}

void TestSessionRoad::changePasswordEndsSession()
{
    FakePrompts prompts;
    SimServer sim;
    QVERIFY(sim.start());
    TabDialog dialog;
    dialog.selectPort(sim.portName());
    button(dialog, "authButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isAuthorised() && dialog.isEnabled(), kWaitMs);

    typeText(dialog, "newPasswordEdit", QStringLiteral("7654321"));
    typeText(dialog, "confirmPasswordEdit", QStringLiteral("7654321"));
    button(dialog, "changePasswordButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kWaitMs);
    QCOMPARE(status(dialog), QStringLiteral("Пароль успешно обновлен. Требуется авторизация."));
    QVERIFY(!dialog.isAuthorised());
    QVERIFY(!button(dialog, "readSettingsButton")->isEnabled());
    QVERIFY(prompts.shown.isEmpty());
    QCOMPARE(sim.withModel([](ControllerModel &m) { return m.password; }), QStringLiteral("7654321"));

    // The new password opens the next session.
    typeText(dialog, "passwordEdit", QStringLiteral("7654321"));
    button(dialog, "authButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kWaitMs);
    QCOMPARE(status(dialog), QStringLiteral("Пароль успешно введен"));
}

QTEST_MAIN(TestSessionRoad)
#include "tst_session_road.moc"
