#include "sim/simanalog.h"

#include <cmath>

namespace {

constexpr quint8 kReadReading = 1;
constexpr quint8 kReadSettings = 4;
constexpr quint8 kWriteSettings = 16;
constexpr int kRecordSize = 33;
constexpr int kSerialBytes = 16;

void appendNumber(QByteArray &out, quint32 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

quint32 takeNumber(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes.at(offset + i));
    return value;
}

SimAnalogChannel channel(quint8 type, quint8 input, const char *serial, quint16 lk, quint16 st,
                         quint16 object, quint32 value)
{
    SimAnalogChannel c;
    c.type = type;
    c.input = input;
    c.serial = QByteArray(serial);
    c.lk = lk;
    c.st = st;
    c.object = object;
    c.value = value;
    return c;
}

} // namespace

SimAnalogChannels::SimAnalogChannels()
{
    channels[0] = channel(1, 2, "12345", 30, 60, 1, 100);      // cold water, reed switch
    channels[1] = channel(5, 5, "T-01", 235, 65486, 2, 215);   // temperature 23.5 / -5.0
    channels[2] = channel(9, 11, "", 10, 0, 3, 0);             // dry contact
    channels[3] = SimAnalogChannel();                          // off
    channels[4] = channel(3, 3, "GAS-7", 0, 0, 5, 4200);       // gas, open collector
    channels[5] = channel(14, 13, "P-2", 60, 5, 6, 33);        // pressure 6.0 / 0.5 bar
    channels[6] = SimAnalogChannel();                          // off
    channels[7] = channel(2, 1, "HW8", 0, 0, 8, 7);            // hot water, Namur
}

int SimAnalogChannels::presentChannels(const SimContext &context)
{
    const bool fourInputs = context.hwMajor == 8 && (context.hwMinor == 2 || context.hwMinor == 3);
    return fourInputs ? 4 : kChannels;
}

QByteArray SimAnalogChannels::record(int index, const SimContext &context) const
{
    QByteArray out;
    out.append('\0'); // result byte
    if (index >= presentChannels(context)) {
        out.append(char(kAbsentType));
        out.append(QByteArray(kRecordSize - 2, '\0'));
        return out;
    }
    const SimAnalogChannel &c = channels[index];
    appendNumber(out, c.type, 1);
    appendNumber(out, c.input, 1);
    const QByteArray serial = c.serial.left(kSerialBytes);
    out.append(serial);
    out.append(QByteArray(kSerialBytes - serial.size(), '\0'));
    appendNumber(out, c.scale, 2);
    appendNumber(out, c.divider, 2);
    appendNumber(out, c.lk, 2);
    appendNumber(out, c.st, 2);
    appendNumber(out, c.object, 2);
    appendNumber(out, c.value, 4);
    return out;
}

void SimAnalogChannels::store(int index, const QByteArray &payload)
{
    SimAnalogChannel &c = channels[index];
    c.type = quint8(payload.at(1));
    c.input = quint8(payload.at(2));
    // The field is kept as sent, bytes after a zero among them; only the padding goes.
    QByteArray serial = payload.mid(3, kSerialBytes);
    while (serial.endsWith('\0'))
        serial.chop(1);
    c.serial = serial;
    c.scale = quint16(takeNumber(payload, 19, 2));
    c.divider = quint16(takeNumber(payload, 21, 2));
    c.lk = quint16(takeNumber(payload, 23, 2));
    c.st = quint16(takeNumber(payload, 25, 2));
    c.object = quint16(takeNumber(payload, 27, 2));
    const quint32 counted = c.value;
    c.value = takeNumber(payload, 29, 4);
    pulsesSetBack[index] = counted > c.value ? counted - c.value : 0;
    ++storedWrites;
}

void SimAnalogChannels::setPulseRate(int index, double pulsesPerSecond)
{
    countPulses();
    pulseRate.at(index) = pulsesPerSecond;
}

void SimAnalogChannels::countPulses()
{
    const Clock::time_point now = Clock::now();
    const double seconds = std::chrono::duration<double>(now - countedUntil).count();
    countedUntil = now;
    for (int i = 0; i < kChannels; ++i) {
        pulseFraction[i] += pulseRate[i] * seconds;
        const double whole = std::floor(pulseFraction[i]);
        channels[i].value += quint32(whole);
        pulseFraction[i] -= whole;
    }
}

void SimAnalogChannels::passTime(int ms)
{
    countPulses();
    countedUntil -= std::chrono::milliseconds(ms);
    countPulses();
}

SimAnswer SimAnalogChannels::answer(quint8 cmd, const QByteArray &payload,
                                    const SimContext &context)
{
    countPulses();
    const int expected = cmd == kWriteSettings ? kRecordSize : 1;
    if (payload.size() != expected)
        return {{}, true};
    const int index = quint8(payload.at(0));
    if (index >= kChannels || index == silentChannel)
        return {{}, true};
    switch (cmd) {
    case kReadSettings:
        return {record(index, context)};
    case kWriteSettings:
        // A channel the board lacks stores nothing and still reads as absent.
        if (index < presentChannels(context))
            store(index, payload);
        return {record(index, context)};
    case kReadReading: {
        QByteArray out(1, '\0');
        const bool present = index < presentChannels(context);
        appendNumber(out, present ? channels[index].value : 0, 4);
        if (present)
            channels[index].value += readingStep;
        return {out};
    }
    default:
        return {{}, true};
    }
}
