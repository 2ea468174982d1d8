// The loader's CRC against a bit-by-bit reference; the image CRC and the records are
// judged by the simulated loader and the upload's own test.

#include "protocol/firmware/crc32.h"
#include "protocol/firmware/firmwarerecord.h"

#include <QtTest>

#include <algorithm>

namespace {

// The loader's CRC from its catalogue form: CRC-32/MPEG-2, bit by bit, over the data with
// every four-byte group reversed and a short tail reversed and padded with zeros.
quint32 reference(const QByteArray &data, bool wordwise = true)
{
    QByteArray stream;
    for (int i = 0; wordwise && i < data.size(); i += 4) {
        QByteArray group = data.mid(i, 4);
        std::reverse(group.begin(), group.end());
        stream += group.leftJustified(4, '\0');
    }
    quint32 crc = 0xFFFFFFFF;
    for (char byte : wordwise ? stream : data) {
        crc ^= quint32(quint8(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    }
    return crc;
}

QByteArray counting(int size)
{
    QByteArray out(size, '\0');
    for (int i = 0; i < size; ++i)
        out[i] = char((i * 13 + 5) & 0xFF);
    return out;
}

} // namespace

class TestFirmwareRecord : public QObject
{
    Q_OBJECT

private slots:
    void knownValues()
    {
        QCOMPARE(reference("123456789", false), quint32(0x0376E6E7)); // CRC-32/MPEG-2 check value
        QCOMPARE(Firmware::crc32(QByteArray("abc")), quint32(0x61FACA29));
        // The part index has 16 bits.
        QCOMPARE(FirmwareRecord::partCount(qint64(0x10000) * 256), 0x10000);
        QCOMPARE(FirmwareRecord::partCount(qint64(0x10001) * 256), 0);
        // An image of no whole parts announces 0; the image CRC of whole ones is the
        // simulated loader's to judge.
        QCOMPARE(FirmwareRecord::imageCrc(counting(300)), 0u);
    }

    void crc32_data()
    {
        QTest::addColumn<QByteArray>("data");
        for (int size : {0, 1, 2, 3, 4, 7, 9, 256})
            QTest::addRow("%d bytes", size) << counting(size);
    }

    void crc32()
    {
        QFETCH(QByteArray, data);
        const quint32 crc = reference(data);
        QCOMPARE(Firmware::crc32(data), crc);
        // Continued after the whole words of the first half, the result is the same.
        const int split = int(data.size() / 2) & ~3;
        QCOMPARE(Firmware::crc32Update(data.constData() + split, data.size() - split,
                                       Firmware::crc32(data.constData(), split)),
                 crc);
    }
};

QTEST_MAIN(TestFirmwareRecord)
#include "tst_firmwarerecord.moc"
