// Analog (4, 16, 1) and digital (8, 32, 2) channel commands over a scripted line: the status
// texts, progress, channels asked, time-outs, pauses, the lists the tables get and the
// used-channel count, a stop at the first failure and records refused before sending.

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/frame/frame.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

using Replies = QList<ScriptedLine::Reply>;

namespace {

// Hardware 8.1 has eight analog channels, 8.2 four; digital channels 30 and 31 are missing.
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

// `text` for each channel number from `first` to `last`; analog settings commands clear the
// line after every channel.
QStringList statuses(const char *text, int first, int last, bool clearEach = false)
{
    QStringList out;
    for (int n = first; n <= last; ++n) {
        out << QString::fromUtf8(text).arg(n);
        if (clearEach)
            out << QString();
    }
    return out;
}

// A plain water meter on the reed input for channel index `channel`, as a write entry.
QStringList meter(const char *channel, const QString &serial = QString())
{
    return {channel, "1", "2", serial, "1", "1", "0", "0", "1", "0"};
}

// Whether `expected` appear in `lines` in this order, others allowed between them.
bool inOrder(const QStringList &lines, const QStringList &expected)
{
    qsizetype at = 0;
    for (const QString &line : expected) {
        at = lines.indexOf(line, at);
        if (at < 0)
            return false;
        ++at;
    }
    return true;
}

// The controller's answer to a write of `row`: what a late answer to that write looks like.
QByteArray echoOf(int cmd, const QStringList &row)
{
    QByteArray payload;
    if (cmd == Link::CmdWriteAnalogSettings)
        AnalogRecord::encodeSettings(row, payload);
    else
        DigitalRecord::encodeSettings(row, payload);
    return configuredController(QStringLiteral("8.1"))
        .answer(Link::buildRequest(quint8(cmd), &payload))
        .payload;
}

} // namespace

class TestChannelCommands : public QObject
{
    Q_OBJECT

private slots:
    void sequence_data();
    void sequence();
    void writeTakesFreshCountersAndOwnEchoes_data();
    void writeTakesFreshCountersAndOwnEchoes();
};

void TestChannelCommands::sequence_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<int>("analogCount");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Replies>("replies"); // then the model answers
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("progress");
    QTest::addColumn<QList<int>>("channels"); // the channel byte of every request
    QTest::addColumn<int>("timeoutMs");       // of a tab time-out of 100 ms
    QTest::addColumn<int>("pauses");
    QTest::addColumn<int>("reports");         // lists and counts for the tables and forecast
    QTest::addColumn<QStringList>("data");    // some of them, in order

    const ScriptedLine::Reply m = ScriptedLine::Model;
    const ScriptedLine::Reply silence = ScriptedLine::Silence;
    const Replies thirdSilent{m, m, silence, silence};
    const QString noLink = CommandLine::noConnectionText();
    const QString none;
    const QList<int> first8{0, 1, 2, 3, 4, 5, 6, 7};
    QList<int> all32;
    for (int i = 0; i < 32; ++i)
        all32 << i;

    QTest::newRow("4 hw8.1 all eight, six configured")
        << 4 << 8 << Rows() << Replies() << statuses("Считываем настройки %1 канала", 1, 8, true)
        << QList<int>{12, 25, 37, 50, 62, 75, 87, 100} << first8 << 100 << 8 << 17
        << QStringList{"setComSettings 7 2|1|HW8|10|1|0|0|8|7", "setComData 7 7",
                       "set_num_of_analogInputs 6"};
    QTest::newRow("4 hw8.2 three configured, four absent counted")
        << 4 << 4 << Rows() << Replies() << statuses("Считываем настройки %1 канала", 1, 8, true)
        << QList<int>{12, 25, 37, 50, 62, 75, 87, 100} << first8 << 100 << 8 << 17
        << QStringList{"setComSettings 7 255|0||0|0|0|0|0|0", "set_num_of_analogInputs 7"};
    // The controller stores the record in flash first. The table receives what it answered,
    // not what was sent: temperature thresholds come back unsigned, 23.5 (no number) as 0.
    QTest::newRow("16 channels 1 2 4 as answered")
        << 16 << 8
        << Rows{{"0", "1", "2", "777", "10", "1", "45", "60", "1", "100"},
                {"1", "5", "5", "T-01", "1", "1", "-50", "-100", "2", "23.5"},
                {"3", "14", "13", "P", "5", "2", "25", "5", "4", "0"}}
        << Replies()
        << QStringList{"Записываем настройки 1 канала", none, "Записываем настройки 2 канала",
                       none, "Записываем настройки 4 канала", none}
        << QList<int>{33, 66, 100} << QList<int>{0, 1, 3} << 500 << 0 << 7
        << QStringList{"setComSettings 0 1|2|777|10|1|45|60|1|100", "setComData 0 100",
                       "setComSettings 1 5|5|T-01|1|1|65486|65436|2|0", "setComData 1 0",
                       "setComSettings 3 14|13|P|5|2|25|5|4|0", "setComData 3 0",
                       "set_num_of_analogInputs 3"};
    QTest::newRow("1 readings of channels 1 2 4")
        << 1 << 8 << Rows{{"0"}, {"1"}, {"3"}} << Replies()
        << QStringList{"Считываем показание 1 канала", "Считываем показание 2 канала",
                       "Считываем показание 4 канала", none}
        << QList<int>{33, 66, 100} << QList<int>{0, 1, 3} << 100 << 0 << 3
        << QStringList{"setComData 0 100", "setComData 1 215", "setComData 3 0"};
    // No closing empty text after a failure: it stays on the status line.
    QTest::newRow("4 stops at a silent third channel, count so far")
        << 4 << 8 << Rows() << thirdSilent
        << (statuses("Считываем настройки %1 канала", 1, 2, true)
            << "Считываем настройки 3 канала" << noLink)
        << QList<int>{12, 25} << QList<int>{0, 1, 2, 2} << 100 << 2 << 5
        << QStringList{"set_num_of_analogInputs 2"};
    QTest::newRow("16 stops at a silent third channel")
        << 16 << 8 << Rows{meter("0"), meter("1"), meter("2"), meter("3")} << thirdSilent
        << (statuses("Записываем настройки %1 канала", 1, 2, true)
            << "Записываем настройки 3 канала" << noLink)
        << QList<int>{25, 50} << QList<int>{0, 1, 2, 2} << 500 << 0 << 5
        << QStringList{"set_num_of_analogInputs 2"};
    QTest::newRow("1 stops at a silent third channel, no count")
        << 1 << 8 << Rows{{"0"}, {"1"}, {"2"}, {"3"}} << thirdSilent
        << (statuses("Считываем показание %1 канала", 1, 3) << noLink) << QList<int>{25, 50}
        << QList<int>{0, 1, 2, 2} << 100 << 0 << 2 << QStringList();
    // Nothing is sent, not even the channel before the faulty one; it ends like a write
    // that stops before its first channel.
    QTest::newRow("16 overlong serial of the second entry")
        << 16 << 8 << Rows{meter("0"), meter("1", QStringLiteral("ЖЖЖЖЖЖЖЖЖ"))}
        << Replies()
        << QStringList{"Неверная конфигурация для 2 канала! Серийный номер не помещается в 16 "
                       "байт (русская буква занимает 2 байта)"}
        << QList<int>{0} << QList<int>() << 0 << 0 << 1
        << QStringList{"set_num_of_analogInputs 0"};

    // Digital channels are numbered for the engineer after the analog ones.
    QTest::newRow("8 all 32, A = 8 numbers 9 to 40")
        << 8 << 8 << Rows() << Replies()
        << (statuses("Считываем настройки %1 канала", 9, 40) << none)
        << QList<int>{3, 6, 9, 12, 15, 18, 21, 25, 28, 31, 34, 37, 40, 43, 46, 50,
                      53, 56, 59, 62, 65, 68, 71, 75, 78, 81, 84, 87, 90, 93, 96, 100}
        << all32 << 100 << 32 << 33
        // Three meters and the two channels this controller lacks.
        << QStringList{"setRsSettings 0 8|1|4194304011|582946|1|7", "setRsSettings 2 0|0|0||1|0",
                       "setRsSettings 30 255|0|0||0|0", "set_num_of_rs485Inputs 5"};
    QTest::newRow("8 stops at a silent third channel")
        << 8 << 8 << Rows() << thirdSilent
        << (statuses("Считываем настройки %1 канала", 9, 11) << noLink) << QList<int>{3, 6}
        << QList<int>{0, 1, 2, 2} << 100 << 2 << 3 << QStringList{"set_num_of_rs485Inputs 2"};
    // The engineer's stop: the request waiting to go is not sent; the status says how far.
    QTest::newRow("8 stopped before the third channel")
        << 8 << 8 << Rows() << Replies{m, m, ScriptedLine::Stop}
        << (statuses("Считываем настройки %1 канала", 9, 11)
            << "Операция прервана: обработано каналов 2 из 32.")
        << QList<int>{3, 6} << QList<int>{0, 1} << 100 << 2 << 3
        << QStringList{"set_num_of_rs485Inputs 2"};
    // The table gets what the controller accepted: channel 31 is missing on this one.
    QTest::newRow("32 channels 9 14 40 as answered")
        << 32 << 8
        << Rows{{"0", "8", "1", "4194304011", "", "1", "7"},
                {"5", "13", "6", "42", "12345", "3", "9999"},
                {"31", "0", "0", "0", "", "1", "0"}}
        << Replies()
        << QStringList{"Записываем настройки 9 канала", "Записываем настройки 14 канала",
                       "Записываем настройки 40 канала", none}
        << QList<int>{33, 66, 100} << QList<int>{0, 5, 31} << 500 << 3 << 4
        << QStringList{"setRsSettings 0 8|1|4194304011||1|7",
                       "setRsSettings 5 13|6|42|12345|3|9999", "setRsSettings 31 255|0|0||0|0",
                       "set_num_of_rs485Inputs 3"};
    // Six Cyrillic letters take twelve bytes; channel index 5 is channel 14 with A = 8.
    const QStringList fits{"0", "8", "1", "42", "1234567890", "1", "7"};
    const QStringList overlong{"5", "8", "1", "42", QStringLiteral("пароль"), "1", "7"};
    const QStringList refused{"Неверная конфигурация для 14 канала! Пароль длиннее 10 байт."};
    QTest::newRow("32 overlong password first")
        << 32 << 8 << Rows{overlong, fits} << Replies() << refused << QList<int>{0}
        << QList<int>() << 0 << 0 << 1 << QStringList{"set_num_of_rs485Inputs 0"};
    QTest::newRow("32 overlong password after two that fit")
        << 32 << 8 << Rows{fits, fits, overlong} << Replies() << refused << QList<int>{0}
        << QList<int>() << 0 << 0 << 1 << QStringList{"set_num_of_rs485Inputs 0"};
    // The meter readings read their whole window, sixty times the time-out, without a
    // quiet gap: noise before the frame is collected too, and only the last 42 bytes count.
    const QStringList meters{"setRsData 0 40512377|100|0|0|10000", "setRsData 1 |0|0|0|0",
                             "setRsData 17 ABCDEFGHIJKLMNOP|4294967295|1|2|3"};
    const QStringList meterTexts{"Считываем показания 5 канала", "Считываем показания 6 канала",
                                 "Считываем показания 22 канала", none};
    QTest::newRow("2 three meters, one silent, A = 4")
        << 2 << 4 << Rows{{"0"}, {"1"}, {"17"}} << Replies() << meterTexts
        << QList<int>{33, 66, 100} << QList<int>{0, 1, 17} << 6000 << 3 << 3 << meters;
    const ScriptedLine::Reply noisy(ScriptedLine::Model, QByteArray(8, '\x55'));
    QTest::newRow("2 eight noise bytes before each frame")
        << 2 << 4 << Rows{{"0"}, {"1"}, {"17"}} << Replies{noisy, noisy, noisy} << meterTexts
        << QList<int>{33, 66, 100} << QList<int>{0, 1, 17} << 6000 << 3 << 3 << meters;
    QTest::newRow("2 stopped before the second meter")
        << 2 << 4 << Rows{{"0"}, {"1"}, {"17"}} << Replies{m, ScriptedLine::Stop}
        << QStringList{meterTexts[0], meterTexts[1],
                       "Операция прервана: обработано каналов 1 из 3."}
        << QList<int>{33} << QList<int>{0} << 6000 << 1 << 1 << meters.mid(0, 1);
    QTest::newRow("2 silent controller: one attempt, no further channel")
        << 2 << 4 << Rows{{"0"}, {"1"}, {"17"}} << Replies{silence}
        << QStringList{"Считываем показания 5 канала", noLink} << QList<int>() << QList<int>{0}
        << 6000 << 0 << 0 << QStringList();
}

void TestChannelCommands::sequence()
{
    QFETCH(int, cmd);
    QFETCH(int, analogCount);
    QFETCH(Rows, rows);
    QFETCH(Replies, replies);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, progress);
    QFETCH(QList<int>, channels);
    QFETCH(int, timeoutMs);
    QFETCH(int, pauses);
    QFETCH(int, reports);
    QFETCH(QStringList, data);
    ScriptedLine line(configuredController(analogCount == 8 ? "8.1" : "8.2"));
    line.analogChannelCount = quint8(analogCount);
    line.script = replies;
    QVERIFY(line.run(cmd, rows, 100));

    QCOMPARE(line.log.statusTexts(), texts);
    QCOMPARE(line.log.progress(), progress);
    QList<int> asked;
    for (const ScriptedLine::Sent &s : line.sent) {
        asked << quint8(s.frame.at(8));
        QCOMPARE(s.timeoutMs, timeoutMs);
        QCOMPARE(s.quietGap, cmd == 2 ? 0 : CommandLine::kQuietGapMs);
    }
    QCOMPARE(asked, channels);
    QCOMPARE(line.pauses, QList<int>(pauses, CommandLine::kChannelPauseMs));
    QStringList lines = line.log.trace().filter(QRegularExpression("^set"));
    QCOMPARE(lines.size(), reports);
    QVERIFY2(inOrder(lines, data), qPrintable(lines.join(QLatin1Char('\n'))));
}

void TestChannelCommands::writeTakesFreshCountersAndOwnEchoes_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<Replies>("replies"); // then the model answers
    QTest::addColumn<QList<int>>("requests");
    QTest::addColumn<QList<int>>("counters"); // of the analog records sent
    QTest::addColumn<int>("confirmed");       // records the table gets
    QTest::addColumn<QString>("lastText");

    const ScriptedLine::Reply m = ScriptedLine::Model;
    const ScriptedLine::Reply silence = ScriptedLine::Silence;
    const QString noLink = CommandLine::noConnectionText();
    const QStringList untouched0 = meter("0", "S-1").mid(0, 9) << QString();
    const QStringList untouched1 = meter("1", "S-2").mid(0, 9) << QString();
    QStringList typed1 = untouched1;
    typed1.last() = QStringLiteral("7");
    // The model holds 100 on channel 1 and 215 on channel 2.
    QTest::newRow("16 untouched counters read right before each write")
        << 16 << Rows{untouched0, untouched1} << Replies() << QList<int>{1, 16, 1, 16}
        << QList<int>{100, 215} << 2 << QString();
    QTest::newRow("16 typed counter goes as typed, nothing read")
        << 16 << Rows{typed1} << Replies() << QList<int>{16} << QList<int>{7} << 1 << QString();
    QTest::newRow("16 unanswered fresh read: that channel is not written")
        << 16 << Rows{untouched0, untouched1} << Replies{m, m, silence, silence}
        << QList<int>{1, 16, 1, 1} << QList<int>{100} << 1 << noLink;
    const Replies otherEchoes(2, echoOf(16, meter("0", "S-1")));
    QTest::newRow("16 answers to another record are not taken")
        << 16 << Rows{typed1} << otherEchoes << QList<int>{16, 16} << QList<int>{7, 7} << 0
        << noLink;
    QTest::newRow("16 its own answer after another record's")
        << 16 << Rows{typed1} << otherEchoes.mid(1) << QList<int>{16, 16} << QList<int>{7, 7} << 1
        << QString();
    const QStringList digital{"5", "13", "6", "42", "12345", "3", "9999"};
    QTest::newRow("32 answers to another record are not taken")
        << 32 << Rows{digital}
        << Replies(2, echoOf(32, {"0", "8", "1", "4194304011", "", "1", "7"}))
        << QList<int>{32, 32} << QList<int>() << 0 << noLink;
}

void TestChannelCommands::writeTakesFreshCountersAndOwnEchoes()
{
    QFETCH(int, cmd);
    QFETCH(Rows, rows);
    QFETCH(Replies, replies);
    QFETCH(QList<int>, requests);
    QFETCH(QList<int>, counters);
    QFETCH(int, confirmed);
    QFETCH(QString, lastText);
    ScriptedLine line(configuredController(QStringLiteral("8.1")));
    line.script = replies;
    QVERIFY(line.run(cmd, rows, 100));

    QCOMPARE(line.commands(), requests);
    QList<int> sent;
    for (const QByteArray &payload : line.payloads(Link::CmdWriteAnalogSettings))
        sent << int(quint8(payload.at(29)) << 24 | quint8(payload.at(30)) << 16
                    | quint8(payload.at(31)) << 8 | quint8(payload.at(32)));
    QCOMPARE(sent, counters);
    // The fresh read waits the reading's time-out, the write its own.
    for (const ScriptedLine::Sent &s : line.sent)
        QCOMPARE(s.timeoutMs, quint8(s.frame.at(7)) == Link::CmdAnalogReading ? 100 : 500);
    QCOMPARE(line.log.trace().filter(QRegularExpression("^set(Com|Rs)Settings")).size(), confirmed);
    QCOMPARE(line.log.statusTexts().last(), lastText);
}

QTEST_MAIN(TestChannelCommands)
#include "tst_channelcommands.moc"
