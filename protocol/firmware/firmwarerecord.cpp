#include "protocol/firmware/firmwarerecord.h"

#include "protocol/firmware/crc32.h"

namespace {

void appendBigEndian(QByteArray &out, quint32 value, int size)
{
    for (int shift = 8 * (size - 1); shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

} // namespace

namespace FirmwareRecord {

int partCount(qint64 imageSize, int partSize)
{
    if (partSize <= 0 || imageSize <= 0 || imageSize % partSize != 0)
        return 0;
    const qint64 parts = imageSize / partSize;
    return parts > kMaxParts ? 0 : int(parts);
}

quint32 imageCrc(const QByteArray &image, int partSize)
{
    const int parts = partCount(image.size(), partSize);
    if (parts == 0)
        return 0;
    const char *data = image.constData();
    // The loader checks the image as the parts arrive: the first part starts the CRC,
    // the others continue it, and the stored CRC at the very end is left out.
    quint32 crc = Firmware::crc32(data, partSize);
    for (int index = 1; index < parts; ++index) {
        const qsizetype length = index == parts - 1 ? partSize - kStoredCrcSize : partSize;
        crc = Firmware::crc32Update(data + qsizetype(index) * partSize, length, crc);
    }
    return crc;
}

quint32 storedCrc(const QByteArray &image)
{
    if (image.size() < kStoredCrcSize)
        return 0;
    const auto *tail = reinterpret_cast<const uchar *>(image.constData())
        + (image.size() - kStoredCrcSize);
    return quint32(tail[0]) | quint32(tail[1]) << 8 | quint32(tail[2]) << 16
        | quint32(tail[3]) << 24;
}

QByteArray part(const QByteArray &image, int index, int partSize)
{
    if (index < 0 || partSize <= 0)
        return QByteArray();
    const qint64 from = qint64(index) * partSize;
    if (from + partSize > image.size())
        return QByteArray();
    return image.mid(qsizetype(from), partSize);
}

QByteArray startPayload(quint32 imageSize, quint32 imageCrc)
{
    QByteArray out;
    out.reserve(kStartPayloadSize);
    out.append(char(kFiller));
    appendBigEndian(out, imageSize, 4);
    appendBigEndian(out, imageCrc, 4);
    return out;
}

QByteArray partPayload(quint16 index, quint32 partCrc, const QByteArray &partData)
{
    QByteArray out;
    out.reserve(kPartHeaderSize + partData.size());
    out.append(char(kFiller));
    appendBigEndian(out, index, 2);
    appendBigEndian(out, partCrc, 4);
    out.append(partData);
    return out;
}

} // namespace FirmwareRecord
