// Authorise, new password and leave settings mode over a scripted line.

#include "tests/support/scriptedline.h"

#include <QtTest>

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void passwordPayload_data();
    void passwordPayload();
    void commands_data();
    void commands();
};

void TestSession::passwordPayload_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("7 digits, one zero byte")
        << QStringLiteral("5093178") << QByteArray::fromHex("ff3530393331373800");
    QTest::newRow("empty, eight zero bytes") << QString() << QByteArray::fromHex("ff0000000000000000");
    QTest::newRow("non-ASCII counts UTF-8 bytes")
        << QStringLiteral("пар") << QByteArray::fromHex("ffd0bfd0b0d1800000");
    QTest::newRow("longer than 8 bytes sent whole")
        << QStringLiteral("123456789") << QByteArray::fromHex("ff313233343536373839");
}

void TestSession::passwordPayload()
{
    QFETCH(QString, password);
    QFETCH(QByteArray, payload);
    ScriptedLine line;
    QVERIFY(line.run(134, {{password}}));
    QCOMPARE(line.payloads(134).value(0).toHex(), payload.toHex());
}

void TestSession::commands_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("password");
    QTest::addColumn<int>("timeoutMs"); // of a tab time-out of 100 ms
    QTest::addColumn<QStringList>("trace");

    const QString asked = QStringLiteral("error Авторизация...");
    const QStringList accepted{asked, "update_timer", "error Пароль успешно введен",
                               "update_cmd_status 134 true", "enableButtonsContorls true "};
    QTest::newRow("right password 1.4.2") << "1.4.2" << "8.1" << 134 << "5093178" << 500
        << (QStringList(accepted) << "updateHw 8.1" << "updateProgressBar 100");
    QTest::newRow("right password 1.4.0, four analog channels")
        << "1.4.0" << "8.3" << 134 << "5093178" << 500
        << (QStringList(accepted) << "updateHw 8.3" << "updateProgressBar 100");
    // A refused password is still a successful exchange: the countdown restarts.
    QTest::newRow("wrong password") << "1.4.2" << "8.2" << 134 << "1111111" << 500
        << QStringList{asked, "update_timer",
                       "error Неверный пароль доступа. Заводской пароль 5093178",
                       "updateProgressBar 100"};
    QTest::newRow("unsupported 1.4.4 with right password")
        << "1.4.4" << "8.2" << 134 << "5093178" << 500
        << QStringList{asked, "update_timer",
                       "error Данная версия утилиты не поддерживает версию ПО контроллера 1.4.4. "
                       "Поддерживаемые версии ПО: 1.4.0, 1.4.1, 1.4.2",
                       "updateProgressBar 100"};
    QTest::newRow("new password: the closing text follows stop_timer")
        << "1.4.2" << "8.2" << 135 << "1234567" << 500
        << QStringList{"error Ввод нового пароля...", "update_timer", "updateProgressBar 100",
                       "update_cmd_status 135 true", "stop_timer",
                       "error Пароль успешно обновлен. Требуется авторизация."};
    QTest::newRow("leave settings mode: the line is cleared")
        << "1.4.2" << "8.2" << 128 << "" << 100
        << QStringList{"error Выход контроллера из режима настроек", "update_timer",
                       "updateProgressBar 100", "stop_timer", "error ",
                       "update_cmd_status 128 true"};
    // The controller answers 128 with 10 bytes for 1.4.0; only the firmware word of the
    // authorisation before makes it fit, even a refused one.
    QTest::newRow("leave settings mode on 1.4.0 after a refused password")
        << "1.4.0" << "8.2" << 128 << "0000000" << 100
        << QStringList{"error Выход контроллера из режима настроек", "update_timer",
                       "updateProgressBar 100", "stop_timer", "error ",
                       "update_cmd_status 128 true"};
}

void TestSession::commands()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    QFETCH(int, cmd);
    QFETCH(QString, password);
    QFETCH(int, timeoutMs);
    QFETCH(QStringList, trace);
    ScriptedLine line;
    QVERIFY(line.model.setFirmware(firmware));
    QVERIFY(line.model.setHardware(hardware));
    if (cmd == 128 && !password.isEmpty()) {
        QVERIFY(line.run(134, {{password}}));
        line.clear();
    }
    QVERIFY(line.run(cmd, {{password}}, 100));
    QCOMPARE(line.log.trace(), trace);
    QCOMPARE(line.sent.value(0).timeoutMs, timeoutMs);
    if (cmd == 135)
        QCOMPARE(line.model.password, password);
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
