// Commands 9 and 33 of the worker against the simulated controller on a pseudo-terminal.

#include "settings/controllerrecord.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

// Started and authorised, with the recorder emptied for the command under test.
bool ready(WorkerHarness &h)
{
    if (!h.started() || !h.authorise())
        return false;
    h.recorder->events.clear();
    return true;
}

Rows writeRows(const QString &ip, const QString &apiGet = QStringLiteral("/api/v2/get"))
{
    return {{"7200", "172800", "30", "2500", "1", "1", ip, "8081", apiGet, "/api/v2/save"}};
}

QStringList cpuSet(const WorkerRecorder &r)
{
    const QList<QVariantList> sets = r.argsOf(QStringLiteral("setCpuSet"));
    return sets.isEmpty() ? QStringList() : sets.first().first().toStringList();
}

int writes(WorkerHarness &h)
{
    return h.sim.withModel([](ControllerModel &m) { return m.controllerSettings.writes; });
}

} // namespace

class TestControllerCommands : public QObject
{
    Q_OBJECT

private slots:
    void readWriteReadBack_data();
    void readWriteReadBack();
    void writeRefusedBeforeSending_data();
    void writeRefusedBeforeSending();
    void slowOrSilentController_data();
    void slowOrSilentController();
    void otherLayoutSizeRejected();
};

void TestControllerCommands::readWriteReadBack_data()
{
    QTest::addColumn<QString>("firmware");
    QTest::newRow("fw1.4.2 211 bytes") << QStringLiteral("1.4.2");
    QTest::newRow("fw1.4.0 179 bytes") << QStringLiteral("1.4.0");
}

void TestControllerCommands::readWriteReadBack()
{
    QFETCH(QString, firmware);
    ControllerModel model;
    model.setFirmware(firmware);
    model.setHardware(QStringLiteral("8.1"));
    WorkerHarness h(model);
    QVERIFY(ready(h));
    QVERIFY(h.runWithoutRows(9));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "setCpuSet", "enableButtonsContorls",
                                     "updateProgressBar", "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(), (QStringList{"Считываем настройки контроллера", QString()}));
    QCOMPARE(r.progress(), QList<int>{100});
    QCOMPARE(r.argsOf("enableButtonsContorls").first(), (QVariantList{true, firmware}));
    QCOMPARE(cpuSet(r), (QStringList{"3600", "86400", "60", "0", "T3-0421-0077", "8.1", firmware,
                                     "LUMARO T3", "866207053311579", "0", "3600", "0", "0", "0",
                                     "10.20.30.40", "80", "/sensor/get", "/sensor/save"}));

    h.recorder->events.clear();
    QVERIFY(h.run(33, writeRows(QStringLiteral("192.168.1.10"))));
    QCOMPARE(r.names(), (QStringList{"error", "update_timer", "setCpuSet", "updateProgressBar",
                                     "error", "enableTablesContorls"}));
    QCOMPARE(r.statusTexts(), (QStringList{"Записываем настройки в контроллер", QString()}));
    const QStringList expected{"7200", "172800", "30", "2500", "T3-0421-0077", "8.1", firmware,
                               "LUMARO T3", "866207053311579", "0", "3600", "0", "1", "1",
                               "192.168.1.10", "8081", "/api/v2/get", "/api/v2/save"};
    QCOMPARE(cpuSet(r), expected);
    QCOMPARE(writes(h), 1);

    h.recorder->events.clear();
    QVERIFY(h.runWithoutRows(9));
    QCOMPARE(cpuSet(r), expected);
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
    WorkerHarness h;
    QVERIFY(ready(h));
    QVERIFY(h.run(33, writeRows(ip, apiGet)));
    QCOMPARE(h.sim.requestCount(33), 0);
    QCOMPARE(h.recorder->names(), (QStringList{"error", "enableTablesContorls"}));
    QVERIFY2(h.recorder->statusTexts().first().contains(status),
             qPrintable(h.recorder->statusTexts().first()));
    QCOMPARE(writes(h), 0);
}

// The time-out the factors are measured against.
constexpr int kFactorTimeoutMs = 100;

void TestControllerCommands::slowOrSilentController_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("lateMs"); // 0: no answer at all
    QTest::addColumn<bool>("answered");
    QTest::newRow("read unanswered") << 9 << 0 << false;
    QTest::newRow("write unanswered") << 33 << 0 << false;
    // With a time-out of 100 ms a read gives up after twice 300 ms, a write waits 1500 ms.
    QTest::newRow("read answered after 2000 ms fails") << 9 << 2000 << false;
    QTest::newRow("write answered after 700 ms succeeds") << 33 << 700 << true;
}

void TestControllerCommands::slowOrSilentController()
{
    QFETCH(int, cmd);
    QFETCH(int, lateMs);
    QFETCH(bool, answered);
    WorkerHarness h;
    QVERIFY(ready(h));
    h.sim.injectFault({lateMs ? SimFault::Late : SimFault::Silence, 2, lateMs, cmd});
    QVERIFY(h.run(cmd, writeRows(QStringLiteral("1.2.3.4")), kFactorTimeoutMs));
    const WorkerRecorder &r = *h.recorder;
    // A late answer may still be on its way when the repeat of a read goes out.
    if (answered || !lateMs)
        QCOMPARE(h.sim.requestCount(cmd), answered ? 1 : 2);
    QCOMPARE(r.argsOf("setCpuSet").size(), answered ? 1 : 0);
    QCOMPARE(r.progress(), QList<int>{answered ? 100 : 0});
    if (!answered) {
        // The tab keeps what it shows.
        QVERIFY(r.argsOf("enableButtonsContorls").isEmpty());
        QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
    }
}

void TestControllerCommands::otherLayoutSizeRejected()
{
    // Authorised with 1.4.2 the worker expects 211 bytes; a controller now answering in the
    // 1.4.0 layout (179 bytes) is treated like no answer.
    WorkerHarness h;
    QVERIFY(ready(h));
    h.sim.withModel([](ControllerModel &m) { return m.setFirmware(QStringLiteral("1.4.0")); });
    QVERIFY(h.runWithoutRows(9));
    QVERIFY(h.recorder->argsOf("setCpuSet").isEmpty());
    QCOMPARE(h.recorder->progress(), QList<int>{0});
}

QTEST_MAIN(TestControllerCommands)
#include "tst_controllercommands.moc"
