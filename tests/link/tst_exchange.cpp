// One request on the line: attempts, frame checks, the no-connection text and the countdown,
// over a scripted line.

#include "link/frame.h"
#include "tests/support/scriptedline.h"

#include <QtTest>

using Replies = QList<ScriptedLine::Reply>;

namespace {

// The controller's answer to leave settings mode, with `edit` applied and the checksum
// made right again when `resum` is set.
QByteArray answer128(void (*edit)(QByteArray &) = nullptr, bool resum = true)
{
    const ControllerModel model;
    QByteArray frame = model.frame(Link::CmdLeaveSettingsMode, QByteArray(5, '\0'));
    if (edit) {
        edit(frame);
        if (resum)
            frame.back() = char(ControllerModel::checksum(frame.chopped(1)));
    }
    return frame;
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void attempts_data();
    void attempts();
    void codesWithoutCommand();
};

void TestExchange::attempts_data()
{
    QTest::addColumn<Replies>("replies");
    QTest::addColumn<int>("requests");
    QTest::addColumn<bool>("succeeds");
    QTest::addColumn<int>("noConnection");

    const QByteArray badSum = answer128([](QByteArray &f) { f.back() = char(f.back() ^ 1); }, false);
    const QByteArray badStart = answer128([](QByteArray &f) { f[0] = char(0x55); });
    const QByteArray otherCmd = answer128([](QByteArray &f) { f[7] = char(Link::CmdAuthorise); });
    const QByteArray tooLong = answer128([](QByteArray &f) { f.insert(8, '\0'); });
    const ScriptedLine::Reply m = ScriptedLine::Model;
    QTest::newRow("clean answer") << Replies{m} << 1 << true << 0;
    QTest::newRow("bad checksum once, second attempt") << Replies{badSum, m} << 2 << true << 0;
    QTest::newRow("bad checksum twice") << Replies{badSum, badSum} << 2 << false << 1;
    QTest::newRow("wrong start byte twice") << Replies{badStart, badStart} << 2 << false << 1;
    QTest::newRow("another command byte twice") << Replies{otherCmd, otherCmd} << 2 << false << 1;
    QTest::newRow("one byte too many twice") << Replies{tooLong, tooLong} << 2 << false << 1;
    QTest::newRow("silent twice") << Replies{ScriptedLine::Silence, ScriptedLine::Silence} << 2
                                  << false << 1;
    QTest::newRow("port lost: once, no repeat") << Replies{ScriptedLine::Lost} << 1 << false << 1;
    QTest::newRow("closing: nothing sent, nothing said") << Replies{ScriptedLine::Quit} << 0
                                                         << false << 0;
}

void TestExchange::attempts()
{
    QFETCH(Replies, replies);
    QFETCH(int, requests);
    QFETCH(bool, succeeds);
    QFETCH(int, noConnection);
    ScriptedLine line;
    line.script = replies;
    QVERIFY(line.run(Link::CmdLeaveSettingsMode));

    QCOMPARE(line.sent.size(), requests);
    for (const ScriptedLine::Sent &s : line.sent)
        QCOMPARE(s.frame.toHex(), QByteArray("aa00462500000080ff0d"));
    const EventLog &r = line.log;
    QCOMPARE(r.statusTexts().count(CommandLine::noConnectionText()), noConnection);
    // The countdown restarts only on an accepted answer.
    QCOMPARE(r.argsOf("update_timer").size(), succeeds ? 1 : 0);
    QCOMPARE(r.argsOf("stop_timer").size(), succeeds ? 1 : 0);
    QCOMPARE(r.progress(), QList<int>{succeeds ? 100 : 0});
}

void TestExchange::codesWithoutCommand()
{
    // 0 and the codes sent only inside the firmware update are no commands of the window.
    ScriptedLine line;
    for (const int code : {0, 64, 130, 131, 132, 133})
        QVERIFY(!line.run(code));
    QVERIFY(line.sent.isEmpty());
    QVERIFY(line.log.events.isEmpty());
}

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
