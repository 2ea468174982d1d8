// The main window's construction, its refusals before sending, and its orderly end.

#include "app/tabdialog.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

class TestTabDialog : public QObject
{
    Q_OBJECT

private slots:
    void titleAndMinimumSize();
    void tabAndButtonOrder();
    void startState();
    void passwordConfirmation_data();
    void passwordConfirmation();
    void closingEndsTheWorker();
    void escapeKeepsTheWindowOpen();
};

void TestTabDialog::titleAndMinimumSize()
{
    TabDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("LUMARO RS-485 Configurator v1.4.4"));
    QCOMPARE(dialog.minimumSize(), QSize(1000, 700));
}

void TestTabDialog::tabAndButtonOrder()
{
    TabDialog dialog;
    auto *tabs = dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    QVERIFY(tabs);
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles.append(tabs->tabText(i));
    QCOMPARE(titles, (QStringList{QStringLiteral("Контроллер"), QStringLiteral("Аналоговые каналы"),
                                  QStringLiteral("Цифровые каналы")}));
    QCOMPARE(tabs->currentIndex(), 0);

    auto *column = qobject_cast<QVBoxLayout *>(dialog.layout());
    QVERIFY(column);
    QCOMPARE(column->itemAt(0)->widget(), tabs);
    auto *row = qobject_cast<QHBoxLayout *>(column->itemAt(1)->layout());
    QVERIFY(row);
    QStringList buttons;
    for (int i = 0; i < row->count(); ++i)
        buttons.append(qobject_cast<QPushButton *>(row->itemAt(i)->widget())->text());
    QCOMPARE(buttons, (QStringList{QStringLiteral("Считать настройки"),
                                   QStringLiteral("Записать настройки"),
                                   QStringLiteral("Считать показания"),
                                   QStringLiteral("Импорт каналов"),
                                   QStringLiteral("Экспорт каналов"),
                                   QStringLiteral("Выход из режима")}));
    QVERIFY(qobject_cast<QProgressBar *>(column->itemAt(2)->widget()));
    QCOMPARE(column->itemAt(3)->widget()->objectName(), QStringLiteral("statusLabel"));
}

void TestTabDialog::startState()
{
    TabDialog dialog;
    auto *progress = dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"));
    QCOMPARE(progress->minimum(), 0);
    QCOMPARE(progress->maximum(), 100);
    QCOMPARE(progress->value(), 0);
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text(),
             QStringLiteral("Перед началом работы необходимо: выбрать верный COM-порт, перевести "
                            "контроллер в режим настройки, авторизоваться."));
    for (const char *name : {"readSettingsButton", "writeSettingsButton", "readDataButton"}) {
        auto *button = dialog.findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(!button->isEnabled(), name);
        QCOMPARE(button->toolTip(), QStringLiteral("Перед началом работы необходимо авторизоваться"));
    }
    QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("exitButton"))->isEnabled());
    QVERIFY(!dialog.isAuthorised());
    QVERIFY(!dialog.worker()->isRunning());
}

void TestTabDialog::passwordConfirmation_data()
{
    QTest::addColumn<QString>("newPassword");
    QTest::addColumn<QString>("confirmation");
    QTest::addColumn<QString>("message");
    const QString mismatch = QStringLiteral("Ошибка в подтверждении нового пароля");
    QTest::newRow("typed differently") << "1234567" << "1234568" << mismatch;
    QTest::newRow("case differs") << "abc" << "ABC" << mismatch;
    QTest::newRow("confirmation empty") << "1234567" << "" << mismatch;
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
    QCOMPARE(prompts.shown.first().kind, QStringLiteral("critical"));
    QCOMPARE(prompts.shown.first().title, QStringLiteral("Ошибка"));
    QCOMPARE(prompts.shown.first().text, message);
    // Refused before sending: the worker never started and the window stays usable.
    QVERIFY(!dialog.worker()->isRunning());
    QVERIFY(dialog.isEnabled());
}

void TestTabDialog::closingEndsTheWorker()
{
    auto dialog = std::make_unique<TabDialog>();
    dialog->selectPort(QStringLiteral("/nonexistent/ttyLUMARO"));
    dialog->findChild<QPushButton *>(QStringLiteral("authButton"))->click();
    QVERIFY(!dialog->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog->isEnabled(), 10000);
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
    QVERIFY(password);
    password->setFocus();
    QTest::keyClick(password, Qt::Key_Escape);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    QVERIFY(dialog.isVisible());
}

QTEST_MAIN(TestTabDialog)
#include "tst_tabdialog.moc"
