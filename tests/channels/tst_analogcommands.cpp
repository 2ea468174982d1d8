// Worker commands 4, 16 and 1 against the simulated controller over a pseudo-terminal.

#include "link/masterthread.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kReadReading = 1;
constexpr int kReadSettings = 4;
constexpr int kWriteSettings = 16;

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
    for (const QByteArray &r : sim.requests()) {
        if (r.size() > 8 && quint8(r.at(7)) == cmd)
            out.append(quint8(r.at(8)));
    }
    return out;
}

QVariantList dataArgs(int index, const QStringList &list)
{
    return {index, list};
}

} // namespace

class TestAnalogCommands : public QObject
{
    Q_OBJECT

private slots:
    void readAllEight_data();
    void readAllEight();
    void readStopsAtSilentChannel();
    void writeChannelsOneTwoFour();
    void writeStopsAtFailingThirdChannel();
    void writeWithoutEntries();
    void writeRefusesOverlongSerial();
    void writeWaitsFiveTimesLonger();
    void readingsAdvance();
    void readingsStopAtSilentChannel();
    void readingsWithoutEntries();
};

void TestAnalogCommands::readAllEight_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<bool>("allOff");
    QTest::addColumn<int>("used");
    QTest::addColumn<QStringList>("lastChannel");
    QTest::newRow("8.1, six configured")
        << "8.1" << false << 6 << QStringList{"2", "1", "HW8", "10", "1", "0", "0", "8", "7"};
    QTest::newRow("8.2, three configured and four absent counted")
        << "8.2" << false << 7 << QStringList{"255", "0", "", "0", "0", "0", "0", "0", "0"};
    QTest::newRow("8.1, all off") << "8.1" << true << 0
                                  << QStringList{"0", "0", "", "10", "1", "0", "0", "0", "0"};
}

void TestAnalogCommands::readAllEight()
{
    QFETCH(QString, hardware);
    QFETCH(bool, allOff);
    QFETCH(int, used);
    QFETCH(QStringList, lastChannel);

    WorkerHarness h(board(qPrintable(hardware)));
    QVERIFY(h.started());
    if (allOff)
        h.sim.withModel([](ControllerModel &m) { m.analog.channels.fill(SimAnalogChannel()); });
    QVERIFY(h.runWithoutRows(kReadSettings));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    QStringList texts;
    for (int n = 1; n <= 8; ++n)
        texts << QStringLiteral("Считываем настройки %1 канала").arg(n) << QString();
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(channelsRequested(h.sim, kReadSettings), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    // AA 00 46 25 00 00 00, command 04, channel, checksum 0xBB ^ all bytes before it.
    QCOMPARE(h.sim.requests().first().toHex(), QByteArray("aa004625000000040076"));
    QCOMPARE(h.sim.requests().last().toHex(), QByteArray("aa004625000000040771"));

    QCOMPARE(r.names().mid(0, 6), (QStringList{"error", "update_timer", "setComSettings",
                                               "setComData", "updateProgressBar", "error"}));
    QCOMPARE(r.names().mid(r.names().size() - 2),
             (QStringList{"set_num_of_analogInputs", "enableTablesContorls"}));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{used}});

    const QList<QVariantList> settings = r.argsOf("setComSettings");
    QCOMPARE(settings.size(), 8);
    QCOMPARE(settings.last(), dataArgs(7, lastChannel));
    QCOMPARE(r.argsOf("setComData").last(), dataArgs(7, {lastChannel.value(8)}));
    if (!allOff) {
        QCOMPARE(settings.first(),
                 dataArgs(0, {"1", "2", "12345", "10", "1", "30", "60", "1", "100"}));
        QCOMPARE(settings.at(1),
                 dataArgs(1, {"5", "5", "T-01", "10", "1", "235", "65486", "2", "215"}));
        QCOMPARE(r.argsOf("setComData").first(), dataArgs(0, {"100"}));
    }
}

void TestAnalogCommands::readStopsAtSilentChannel()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.analog.silentChannel = 2; });
    QVERIFY(h.runWithoutRows(kReadSettings));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{12, 25}));
    QCOMPARE(channelsRequested(h.sim, kReadSettings), (QList<int>{0, 1, 2, 2}));
    QCOMPARE(r.argsOf("setComSettings").size(), 2);
    QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
    // The count reached so far still goes to the forecast.
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{2}});
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
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
    QVERIFY(h.run(kWriteSettings, rows));

    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Записываем настройки 1 канала", "", "Записываем настройки 2 канала", "",
                          "Записываем настройки 4 канала", ""}));
    QCOMPARE(channelsRequested(h.sim, kWriteSettings), (QList<int>{0, 1, 3}));
    // The temperature record as the protocol lays it out: LK -5.0 is FF CE, ST -10.0 FF 9C,
    // and the reading 23.5 is no whole number, so 0.
    const QByteArray temperature = h.sim.requests().at(1);
    QCOMPARE(temperature.size(), 42);
    QCOMPARE(temperature.mid(8, 33).toHex(),
             QByteArray("010505" "542d3031000000000000000000000000"
                        "0001" "0001" "ffce" "ff9c" "0002" "00000000"));

    // The table receives what the controller answered, not what was sent.
    const QList<QVariantList> settings = r.argsOf("setComSettings");
    QCOMPARE(settings, (QList<QVariantList>{
                           dataArgs(0, {"1", "2", "777", "10", "1", "45", "60", "1", "100"}),
                           dataArgs(1, {"5", "5", "T-01", "1", "1", "65486", "65436", "2", "0"}),
                           dataArgs(3, {"14", "13", "P", "5", "2", "25", "5", "4", "0"})}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"100"}), dataArgs(1, {"0"}), dataArgs(3, {"0"})}));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{3}});

    h.sim.withModel([](ControllerModel &m) {
        QCOMPARE(m.analog.storedWrites, 3);
        QCOMPARE(m.analog.channels[0].serial, QByteArray("777"));
        QCOMPARE(m.analog.channels[1].lk, quint16(0xFFCE));
        QCOMPARE(m.analog.channels[3].type, quint8(14));
        QCOMPARE(m.analog.channels[3].divider, quint16(2));
    });
}

void TestAnalogCommands::writeStopsAtFailingThirdChannel()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.analog.silentChannel = 2; });
    const Rows rows = {
        {"0", "1", "2", "", "1", "1", "0", "0", "1", "0"},
        {"1", "2", "1", "", "1", "1", "0", "0", "1", "0"},
        {"2", "3", "3", "", "1", "1", "0", "0", "1", "0"},
        {"3", "3", "3", "", "1", "1", "0", "0", "1", "0"},
    };
    QVERIFY(h.run(kWriteSettings, rows));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{25, 50}));
    // Two attempts at the third channel, none at the fourth.
    QCOMPARE(channelsRequested(h.sim, kWriteSettings), (QList<int>{0, 1, 2, 2}));
    QCOMPARE(r.argsOf("setComSettings").size(), 2);
    QCOMPARE(r.statusTexts().mid(4),
             (QStringList{"Записываем настройки 3 канала", MasterThread::noConnectionText()}));
    QCOMPARE(r.names().mid(r.names().size() - 2),
             (QStringList{"set_num_of_analogInputs", "enableTablesContorls"}));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{2}});
}

void TestAnalogCommands::writeWithoutEntries()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    QVERIFY(h.run(kWriteSettings, Rows()));
    QCOMPARE(h.recorder->names(), (QStringList{"set_num_of_analogInputs", "enableTablesContorls"}));
    QCOMPARE(h.recorder->argsOf("set_num_of_analogInputs"), QList<QVariantList>{{0}});
    QCOMPARE(h.sim.requestCount(), 0);
}

void TestAnalogCommands::writeRefusesOverlongSerial()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    const Rows rows = {
        {"0", "1", "2", "ok", "1", "1", "0", "0", "1", "0"},
        {"1", "1", "2", QStringLiteral("ЖЖЖЖЖЖЖЖЖ"), "1", "1", "0", "0", "1", "0"},
    };
    QVERIFY(h.run(kWriteSettings, rows));
    // Nothing is sent, not even the channel before the faulty one.
    QCOMPARE(h.sim.requestCount(), 0);
    QCOMPARE(h.recorder->statusTexts().size(), 1);
    QVERIFY(h.recorder->statusTexts().first().contains(QStringLiteral("для 2 канала")));
    QVERIFY(h.recorder->statusTexts().first().contains(QStringLiteral("16 байт")));
    QCOMPARE(h.recorder->progress(), QList<int>{0});
    QVERIFY(h.recorder->argsOf("setComSettings").isEmpty());
}

void TestAnalogCommands::writeWaitsFiveTimesLonger()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    // 250 ms is beyond the 100 ms time-out but within five times it.
    h.sim.injectFault({SimFault::Late, 1, 250, kWriteSettings});
    QVERIFY(h.run(kWriteSettings, Rows{{"0", "1", "2", "", "1", "1", "0", "0", "1", "0"}}, 100));
    QCOMPARE(h.recorder->progress(), QList<int>{100});
    QCOMPARE(h.sim.requestCount(kWriteSettings), 1);
}

void TestAnalogCommands::readingsAdvance()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    const Rows rows = {{"0"}, {"1"}, {"3"}};
    QVERIFY(h.run(kReadReading, rows));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Считываем показание 1 канала", "Считываем показание 2 канала",
                          "Считываем показание 4 канала", ""}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"100"}), dataArgs(1, {"215"}), dataArgs(3, {"0"})}));
    QCOMPARE(h.sim.requests().first().toHex(), QByteArray("aa004625000000010073"));
    QVERIFY(r.argsOf("set_num_of_analogInputs").isEmpty());

    h.recorder->events.clear();
    QVERIFY(h.run(kReadReading, rows));
    QCOMPARE(h.recorder->argsOf("setComData"),
             (QList<QVariantList>{dataArgs(0, {"101"}), dataArgs(1, {"216"}), dataArgs(3, {"1"})}));
}

void TestAnalogCommands::readingsStopAtSilentChannel()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    h.sim.withModel([](ControllerModel &m) { m.analog.silentChannel = 1; });
    QVERIFY(h.run(kReadReading, Rows{{"0"}, {"1"}, {"2"}}));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.progress(), QList<int>{33});
    QCOMPARE(channelsRequested(h.sim, kReadReading), (QList<int>{0, 1, 1}));
    // No closing empty text: the failure stays on the status line.
    QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

void TestAnalogCommands::readingsWithoutEntries()
{
    WorkerHarness h(board("8.1"));
    QVERIFY(h.started());
    QVERIFY(h.run(kReadReading, Rows()));
    QCOMPARE(h.recorder->names(), QStringList{"enableTablesContorls"});
    QCOMPARE(h.sim.requestCount(), 0);
}

QTEST_MAIN(TestAnalogCommands)
#include "tst_analogcommands.moc"
