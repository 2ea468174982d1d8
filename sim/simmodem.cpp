#include "sim/simmodem.h"

SimAnswer SimModem::answer(quint8 cmd, const QByteArray &payload, const SimContext &context)
{
    Q_UNUSED(cmd);
    Q_UNUSED(payload);
    Q_UNUSED(context);
    return {simZeroPayload(49)};
}
