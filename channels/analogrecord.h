#pragma once

// Analog channel records: settings (commands 4 and 16) and readings (command 1).

#include <QByteArray>
#include <QStringList>

namespace AnalogRecord {

QStringList decodeSettings(const QByteArray &resp);
QStringList decodeReading(const QByteArray &resp);

} // namespace AnalogRecord
