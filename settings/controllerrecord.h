#pragma once

// Controller settings record (commands 9 and 33): response decoding and write payload.

#include <QByteArray>
#include <QStringList>

namespace ControllerRecord {

QStringList decodeSettings(const QByteArray &resp);

} // namespace ControllerRecord
