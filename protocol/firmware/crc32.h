#pragma once

// CRC-32 of the controller's firmware loader: polynomial 0x04C11DB7, MSB first, start
// 0xFFFFFFFF, no reflection and no final XOR, fed with little-endian 32-bit words.

#include <QByteArray>
#include <QtGlobal>

namespace Firmware {

constexpr quint32 kCrcStart = 0xFFFFFFFF;

// The loader reads memory a word at a time, so the bytes of every group of four enter
// the register in reverse order; a short tail counts as a word with zeros at the bottom.
quint32 crc32Update(const char *data, qsizetype length, quint32 crc);
quint32 crc32(const char *data, qsizetype length);

inline quint32 crc32(const QByteArray &data)
{
    return crc32(data.constData(), data.size());
}

} // namespace Firmware
