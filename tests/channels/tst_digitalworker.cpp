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

const QString kNoConnection = QStringLiteral(
    "Нет связи с контроллером: неверно выбран COM-порт, контроллер не в режиме настройки, "
    "обрыв кабеля, перепутана полярность, неисправен адаптер COM-порта!");

ControllerModel configuredController(const QString &hardware)
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

// Payloads (after the command byte, before the checksum) of the requests for `cmd`.
QList<QByteArray> requestPayloads(SimServer &sim, int cmd)
{
    QList<QByteArray> out;
    for (const QByteArray &request : sim.requests()) {
        if (request.size() > 8 && quint8(request.at(7)) == cmd)
            out.append(request.mid(8, request.size() - 9));
    }
    return out;
}

} // namespace

class TestDigitalWorker : public QObject
{
    Q_OBJECT

private slots:
    void readAllSettings_data();
    void readAllSettings();
    void readStopsAtSilentChannel();
    void writeThreeChannels();
    void writeWaitsFiveTimesLonger();
    void writeRefusesOverlongPassword();
    void writeNothing();
    void readingsWithSilentMeter();
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
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.worker->setAnalogChannelCount(quint8(analogCount));
    h.recorder->events.clear();
    h.sim.clearRequests();

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
    texts << QString();
    names << "error" << "set_num_of_rs485Inputs" << "enableTablesContorls";
    QCOMPARE(r.statusTexts(), texts);
    QCOMPARE(r.progress(), progress);
    QCOMPARE(r.progress().mid(29), (QList<int>{93, 96, 100}));
    QCOMPARE(r.names(), names);

    const QList<QVariantList> lists = r.argsOf("setRsSettings");
    for (int i = 0; i < 32; ++i)
        QCOMPARE(lists[i].at(0).toInt(), i);
    QCOMPARE(lists[0].at(1).toStringList(),
             (QStringList{"8", "1", "4194304011", "582946", "1", "7"}));
    QCOMPARE(lists[1].at(1).toStringList(), (QStringList{"7", "5", "12345678", "", "0", "65535"}));
    QCOMPARE(lists[17].at(1).toStringList(),
             (QStringList{"1", "10", "42", "1234567890", "255", "1"}));
    QCOMPARE(lists[2].at(1).toStringList(), (QStringList{"0", "0", "0", "", "1", "0"}));
    QCOMPARE(lists[30].at(1).toStringList(), (QStringList{"255", "0", "0", "", "0", "0"}));
    // Three meters and the two channels this controller lacks.
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{5}}));

    // Always 32 one-byte requests, channel 0 to 31.
    const QList<QByteArray> payloads = requestPayloads(h.sim, kRead);
    QCOMPARE(payloads.size(), 32);
    for (int i = 0; i < 32; ++i)
        QCOMPARE(payloads[i], QByteArray(1, char(i)));
}

void TestDigitalWorker::readStopsAtSilentChannel()
{
    WorkerHarness h(configuredController(QStringLiteral("8.1")));
    QVERIFY(h.started());
    // The third channel's request and its repetition stay unanswered.
    int answered = 0;
    h.sim.onExchange = [&h, &answered](const QByteArray &, const QByteArray &) {
        if (++answered == 2)
            h.sim.injectFault({SimFault::Silence, 2});
    };
    QVERIFY(h.runWithoutRows(kRead));
    h.sim.onExchange = nullptr;
    const WorkerRecorder &r = *h.recorder;
    QCOMPARE(r.argsOf("setRsSettings").size(), 2);
    QCOMPARE(r.progress(), (QList<int>{3, 6}));
    QCOMPARE(r.statusTexts().last(), kNoConnection);
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{2}}));
    QCOMPARE(h.sim.requestCount(kRead), 4);
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

void TestDigitalWorker::writeThreeChannels()
{
    WorkerHarness h(configuredController(QStringLiteral("8.1")));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.worker->setAnalogChannelCount(8);
    h.recorder->events.clear();
    h.sim.clearRequests();

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

    const QList<QByteArray> payloads = requestPayloads(h.sim, kWrite);
    QCOMPARE(payloads.size(), 3);
    QCOMPARE(payloads[0].toHex(), QByteArray("000801fa00000b" "00000000000000000000" "010007"));
    QCOMPARE(payloads[1].toHex(), QByteArray("050d060000002a" "31323334350000000000" "03270f"));
    QCOMPARE(payloads[2].toHex(), QByteArray("1f000000000000" "00000000000000000000" "010000"));

    // The table gets what the controller accepted: channel 31 is missing on this one.
    const QList<QVariantList> lists = r.argsOf("setRsSettings");
    QCOMPARE(lists.size(), 3);
    QCOMPARE(lists[0], (QVariantList{0, QStringList{"8", "1", "4194304011", "", "1", "7"}}));
    QCOMPARE(lists[1], (QVariantList{5, QStringList{"13", "6", "42", "12345", "3", "9999"}}));
    QCOMPARE(lists[2], (QVariantList{31, QStringList{"255", "0", "0", "", "0", "0"}}));
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{3}}));

    const auto channel5 = h.sim.withModel([](ControllerModel &m) { return m.digital.channels[5]; });
    QCOMPARE(channel5.type, quint8(13));
    QCOMPARE(channel5.password, QByteArray("12345"));
    QCOMPARE(channel5.object, quint16(9999));
}

void TestDigitalWorker::writeWaitsFiveTimesLonger()
{
    WorkerHarness h(configuredController(QStringLiteral("8.1")));
    QVERIFY(h.started());
    // 400 ms is beyond the 200 ms time-out but well inside five times it.
    h.sim.injectFault({SimFault::Late, 1, 400, kWrite});
    QVERIFY(h.run(kWrite, Rows{{"3", "8", "1", "42", "", "1", "7"}}, 200));
    QCOMPARE(h.sim.requestCount(kWrite), 1);
    QCOMPARE(h.recorder->argsOf("setRsSettings").size(), 1);
    QCOMPARE(h.recorder->progress(), QList<int>{100});
}

void TestDigitalWorker::writeRefusesOverlongPassword()
{
    WorkerHarness h(configuredController(QStringLiteral("8.1")));
    QVERIFY(h.started());
    const Rows rows{
        {"0", "8", "1", "1", "", "1", "0"},
        {"1", "8", "1", "1", QStringLiteral("пароль"), "1", "0"},
        {"2", "8", "1", "1", "", "1", "0"},
    };
    QVERIFY(h.run(kWrite, rows));
    const WorkerRecorder &r = *h.recorder;
    // Nothing is sent for the channel and the ones after it: a cut password would lock
    // the meter out without anyone noticing.
    QCOMPARE(h.sim.requestCount(kWrite), 1);
    QCOMPARE(r.statusTexts().last(),
             QStringLiteral("Неверная конфигурация для 10 канала! Пароль длиннее 10 байт."));
    QCOMPARE(r.progress(), QList<int>{33});
    QCOMPARE(r.argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{1}}));
    QCOMPARE(h.sim.withModel([](ControllerModel &m) { return m.digital.channels[1].type; }),
             quint8(7));
}

void TestDigitalWorker::writeNothing()
{
    WorkerHarness h;
    QVERIFY(h.started());
    QVERIFY(h.run(kWrite, Rows()));
    QCOMPARE(h.recorder->names(),
             (QStringList{"set_num_of_rs485Inputs", "enableTablesContorls"}));
    QCOMPARE(h.recorder->argsOf("set_num_of_rs485Inputs"), (QList<QVariantList>{QVariantList{0}}));
    QCOMPARE(h.sim.requestCount(), 0);
}

void TestDigitalWorker::readingsWithSilentMeter()
{
    WorkerHarness h(configuredController(QStringLiteral("8.2")));
    QVERIFY(h.started());
    QVERIFY(h.authorise());
    h.worker->setAnalogChannelCount(4);
    h.recorder->events.clear();
    h.sim.clearRequests();

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
    QCOMPARE(requestPayloads(h.sim, kReadings),
             (QList<QByteArray>{QByteArray(1, '\0'), QByteArray(1, '\x01'),
                                QByteArray(1, '\x11')}));
    QVERIFY(r.argsOf("set_num_of_rs485Inputs").isEmpty());
}

void TestDigitalWorker::readingsEndAtSilentController()
{
    WorkerHarness h(configuredController(QStringLiteral("8.1")));
    QVERIFY(h.started());
    h.sim.injectFault({SimFault::Silence, 1, 0, kReadings});
    QVERIFY(h.run(kReadings, Rows{{"0"}, {"17"}}, kReadingsTimeoutMs));
    const WorkerRecorder &r = *h.recorder;
    // One attempt only, and the second channel is never asked for.
    QCOMPARE(h.sim.requestCount(kReadings), 1);
    QCOMPARE(r.statusTexts(),
             (QStringList{QStringLiteral("Считываем показания 9 канала"), kNoConnection}));
    QVERIFY(r.argsOf("setRsData").isEmpty());
    QVERIFY(r.progress().isEmpty());
    QCOMPARE(r.names().last(), QStringLiteral("enableTablesContorls"));
}

QTEST_MAIN(TestDigitalWorker)
#include "tst_digitalworker.moc"
