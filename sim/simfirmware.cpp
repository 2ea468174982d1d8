#include "sim/simfirmware.h"

namespace {

constexpr int kStartPayloadSize = 9;   // filler, size (4), CRC (4)
constexpr int kPartHeaderSize = 7;     // filler, index (2), CRC (4)
constexpr int kStoredCrcSize = 4;
constexpr int kMaxParts = 0x10000;
constexpr quint8 kDone = 0xFF;

quint32 bigEndian(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

quint32 littleEndian(const QByteArray &bytes, int offset)
{
    quint32 value = 0;
    for (int i = kStoredCrcSize - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

SimAnswer silence()
{
    return {{}, true};
}

SimAnswer done()
{
    return {QByteArray(1, char(kDone))};
}

} // namespace

quint32 SimFirmware::loaderCrc(const QByteArray &data)
{
    QByteArray stream;
    const int whole = int(data.size()) - int(data.size()) % 4;
    for (int i = 0; i < whole; i += 4) {
        for (int k = 3; k >= 0; --k)
            stream.append(data.at(i + k));
    }
    const int tail = int(data.size()) - whole;
    if (tail > 0) {
        for (int k = tail - 1; k >= 0; --k)
            stream.append(data.at(whole + k));
        stream.append(QByteArray(4 - tail, '\0'));
    }
    quint32 value = 0xFFFFFFFF;
    for (char byte : stream) {
        value ^= quint32(quint8(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 0x80000000u) ? (value << 1) ^ 0x04C11DB7u : value << 1;
    }
    return value;
}

void SimFirmware::failPart(int index, int times)
{
    partFailures[index] = times;
}

void SimFirmware::failFinish(bool fail)
{
    finishFails = fail;
}

SimAnswer SimFirmware::answer(quint8 cmd, const QByteArray &payload, const SimContext &context)
{
    Q_UNUSED(context);
    switch (cmd) {
    case 129: return start(payload);
    case 130: return part(payload);
    case 132: return finish();
    default: return silence();
    }
}

SimAnswer SimFirmware::start(const QByteArray &payload)
{
    if (payload.size() != kStartPayloadSize)
        return silence();
    const quint32 announced = bigEndian(payload, 1, 4);
    // The loader takes whole parts only, and numbers them in two bytes.
    if (announced == 0 || announced % kPartSize != 0 || announced / kPartSize > kMaxParts)
        return silence();
    started = true;
    accepted = false;
    size = announced;
    crc = bigEndian(payload, 5, 4);
    received = QByteArray(int(size), '\0');
    partsSeen.clear();
    badCrcs = 0;
    return done();
}

SimAnswer SimFirmware::part(const QByteArray &payload)
{
    if (!started || payload.size() != kPartHeaderSize + kPartSize)
        return silence();
    const int index = int(bigEndian(payload, 1, 2));
    if (qint64(index + 1) * kPartSize > qint64(size))
        return silence();
    const QByteArray data = payload.mid(kPartHeaderSize);
    // A part whose CRC does not match is dropped without a word; the sender tries again.
    if (loaderCrc(data) != bigEndian(payload, 3, 4)) {
        ++badCrcs;
        return silence();
    }
    received.replace(index * kPartSize, kPartSize, data);
    partsSeen.insert(index, true);
    auto failing = partFailures.find(index);
    if (failing != partFailures.end() && failing.value() > 0) {
        if (--failing.value() == 0)
            partFailures.erase(failing);
        return silence();
    }
    return done();
}

bool SimFirmware::imageComplete() const
{
    return started && qint64(partsSeen.size()) * kPartSize == qint64(size);
}

SimAnswer SimFirmware::finish()
{
    if (finishFails || !imageComplete())
        return silence();
    // The whole image is checked against the CRC the start announced and against the
    // CRC the image carries in its last four bytes.
    const int body = int(received.size()) - kStoredCrcSize;
    const quint32 computed = loaderCrc(received.left(body));
    if (computed != crc || computed != littleEndian(received, body))
        return silence();
    accepted = true;
    started = false;
    return done();
}
