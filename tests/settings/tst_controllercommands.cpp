// Commands 9 and 33 of the worker against the simulated controller on a pseudo-terminal.

#include "settings/controllerrecord.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

ControllerModel modelWithFirmware(const QString &firmware)
{
    ControllerModel model;
    model.setFirmware(firmware);
    model.setHardware(QStringLiteral("8.1"));
    return model;
}

Rows writeRows(const QString &ip, const QString &apiGet = QStringLiteral("/api/v2/get"))
{
    return {{QStringLiteral("7200"), QStringLiteral("172800"), QStringLiteral("30"),
             QStringLiteral("2500"), QStringLiteral("1"), QStringLiteral("1"), ip,
             QStringLiteral("8081"), apiGet, QStringLiteral("/api/v2/save")}};
}

} // namespace

class TestControllerCommands : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void writeAndReadBack_data();
    void writeAndReadBack();
    void writeRefusedBeforeSending_data();
    void writeRefusedBeforeSending();
    void silentControllerKeepsTab_data();
    void silentControllerKeepsTab();
    void otherLayoutSizeRejected();
    void timeoutFactor_data();
    void timeoutFactor();
};

void TestControllerCommands::read_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("cmd9 fw1.4.2 211 bytes") << QStringLiteral("1.4.2");
    QTest::newRow("cmd9 fw1.4.0 179 bytes") << QStringLiteral("1.4.0");
}

void TestControllerCommands::read()
{
    QFETCH(QString, firmware);
    WorkerHarness h(modelWithFirmware(firmware));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(9));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "setCpuSet", "enableButtonsContorls",
                                     "updateProgressBar", "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(),
             (QStringList{QStringLiteral("Считываем настройки контроллера"), QString()}));
    QCOMPARE(r.progress(), QList<int>{100});
    QCOMPARE(r.argsOf("enableButtonsContorls").first(), (QVariantList{true, firmware}));
    const QStringList list = r.argsOf("setCpuSet").first().first().toStringList();
    QCOMPARE(list,
             (QStringList{"3600", "86400", "60", "0", "T3-0421-0077", "8.1", firmware, "LUMARO T3",
                          "866207053311579", "0", "3600", "0", "0", "0", "10.20.30.40", "80",
                          "/sensor/get", "/sensor/save"}));
}

void TestControllerCommands::writeAndReadBack_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("fw1.4.2") << QStringLiteral("1.4.2");
    QTest::newRow("fw1.4.0") << QStringLiteral("1.4.0");
}

void TestControllerCommands::writeAndReadBack()
{
    QFETCH(QString, firmware);
    WorkerHarness h(modelWithFirmware(firmware));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.run(33, writeRows(QStringLiteral("192.168.1.10"))));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "setCpuSet", "updateProgressBar",
                                     "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(),
             (QStringList{QStringLiteral("Записываем настройки в контроллер"), QString()}));
    const QStringList written = r.argsOf("setCpuSet").first().first().toStringList();
    const QStringList expected{"7200", "172800", "30", "2500", "T3-0421-0077", "8.1", firmware,
                               "LUMARO T3", "866207053311579", "0", "3600", "0", "1", "1",
                               "192.168.1.10", "8081", "/api/v2/get", "/api/v2/save"};
    QCOMPARE(written, expected);
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.controllerSettings.writes; }), 1);

    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(9));
    QCOMPARE(h.recorder->argsOf("setCpuSet").first().first().toStringList(), expected);
}

void TestControllerCommands::writeRefusedBeforeSending_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<QString>("apiGet");
    QTest::addColumn<QString>("status");
    QTest::newRow("10.0.0 three parts") << "10.0.0" << "/get"
                                        << QStringLiteral("Неверно задан IP-адрес сервера");
    QTest::newRow("API_GET of 40 UTF-8 bytes")
        << "10.0.0.1" << QString(20, QChar(0x0431))
        << QStringLiteral("API_GET"); // the message names the field
}

void TestControllerCommands::writeRefusedBeforeSending()
{
    QFETCH(QString, ip);
    QFETCH(QString, apiGet);
    QFETCH(QString, status);
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    QVERIFY(h.run(33, writeRows(ip, apiGet)));
    QCOMPARE(h.sim.requestCount(33), 0);
    QCOMPARE(h.recorder->names(), (QStringList{"error", "enableTablesContorls"}));
    QVERIFY2(h.recorder->statusTexts().first().contains(status),
             qPrintable(h.recorder->statusTexts().first()));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.controllerSettings.writes; }), 0);
}

void TestControllerCommands::silentControllerKeepsTab_data()
{
    QTest::addColumn<int>("cmd");
    QTest::newRow("read") << 9;
    QTest::newRow("write") << 33;
}

void TestControllerCommands::silentControllerKeepsTab()
{
    QFETCH(int, cmd);
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    h.sim.injectFault({SimFault::Silence, 2, 0, cmd});
    QVERIFY(h.run(cmd, writeRows(QStringLiteral("1.2.3.4"))));
    QCOMPARE(h.sim.requestCount(cmd), 2);
    QVERIFY(h.recorder->argsOf("setCpuSet").isEmpty());
    QVERIFY(h.recorder->argsOf("enableButtonsContorls").isEmpty());
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QCOMPARE(h.recorder->statusTexts().last(), MasterThread::noConnectionText());
}

void TestControllerCommands::otherLayoutSizeRejected()
{
    // Authorised with 1.4.2 the worker expects 211 bytes; a controller now answering in the
    // 1.4.0 layout (179 bytes) is treated like no answer.
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.sim.withModel([](ControllerModel &m) { return m.setFirmware(QStringLiteral("1.4.0")); });
    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(9));
    QVERIFY(h.recorder->argsOf("setCpuSet").isEmpty());
    QCOMPARE(h.recorder->progress(), QList<int>{0});
}

void TestControllerCommands::timeoutFactor_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<bool>("answered");
    // With a time-out of 100 ms a read gives up after 300 ms, a write waits 1500 ms.
    QTest::newRow("read answered after 700 ms fails") << 9 << false;
    QTest::newRow("write answered after 700 ms succeeds") << 33 << true;
}

void TestControllerCommands::timeoutFactor()
{
    constexpr int kLateMs = 700;
    QFETCH(int, cmd);
    QFETCH(bool, answered);
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.recorder->events.clear();
    h.sim.injectFault({SimFault::Late, 2, kLateMs, cmd});
    QVERIFY(h.run(cmd, writeRows(QStringLiteral("1.2.3.4"))));
    QCOMPARE(h.recorder->argsOf("setCpuSet").size(), answered ? 1 : 0);
    QCOMPARE(h.recorder->progress(), QList<int>{answered ? 100 : 0});
}

QTEST_MAIN(TestControllerCommands)
#include "tst_controllercommands.moc"
