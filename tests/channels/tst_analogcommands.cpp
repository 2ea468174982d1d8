// Worker commands 4, 16 and 1 against the simulated controller over a pseudo-terminal.

#include "link/masterthread.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kReadReading = 1;
constexpr int kReadSettings = 4;
constexpr int kWriteSettings = 16;
// Answer time-outs generous enough for a loaded test machine; a silent channel costs two.
constexpr int kAnswerWaitMs = 1000;
constexpr int kSilenceWaitMs = 300;

ControllerModel board(const char *hardware)
{
    ControllerModel model;
    model.setHardware(QLatin1String(hardware));
    return model;
}

// Requests of `cmd` the simulator saw, by the channel byte that follows the command byte.
QList<int> channelsRequested(const SimServer &sim, int cmd)
{
    QList<int> out;
    for (const QByteArray &payload : sim.payloads(cmd))
        out.append(payload.isEmpty() ? -1 : quint8(payload.at(0)));
    return out;
}

QVariantList dataArgs(int index, const QStringList &list)
{
    return {index, list};
}

// A plain water meter on the reed input for channel index `channel`, as a write entry.
QStringList meter(const char *channel)
{
    return {channel, "1", "2", "", "1", "1", "0", "0", "1", "0"};
}

} // namespace

class TestAnalogCommands : public QObject
{
    Q_OBJECT

private slots:
    void readAllEight_data();
    void readAllEight();
    void writeChannelsOneTwoFour();
    void stopsAtSilentChannel_data();
    void stopsAtSilentChannel();
    void writeRefusesOverlongSerial();
    void writeWaitsFiveTimesLonger();
    void readingsAdvance();
};

void TestAnalogCommands::readAllEight_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("used");
    QTest::addColumn<QStringList>("lastChannel");
    QTest::newRow("8.1, six configured")
        << "8.1" << 6 << QStringList{"2", "1", "HW8", "10", "1", "0", "0", "8", "7"};
    QTest::newRow("8.2, three configured and four absent counted")
        << "8.2" << 7 << QStringList{"255", "0", "", "0", "0", "0", "0", "0", "0"};
}

void TestAnalogCommands::readAllEight()
{
    QFETCH(QString, hardware);
    QFETCH(int, used);
    QFETCH(QStringList, lastChannel);

    WorkerHarness h(board(qPrintable(hardware)));
    QVERIFY(h.started());
    QVERIFY(h.runWithoutRows(kReadSettings, kAnswerWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    QStringList texts;
    for (int n = 1; n <= 8; ++n)
        texts << QStringLiteral("Считываем настройки %1 канала").arg(n) << QString();
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(channelsRequested(h.sim, kReadSettings), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(r.names().mid(0, 6), (QStringList{"error", "update_timer", "setComSettings",
                                               "setComData", "updateProgressBar", "error"}));
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{used}});
    QCOMPARE(r.argsOf("setComSettings").size(), 8);
    QCOMPARE(r.argsOf("setComSettings").last(), dataArgs(7, lastChannel));
    QCOMPARE(r.argsOf("setComData").last(), dataArgs(7, {lastChannel.value(8)}));
}

void TestAnalogCommands::writeChannelsOneTwoFour()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    const Rows rows = {
        {"0", "1", "2", "777", "10", "1", "45", "60", "1", "100"},
        {"1", "5", "5", "T-01", "1", "1", "-50", "-100", "2", "23.5"},
        {"3", "14", "13", "P", "5", "2", "25", "5", "4", "0"},
    };
    QVERIFY(h.run(kWriteSettings, rows, kAnswerWaitMs));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Записываем настройки 1 канала", "", "Записываем настройки 2 канала", "",
                          "Записываем настройки 4 канала", ""}));
    QCOMPARE(channelsRequested(h.sim, kWriteSettings), (QList<int>{0, 1, 3}));
    // The table receives what the controller answered, not what was sent: the temperature
    // thresholds come back unsigned, the reading 23.5 (no whole number) as 0.
    QCOMPARE(r.argsOf("setComSettings"),
             (QList<QVariantList>{
                 dataArgs(0, {"1", "2", "777", "10", "1", "45", "60", "1", "100"}),
                 dataArgs(1, {"5", "5", "T-01", "1", "1", "65486", "65436", "2", "0"}),
                 dataArgs(3, {"14", "13", "P", "5", "2", "25", "5", "4", "0"})}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"100"}), dataArgs(1, {"0"}), dataArgs(3, {"0"})}));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{3}});
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.analog.storedWrites; }), 3);
}

void TestAnalogCommands::stopsAtSilentChannel_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QList<int>>("requested"); // two attempts at the silent channel, none after
    QTest::addColumn<QList<QVariantList>>("forecast");
    QTest::newRow("settings read stops at the third channel, count so far forecast")
        << kReadSettings << Rows() << QList<int>{12, 25} << QList<int>{0, 1, 2, 2}
        << QList<QVariantList>{{2}};
    QTest::newRow("write stops at a failing third channel")
        << kWriteSettings << Rows{meter("0"), meter("1"), meter("2"), meter("3")}
        << QList<int>{25, 50} << QList<int>{0, 1, 2, 2} << QList<QVariantList>{{2}};
    QTest::newRow("readings stop at the third channel, no forecast")
        << kReadReading << Rows{{"0"}, {"1"}, {"2"}, {"3"}} << QList<int>{25, 50}
        << QList<int>{0, 1, 2, 2} << QList<QVariantList>();
}

void TestAnalogCommands::stopsAtSilentChannel()
{
    QFETCH(int, cmd);
    QFETCH(Rows, rows);
    QFETCH(QList<int>, progress);
    QFETCH(QList<int>, requested);
    QFETCH(QList<QVariantList>, forecast);
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.analog.silentChannel = 2; });
    QVERIFY(h.run(cmd, rows, kSilenceWaitMs));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), progress);
    QCOMPARE(channelsRequested(h.sim, cmd), requested);
    QCOMPARE(r.argsOf(cmd == kReadReading ? "setComData" : "setComSettings").size(), 2);
    // No closing empty text: the failure stays on the status line.
    QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), forecast);
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

void TestAnalogCommands::writeRefusesOverlongSerial()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    QStringList faulty = meter("1");
    faulty[3] = QStringLiteral("ЖЖЖЖЖЖЖЖЖ");
    QVERIFY(h.run(kWriteSettings, Rows{meter("0"), faulty}));
    // Nothing is sent, not even the channel before the faulty one.
    QCOMPARE(h.sim.requestCount(), 0);
    QCOMPARE(h.recorder->statusTexts().size(), 1);
    QVERIFY(h.recorder->statusTexts().first().contains(QStringLiteral("для 2 канала")));
    QVERIFY(h.recorder->argsOf("setComSettings").isEmpty());
    // Ended like a write that stops before its first channel: progress 0, count 0.
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QCOMPARE(h.recorder->argsOf("set_num_of_analogInputs"), QList<QVariantList>{{0}});
    QCOMPARE(h.recorder->names().last(), QStringLiteral("enableTablesContorls"));
}

void TestAnalogCommands::writeWaitsFiveTimesLonger()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    // 250 ms is beyond the 100 ms time-out but within five times it.
    h.sim.injectFault({SimFault::Late, 1, 250, kWriteSettings});
    QVERIFY(h.run(kWriteSettings, Rows{meter("0")}, 100));
    QCOMPARE(h.recorder->progress(), QList<int>{100});
    QCOMPARE(h.sim.requestCount(kWriteSettings), 1);
}

void TestAnalogCommands::readingsAdvance()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    const Rows rows = {{"0"}, {"1"}, {"3"}};
    QVERIFY(h.run(kReadReading, rows, kAnswerWaitMs));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Считываем показание 1 канала", "Считываем показание 2 канала",
                          "Считываем показание 4 канала", ""}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"100"}), dataArgs(1, {"215"}), dataArgs(3, {"0"})}));

    h.recorder->events.clear();
    QVERIFY(h.run(kReadReading, rows, kAnswerWaitMs));
    QCOMPARE(h.recorder->argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"101"}), dataArgs(1, {"216"}), dataArgs(3, {"1"})}));
}

QTEST_MAIN(TestAnalogCommands)
#include "tst_analogcommands.moc"
