// The loader's CRC and the records of the firmware update, without a port.

#include "firmware/crc32.h"
#include "firmware/firmwarerecord.h"
#include "link/frame.h"
#include "sim/simfirmware.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

const char kImageResource[] = ":/firmware/LUMARO_T3_APP_RELEASE_1.4.4.bin";

// Plain CRC-32/MPEG-2, bit by bit: the catalogue form the loader's CRC is defined against.
quint32 mpeg2(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFF;
    for (char byte : data) {
        crc ^= quint32(quint8(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

QByteArray counting(int size, int step = 1, int offset = 0)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((i * step + offset) & 0xFF);
    return out;
}

QByteArray bigEndian(quint32 value)
{
    return QByteArray::fromHex(QByteArray::number(value, 16).rightJustified(8, '0'));
}

} // namespace

class TestFirmwareRecord : public QObject
{
    Q_OBJECT

private slots:
    void crc32_data();
    void crc32();
    void fourByteGroupIsReversedMpeg2();
    void crc32UpdateContinues_data();
    void crc32UpdateContinues();
    void partCount_data();
    void partCount();
    void imageCrc_data();
    void imageCrc();
    void builtInImageCarriesItsCrc();
    void startPayload_data();
    void startPayload();
    void partPayload_data();
    void partPayload();
    void partBeyondImageIsEmpty();
};

void TestFirmwareRecord::crc32_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("abc") << QByteArray("abc") << quint32(0x61FACA29);
    QTest::newRow("empty keeps the start value") << QByteArray() << quint32(0xFFFFFFFF);
    QTest::newRow("one byte at the top of the word") << QByteArray("a") << quint32(0x20939168);
    QTest::newRow("two bytes at the top of the word") << QByteArray("ab") << quint32(0x0C023EA1);
    QTest::newRow("4321 is MPEG-2 of 1234") << QByteArray("4321") << quint32(0xA695C4AA);
    QTest::newRow("43218765 is MPEG-2 of 12345678") << QByteArray("43218765") << quint32(0x49E3C2FB);
    QTest::newRow("two words and a tail") << QByteArray("123456789") << quint32(0x61706427);
    QTest::newRow("256 counting bytes") << counting(256) << quint32(0xB7EC66F4);
    QTest::newRow("256 zero bytes") << QByteArray(256, '\0') << quint32(0xE55E964F);
}

void TestFirmwareRecord::crc32()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(Firmware::crc32(data), crc);
    QCOMPARE(Firmware::crc32(data.constData(), data.size()), crc);
}

void TestFirmwareRecord::fourByteGroupIsReversedMpeg2()
{
    // The reference itself against the catalogue check value of CRC-32/MPEG-2.
    QCOMPARE(mpeg2("123456789"), quint32(0x0376E6E7));
    QRandomGenerator random(0x1440);
    for (int n = 0; n < 200; ++n) {
        const quint32 value = random.generate();
        const QByteArray group = bigEndian(value);
        QByteArray swapped = group;
        std::reverse(swapped.begin(), swapped.end());
        QCOMPARE(Firmware::crc32(swapped), mpeg2(group));
    }
}

void TestFirmwareRecord::crc32UpdateContinues_data()
{
    QTest::addColumn<int>("split");
    QTest::newRow("nothing before") << 0;
    QTest::newRow("one word before") << 4;
    QTest::newRow("two words before, tail after") << 8;
    QTest::newRow("everything before") << 9;
}

void TestFirmwareRecord::crc32UpdateContinues()
{
    QFETCH(int, split);
    const QByteArray data("123456789");
    const quint32 first = Firmware::crc32(data.constData(), split);
    QCOMPARE(Firmware::crc32Update(data.constData() + split, data.size() - split, first),
             quint32(0x61706427));
}

void TestFirmwareRecord::partCount_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("parts");
    QTest::newRow("1.4.4 image, 416 parts") << qint64(106496) << 416;
    QTest::newRow("empty image") << qint64(0) << 0;
    QTest::newRow("less than a part") << qint64(255) << 0;
    QTest::newRow("one part") << qint64(256) << 1;
    QTest::newRow("one byte over") << qint64(106497) << 0;
    QTest::newRow("every index used") << qint64(0x10000) * 256 << 0x10000;
    QTest::newRow("one part more than an index numbers") << qint64(0x10001) * 256 << 0;
}

void TestFirmwareRecord::partCount()
{
    QFETCH(qint64, size);
    QFETCH(int, parts);
    QCOMPARE(FirmwareRecord::partCount(size), parts);
}

void TestFirmwareRecord::imageCrc_data()
{
    QTest::addColumn<QByteArray>("image");
    QTest::addColumn<quint32>("crc");
    // CRC over all 256 bytes, not 0xC96827AB over the first 252.
    QTest::newRow("single part counts whole") << counting(256) << quint32(0xB7EC66F4);
    QTest::newRow("two parts, stored CRC left out") << counting(512) << quint32(0x8BC4EF1D);
    QTest::newRow("not whole parts announces 0") << counting(300) << quint32(0);
    QTest::newRow("empty announces 0") << QByteArray() << quint32(0);
}

void TestFirmwareRecord::imageCrc()
{
    QFETCH(QByteArray, image);
    QFETCH(quint32, crc);
    QCOMPARE(FirmwareRecord::imageCrc(image), crc);
}

void TestFirmwareRecord::builtInImageCarriesItsCrc()
{
    QFile file(QString::fromLatin1(kImageResource));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    QCOMPARE(image.size(), 106496);
    QCOMPARE(FirmwareRecord::partCount(image.size()), 416);
    const QByteArray tail = image.right(4);
    const quint32 stored = quint32(quint8(tail[0])) | quint32(quint8(tail[1])) << 8
        | quint32(quint8(tail[2])) << 16 | quint32(quint8(tail[3])) << 24;
    QCOMPARE(FirmwareRecord::storedCrc(image), stored);
    // The stored CRC, the part-wise CRC of the upload and the loader's own computation
    // over the bytes before the stored CRC agree.
    QCOMPARE(FirmwareRecord::imageCrc(image), stored);
    QCOMPARE(SimFirmware::loaderCrc(image.left(image.size() - 4)), stored);
}

void TestFirmwareRecord::startPayload_data()
{
    QTest::addColumn<quint32>("size");
    QTest::addColumn<quint32>("crc");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("ff 0001a000 12345678")
        << quint32(106496) << quint32(0x12345678) << QByteArray::fromHex("ff0001a00012345678");
    QTest::newRow("ff ffffff00 00000000")
        << quint32(0xFFFFFF00) << quint32(0) << QByteArray::fromHex("ffffffff0000000000");
}

void TestFirmwareRecord::startPayload()
{
    QFETCH(quint32, size);
    QFETCH(quint32, crc);
    QFETCH(QByteArray, payload);
    const QByteArray built = FirmwareRecord::startPayload(size, crc);
    QCOMPARE(built.toHex(), payload.toHex());
    const QByteArray frame = Link::buildRequest(Link::CmdFirmwareStart, &built);
    QCOMPARE(frame.left(8).toHex(), QByteArray("aa00462500000081"));
    QCOMPARE(frame.size(), 18);
}

void TestFirmwareRecord::partPayload_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("header");
    QTest::newRow("part 0: ff 0000 b7ec66f4") << 0 << counting(256) << QByteArray::fromHex("ff0000b7ec66f4");
    QTest::newRow("part 415: ff 019f bdd96478")
        << 415 << counting(256, 7, 3) << QByteArray::fromHex("ff019fbdd96478");
    QTest::newRow("last index: ff ffff e55e964f")
        << 0xFFFF << QByteArray(256, '\0') << QByteArray::fromHex("ffffffe55e964f");
}

void TestFirmwareRecord::partPayload()
{
    QFETCH(int, index);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, header);
    const QByteArray payload =
        FirmwareRecord::partPayload(quint16(index), Firmware::crc32(data), data);
    QCOMPARE(payload.left(7).toHex(), header.toHex());
    QCOMPARE(payload.mid(7), data);
    const QByteArray frame = Link::buildRequest(Link::CmdFirmwarePart, &payload);
    QCOMPARE(frame.size(), 272);
    QCOMPARE(quint8(frame.at(7)), quint8(0x82));
}

void TestFirmwareRecord::partBeyondImageIsEmpty()
{
    const QByteArray image = counting(106496, 13, 5);
    QCOMPARE(FirmwareRecord::part(image, 415), image.mid(106240, 256));
    QVERIFY(FirmwareRecord::part(image, 416).isEmpty());
    QVERIFY(FirmwareRecord::part(image, -1).isEmpty());
    QVERIFY(FirmwareRecord::part(image.left(300), 1).isEmpty());
}

QTEST_MAIN(TestFirmwareRecord)
#include "tst_firmwarerecord.moc"
