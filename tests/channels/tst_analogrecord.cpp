// Analog channel records on the wire: the 33-byte settings payload both ways, the reading,
// and the device code mapping.

#include "channels/analogrecord.h"
#include "link/frame.h"

#include <QtTest>

namespace {

// A response frame from a controller with hardware 8.2 and firmware 1.4.2 around `payloadHex`;
// the checksum byte is left 00, since decoding does not look at it.
QByteArray response(quint8 cmd, const char *payloadHex)
{
    QByteArray frame = QByteArray::fromHex("aa08020104000200");
    frame[7] = char(cmd);
    return frame + QByteArray::fromHex(payloadHex) + '\0';
}

} // namespace

class TestAnalogRecord : public QObject
{
    Q_OBJECT

private slots:
    void encodeSettings_data();
    void encodeSettings();
    void decodeSettings_data();
    void decodeSettings();
    void decodeReading_data();
    void decodeReading();
    void deviceCodesRoundTrip();
};

void TestAnalogRecord::encodeSettings_data()
{
    QTest::addColumn<QStringList>("entry");
    QTest::addColumn<QByteArray>("payload"); // empty: refused, nothing to send

    // Offsets: 0 channel, 1 type, 2 input, 3..18 serial, 19 scale, 21 div, 23 LK, 25 ST,
    // 27 object, 29 reading.
    QTest::newRow("temperature LK -5.0 as FF CE, serial padded, decimal reading as 0")
        << QStringList{"0", "5", "5", "12345", "1", "1", "-50", "-100", "12", "23.5"}
        << QByteArray::fromHex("000505" "3132333435" "0000000000000000000000"
                               "0001" "0001" "ffce" "ff9c" "000c" "00000000");
    QTest::newRow("pressure LK 2.5 as 00 19")
        << QStringList{"1", "14", "13", "", "10", "1", "25", "5", "0", "33"}
        << QByteArray::fromHex("010e0d" "00000000000000000000000000000000"
                               "000a" "0001" "0019" "0005" "0000" "00000021");
    QTest::newRow("meter negative threshold and 33-bit reading are no numbers, 0")
        << QStringList{"2", "1", "2", "", "1", "1", "-5", "30", "1", "4294967296"}
        << QByteArray::fromHex("020102" "00000000000000000000000000000000"
                               "0001" "0001" "0000" "001e" "0001" "00000000");
    QTest::newRow("16-byte Cyrillic serial fills the field, no zero")
        << QStringList{"3", "3", "3", "ЖЖЖЖЖЖЖЖ", "1", "1", "0", "0", "0", "0"}
        << QByteArray::fromHex("030303" "d096d096d096d096d096d096d096d096"
                               "0001" "0001" "0000" "0000" "0000" "00000000");
    QTest::newRow("short entry: missing fields are 0")
        << QStringList{"4"}
        << QByteArray::fromHex("040000" "00000000000000000000000000000000"
                               "0000" "0000" "0000" "0000" "0000" "00000000");
    QTest::newRow("9 Cyrillic letters, 18 bytes, refused")
        << QStringList{"0", "1", "2", "ЖЖЖЖЖЖЖЖЖ", "1", "1", "0", "0", "0", "0"} << QByteArray();
    QTest::newRow("15 characters, one of them 3 bytes, refused")
        << QStringList{"0", "1", "2", "€2345678901234E", "1", "1", "0", "0", "0", "0"} << QByteArray();
}

void TestAnalogRecord::encodeSettings()
{
    QFETCH(QStringList, entry);
    QFETCH(QByteArray, payload);
    QByteArray out("stale");
    QCOMPARE(AnalogRecord::serialFits(entry.value(3)), !payload.isEmpty());
    QCOMPARE(AnalogRecord::encodeSettings(entry, out), !payload.isEmpty());
    QCOMPARE(out.toHex(), payload.toHex());
}

void TestAnalogRecord::decodeSettings_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("fields");

    QTest::newRow("temperature, LK 65486 unsigned, reading 0x64")
        << response(4, "00" "0505" "3132333435" "0000000000000000000000"
                       "0001" "0001" "ffce" "ff9c" "000c" "00000064")
        << QStringList{"5", "5", "12345", "1", "1", "65486", "65436", "12", "100"};
    QTest::newRow("write answer, all-zero serial decodes empty")
        << response(16, "ff" "0e0d" "00000000000000000000000000000000"
                        "000a" "0004" "0019" "0005" "ffff" "ffffffff")
        << QStringList{"14", "13", "", "10", "4", "25", "5", "65535", "4294967295"};
    QTest::newRow("full 16-byte serial stops at its field")
        << response(4, "00" "0101" "4142434445464748494a4b4c4d4e4f50"
                       "0001" "0001" "0000" "0000" "0000" "00000000")
        << QStringList{"1", "1", "ABCDEFGHIJKLMNOP", "1", "1", "0", "0", "0", "0"};
    QTest::newRow("truncated frame reads missing fields as 0")
        << QByteArray::fromHex("aa08020104000204" "00" "0203" "3132")
        << QStringList{"2", "3", "12", "0", "0", "0", "0", "0", "0"};
}

void TestAnalogRecord::decodeSettings()
{
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, fields);
    QCOMPARE(AnalogRecord::decodeSettings(frame), fields);
}

void TestAnalogRecord::decodeReading_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("0x00000064 is 100") << response(1, "0000000064") << QStringList{"100"};
    QTest::newRow("result byte is not read") << response(1, "ff00000001") << QStringList{"1"};
    QTest::newRow("-55 arrives unsigned") << response(1, "00ffffffc9") << QStringList{"4294967241"};
    QTest::newRow("header only") << QByteArray::fromHex("aa08020104000201") << QStringList{"0"};
}

void TestAnalogRecord::decodeReading()
{
    QFETCH(QByteArray, frame);
    QFETCH(QStringList, fields);
    QCOMPARE(AnalogRecord::decodeReading(frame), fields);
    QCOMPARE(Link::decodeResponse(frame, Link::CmdAnalogReading), fields);
}

void TestAnalogRecord::deviceCodesRoundTrip()
{
    // Every position of the device list maps to a code that leads back to it; codes the list
    // lacks (4: unused, 255: absent channel) show as "off".
    for (int position = 0; position <= 9; ++position)
        QCOMPARE(AnalogRecord::positionForCode(AnalogRecord::codeForPosition(position)), position);
    QCOMPARE(AnalogRecord::positionForCode(4), 0);
    QCOMPARE(AnalogRecord::positionForCode(255), 0);
}

QTEST_MAIN(TestAnalogRecord)
#include "tst_analogrecord.moc"
