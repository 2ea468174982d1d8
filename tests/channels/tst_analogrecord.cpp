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
    QByteArray frame = QByteArray::fromHex("aa0802010400020000");
    frame[7] = char(cmd);
    frame.chop(1);
    frame.append(QByteArray::fromHex(payloadHex));
    frame.append('\0');
    return frame;
}

QStringList entry(const char *channel, const char *type, const char *input, const QString &serial,
                  const char *scale, const char *divider, const char *lk, const char *st,
                  const char *object, const char *value)
{
    return {QLatin1String(channel), QLatin1String(type), QLatin1String(input), serial,
            QLatin1String(scale), QLatin1String(divider), QLatin1String(lk), QLatin1String(st),
            QLatin1String(object), QLatin1String(value)};
}

} // namespace

class TestAnalogRecord : public QObject
{
    Q_OBJECT

private slots:
    void encodeSettings_data();
    void encodeSettings();
    void overlongSerialIsRefused_data();
    void overlongSerialIsRefused();
    void decodeSettings_data();
    void decodeSettings();
    void decodeReading_data();
    void decodeReading();
    void deviceCodes();
};

void TestAnalogRecord::encodeSettings_data()
{
    QTest::addColumn<QStringList>("entry");
    QTest::addColumn<QByteArray>("payload");

    // Offsets: 0 channel, 1 type, 2 input, 3..18 serial, 19 scale, 21 div, 23 LK, 25 ST,
    // 27 object, 29 reading.
    QTest::newRow("temperature LK -5.0 as FF CE, ST -10.0 as FF 9C")
        << entry("0", "5", "5", QStringLiteral("12345"), "1", "1", "-50", "-100", "12", "0")
        << QByteArray::fromHex("000505" "3132333435" "0000000000000000000000"
                               "0001" "0001" "ffce" "ff9c" "000c" "00000000");
    QTest::newRow("pressure LK 2.5 as 00 19")
        << entry("1", "14", "13", QString(), "10", "1", "25", "5", "0", "33")
        << QByteArray::fromHex("010e0d" "00000000000000000000000000000000"
                               "000a" "0001" "0019" "0005" "0000" "00000021");
    QTest::newRow("meter negative threshold is no unsigned number, 0")
        << entry("2", "1", "2", QString(), "1", "1", "-5", "30", "1", "100")
        << QByteArray::fromHex("020102" "00000000000000000000000000000000"
                               "0001" "0001" "0000" "001e" "0001" "00000064");
    QTest::newRow("sensor reading with a decimal point is sent as 0")
        << entry("1", "5", "6", QString(), "1", "1", "235", "0", "0", "23.5")
        << QByteArray::fromHex("010506" "00000000000000000000000000000000"
                               "0001" "0001" "00eb" "0000" "0000" "00000000");
    QTest::newRow("low bits only: channel -1, object 70000, reading 4294967295")
        << entry("-1", "257", "x", QString(), "65537", "1", "0", "0", "70000", "4294967295")
        << QByteArray::fromHex("ff0100" "00000000000000000000000000000000"
                               "0001" "0001" "0000" "0000" "1170" "ffffffff");
    QTest::newRow("reading above 32 bits is no number, 0")
        << entry("7", "2", "1", QString(), "1", "1", "0", "0", "0", "4294967296")
        << QByteArray::fromHex("070201" "00000000000000000000000000000000"
                               "0001" "0001" "0000" "0000" "0000" "00000000");
    QTest::newRow("16-byte Cyrillic serial fills the field, no zero")
        << entry("3", "3", "3", QStringLiteral("ЖЖЖЖЖЖЖЖ"), "1", "1", "0", "0", "0", "0")
        << QByteArray::fromHex("030303" "d096d096d096d096d096d096d096d096"
                               "0001" "0001" "0000" "0000" "0000" "00000000");
    QTest::newRow("short entry: missing fields are 0")
        << QStringList{QStringLiteral("4")}
        << QByteArray::fromHex("040000" "00000000000000000000000000000000"
                               "0000" "0000" "0000" "0000" "0000" "00000000");
}

void TestAnalogRecord::encodeSettings()
{
    QFETCH(QStringList, entry);
    QFETCH(QByteArray, payload);
    QByteArray out;
    QVERIFY(AnalogRecord::encodeSettings(entry, out));
    QCOMPARE(out.size(), AnalogRecord::kSettingsPayloadSize);
    QCOMPARE(out.toHex(), payload.toHex());
}

void TestAnalogRecord::overlongSerialIsRefused_data()
{
    QTest::addColumn<QString>("serial");
    QTest::newRow("9 Cyrillic letters, 18 bytes") << QStringLiteral("ЖЖЖЖЖЖЖЖЖ");
    QTest::newRow("17 ASCII characters") << QStringLiteral("12345678901234567");
    QTest::newRow("15 characters, one of them 3 bytes") << QStringLiteral("€2345678901234E");
}

void TestAnalogRecord::overlongSerialIsRefused()
{
    QFETCH(QString, serial);
    QVERIFY(!AnalogRecord::serialFits(serial));
    QByteArray out("stale");
    QVERIFY(!AnalogRecord::encodeSettings(
        entry("0", "1", "2", serial, "1", "1", "0", "0", "0", "0"), out));
    QVERIFY(out.isEmpty());
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
    QTest::newRow("absent channel")
        << response(4, "00" "ff00" "00000000000000000000000000000000"
                       "0000" "0000" "0000" "0000" "0000" "00000000")
        << QStringList{"255", "0", "", "0", "0", "0", "0", "0", "0"};
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

void TestAnalogRecord::deviceCodes()
{
    // Wire code of each position of the device list, then positions of codes 0 to 15.
    QList<int> codes;
    for (int position = -1; position <= 10; ++position)
        codes.append(AnalogRecord::codeForPosition(position));
    QCOMPARE(codes, (QList<int>{0, 0, 1, 2, 3, 7, 13, 8, 5, 9, 14, 0}));
    QList<int> positions;
    for (int code = 0; code <= 15; ++code)
        positions.append(AnalogRecord::positionForCode(code));
    QCOMPARE(positions, (QList<int>{0, 1, 2, 3, 0, 7, 0, 4, 6, 8, 0, 0, 0, 5, 9, 0}));
    QCOMPARE(AnalogRecord::positionForCode(255), 0);

    QList<int> meters;
    for (int code = -1; code <= 255; ++code) {
        if (AnalogRecord::isMeterCode(code))
            meters.append(code);
    }
    QCOMPARE(meters, (QList<int>{1, 2, 3, 7, 8, 13}));
}

QTEST_MAIN(TestAnalogRecord)
#include "tst_analogrecord.moc"
