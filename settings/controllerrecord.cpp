#include "settings/controllerrecord.h"

namespace ControllerRecord {

QStringList decodeSettings(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

} // namespace ControllerRecord
