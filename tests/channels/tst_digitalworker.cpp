// Digital channel commands of the worker against the simulated controller on a
// pseudo-terminal: read settings (8), write settings (32), meter readings (2).

#include "link/masterthread.h"
#include "tests/support/workerharness.h"

#include <QtTest>

namespace {

constexpr int kRead = 8;
constexpr int kWrite = 32;
constexpr int kReadings = 2;
// Readings wait 60 times the time-out: 10 ms gives the simulated meter (150 ms) 600 ms.
constexpr int kReadingsTimeoutMs = 10;

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

// An open session with nothing recorded yet.
bool ready(WorkerHarness &h, int analogCount)
{
    if (!h.started() || !h.authorise())
        return false;
    h.worker->setAnalogChannelCount(quint8(analogCount));
    h.recorder->events.clear();
    h.sim.clearRequests();
    return true;
}

} // namespace

class TestDigitalWorker : public QObject
{
    Q_OBJECT

private slots:
    void readAllSettings_data();
    void readAllSettings();
    void writeThreeChannels();
    void writeWaitsFiveTimesLonger();
    void writeRefusesOverlongPassword_data();
    void writeRefusesOverlongPassword();
    void readingsWithSilentMeter();
    void readStopsAtSilentChannel();
    void readingsEndAtSilentController();
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
    WorkerHarness h(configuredController(hardware));
    QVERIFY(ready(h, analogCount));
    QVERIFY(h.runWithoutRows(kRead));
    const WorkerRecorder &r = *h.recorder;

    QStringList texts;
    QList<int> progress;
    QStringList names;
    for (int i = 0; i < 32; ++i) {
        texts << QStringLiteral("Считываем настройки %1 канала").arg(i + analogCount + 1);
        progress << (i + 1) * 100 / 32;
        names << "error" << "update_timer" << "setRsSettings" << "updateProgressBar";
    }
    QCOMPARE(r.statusTexts(), texts << QString());
    QCOMPARE(r.progress(), progress);
    QCOMPARE(r.names(), names << "error" << "set_num_of_rs485Inputs" << "enableTablesContorls");

    const QList<QVariantList> lists = r.argsOf("setRsSettings");
    for (int i = 0; i < 32; ++i)
        QCOMPARE(lists[i].at(0).toInt(), i);
    QCOMPARE(lists[0].at(1).toStringList(), (QStringList{"8", "1", "4194304011", "582946", "1", "7"}));
    QCOMPARE(lists[2].at(1).toStringList(), (QStringList{"0", "0", "0", "", "1", "0"}));
    QCOMPARE(lists[30].at(1).toStringList(), (QStringList{"255", "0", "0", "", "0", "0"}));
    // Three meters and the two channels this controller lacks.
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{5}}));

    // Always 32 one-byte requests, channel 0 to 31.
    const QList<QByteArray> payloads = h.sim.payloads(kRead);
    QCOMPARE(payloads.size(), 32);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(payloads[i], QByteArray(1, char(i)));
}

void TestDigitalWorker::writeThreeChannels()
{
    WorkerHarness h(configuredController());
    QVERIFY(ready(h, 8));
    const Rows rows{
        {"0", "8", "1", "4194304011", "", "1", "7"},
        {"5", "13", "6", "42", "12345", "3", "9999"},
        {"31", "0", "0", "0", "", "1", "0"},
    };
    QVERIFY(h.run(kWrite, rows));
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.statusTexts(), (QStringList{QStringLiteral("Записываем настройки 9 канала"),
                                           QStringLiteral("Записываем настройки 14 канала"),
                                           QStringLiteral("Записываем настройки 40 канала"),
                                           QString()}));
    QCOMPARE(r.progress(), (QList<int>{33, 66, 100}));
    QCOMPARE(h.sim.payloads(kWrite),
             (QList<QByteArray>{
                 QByteArray::fromHex("000801fa00000b" "00000000000000000000" "010007"),
                 QByteArray::fromHex("050d060000002a" "31323334350000000000" "03270f"),
                 QByteArray::fromHex("1f000000000000" "00000000000000000000" "010000")}));
    // The table gets what the controller accepted: channel 31 is missing on this one.
    QCOMPARE(r.argsOf("setRsSettings"),
             (QList<QVariantList>{{0, QStringList{"8", "1", "4194304011", "", "1", "7"}},
                                  {5, QStringList{"13", "6", "42", "12345", "3", "9999"}},
                                  {31, QStringList{"255", "0", "0", "", "0", "0"}}}));
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{3}}));
}

void TestDigitalWorker::writeWaitsFiveTimesLonger()
{
    WorkerHarness h(configuredController());
    QVERIFY(h.started());
    // 400 ms is beyond the 200 ms time-out but well inside five times it.
    h.sim.injectFault({SimFault::Late, 1, 400, kWrite});
    QVERIFY(h.run(kWrite, Rows{{"3", "8", "1", "42", "", "1", "7"}}, 200));
    QCOMPARE(h.sim.requestCount(kWrite), 1);
    QCOMPARE(h.recorder->argsOf("setRsSettings").size(), 1);
    QCOMPARE(h.recorder->progress(), QList<int>{100});
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
    WorkerHarness h(configuredController());
    QVERIFY(ready(h, 8));
    QVERIFY(h.run(kWrite, rows));
    const WorkerRecorder &r = *h.recorder;
    // Nothing is sent, not even the entries before the refused one; the write ends as one
    // that stops before its first channel.
    QCOMPARE(h.sim.requestCount(), 0);
    QCOMPARE(r.statusTexts(),
             QStringList{QStringLiteral("Неверная конфигурация для 14 канала! Пароль длиннее 10 байт.")});
    QCOMPARE(r.progress(), QList<int>{0});
    QVERIFY(r.argsOf("setRsSettings").isEmpty());
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{0}}));
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

void TestDigitalWorker::readingsWithSilentMeter()
{
    WorkerHarness h(configuredController(QStringLiteral("8.2")));
    QVERIFY(ready(h, 4));
    QVERIFY(h.run(kReadings, Rows{{"0"}, {"1"}, {"17"}}, kReadingsTimeoutMs));
    const WorkerRecorder &r = *h.recorder;
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
    QCOMPARE(h.sim.payloads(kReadings),
             (QList<QByteArray>{QByteArray(1, '\0'), QByteArray(1, '\x01'), QByteArray(1, '\x11')}));
    QVERIFY(r.argsOf("set_num_of_rs485Inputs").isEmpty());
}

void TestDigitalWorker::readStopsAtSilentChannel()
{
    WorkerHarness h(configuredController());
    QVERIFY(h.started());
    // The third channel's request and its repetition stay unanswered.
    int answered = 0;
    h.sim.setOnExchange([&h, &answered](const QByteArray &, const QByteArray &) {
        if (++answered == 2)
            h.sim.injectFault({SimFault::Silence, 2});
    });
    QVERIFY(h.runWithoutRows(kRead));
    h.sim.setOnExchange(nullptr);
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(h.sim.requestCount(kRead), 4);
    QCOMPARE(r.progress(), (QList<int>{3, 6}));
    QCOMPARE(r.statusTexts().last(), MasterThread::noConnectionText());
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{2}}));
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

void TestDigitalWorker::readingsEndAtSilentController()
{
    WorkerHarness h(configuredController());
    QVERIFY(h.started());
    h.sim.injectFault({SimFault::Silence, 1, 0, kReadings});
    QVERIFY(h.run(kReadings, Rows{{"0"}, {"17"}}, kReadingsTimeoutMs));
    // One attempt only, and the second channel is never asked for.
    QCOMPARE(h.sim.requestCount(kReadings), 1);
    QCOMPARE(h.recorder->statusTexts(), (QStringList{QStringLiteral("Считываем показания 9 канала"), MasterThread::noConnectionText()}));
    QVERIFY(h.recorder->argsOf("setRsData").isEmpty());
    QCOMPARE(h.recorder->names().last(), QStringLiteral("enableTablesContorls"));
}

QTEST_MAIN(TestDigitalWorker)
#include "tst_digitalworker.moc"
