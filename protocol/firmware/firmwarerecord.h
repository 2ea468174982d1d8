#pragma once

// Records of the firmware update: the image's part count and CRC, the start record
// (command 129) and the part record (command 130).

#include <QByteArray>
#include <QtGlobal>

namespace FirmwareRecord {

constexpr int kPartSize = 256;
// The image ends with its own CRC, little-endian, over every byte before it.
constexpr int kStoredCrcSize = 4;
constexpr quint8 kFiller = 0xFF;
// Part indexes travel in two bytes.
constexpr qint64 kMaxParts = 0x10000;
constexpr int kStartPayloadSize = 9;
constexpr int kPartHeaderSize = 7; // filler, index (2), part CRC (4)

// Parts of an image of `imageSize` bytes; 0 when the image cannot be sent (empty, not a
// whole number of parts, or more parts than an index can number).
int partCount(qint64 imageSize, int partSize = kPartSize);

// The CRC the start record announces: the parts chained in order, the last one without
// its stored CRC. The first part always counts whole, even when it is also the last.
// 0 when partCount() is 0.
quint32 imageCrc(const QByteArray &image, int partSize = kPartSize);

// The CRC stored in the image's last four bytes; 0 when the image is shorter than that.
quint32 storedCrc(const QByteArray &image);

// Bytes of part `index`; empty when the image does not hold the whole part.
QByteArray part(const QByteArray &image, int index, int partSize = kPartSize);

// 0xFF, image size and image CRC, both big-endian.
QByteArray startPayload(quint32 imageSize, quint32 imageCrc);

// 0xFF, part index and part CRC, both big-endian, then the part's bytes.
QByteArray partPayload(quint16 index, quint32 partCrc, const QByteArray &partData);

} // namespace FirmwareRecord
