// Digital channel records on the wire: settings both ways, meter readings, short answers.

#include "protocol/channels/digitalrecord.h"
#include "protocol/frame/frame.h"

#include <QtTest>

namespace {

// A response frame as the controller sends it: start byte, hardware 8.1, firmware 1.4.2,
// command, payload, and the checksum 0xBB XOR every byte before it.
QByteArray responseFrame(quint8 cmd, const QByteArray &payload)
{
    QByteArray frame = QByteArray::fromHex("aa080101040002") + char(cmd) + payload;
    quint8 sum = 0xBB;
    for (char c : frame)
        sum ^= quint8(c);
    return frame + char(sum);
}

} // namespace

class TestDigitalRecord : public QObject
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

        QTest::newRow("ch3 electricity addr 42 kt 1 obj 7")
            << QStringList{"3", "8", "1", "42", "", "1", "7"}
            << QByteArray::fromHex("0308010000002a" "00000000000000000000" "010007")
            << QStringList{"8", "1", "42", "", "1", "7"};
        QTest::newRow("kv9999999 as 4274303995, ten-byte UTF-8 password")
            << QStringList{"31", "7", "5", "4274303995", QStringLiteral("1234пар"), "255", "9999"}
            << QByteArray::fromHex("1f0705fec4b3fb" "31323334d0bfd0b0d180" "ff270f")
            << QStringList{"7", "5", "4274303995", QStringLiteral("1234пар"), "255", "9999"};
        QTest::newRow("no numbers give 0, large values keep low bits")
            << QStringList{"-1", "300", "x", "4294967296", "", "257", "70000"}
            << QByteArray::fromHex("ff2c0000000000" "00000000000000000000" "011170")
            << QStringList{"44", "0", "0", "", "1", "4464"};
        QTest::newRow("short entry reads as empty")
            << QStringList{"2"} << QByteArray::fromHex("02000000000000" "00000000000000000000" "000000")
            << QStringList{"0", "0", "0", "", "0", "0"};
        QTest::newRow("6 Cyrillic letters (12 bytes) refused")
            << QStringList{"1", "8", "1", "1", QStringLiteral("пароль")} << QByteArray() << QStringList();
    }

    void settings()
    {
        QFETCH(QStringList, entry);
        QFETCH(QByteArray, payload);
        QFETCH(QStringList, readBack);
        QByteArray out("stale");
        QCOMPARE(DigitalRecord::encodeSettings(entry, out), !payload.isEmpty());
        QCOMPARE(out.toHex(), payload.toHex());
        if (payload.isEmpty())
            return;
        // Read (8) and write (32) both answer with the channel's settings.
        for (quint8 cmd : {quint8(8), quint8(32)}) {
            const QByteArray frame = responseFrame(cmd, char(0) + payload.mid(1));
            QCOMPARE(Link::check_response(frame, 0x01040002), 0);
            QCOMPARE(Link::decodeResponse(frame, cmd), readBack);
        }
    }

    void decodeReadings_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QStringList>("list");

        const QByteArray full = char(0) + QByteArray("40512377") + QByteArray(8, '\0')
            + QByteArray::fromHex("00000064" "00000000" "00000000" "00002710");
        // Whole answers go through the worker's own test. Of a short one, what lies beyond
        // the payload is absent and the checksum byte never becomes part of a field; a serial
        // number counts only when its whole 16-byte field arrived, as a cut one would pass
        // for the meter's own.
        QTest::newRow("reading 4 short by one byte")
            << responseFrame(2, full.left(32)) << QStringList{"40512377", "100", "0", "0", "0"};
        QTest::newRow("cut inside the serial's zero padding")
            << responseFrame(2, full.left(12)) << QStringList{"", "0", "0", "0", "0"};
        QTest::newRow("serial field whole, no readings")
            << responseFrame(2, full.left(17)) << QStringList{"40512377", "0", "0", "0", "0"};
    }

    void decodeReadings()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QStringList, list);
        QCOMPARE(Link::decodeResponse(frame, 2), list);
    }
};

QTEST_MAIN(TestDigitalRecord)
#include "tst_digitalrecord.moc"
