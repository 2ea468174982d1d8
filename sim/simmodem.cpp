#include "sim/simmodem.h"

namespace {

constexpr int kImsiField = 32;

void appendNumber(QByteArray &out, quint32 value, int size)
{
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8)
        out.append(char((value >> shift) & 0xFF));
}

} // namespace

SimAnswer SimModem::answer(quint8 cmd, const QByteArray &payload, const SimContext &context)
{
    Q_UNUSED(payload);
    Q_UNUSED(context);
    if (cmd == 136) {
        ++testsStarted;
        sessionStarted = true;
        sessionFinished = false;
        pollsAnswered = 0;
        sessionClock.start();
        return {record(inProgress())};
    }
    const bool running = inProgress();
    if (running)
        ++pollsAnswered;
    return {record(running)};
}

bool SimModem::inProgress()
{
    if (!sessionStarted || sessionFinished)
        return false;
    const bool over = pollsInProgress >= 0 ? pollsAnswered >= pollsInProgress
                                           : sessionClock.elapsed() >= sessionTimeMs;
    if (over)
        sessionFinished = true;
    return !over;
}

QByteArray SimModem::record(bool running) const
{
    // The SIM card answers at once; signal and cell are known only once attached.
    const bool attached = sessionFinished && networkReachable;
    QByteArray out;
    out.append('\0'); // result byte
    out.append(char(running ? 1 : 0));
    const QByteArray imsiField = sessionStarted ? imsi.left(kImsiField) : QByteArray();
    out.append(imsiField);
    out.append(QByteArray(kImsiField - imsiField.size(), '\0'));
    appendNumber(out, attached ? quint16(rssi) : 0, 2);
    appendNumber(out, attached ? cellId : 0, 4);
    return out;
}
