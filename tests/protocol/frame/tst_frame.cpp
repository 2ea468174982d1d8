// Request framing, checksum, response acceptance and field reading; the integer encoders
// are checked through the records built with them.

#include "protocol/frame/frame.h"
#include "protocol/frame/traffic.h"

#include <QtTest>

using namespace Link;

namespace {

constexpr quint32 kFw142 = 0x01040002;
constexpr quint32 kFw140 = 0x01040000;
constexpr int kAny = -1;

// A response frame from hardware 8.2 with its checksum worked out here: 0xBB XOR every
// byte before it, the start byte included.
QByteArray response(quint8 cmd, int size, quint32 fw = kFw142, quint8 start = 0xAA)
{
    QByteArray f;
    for (quint8 b : {start, quint8(8), quint8(2), quint8(fw >> 24), quint8(fw >> 16),
                     quint8(fw >> 8), quint8(fw), cmd})
        f.append(char(b));
    while (f.size() < size - 1)
        f.append(char(f.size() * 7));
    quint8 sum = 0xBB;
    for (char c : f)
        sum ^= quint8(c);
    return f.append(char(sum));
}

} // namespace

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void request_data()
    {
        QTest::addColumn<int>("cmd");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<bool>("hasPayload");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("aa004625000000 09ff 84") << 9 << QByteArray() << false
                                                << QByteArray::fromHex("aa00462500000009ff84");
        QTest::newRow("aa004625000000 80ff 0d") << 128 << QByteArray() << false
                                                << QByteArray::fromHex("aa00462500000080ff0d");
        QTest::newRow("aa004625000000 0403 75") << 4 << QByteArray::fromHex("03") << true
                                                << QByteArray::fromHex("aa004625000000040375");
        QTest::newRow("empty payload gives no filler") << 9 << QByteArray() << true
                                                       << QByteArray::fromHex("aa004625000000097b");
    }

    void request()
    {
        QFETCH(int, cmd);
        QFETCH(QByteArray, payload);
        QFETCH(bool, hasPayload);
        QFETCH(QByteArray, frame);
        QByteArray out("stale");
        buildRequest(out, quint8(cmd), hasPayload ? &payload : nullptr);
        QCOMPARE(out.toHex(), frame.toHex());
    }

    void responseSize_data()
    {
        // Whole-frame sizes from the command table, for firmware 1.4.2 and 1.4.0.
        QTest::addColumn<int>("cmd");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("size140");
        const auto rows = [](const char *name, std::initializer_list<int> cmds, int size, int size140) {
            for (int cmd : cmds)
                QTest::addRow("cmd%d %s", cmd, name) << cmd << size << size140;
        };
        rows("analog reading", {1}, 14, 14);
        rows("analog settings", {4, 16}, 42, 42);
        rows("digital settings", {8, 32}, 29, 29);
        rows("controller settings", {9, 33}, 211, 179);
        rows("leave settings mode", {128}, 14, 10);
        rows("password", {134, 135}, 10, 10);
        rows("modem", {136, 137}, 49, 49);
        rows("any size", {2, 64, 129, 130, 131, 132}, kAny, kAny);
        rows("never answered", {0, 3, 255}, 0, 0);
    }

    void responseSize()
    {
        QFETCH(int, cmd);
        QFETCH(int, size);
        QFETCH(int, size140);
        for (quint32 fw : {kFw142, kFw140}) {
            const int required = fw == kFw140 ? size140 : size;
            for (int n : {9, 10, 14, 29, 42, 49, 179, 211, 300}) {
                const bool accepted = required == kAny || n == required;
                QByteArray frame = response(quint8(cmd), n, fw);
                QVERIFY2(check_response(frame, fw) == (accepted ? 0 : 1),
                         qPrintable(QStringLiteral("%1 bytes, firmware %2").arg(n).arg(fw, 0, 16)));
                // Whatever the size, the start byte and the checksum are checked.
                QCOMPARE(check_response(response(quint8(cmd), n, fw, 0xAB), fw), 1);
                frame[n - 1] = char(frame[n - 1] ^ 1);
                QCOMPARE(check_response(frame, fw), 1);
            }
        }
    }

    void journalLine_data()
    {
        QTest::addColumn<QByteArray>("answer"); // to an authorise request, attempt 2
        QTest::addColumn<QString>("said");
        QByteArray spoilt = response(134, 10);
        spoilt[9] = char(spoilt[9] ^ 1);
        QTest::newRow("accepted") << response(134, 10) << "aa 08 02 01 04 00 02 86 38 a2 — принят";
        QTest::newRow("short") << response(134, 9) << "86 9a — неверный размер";
        QTest::newRow("start byte") << response(134, 10, kFw142, 0xAB) << "— неверный начальный байт";
        QTest::newRow("checksum") << spoilt << "38 a3 — неверная контрольная сумма";
        QTest::newRow("another command's") << response(9, 211) << "— чужая команда";
        QTest::newRow("nothing") << QByteArray() << "авторизация, 0 байт — нет ответа";
    }

    void journalLine()
    {
        QFETCH(QByteArray, answer);
        QFETCH(QString, said);
        const Traffic::Frame frame{QDateTime(QDate(2026, 12, 8), QTime(7, 5, 3, 42)).toMSecsSinceEpoch(),
                                   Traffic::Direction::Answer, 134, answer,
                                   Traffic::judge(answer, 134, kFw142), 2};
        const QString line = Traffic::formatLine(frame);
        QVERIFY2(line.startsWith(QStringLiteral("07:05:03.042 ← 134 авторизация, %1 байт")
                                     .arg(answer.size())),
                 qPrintable(line));
        QVERIFY2(line.endsWith(said + ", попытка 2"), qPrintable(line));
    }

    void shortFramesAndFieldsNeverReadBeyondThem()
    {
        const QByteArray frame = QByteArray::fromHex("aa0802010400028601ab");
        QCOMPARE(readNumber(frame, 8, 2), 0x01ABu);
        QCOMPARE(readNumber(frame, 9, 2), 0u);
        QCOMPARE(readNumber(frame, 100, 4), 0u);
        QCOMPARE(readText(frame, 9, 16).size(), 1); // one byte left of a 16-byte field
        QCOMPARE(readText(QByteArray("ab\0cd", 5), 0, 5), QStringLiteral("ab"));
        QCOMPARE(readText(QByteArray("abcd"), 4, 2), QString());
        QCOMPARE(hardwareVersionText(frame), QStringLiteral("8.2"));
        QCOMPARE(hardwareVersionText(frame.left(2)), QString());
        QCOMPARE(firmwareWord(frame), 0x01040002u);
        QCOMPARE(firmwareWord(frame.left(6)), 0u);
        QCOMPARE(check_response(frame.left(7), kFw142), 1); // no command byte
        QCOMPARE(check_response(QByteArray(), kFw142), 1);
        QCOMPARE(versionText(0x01040000), QStringLiteral("1.4.0"));
        QCOMPARE(versionText(0x0104000A), QStringLiteral("1.4.10")); // the patch has 16 bits
        QCOMPARE(versionText(0xFFFFFFFF), QStringLiteral("255.255.65535"));
    }

    // A text field's bytes go back as they came while its text is left alone, and never once
    // it is edited.
    void keptTextBytes_data()
    {
        QTest::addColumn<QByteArray>("field");
        QTest::addColumn<bool>("kept");
        QTest::newRow("plain text") << QByteArray("abc\0\0\0", 6) << false;
        QTest::newRow("full field") << QByteArray("abcdef") << false;
        QTest::newRow("bytes after a zero") << QByteArray("ab\0cd\0", 6) << true;
        QTest::newRow("not UTF-8") << QByteArray("\xff\xfe\xd0\0\0\0", 6) << true;
        QTest::newRow("cut UTF-8 at the end") << QByteArray("abcde\xd0") << true;
    }

    void keptTextBytes()
    {
        QFETCH(QByteArray, field);
        QFETCH(bool, kept);
        const QString text = readText(field, 0, 6);
        const QString hex = keptText(field, 0, 6);
        QCOMPARE(!hex.isEmpty(), kept);
        QCOMPARE(encodeText(text, 6, hex).toHex(), field.toHex());
        QVERIFY(textFits(text, 6, hex));
        QCOMPARE(encodeText(QStringLiteral("new"), 6, hex), QByteArray("new\0\0\0", 6));
        QVERIFY(!textFits(QStringLiteral("ЖЖЖЖ"), 6, hex));
        QCOMPARE(keptText(field.left(5), 0, 6), QString()); // a cut frame keeps nothing
    }
};

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
