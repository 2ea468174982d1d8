// Authorise, new password and leave settings mode against the simulated controller.

#include "link/sessionrecord.h"
#include "tests/support/workerharness.h"

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
    void newPasswordSignalOrder();
    void leaveSettingsModeSignalOrder();
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
    QCOMPARE(SessionRecord::passwordPayload(password).toHex(), payload.toHex());
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

    ControllerModel model;
    QVERIFY(model.setFirmware(firmware));
    QVERIFY(model.setHardware(hardware));
    WorkerHarness h(model);
    QVERIFY(h.started());
    QVERIFY(h.run(134, Rows{QStringList{password}}));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Авторизация..."), status}));
    QCOMPARE(r.progress(), QList<int>{100});
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
    if (accepted) {
        QCOMPARE(r.names(),
                 (QStringList{"error", "update_timer", "error", "update_cmd_status",
                              "enableButtonsContorls", "updateHw", "updateProgressBar",
                              "enableTablesContorls"}));
        QCOMPARE(r.argsOf("update_cmd_status").first(), (QVariantList{134, true}));
        QCOMPARE(r.argsOf("enableButtonsContorls").first(), (QVariantList{true, QString()}));
        QCOMPARE(r.argsOf("updateHw").first().first().toString(), hardware);
    } else {
        QVERIFY(r.argsOf("update_cmd_status").isEmpty());
        QVERIFY(r.argsOf("updateHw").isEmpty());
        // A refused password is still a successful exchange: the countdown restarts.
        QCOMPARE(r.argsOf("update_timer").size(), 1);
    }
}

void TestSession::firmware140ChangesLaterSizes()
{
    ControllerModel model;
    QVERIFY(model.setFirmware(QStringLiteral("1.4.0")));
    WorkerHarness h(model);
    QVERIFY(h.started());
    // Even a refused password tells the worker the firmware word.
    QVERIFY(h.run(134, Rows{QStringList{QStringLiteral("0000000")}}));
    QVERIFY(h.runWithoutRows(128));
    // The simulator answers 128 with 10 bytes for 1.4.0; only the firmware word makes it fit.
    QCOMPARE(h.recorder->argsOf("update_cmd_status").last(), (QVariantList{128, true}));
}

void TestSession::newPasswordSignalOrder()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.run(135, Rows{QStringList{QStringLiteral("1234567")}}));
    QCOMPARE(h.recorder->names(),
             (QStringList{"error", "update_timer", "updateProgressBar", "update_cmd_status",
                          "stop_timer", "error", "enableTablesContorls"}));
    QCOMPARE(h.recorder->statusTexts().last(),
             QStringLiteral("Пароль успешно обновлен. Требуется авторизация."));
    QCOMPARE(h.recorder->argsOf("update_cmd_status").first(), (QVariantList{135, true}));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.password; }),
             QStringLiteral("1234567"));
}

void TestSession::leaveSettingsModeSignalOrder()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(128));
    QCOMPARE(h.recorder->names(),
             (QStringList{"error", "update_timer", "updateProgressBar", "stop_timer", "error",
                          "update_cmd_status", "enableTablesContorls"}));
    QCOMPARE(h.recorder->statusTexts(),
             (QStringList{QStringLiteral("Выход контроллера из режима настроек"), QString()}));
    QCOMPARE(h.recorder->argsOf("update_cmd_status").first(), (QVariantList{128, true}));
}

QTEST_MAIN(TestSession)
#include "tst_session.moc"
