#include "sim/simdigital.h"

SimAnswer SimDigitalChannels::answer(quint8 cmd, const QByteArray &payload,
                                     const SimContext &context)
{
    Q_UNUSED(payload);
    Q_UNUSED(context);
    return {simZeroPayload(cmd == 2 ? 42 : 29)};
}
