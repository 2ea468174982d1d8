#include "sim/simanalog.h"

SimAnswer SimAnalogChannels::answer(quint8 cmd, const QByteArray &payload,
                                    const SimContext &context)
{
    Q_UNUSED(payload);
    Q_UNUSED(context);
    return {simZeroPayload(cmd == 1 ? 14 : 42)};
}
