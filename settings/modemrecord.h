#pragma once

// Modem test and session data record (commands 136 and 137).

#include <QByteArray>
#include <QStringList>

namespace ModemRecord {

QStringList decodeSessionData(const QByteArray &resp);

} // namespace ModemRecord
