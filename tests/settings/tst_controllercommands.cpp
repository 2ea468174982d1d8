// Controller settings read (9) and write (33) over a scripted line.

#include "tests/support/scriptedline.h"

#include <QtTest>

namespace {

Rows writeRows(const QString &ip, const QString &apiGet = QStringLiteral("/api/v2/get"))
{
    return {{"7200", "172800", "30", "2500", "1", "1", ip, "8081", apiGet, "/api/v2/save"}};
}

// Authorised against the model with `firmware`, reports emptied.
void authorise(ScriptedLine &line, const QString &firmware = QStringLiteral("1.4.2"))
{
    line.model.setFirmware(firmware);
    line.model.setHardware(QStringLiteral("8.1"));
    line.run(134, {{line.model.password}});
    line.clear();
}

} // namespace

class TestControllerCommands : public QObject
{
    Q_OBJECT

private slots:
    void readAndWrite_data();
    void readAndWrite();
    void writeRefusedBeforeSending_data();
    void writeRefusedBeforeSending();
    void unanswered_data();
    void unanswered();
};

void TestControllerCommands::readAndWrite_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("fw1.4.2 211 bytes") << QStringLiteral("1.4.2");
    QTest::newRow("fw1.4.0 179 bytes") << QStringLiteral("1.4.0");
}

void TestControllerCommands::readAndWrite()
{
    QFETCH(QString, firmware);
    ScriptedLine line;
    authorise(line, firmware);
    QVERIFY(line.run(9, {}, 100));
    const QString identity = "T3-0421-0077|8.1|" + firmware + "|LUMARO T3|866207053311579|0|3600|0";
    QCOMPARE(line.log.trace(),
             (QStringList{"error Считываем настройки контроллера", "update_timer",
                          "setCpuSet 3600|86400|60|0|" + identity
                              + "|0|0|10.20.30.40|80|/sensor/get|/sensor/save",
                          "enableButtonsContorls true " + firmware, "updateProgressBar 100",
                          "error "}));

    // The controller answers with the record as it now holds it.
    line.clear();
    QVERIFY(line.run(33, writeRows(QStringLiteral("192.168.1.10")), 100));
    QCOMPARE(line.log.trace(),
             (QStringList{"error Записываем настройки в контроллер", "update_timer",
                          "setCpuSet 7200|172800|30|2500|" + identity
                              + "|1|1|192.168.1.10|8081|/api/v2/get|/api/v2/save",
                          "updateProgressBar 100", "error "}));
    QCOMPARE(line.model.controllerSettings.writes, 1);
}

void TestControllerCommands::writeRefusedBeforeSending_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("apiGet");
    QTest::addColumn<QString>("status");
    QTest::newRow("10.0.0 three parts") << "10.0.0" << "/get" << "Неверно задан IP-адрес сервера";
    // The message names the field.
    QTest::newRow("API_GET of 40 UTF-8 bytes") << "10.0.0.1" << QString(20, QChar(0x0431))
                                               << "API_GET";
}

void TestControllerCommands::writeRefusedBeforeSending()
{
    QFETCH(QString, ip);
    QFETCH(QString, apiGet);
    QFETCH(QString, status);
    ScriptedLine line;
    QVERIFY(line.run(33, writeRows(ip, apiGet)));
    QVERIFY(line.sent.isEmpty());
    QCOMPARE(line.log.names(), QStringList{"error"});
    QVERIFY2(line.log.statusTexts().first().contains(status),
             qPrintable(line.log.statusTexts().first()));
}

void TestControllerCommands::unanswered_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("timeoutMs"); // of a tab time-out of 100 ms
    QTest::addColumn<bool>("layout140");
    QTest::newRow("read: three times the time-out") << 9 << 300 << false;
    // The controller stores the record in flash first.
    QTest::newRow("write: fifteen times the time-out") << 33 << 1500 << false;
    // Authorised with 1.4.2 the worker expects 211 bytes; the 1.4.0 layout is no answer.
    QTest::newRow("read: 179 bytes after a 1.4.2 authorisation") << 9 << 300 << true;
}

void TestControllerCommands::unanswered()
{
    QFETCH(int, cmd);
    QFETCH(int, timeoutMs);
    QFETCH(bool, layout140);
    ScriptedLine line;
    authorise(line);
    if (layout140)
        line.model.setFirmware(QStringLiteral("1.4.0"));
    else
        line.script = {ScriptedLine::Silence, ScriptedLine::Silence};
    QVERIFY(line.run(cmd, writeRows(QStringLiteral("1.2.3.4")), 100));
    QCOMPARE(line.sent.size(), 2);
    QCOMPARE(line.sent.at(1).timeoutMs, timeoutMs);
    // The tab keeps what it shows.
    QCOMPARE(line.log.names(), (QStringList{"error", "error", "updateProgressBar"}));
    QCOMPARE(line.log.statusTexts().last(), CommandLine::noConnectionText());
    QCOMPARE(line.log.progress(), QList<int>{0});
}

QTEST_MAIN(TestControllerCommands)
#include "tst_controllercommands.moc"
