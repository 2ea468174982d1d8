#include "settings/modemrecord.h"

namespace ModemRecord {

QStringList decodeSessionData(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

} // namespace ModemRecord
