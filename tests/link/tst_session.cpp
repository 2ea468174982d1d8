// Authorise, new password and leave settings mode over a scripted line.

#include "link/sessionrecord.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void passwordPayload_data();
    void passwordPayload();
    void authorise_data();
    void authorise();
    void firmware140ChangesLaterSizes();
    void sessionEnds_data();
    void sessionEnds();
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

void TestSession::authorise_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("accepted");

    const QString ok = QStringLiteral("Пароль успешно введен");
    const QString wrong = QStringLiteral("Неверный пароль доступа. Заводской пароль 5093178");
    QTest::newRow("right password 1.4.2") << "1.4.2" << "8.1" << "5093178" << ok << true;
    QTest::newRow("right password 1.4.0") << "1.4.0" << "8.3" << "5093178" << ok << true;
    QTest::newRow("wrong password") << "1.4.2" << "8.2" << "1111111" << wrong << false;
    QTest::newRow("unsupported 1.4.4 with right password")
        << "1.4.4" << "8.2" << "5093178"
        << QStringLiteral("Данная версия утилиты не поддерживает версию ПО контроллера 1.4.4. "
                          "Поддерживаемые версии ПО: 1.4.0, 1.4.1, 1.4.2")
        << false;
}

void TestSession::authorise()
{
    QFETCH(QString, firmware);
    QFETCH(QString, hardware);
    QFETCH(QString, password);
    QFETCH(QString, status);
    QFETCH(bool, accepted);

    ScriptedLine line;
    QVERIFY(line.model.setFirmware(firmware));
    QVERIFY(line.model.setHardware(hardware));
    QVERIFY(line.run(134, {{password}}, 100));
    QCOMPARE(line.sent.value(0).timeoutMs, 500);

    const EventLog &r = line.log;
    QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Авторизация..."), status}));
    QCOMPARE(r.progress(), QList<int>{100});
    if (accepted) {
        QCOMPARE(r.names(), (QStringList{"error", "update_timer", "error", "update_cmd_status",
                                         "enableButtonsContorls", "updateHw", "updateProgressBar"}));
        QCOMPARE(r.argsOf("update_cmd_status").first(), (QVariantList{134, true}));
        QCOMPARE(r.argsOf("enableButtonsContorls").first(), (QVariantList{true, QString()}));
        QCOMPARE(r.argsOf("updateHw").first().first().toString(), hardware);
    } else {
        // A refused password is still a successful exchange: the countdown restarts.
        QCOMPARE(r.names(), (QStringList{"error", "update_timer", "error", "updateProgressBar"}));
    }
}

void TestSession::firmware140ChangesLaterSizes()
{
    ScriptedLine line;
    QVERIFY(line.model.setFirmware(QStringLiteral("1.4.0")));
    // Even a refused password tells the worker the firmware word.
    QVERIFY(line.run(134, {{QStringLiteral("0000000")}}));
    line.clear();
    // The controller answers 128 with 10 bytes for 1.4.0; only the firmware word makes it fit.
    QVERIFY(line.run(128));
    QCOMPARE(line.log.argsOf("update_cmd_status"), QList<QVariantList>{(QVariantList{128, true})});
}

void TestSession::sessionEnds_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("timeoutMs");
    QTest::newRow("new password: the closing text follows stop_timer")
        << 135
        << QStringList{"error", "update_timer", "updateProgressBar", "update_cmd_status",
                       "stop_timer", "error"}
        << QStringList{"Ввод нового пароля...", "Пароль успешно обновлен. Требуется авторизация."}
        << 500;
    QTest::newRow("leave settings mode: the line is cleared")
        << 128
        << QStringList{"error", "update_timer", "updateProgressBar", "stop_timer", "error",
                       "update_cmd_status"}
        << QStringList{"Выход контроллера из режима настроек", QString()} << 100;
}

void TestSession::sessionEnds()
{
    QFETCH(int, cmd);
    QFETCH(QStringList, names);
    QFETCH(QStringList, texts);
    QFETCH(int, timeoutMs);
    ScriptedLine line;
    QVERIFY(line.run(cmd, {{QStringLiteral("1234567")}}, 100));
    QCOMPARE(line.log.names(), names);
    QCOMPARE(line.log.statusTexts(), texts);
    QCOMPARE(line.log.argsOf("update_cmd_status"), QList<QVariantList>{(QVariantList{cmd, true})});
    QCOMPARE(line.sent.value(0).timeoutMs, timeoutMs);
    if (cmd == 135)
        QCOMPARE(line.model.password, QStringLiteral("1234567"));
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
