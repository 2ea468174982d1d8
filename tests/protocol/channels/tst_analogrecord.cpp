// Analog channel records on the wire: the 33-byte settings payload both ways, the reading,
// and the device code mapping.

#include "protocol/channels/analogrecord.h"
#include "protocol/frame/frame.h"

#include <QtTest>

namespace {

// A response frame from a controller with hardware 8.2 and firmware 1.4.2 around `payload`;
// the checksum byte is left 00, since decoding does not look at it.
QByteArray response(quint8 cmd, const QByteArray &payload)
{
    return QByteArray::fromHex("aa080201040002") + char(cmd) + payload + '\0';
}

} // namespace

class TestAnalogRecord : public QObject
{
    Q_OBJECT

private slots:
    void settings_data()
    {
        // The entry written (channel first), its payload (empty: refused), and the list the
        // controller's answer with the same fields after the result byte reads back as.
        QTest::addColumn<QStringList>("entry");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QStringList>("readBack");

        // Offsets: 0 channel, 1 type, 2 input, 3..18 serial, 19 scale, 21 div, 23 LK, 25 ST,
        // 27 object, 29 reading.
        QTest::newRow("temperature LK -5.0 as FF CE, ST beyond 32 bits 0, decimal reading 0")
            << QStringList{"0", "5", "5", "12345", "1", "1", "-50", "3000000000", "12", "23.5"}
            << QByteArray::fromHex("000505" "3132333435" "0000000000000000000000"
                                   "0001" "0001" "ffce" "0000" "000c" "00000000")
            << QStringList{"5", "5", "12345", "1", "1", "65486", "0", "12", "0"};
        QTest::newRow("pressure LK 2.5 as 00 19, empty serial")
            << QStringList{"1", "14", "13", "", "10", "1", "25", "5", "0", "33"}
            << QByteArray::fromHex("010e0d" "00000000000000000000000000000000"
                                   "000a" "0001" "0019" "0005" "0000" "00000021")
            << QStringList{"14", "13", "", "10", "1", "25", "5", "0", "33"};
        QTest::newRow("meter negative threshold and 33-bit reading are no numbers, 0")
            << QStringList{"2", "1", "2", "", "65535", "1", "-5", "30", "1", "4294967296"}
            << QByteArray::fromHex("020102" "00000000000000000000000000000000"
                                   "ffff" "0001" "0000" "001e" "0001" "00000000")
            << QStringList{"1", "2", "", "65535", "1", "0", "30", "1", "0"};
        QTest::newRow("16-byte Cyrillic serial fills the field, no zero")
            << QStringList{"3", "3", "3", "ЖЖЖЖЖЖЖЖ", "1", "1", "0", "0", "0", "4294967295"}
            << QByteArray::fromHex("030303" "d096d096d096d096d096d096d096d096"
                                   "0001" "0001" "0000" "0000" "0000" "ffffffff")
            << QStringList{"3", "3", "ЖЖЖЖЖЖЖЖ", "1", "1", "0", "0", "0", "4294967295"};
        QTest::newRow("short entry: missing fields are 0")
            << QStringList{"4"}
            << QByteArray::fromHex("040000" "00000000000000000000000000000000"
                                   "0000" "0000" "0000" "0000" "0000" "00000000")
            << QStringList{"0", "0", "", "0", "0", "0", "0", "0", "0"};
        QTest::newRow("9 Cyrillic letters, 18 bytes, refused")
            << QStringList{"0", "1", "2", "ЖЖЖЖЖЖЖЖЖ", "1", "1", "0", "0", "0", "0"} << QByteArray() << QStringList();
        QTest::newRow("15 characters, one of them 3 bytes, refused")
            << QStringList{"0", "1", "2", "€2345678901234E", "1", "1", "0", "0", "0", "0"}
            << QByteArray() << QStringList();
    }

    void settings()
    {
        QFETCH(QStringList, entry);
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, readBack);
        QByteArray out("stale");
        QCOMPARE(AnalogRecord::serialFits(entry.value(3)), !payload.isEmpty());
        QCOMPARE(AnalogRecord::encodeSettings(entry, out), !payload.isEmpty());
        QCOMPARE(out.toHex(), payload.toHex());
        if (payload.isEmpty())
            return;
        // Read (4) and write (16) both answer with the channel's settings.
        for (quint8 cmd : {quint8(4), quint8(16)})
            QCOMPARE(Link::decodeResponse(response(cmd, char(0xFF) + payload.mid(1)), cmd), readBack);
    }

    void decodeReading()
    {
        // The result byte is not read; a sensor's negative reading arrives as its pattern.
        const QByteArray frame = response(1, QByteArray::fromHex("ffffffffc9"));
        for (quint8 cmd : {quint8(1), quint8(64)})
            QCOMPARE(Link::decodeResponse(frame, cmd), QStringList{"4294967241"});
    }

    void deviceCodes()
    {
        // Device list positions: off, cold, hot water, gas, heat Wh, heat kcal, electricity,
        // temperature, contact, pressure. Codes the list lacks, an absent channel among them,
        // show as off.
        const QList<int> codes{0, 1, 2, 3, 7, 13, 8, 5, 9, 14};
        for (int position = -1; position <= codes.size(); ++position)
            QCOMPARE(AnalogRecord::codeForPosition(position), codes.value(position, 0));
        for (int code = 0; code <= 255; ++code)
            QCOMPARE(AnalogRecord::positionForCode(code), qMax(0, int(codes.indexOf(code))));
    }
};

QTEST_MAIN(TestAnalogRecord)
#include "tst_analogrecord.moc"
