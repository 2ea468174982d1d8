// Digital channel commands over a scripted line: read settings (8), write settings (32),
// meter readings (2).

#include "tests/support/scriptedline.h"

#include <QtTest>

namespace {

constexpr int kRead = 8;
constexpr int kWrite = 32;
constexpr int kReadings = 2;

// Hardware 8.1 has eight analog channels, 8.2 four; channels 30 and 31 are missing.
ControllerModel configuredController(const QString &hardware = QStringLiteral("8.1"))
{
    ControllerModel model;
    model.setHardware(hardware);
    SimDigitalChannels &d = model.digital;
    d.setPresentChannels(30);
    d.channels[0] = {8, 1, 4194304011u, "582946", 1, 7};
    d.channels[1] = {7, 5, 12345678u, {}, 0, 65535};
    d.channels[17] = {1, 10, 42u, "1234567890", 255, 1};
    d.meters[0] = {true, "40512377", {100, 0, 0, 10000}};
    d.meters[1] = {false, "never", {1, 2, 3, 4}};
    d.meters[17] = {true, "ABCDEFGHIJKLMNOP", {4294967295u, 1, 2, 3}};
    return model;
}

} // namespace

class TestDigitalWorker : public QObject
{
    Q_OBJECT

private slots:
    void readAllSettings_data();
    void readAllSettings();
    void writeThreeChannels();
    void writeRefusesOverlongPassword_data();
    void writeRefusesOverlongPassword();
    void readings_data();
    void readings();
    void readStopsAtSilentChannel();
};

void TestDigitalWorker::readAllSettings_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("analogCount");
    QTest::newRow("A = 8 numbers 9 to 40") << "8.1" << 8;
    QTest::newRow("A = 4 numbers 5 to 36") << "8.2" << 4;
}

void TestDigitalWorker::readAllSettings()
{
    QFETCH(QString, hardware);
    QFETCH(int, analogCount);
    ScriptedLine line(configuredController(hardware));
    line.analogChannelCount = quint8(analogCount);
    QVERIFY(line.run(kRead, {}, 100));
    const EventLog &r = line.log;

    QStringList texts;
    QList<int> progress;
    QStringList names;
    for (int i = 0; i < 32; ++i) {
        texts << QStringLiteral("Считываем настройки %1 канала").arg(i + analogCount + 1);
        progress << (i + 1) * 100 / 32;
        names << "error" << "update_timer" << "setRsSettings" << "updateProgressBar";
        QCOMPARE(line.payloads(kRead).value(i), QByteArray(1, char(i)));
    }
    QCOMPARE(r.statusTexts(), texts << QString());
    QCOMPARE(r.progress(), progress);
    QCOMPARE(r.names(), names << "error" << "set_num_of_rs485Inputs");
    QCOMPARE(line.pauses, QList<int>(32, CommandLine::kChannelPauseMs));
    QCOMPARE(line.sent.at(0).timeoutMs, 100);

    const QList<QVariantList> lists = r.argsOf("setRsSettings");
    for (int i = 0; i < 32; ++i)
        QCOMPARE(lists[i].at(0).toInt(), i);
    QCOMPARE(lists[0].at(1).toStringList(), (QStringList{"8", "1", "4194304011", "582946", "1", "7"}));
    QCOMPARE(lists[2].at(1).toStringList(), (QStringList{"0", "0", "0", "", "1", "0"}));
    QCOMPARE(lists[30].at(1).toStringList(), (QStringList{"255", "0", "0", "", "0", "0"}));
    // Three meters and the two channels this controller lacks.
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{5}}));
}

void TestDigitalWorker::writeThreeChannels()
{
    ScriptedLine line(configuredController());
    const Rows rows{
        {"0", "8", "1", "4194304011", "", "1", "7"},
        {"5", "13", "6", "42", "12345", "3", "9999"},
        {"31", "0", "0", "0", "", "1", "0"},
    };
    QVERIFY(line.run(kWrite, rows, 100));
    const EventLog &r = line.log;
    QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Записываем настройки 9 канала"),
                                           QStringLiteral("Записываем настройки 14 канала"),
                                           QStringLiteral("Записываем настройки 40 канала"),
                                           QString()}));
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(line.payloads(kWrite),
             (QList<QByteArray>{
                 QByteArray::fromHex("000801fa00000b" "00000000000000000000" "010007"),
                 QByteArray::fromHex("050d060000002a" "31323334350000000000" "03270f"),
                 QByteArray::fromHex("1f000000000000" "00000000000000000000" "010000")}));
    QCOMPARE(line.sent.at(0).timeoutMs, 500);
    QCOMPARE(line.pauses, QList<int>(3, CommandLine::kChannelPauseMs));
    // The table gets what the controller accepted: channel 31 is missing on this one.
    QCOMPARE(r.argsOf("setRsSettings"),
             (QList<QVariantList>{{0, QStringList{"8", "1", "4194304011", "", "1", "7"}},
                                  {5, QStringList{"13", "6", "42", "12345", "3", "9999"}},
                                  {31, QStringList{"255", "0", "0", "", "0", "0"}}}));
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{3}}));
}

void TestDigitalWorker::writeRefusesOverlongPassword_data()
{
    QTest::addColumn<Rows>("rows");
    const QStringList fits{"0", "8", "1", "42", "1234567890", "1", "7"};
    // Six Cyrillic letters take twelve bytes; channel index 5 is channel 14 with A = 8.
    const QStringList overlong{"5", "8", "1", "42", QStringLiteral("пароль"), "1", "7"};
    QTest::newRow("first entry") << Rows{overlong, fits};
    QTest::newRow("after two that fit") << Rows{fits, fits, overlong};
}

void TestDigitalWorker::writeRefusesOverlongPassword()
{
    QFETCH(Rows, rows);
    ScriptedLine line(configuredController());
    QVERIFY(line.run(kWrite, rows));
    // Nothing is sent, not even the entries before the refused one; the write ends as one
    // that stops before its first channel.
    QVERIFY(line.sent.isEmpty());
    QCOMPARE(line.log.names(), (QStringList{"error", "updateProgressBar", "set_num_of_rs485Inputs"}));
    QCOMPARE(line.log.statusTexts(),
             QStringList{QStringLiteral("Неверная конфигурация для 14 канала! Пароль длиннее 10 байт.")});
    QCOMPARE(line.log.progress(), QList<int>{0});
    QCOMPARE(line.log.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{0}}));
}

void TestDigitalWorker::readings_data()
{
    QTest::addColumn<QByteArray>("noise"); // before the controller's frame; empty: none
    QTest::addColumn<bool>("silent");
    QTest::newRow("three meters, one silent") << QByteArray() << false;
    // The read window collects everything: only the last 42 bytes count.
    QTest::newRow("eight noise bytes before each frame") << QByteArray(8, '\x55') << false;
    QTest::newRow("silent controller: one attempt, no further channel") << QByteArray() << true;
}

void TestDigitalWorker::readings()
{
    QFETCH(QByteArray, noise);
    QFETCH(bool, silent);
    ScriptedLine line(configuredController(QStringLiteral("8.2")));
    line.analogChannelCount = 4;
    line.script = {ScriptedLine::Reply(ScriptedLine::Model, noise),
                   ScriptedLine::Reply(ScriptedLine::Model, noise),
                   ScriptedLine::Reply(ScriptedLine::Model, noise)};
    if (silent)
        line.script = {ScriptedLine::Silence};
    QVERIFY(line.run(kReadings, Rows{{"0"}, {"1"}, {"17"}}, 100));
    const EventLog &r = line.log;
    QCOMPARE(line.sent.at(0).timeoutMs, 6000);
    QCOMPARE(line.sent.at(0).quietGap, 0);
    if (silent) {
        QCOMPARE(line.sent.size(), 1);
        QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Считываем показания 5 канала"),
                                               CommandLine::noConnectionText()}));
        QVERIFY(r.argsOf("setRsData").isEmpty());
        return;
    }
    QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Считываем показания 5 канала"),
                                           QStringLiteral("Считываем показания 6 канала"),
                                           QStringLiteral("Считываем показания 22 канала"),
                                           QString()}));
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(r.argsOf("setRsData"),
             (QList<QVariantList>{
                 {0, QStringList{"40512377", "100", "0", "0", "10000"}},
                 {1, QStringList{"", "0", "0", "0", "0"}},
                 {17, QStringList{"ABCDEFGHIJKLMNOP", "4294967295", "1", "2", "3"}}}));
    QCOMPARE(line.payloads(kReadings),
             (QList<QByteArray>{QByteArray(1, '\0'), QByteArray(1, '\x01'), QByteArray(1, '\x11')}));
    QCOMPARE(line.pauses, QList<int>(3, CommandLine::kChannelPauseMs));
    QVERIFY(r.argsOf("set_num_of_rs485Inputs").isEmpty());
}

void TestDigitalWorker::readStopsAtSilentChannel()
{
    ScriptedLine line(configuredController());
    line.script = {ScriptedLine::Model, ScriptedLine::Model, ScriptedLine::Silence,
                   ScriptedLine::Silence};
    QVERIFY(line.run(kRead));
    const EventLog &r = line.log;
    QCOMPARE(line.sent.size(), 4);
    QCOMPARE(r.progress(), (QList<int>{3, 6}));
    QCOMPARE(r.statusTexts().last(), CommandLine::noConnectionText());
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{2}}));
}

QTEST_MAIN(TestDigitalWorker)
#include "tst_digitalworker.moc"
