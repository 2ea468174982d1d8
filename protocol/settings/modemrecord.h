#pragma once

// Modem test and session data record (commands 136 and 137).

#include <QByteArray>
#include <QStringList>

namespace ModemRecord {

constexpr int kFrameSize = 49;

// Positions in the modem list that the worker emits with setBC68Data.
enum Entry { SessionRunning, Imsi, Rssi, CellId, EntryCount };

QStringList decodeSessionData(const QByteArray &resp);

} // namespace ModemRecord
