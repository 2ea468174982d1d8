// Request framing, checksum, response acceptance and the integer encoders.

#include "link/frame.h"

#include <QtTest>

using namespace Link;

class TestFrame : public QObject
{
    Q_OBJECT

private slots:
    void request_data();
    void request();
    void checksumCoversStartByte();
    void responseSize_data();
    void responseSize();
    void responseFraming_data();
    void responseFraming();
    void encoders_data();
    void encoders();
    void versionText_data();
    void versionText();
    void fieldsNeverReadBeyondFrame();
};

namespace {

// A response frame with a correct checksum; checksum computed here, independently.
QByteArray response(quint8 cmd, int size, quint32 fw = 0x01040002, quint8 start = 0xAA)
{
    QByteArray f;
    f.append(char(start));
    f.append(char(8));
    f.append(char(2));
    f.append(char(fw >> 24));
    f.append(char(fw >> 16));
    f.append(char(fw >> 8));
    f.append(char(fw));
    f.append(char(cmd));
    while (f.size() < size - 1)
        f.append(char(f.size() * 7));
    quint8 sum = 0xBB;
    for (char c : f)
        sum ^= quint8(c);
    f.append(char(sum));
    return f;
}

} // namespace

void TestFrame::request_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<bool>("hasPayload");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("aa004625000000 09ff 84") << 9 << QByteArray() << false
                                            << QByteArray::fromHex("aa00462500000009ff84");
    QTest::newRow("aa004625000000 80ff 0d") << 128 << QByteArray() << false
                                            << QByteArray::fromHex("aa00462500000080ff0d");
    QTest::newRow("cmd4 channel 3") << 4 << QByteArray::fromHex("03") << true
                                    << QByteArray::fromHex("aa0046250000000403") + QByteArray(1, char(0xBB ^ 0xAA ^ 0x46 ^ 0x25 ^ 0x04 ^ 0x03));
    QTest::newRow("empty payload gives no filler") << 9 << QByteArray() << true
                                                   << QByteArray::fromHex("aa004625000000097b");
}

void TestFrame::request()
{
    QFETCH(int, cmd);
    QFETCH(QByteArray, payload);
    QFETCH(bool, hasPayload);
    QFETCH(QByteArray, frame);
    QByteArray out("stale");
    buildRequest(out, quint8(cmd), hasPayload ? &payload : nullptr);
    QCOMPARE(out.toHex(), frame.toHex());
}

void TestFrame::checksumCoversStartByte()
{
    // AA 0A A0 XOR to zero, so only the seed remains.
    const QByteArray bytes = QByteArray::fromHex("aa0aa0");
    QCOMPARE(frameChecksum(bytes, 3), quint8(0xBB));
    QCOMPARE(frameChecksum(bytes, 1), quint8(0xBB ^ 0xAA));
}

void TestFrame::responseSize_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<quint32>("fw");
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");
    const quint32 fw142 = 0x01040002;
    const quint32 fw140 = 0x01040000;
    QTest::newRow("cmd9 fw1.4.2 211 bytes") << 9 << fw142 << 211 << true;
    QTest::newRow("cmd9 fw1.4.2 179 bytes") << 9 << fw142 << 179 << false;
    QTest::newRow("cmd9 fw1.4.0 179 bytes") << 9 << fw140 << 179 << true;
    QTest::newRow("cmd9 fw1.4.0 211 bytes") << 9 << fw140 << 211 << false;
    QTest::newRow("cmd33 fw1.4.0 179 bytes") << 33 << fw140 << 179 << true;
    QTest::newRow("cmd128 fw1.4.2 14 bytes") << 128 << fw142 << 14 << true;
    QTest::newRow("cmd128 fw1.4.0 10 bytes") << 128 << fw140 << 10 << true;
    QTest::newRow("cmd128 fw1.4.0 14 bytes") << 128 << fw140 << 14 << false;
    QTest::newRow("cmd1 14 bytes") << 1 << fw142 << 14 << true;
    QTest::newRow("cmd4 42 bytes") << 4 << fw142 << 42 << true;
    QTest::newRow("cmd4 43 bytes") << 4 << fw142 << 43 << false;
    QTest::newRow("cmd8 29 bytes") << 8 << fw142 << 29 << true;
    QTest::newRow("cmd16 42 bytes") << 16 << fw142 << 42 << true;
    QTest::newRow("cmd32 29 bytes") << 32 << fw142 << 29 << true;
    QTest::newRow("cmd134 10 bytes") << 134 << fw142 << 10 << true;
    QTest::newRow("cmd135 10 bytes") << 135 << fw142 << 10 << true;
    QTest::newRow("cmd136 49 bytes") << 136 << fw142 << 49 << true;
    QTest::newRow("cmd137 48 bytes") << 137 << fw142 << 48 << false;
    QTest::newRow("cmd2 30 bytes, any size") << 2 << fw142 << 30 << true;
    QTest::newRow("cmd2 42 bytes") << 2 << fw142 << 42 << true;
    QTest::newRow("cmd64 any size") << 64 << fw142 << 20 << true;
    QTest::newRow("cmd129 any size") << 129 << fw142 << 11 << true;
    QTest::newRow("cmd132 any size") << 132 << fw142 << 9 << true;
    QTest::newRow("cmd0 never") << 0 << fw142 << 10 << false;
    QTest::newRow("cmd3 never") << 3 << fw142 << 10 << false;
}

void TestFrame::responseSize()
{
    QFETCH(int, cmd);
    QFETCH(quint32, fw);
    QFETCH(int, size);
    QFETCH(bool, accepted);
    QCOMPARE(check_response(response(quint8(cmd), size, fw), fw), accepted ? 0 : 1);
}

void TestFrame::responseFraming_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<int>("result");
    const QByteArray good = response(134, 10);
    QByteArray badSum = good;
    badSum[9] = char(badSum.at(9) ^ 1);
    QTest::newRow("good") << good << 0;
    QTest::newRow("wrong start byte, right checksum") << response(134, 10, 0x01040002, 0xAB) << 1;
    QTest::newRow("wrong checksum") << badSum << 1;
    QTest::newRow("7 bytes, no command byte") << good.left(7) << 1;
    QTest::newRow("empty") << QByteArray() << 1;
}

void TestFrame::responseFraming()
{
    QFETCH(QByteArray, frame);
    QFETCH(int, result);
    QCOMPARE(check_response(frame, 0x01040002), result);
}

void TestFrame::encoders_data()
{
    QTest::addColumn<QString>("encoder");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("u16 258") << "u16" << "258" << QByteArray::fromHex("0102");
    QTest::newRow("u16 70000 keeps low 16 bits") << "u16" << "70000" << QByteArray::fromHex("1170");
    QTest::newRow("i16 -2") << "i16" << "-2" << QByteArray::fromHex("fffe");
    QTest::newRow("i16 -50") << "i16" << "-50" << QByteArray::fromHex("ffce");
    QTest::newRow("u8 300 keeps low 8 bits") << "u8" << "300" << QByteArray::fromHex("2c");
    QTest::newRow("u8 -1 is no unsigned number") << "u8" << "-1" << QByteArray::fromHex("00");
    QTest::newRow("u8 text") << "u8" << "abc" << QByteArray::fromHex("00");
    QTest::newRow("u32 4294967295") << "u32" << "4294967295" << QByteArray::fromHex("ffffffff");
    QTest::newRow("u32 4294967296 does not fit") << "u32" << "4294967296" << QByteArray::fromHex("00000000");
    QTest::newRow("u32 empty") << "u32" << "" << QByteArray::fromHex("00000000");
    QTest::newRow("i16 3000000000 does not fit") << "i16" << "3000000000" << QByteArray::fromHex("0000");
}

void TestFrame::encoders()
{
    QFETCH(QString, encoder);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QByteArray out;
    if (encoder == QLatin1String("u8"))
        out = encodeU8(text);
    else if (encoder == QLatin1String("u16"))
        out = encodeU16(text);
    else if (encoder == QLatin1String("i16"))
        out = encodeI16(text);
    else
        out = encodeU32(text);
    QCOMPARE(out.toHex(), bytes.toHex());
}

void TestFrame::versionText_data()
{
    QTest::addColumn<quint32>("word");
    QTest::addColumn<QString>("text");
    QTest::newRow("0x01040000") << 0x01040000u << "1.4.0";
    QTest::newRow("0x0104000A") << 0x0104000Au << "1.4.10";
    QTest::newRow("0x01040002") << 0x01040002u << "1.4.2";
    QTest::newRow("0xFFFFFFFF") << 0xFFFFFFFFu << "255.255.65535";
}

void TestFrame::versionText()
{
    QFETCH(quint32, word);
    QFETCH(QString, text);
    QCOMPARE(Link::versionText(word), text);
}

void TestFrame::fieldsNeverReadBeyondFrame()
{
    const QByteArray frame = QByteArray::fromHex("aa0802010400028601ab");
    QCOMPARE(readNumber(frame, 8, 2), 0x01ABu);
    QCOMPARE(readNumber(frame, 9, 2), 0u);
    QCOMPARE(readNumber(frame, 100, 4), 0u);
    QCOMPARE(readText(frame, 9, 16).size(), 1); // one byte left of a 16-byte field
    QCOMPARE(readText(QByteArray("ab\0cd", 5), 0, 5), QStringLiteral("ab"));
    QCOMPARE(readText(QByteArray("abcd"), 1, 2), QStringLiteral("bc"));
    QCOMPARE(readText(QByteArray("abcd"), 4, 2), QString());
    QCOMPARE(hardwareVersionText(frame), QStringLiteral("8.2"));
    QCOMPARE(hardwareVersionText(frame.left(2)), QString());
    QCOMPARE(firmwareWord(frame.left(6)), 0u);
    // Every command's decoder copes with frames cut short anywhere.
    for (int cmd : {1, 2, 4, 8, 9, 16, 32, 33, 64, 134, 136, 137}) {
        for (int n = 0; n <= 12; ++n)
            decodeResponse(frame.left(n), cmd);
    }
}

QTEST_MAIN(TestFrame)
#include "tst_frame.moc"
