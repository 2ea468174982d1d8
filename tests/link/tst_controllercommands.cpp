// Controller settings read (9) and write (33), modem test (136 with its polls of 137) and
// session data (137) over a scripted line; the modem's two-minute wait goes by in the line's
// pauses.

#include "protocol/settings/modemtiming.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

using Replies = QList<ScriptedLine::Reply>;

namespace {

// Consumption mode 1 and PSM 0: the two bytes must not trade places on the way.
Rows writeRows(const QString &ip, const QString &apiGet = QStringLiteral("/api/v2/get"))
{
    return {{"7200", "172800", "30", "2500", "1", "0", ip, "8081", apiGet, "/api/v2/save"}};
}

// Progress values of a modem test that ran `ticks` ticks.
QList<int> tickProgress(int ticks)
{
    QList<int> out{0};
    for (int t = 1; t <= ticks; ++t)
        out.append(t);
    return out;
}

} // namespace

class TestControllerCommands : public QObject
{
    Q_OBJECT

private slots:
    void traces_data();
    void traces();
    void modemTest_data();
    void modemTest();
};

void TestControllerCommands::traces_data()
{
    QTest::addColumn<QString>("firmware"); // of the authorisation before
    QTest::addColumn<QString>("answerAs"); // the firmware whose layout the controller answers in
    QTest::addColumn<int>("cmd");
    QTest::addColumn<Rows>("rows");
    // Then the model answers; for 137 they go to a modem test run before it.
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<QList<int>>("timeouts"); // of each request, of a tab time-out of 100 ms
    QTest::addColumn<QStringList>("trace");

    const QString id = QStringLiteral("T3-0421-0077|8.1|%1|LUMARO T3|866207053311579|0|3600|0");
    const QStringList read{"error Считываем настройки контроллера", "update_timer"};
    const Replies silent{ScriptedLine::Silence, ScriptedLine::Silence};
    const QString noLink = "error " + CommandLine::noConnectionText();
    const Rows ip = writeRows(QStringLiteral("192.168.1.10"));
    QTest::newRow("9 fw1.4.2 211 bytes")
        << "1.4.2" << "1.4.2" << 9 << Rows() << Replies() << QList<int>{300}
        << (QStringList(read) << "setCpuSet 3600|86400|60|0|" + id.arg("1.4.2")
                                     + "|0|0|10.20.30.40|80|/sensor/get|/sensor/save"
                              << "enableButtonsContorls true 1.4.2" << "updateProgressBar 100"
                              << "error ");
    QTest::newRow("9 fw1.4.0 179 bytes")
        << "1.4.0" << "1.4.0" << 9 << Rows() << Replies() << QList<int>{300}
        << (QStringList(read) << "setCpuSet 3600|86400|60|0|" + id.arg("1.4.0")
                                     + "|0|0|10.20.30.40|80|/sensor/get|/sensor/save"
                              << "enableButtonsContorls true 1.4.0" << "updateProgressBar 100"
                              << "error ");
    // The controller stores the record in flash first, then answers with it as it now holds it.
    QTest::newRow("33 answered with the record as stored")
        << "1.4.2" << "1.4.2" << 33 << ip << Replies() << QList<int>{1500}
        << QStringList{"error Записываем настройки в контроллер", "update_timer",
                       "setCpuSet 7200|172800|30|2500|" + id.arg("1.4.2")
                           + "|1|0|192.168.1.10|8081|/api/v2/get|/api/v2/save",
                       "updateProgressBar 100", "error "};
    QTest::newRow("33 refused before sending: 10.0.0 three parts")
        << "1.4.2" << "1.4.2" << 33 << writeRows("10.0.0") << Replies() << QList<int>()
        << QStringList{"error Неверно задан IP-адрес сервера"};
    QTest::newRow("33 refused before sending: API_GET of 40 UTF-8 bytes")
        << "1.4.2" << "1.4.2" << 33 << writeRows("10.0.0.1", QString(20, QChar(0x0431)))
        << Replies() << QList<int>()
        << QStringList{"error Поле API_GET не помещается в память контроллера: не более 32 байт "
                       "в кодировке UTF-8 (русская буква занимает 2 байта). Сократите текст, "
                       "настройки не записаны."};
    // The tab keeps what it shows.
    QTest::newRow("9 unanswered") << "1.4.2" << "1.4.2" << 9 << Rows() << silent
                                  << QList<int>{300, 300}
                                  << (QStringList{read.first()} << noLink << "updateProgressBar 0");
    QTest::newRow("33 unanswered")
        << "1.4.2" << "1.4.2" << 33 << ip << silent << QList<int>{1500, 1500}
        << QStringList{"error Записываем настройки в контроллер", noLink, "updateProgressBar 0"};
    // Authorised with 1.4.2 the worker expects 211 bytes; the 1.4.0 layout is no answer.
    QTest::newRow("9 179 bytes after a 1.4.2 authorisation")
        << "1.4.2" << "1.4.0" << 9 << Rows() << Replies() << QList<int>{300, 300}
        << (QStringList{read.first()} << noLink << "updateProgressBar 0");
    // Without a session the modem has no IMSI, signal or cell to report.
    QTest::newRow("137 no session enables the test button")
        << "1.4.2" << "1.4.2" << 137 << Rows() << Replies() << QList<int>{500}
        << QStringList{"error Получаем данные сеанса связи...", "update_timer",
                       "enableButtonStartBC68 true", "setBC68Data 0||0|0", "updateProgressBar 100",
                       "error "};
    // A test that fails at its first poll leaves the session running.
    QTest::newRow("137 after a failed test: session running disables it")
        << "1.4.2" << "1.4.2" << 137 << Rows() << Replies{ScriptedLine::Model, silent[0], silent[1]}
        << QList<int>{500}
        << QStringList{"error Получаем данные сеанса связи...", "update_timer",
                       "enableButtonStartBC68 false", "setBC68Data 1|250991234567890|0|0",
                       "updateProgressBar 100", "error "};
}

void TestControllerCommands::traces()
{
    QFETCH(QString, firmware);
    QFETCH(QString, answerAs);
    QFETCH(int, cmd);
    QFETCH(Rows, rows);
    QFETCH(Replies, replies);
    QFETCH(QList<int>, timeouts);
    QFETCH(QStringList, trace);
    ScriptedLine line;
    line.model.setFirmware(firmware);
    line.model.setHardware(QStringLiteral("8.1"));
    line.model.modem.pollsInProgress = 1000;
    QVERIFY(line.run(134, {{line.model.password}}));
    line.model.setFirmware(answerAs);
    line.script = replies;
    if (cmd == 137 && !replies.isEmpty())
        QVERIFY(line.run(136));
    line.clear();
    QVERIFY(line.run(cmd, rows, 100));
    QCOMPARE(line.log.trace(), trace);
    QList<int> sent;
    for (const ScriptedLine::Sent &s : line.sent)
        sent.append(s.timeoutMs);
    QCOMPARE(sent, timeouts);
}

void TestControllerCommands::modemTest_data()
{
    QTest::addColumn<int>("pollsInProgress");
    QTest::addColumn<int>("silentAttempt"); // -1: every request answered
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QStringList>("sessionStates");
    QTest::addColumn<int>("requests");
    QTest::newRow("over at once: no poll, 0 then 100")
        << 0 << -1 << (tickProgress(0) << 100) << QStringList{"0"} << 1;
    QTest::newRow("ends on the third poll: ticks 10, 15, 20")
        << 2 << -1 << (tickProgress(20) << 100) << QStringList{"1", "1", "1", "0"} << 4;
    QTest::newRow("still running after tick 100: 19 polls")
        << 1000 << -1 << (tickProgress(100) << 100) << QStringList(20, QStringLiteral("1")) << 20;
    QTest::newRow("first poll unanswered: ends at tick 10")
        << 1000 << 1 << (tickProgress(10) << 0) << QStringList{"1"} << 3;
    QTest::newRow("start unanswered: no poll") << 1000 << 0 << QList<int>{0} << QStringList() << 2;
}

void TestControllerCommands::modemTest()
{
    QFETCH(int, pollsInProgress);
    QFETCH(int, silentAttempt);
    QFETCH(QList<int>, progress);
    QFETCH(QStringList, sessionStates);
    QFETCH(int, requests);
    ScriptedLine line;
    line.model.modem.pollsInProgress = pollsInProgress;
    for (int k = 0; k < silentAttempt; ++k)
        line.script.append(ScriptedLine::Model);
    if (silentAttempt >= 0)
        line.script << ScriptedLine::Silence << ScriptedLine::Silence;
    QVERIFY(line.run(136, {}, 100));

    const EventLog &r = line.log;
    QCOMPARE(r.progress(), progress);
    QStringList states;
    for (const QVariantList &args : r.argsOf(QStringLiteral("setBC68Data")))
        states.append(args.first().toStringList().value(0));
    QCOMPARE(states, sessionStates);
    QCOMPARE(line.sent.size(), requests);
    // The polls wait as long as the test's start.
    for (const ScriptedLine::Sent &s : line.sent)
        QCOMPARE(s.timeoutMs, 1500);
    const int ticks = progress.size() > 1 ? progress.at(progress.size() - 2) : 0;
    QCOMPARE(line.pauses, QList<int>(ticks, ModemTiming::kTickMs));
    // Polls keep the wait text: the only texts are the start, the wait and the end.
    QStringList texts{QStringLiteral("Тест модуля связи...")};
    if (!sessionStates.isEmpty())
        texts << QStringLiteral("Получаем данные сеанса связи, подключение может занять до 2х "
                                "минут...");
    QCOMPARE(r.statusTexts(),
             texts << (silentAttempt < 0 ? QString() : CommandLine::noConnectionText()));
    if (sessionStates.value(sessionStates.size() - 1) == QLatin1String("0"))
        QCOMPARE(r.argsOf("setBC68Data").last().first().toStringList(),
                 (QStringList{"0", "250991234567890", "-85", "169552957"}));
}

QTEST_MAIN(TestControllerCommands)
#include "tst_controllercommands.moc"
