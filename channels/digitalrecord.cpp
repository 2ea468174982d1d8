#include "channels/digitalrecord.h"

namespace DigitalRecord {

QStringList decodeSettings(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

QStringList decodeReadings(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

} // namespace DigitalRecord
