#pragma once

// Digital channel records: settings (commands 8 and 32) and meter readings (command 2).

#include <QByteArray>
#include <QStringList>

namespace DigitalRecord {

constexpr int kSettingsPayloadSize = 20;
constexpr int kReadingsPayloadSize = 33;
constexpr int kPasswordWidth = 10;
constexpr int kSerialWidth = 16;
constexpr int kReadingCount = 4;

// Settings list, as the worker hands it to the table (setRsSettings).
enum SettingsField {
    SetDeviceType,
    SetProtocol,
    SetAddress,
    SetPassword,
    SetKt,
    SetObject,
    SettingsFieldCount,
    // Optional, after the fields: the password field's bytes where its text cannot give them
    // back (Link::keptText).
    SetPasswordKept = SettingsFieldCount
};

// Readings list (setRsData): serial number, then the four readings.
enum ReadingsField { ReadSerial, ReadFirst, ReadingsFieldCount = ReadFirst + kReadingCount };

// Write list, one entry per channel that the dialog hands the worker with command 32.
enum WriteField {
    WriteChannel,
    WriteDeviceType,
    WriteProtocol,
    WriteAddress,
    WritePassword,
    WriteKt,
    WriteObject,
    WriteFieldCount,
    // Optional, as in the settings list.
    WritePasswordKept = WriteFieldCount
};

// Response frames of commands 8 and 32 into the settings list. The checksum byte is not
// part of the payload, and fields beyond the payload's end read as absent.
QStringList decodeSettings(const QByteArray &resp);
// Response frame of command 2 into the readings list; a short frame gives an empty serial
// number or 0 for the fields it lacks.
QStringList decodeReadings(const QByteArray &resp);

// The 20-byte payload of command 32 from a write entry. False, with `payload` empty, when
// the password's UTF-8 form does not fit its 10-byte field: it is never cut. Kept bytes that
// still read as the password are written as they came.
bool encodeSettings(const QStringList &entry, QByteArray &payload);

} // namespace DigitalRecord
