// One request on the line (attempts, frame checks, the no-connection text and the countdown),
// then authorise, new password and leave settings mode, over a scripted line.

#include "protocol/frame/frame.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

using Replies = QList<ScriptedLine::Reply>;

namespace {

// The controller's answer to leave settings mode, with `edit` applied and the checksum
// made right again when `resum` is set.
QByteArray answer128(void (*edit)(QByteArray &) = nullptr, bool resum = true)
{
    const ControllerModel model;
    QByteArray frame = model.frame(Link::CmdLeaveSettingsMode, QByteArray(5, '\0'));
    if (edit) {
        edit(frame);
        if (resum)
            frame.back() = char(ControllerModel::checksum(frame.chopped(1)));
    }
    return frame;
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void attempts_data();
    void attempts();
    void codesWithoutCommand();
    void passwordPayload_data();
    void passwordPayload();
    void commands_data();
    void commands();
};

void TestSession::attempts_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("noConnection");

    const QByteArray badSum = answer128([](QByteArray &f) { f.back() = char(f.back() ^ 1); }, false);
    const QByteArray badStart = answer128([](QByteArray &f) { f[0] = char(0x55); });
    const QByteArray otherCmd = answer128([](QByteArray &f) { f[7] = char(Link::CmdAuthorise); });
    const QByteArray tooLong = answer128([](QByteArray &f) { f.insert(8, '\0'); });
    const ScriptedLine::Reply m = ScriptedLine::Model;
    QTest::newRow("clean answer") << Replies{m} << 1 << true << 0;
    QTest::newRow("bad checksum once, second attempt") << Replies{badSum, m} << 2 << true << 0;
    QTest::newRow("bad checksum twice") << Replies{badSum, badSum} << 2 << false << 1;
    QTest::newRow("wrong start byte twice") << Replies{badStart, badStart} << 2 << false << 1;
    QTest::newRow("another command byte twice") << Replies{otherCmd, otherCmd} << 2 << false << 1;
    QTest::newRow("one byte too many twice") << Replies{tooLong, tooLong} << 2 << false << 1;
    QTest::newRow("silent twice") << Replies{ScriptedLine::Silence, ScriptedLine::Silence} << 2
                                  << false << 1;
    QTest::newRow("port lost: once, no repeat") << Replies{ScriptedLine::Lost} << 1 << false << 1;
    QTest::newRow("closing: nothing sent, nothing said") << Replies{ScriptedLine::Stop} << 0
                                                         << false << 0;
}

void TestSession::attempts()
{
    QFETCH(Replies, replies);
    QFETCH(int, requests);
    QFETCH(bool, succeeds);
    QFETCH(int, noConnection);
    ScriptedLine line;
    line.script = replies;
    QVERIFY(line.run(Link::CmdLeaveSettingsMode));

    QCOMPARE(line.sent.size(), requests);
    for (const ScriptedLine::Sent &s : line.sent)
        QCOMPARE(s.frame.toHex(), QByteArray("aa00462500000080ff0d"));
    const EventLog &r = line.log;
    QCOMPARE(r.statusTexts().count(CommandLine::noConnectionText()), noConnection);
    // The countdown restarts only on an accepted answer.
    QCOMPARE(r.argsOf("update_timer").size(), succeeds ? 1 : 0);
    QCOMPARE(r.argsOf("stop_timer").size(), succeeds ? 1 : 0);
    QCOMPARE(r.progress(), QList<int>{succeeds ? 100 : 0});
}

void TestSession::codesWithoutCommand()
{
    // 0 and the codes sent only inside the firmware update are no commands of the window.
    ScriptedLine line;
    for (const int code : {0, 64, 130, 131, 132, 133})
        QVERIFY(!line.run(code));
    QVERIFY(line.sent.isEmpty());
    QVERIFY(line.log.events.isEmpty());
}

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
