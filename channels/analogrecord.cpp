#include "channels/analogrecord.h"

namespace AnalogRecord {

QStringList decodeSettings(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

QStringList decodeReading(const QByteArray &resp)
{
    Q_UNUSED(resp);
    return {};
}

} // namespace AnalogRecord
