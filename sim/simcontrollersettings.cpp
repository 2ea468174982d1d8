#include "sim/simcontrollersettings.h"

SimAnswer SimControllerSettings::answer(quint8 cmd, const QByteArray &payload,
                                        const SimContext &context)
{
    Q_UNUSED(cmd);
    Q_UNUSED(payload);
    return {simZeroPayload(context.fwWord == 0x01040000 ? 179 : 211)};
}
