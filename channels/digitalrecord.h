#pragma once

// Digital channel records: settings (commands 8 and 32) and meter readings (command 2).

#include <QByteArray>
#include <QStringList>

namespace DigitalRecord {

QStringList decodeSettings(const QByteArray &resp);
QStringList decodeReadings(const QByteArray &resp);

} // namespace DigitalRecord
