#include "protocol/firmware/crc32.h"

#include <array>

namespace {

constexpr quint32 kPolynomial = 0x04C11DB7;
constexpr int kWordBytes = 4;

constexpr std::array<quint32, 256> makeTable()
{
    std::array<quint32, 256> table {};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 value = i << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ kPolynomial : value << 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<quint32, 256> kTable = makeTable();

quint32 feedWord(quint32 crc, quint32 word)
{
    crc ^= word;
    for (int step = 0; step < kWordBytes; ++step)
        crc = (crc << 8) ^ kTable[crc >> 24];
    return crc;
}

} // namespace

namespace Firmware {

quint32 crc32Update(const char *data, qsizetype length, quint32 crc)
{
    if (!data || length <= 0)
        return crc;
    const auto *bytes = reinterpret_cast<const uchar *>(data);
    const qsizetype whole = length - length % kWordBytes;
    for (qsizetype i = 0; i < whole; i += kWordBytes) {
        const quint32 word = quint32(bytes[i]) | quint32(bytes[i + 1]) << 8
            | quint32(bytes[i + 2]) << 16 | quint32(bytes[i + 3]) << 24;
        crc = feedWord(crc, word);
    }
    const qsizetype tail = length - whole;
    if (tail > 0) {
        // One byte lands in the top byte of the word, two in the top two, three in the top
        // three: the loader pads the last word with zeros below the data.
        quint32 word = 0;
        for (qsizetype k = 0; k < tail; ++k)
            word |= quint32(bytes[whole + k]) << (8 * (kWordBytes - tail + k));
        crc = feedWord(crc, word);
    }
    return crc;
}

quint32 crc32(const char *data, qsizetype length)
{
    return crc32Update(data, length, kCrcStart);
}

} // namespace Firmware
