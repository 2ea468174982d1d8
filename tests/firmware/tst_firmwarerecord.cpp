// The loader's CRC and the cutting of an image into parts, without a port; the records
// themselves are checked byte for byte on the upload's own test.

#include "firmware/crc32.h"
#include "firmware/firmwarerecord.h"
#include "sim/simfirmware.h"

#include <QRandomGenerator>
#include <QtEndian>
#include <QtTest>

namespace {

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

} // namespace

class TestFirmwareRecord : public QObject
{
    Q_OBJECT

private slots:
    void crc32_data();
    void crc32();
    void fourByteGroupIsReversedMpeg2();
    void partCount_data();
    void partCount();
    void imageCrc_data();
    void imageCrc();
    void builtInImageCarriesItsCrc();
    void partBeyondImageIsEmpty();
};

void TestFirmwareRecord::crc32_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<quint32>("crc");
    QTest::newRow("abc") << QByteArray("abc") << quint32(0x61FACA29);
    QTest::newRow("empty keeps the start value") << QByteArray() << quint32(0xFFFFFFFF);
    QTest::newRow("one byte at the top of the word") << QByteArray("a") << quint32(0x20939168);
    QTest::newRow("4321 is MPEG-2 of 1234") << QByteArray("4321") << quint32(0xA695C4AA);
    QTest::newRow("two words and a tail") << QByteArray("123456789") << quint32(0x61706427);
    QTest::newRow("256 counting bytes") << counting(256) << quint32(0xB7EC66F4);
}

void TestFirmwareRecord::crc32()
{
    QFETCH(QByteArray, data);
    QFETCH(quint32, crc);
    QCOMPARE(Firmware::crc32(data), crc);
    // Continued after the whole words of the first half, the result is the same.
    const int split = int(data.size() / 2) & ~3;
    QCOMPARE(Firmware::crc32Update(data.constData() + split, data.size() - split,
                                   Firmware::crc32(data.constData(), split)),
             crc);
}

void TestFirmwareRecord::fourByteGroupIsReversedMpeg2()
{
    // The reference itself against the catalogue check value of CRC-32/MPEG-2.
    QCOMPARE(mpeg2("123456789"), quint32(0x0376E6E7));
    QRandomGenerator random(0x1440);
    for (int n = 0; n < 200; ++n) {
        const quint32 value = qToBigEndian(random.generate());
        QByteArray group(reinterpret_cast<const char *>(&value), 4);
        const quint32 expected = mpeg2(group);
        std::reverse(group.begin(), group.end());
        QCOMPARE(Firmware::crc32(group), expected);
    }
}

void TestFirmwareRecord::partCount_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<int>("parts");
    QTest::newRow("1.4.4 image, 416 parts") << qint64(106496) << 416;
    QTest::newRow("less than a part") << qint64(255) << 0;
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
}

void TestFirmwareRecord::imageCrc()
{
    QFETCH(QByteArray, image);
    QFETCH(quint32, crc);
    QCOMPARE(FirmwareRecord::imageCrc(image), crc);
}

void TestFirmwareRecord::builtInImageCarriesItsCrc()
{
    QFile file(QStringLiteral(":/firmware/LUMARO_T3_APP_RELEASE_1.4.4.bin"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray image = file.readAll();
    QCOMPARE(image.size(), 106496);
    const quint32 stored = qFromLittleEndian<quint32>(image.constData() + image.size() - 4);
    QCOMPARE(FirmwareRecord::storedCrc(image), stored);
    // The stored CRC, the part-wise CRC of the upload and the loader's own computation
    // over the bytes before the stored CRC agree.
    QCOMPARE(FirmwareRecord::imageCrc(image), stored);
    QCOMPARE(SimFirmware::loaderCrc(image.left(image.size() - 4)), stored);
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
