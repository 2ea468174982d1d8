// Analog channel commands 4, 16 and 1 over a scripted line.

#include "tests/support/scriptedline.h"

#include <QtTest>

namespace {

constexpr int kReadReading = 1;
constexpr int kReadSettings = 4;
constexpr int kWriteSettings = 16;

ControllerModel board(const QString &hardware)
{
    ControllerModel model;
    model.setHardware(hardware);
    return model;
}

// The channel byte of every request of `cmd`.
QList<int> channelsRequested(const ScriptedLine &line, int cmd)
{
    QList<int> out;
    for (const QByteArray &payload : line.payloads(cmd))
        out.append(quint8(payload.at(0)));
    return out;
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
    ScriptedLine line(board(hardware));
    QVERIFY(line.run(kReadSettings, {}, 100));

    const EventLog &r = line.log;
    QCOMPARE(r.progress(), (QList<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    QStringList texts;
    for (int n = 1; n <= 8; ++n)
        texts << QStringLiteral("Считываем настройки %1 канала").arg(n) << QString();
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(channelsRequested(line, kReadSettings), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    QCOMPARE(line.sent.at(0).timeoutMs, 100);
    QCOMPARE(line.pauses, QList<int>(8, CommandLine::kChannelPauseMs));
    QCOMPARE(r.names().mid(0, 6), (QStringList{"error", "update_timer", "setComSettings",
                                               "setComData", "updateProgressBar", "error"}));
    QCOMPARE(r.names().last(), QStringLiteral("set_num_of_analogInputs"));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{used}});
    QCOMPARE(r.argsOf("setComSettings").size(), 8);
    QCOMPARE(r.argsOf("setComSettings").last(), (QVariantList{7, lastChannel}));
    QCOMPARE(r.argsOf("setComData").last(), (QVariantList{7, QStringList{lastChannel.value(8)}}));
}

void TestAnalogCommands::writeChannelsOneTwoFour()
{
    ScriptedLine line(board(QStringLiteral("8.1")));
    const Rows rows = {
        {"0", "1", "2", "777", "10", "1", "45", "60", "1", "100"},
        {"1", "5", "5", "T-01", "1", "1", "-50", "-100", "2", "23.5"},
        {"3", "14", "13", "P", "5", "2", "25", "5", "4", "0"},
    };
    QVERIFY(line.run(kWriteSettings, rows, 100));

    const EventLog &r = line.log;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Записываем настройки 1 канала", "", "Записываем настройки 2 канала", "",
                          "Записываем настройки 4 канала", ""}));
    QCOMPARE(channelsRequested(line, kWriteSettings), (QList<int>{0, 1, 3}));
    // The controller stores the record in flash first; no pause between channels.
    QCOMPARE(line.sent.at(0).timeoutMs, 500);
    QVERIFY(line.pauses.isEmpty());
    // The table receives what the controller answered, not what was sent: the temperature
    // thresholds come back unsigned, the reading 23.5 (no whole number) as 0.
    QCOMPARE(r.argsOf("setComSettings"),
             (QList<QVariantList>{
                 {0, QStringList{"1", "2", "777", "10", "1", "45", "60", "1", "100"}},
                 {1, QStringList{"5", "5", "T-01", "1", "1", "65486", "65436", "2", "0"}},
                 {3, QStringList{"14", "13", "P", "5", "2", "25", "5", "4", "0"}}}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{{0, QStringList{"100"}}, {1, QStringList{"0"}},
                                  {3, QStringList{"0"}}}));
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{3}});
    QCOMPARE(line.model.analog.storedWrites, 3);
}

void TestAnalogCommands::stopsAtSilentChannel_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QList<QVariantList>>("forecast");
    QTest::newRow("settings read stops at the third channel, count so far forecast")
        << kReadSettings << Rows() << QList<int>{12, 25} << QList<QVariantList>{{2}};
    QTest::newRow("write stops at a failing third channel")
        << kWriteSettings << Rows{meter("0"), meter("1"), meter("2"), meter("3")}
        << QList<int>{25, 50} << QList<QVariantList>{{2}};
    QTest::newRow("readings stop at the third channel, no forecast")
        << kReadReading << Rows{{"0"}, {"1"}, {"2"}, {"3"}} << QList<int>{25, 50}
        << QList<QVariantList>();
}

void TestAnalogCommands::stopsAtSilentChannel()
{
    QFETCH(int, cmd);
    QFETCH(Rows, rows);
    QFETCH(QList<int>, progress);
    QFETCH(QList<QVariantList>, forecast);
    ScriptedLine line(board(QStringLiteral("8.1")));
    line.model.analog.silentChannel = 2;
    QVERIFY(line.run(cmd, rows));
    const EventLog &r = line.log;
    QCOMPARE(r.progress(), progress);
    // Two attempts at the silent channel, none after it.
    QCOMPARE(channelsRequested(line, cmd), (QList<int>{0, 1, 2, 2}));
    QCOMPARE(r.argsOf(cmd == kReadReading ? "setComData" : "setComSettings").size(), 2);
    // No closing empty text: the failure stays on the status line.
    QCOMPARE(r.statusTexts().last(), CommandLine::noConnectionText());
    QCOMPARE(r.argsOf("set_num_of_analogInputs"), forecast);
}

void TestAnalogCommands::writeRefusesOverlongSerial()
{
    ScriptedLine line(board(QStringLiteral("8.1")));
    QStringList faulty = meter("1");
    faulty[3] = QStringLiteral("ЖЖЖЖЖЖЖЖЖ");
    QVERIFY(line.run(kWriteSettings, Rows{meter("0"), faulty}));
    // Nothing is sent, not even the channel before the faulty one; it ends like a write
    // that stops before its first channel.
    QVERIFY(line.sent.isEmpty());
    QCOMPARE(line.log.names(),
             (QStringList{"error", "updateProgressBar", "set_num_of_analogInputs"}));
    QVERIFY(line.log.statusTexts().first().contains(QStringLiteral("для 2 канала")));
    QCOMPARE(line.log.progress(), QList<int>{0});
    QCOMPARE(line.log.argsOf("set_num_of_analogInputs"), QList<QVariantList>{{0}});
}

void TestAnalogCommands::readingsAdvance()
{
    ScriptedLine line(board(QStringLiteral("8.1")));
    const Rows rows = {{"0"}, {"1"}, {"3"}};
    QVERIFY(line.run(kReadReading, rows, 100));
    const EventLog &r = line.log;
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.statusTexts(),
             (QStringList{"Считываем показание 1 канала", "Считываем показание 2 канала",
                          "Считываем показание 4 канала", ""}));
    QCOMPARE(r.argsOf("setComData"),
             (QList<QVariantList>{{0, QStringList{"100"}}, {1, QStringList{"215"}},
                                  {3, QStringList{"0"}}}));
    QCOMPARE(line.sent.at(0).timeoutMs, 100);
    QVERIFY(line.pauses.isEmpty());
}

QTEST_MAIN(TestAnalogCommands)
#include "tst_analogcommands.moc"
