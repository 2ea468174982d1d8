#pragma once

// Analog channel records: settings (commands 4 and 16) and readings (command 1), the device
// and input codes, and the field lists that carry them between the worker and the table.

#include <QByteArray>
#include <QStringList>

namespace AnalogRecord {

constexpr int kChannelCount = 8;
constexpr int kSettingsPayloadSize = 33;
constexpr int kSerialFieldBytes = 16;
constexpr int kDevicePositions = 10;
constexpr int kInputTypes = 14;

// Device type codes the controller knows on its analog inputs.
constexpr int kDeviceOff = 0;
constexpr int kColdWater = 1;
constexpr int kHotWater = 2;
constexpr int kGas = 3;
constexpr int kTemperature = 5;
constexpr int kHeatWh = 7;
constexpr int kElectricity = 8;
constexpr int kContact = 9;
constexpr int kHeatKcal = 13;
constexpr int kPressure = 14;
// Answered for a channel the board does not have; never written.
constexpr int kAbsentChannel = 255;

constexpr int kInputUndefined = 0;
constexpr int kInputFastOpenCollector = 4;

// Settings list emitted with setComSettings.
enum SettingsField {
    SettingsType,
    SettingsInput,
    SettingsSerial,
    SettingsScale,
    SettingsDivider,
    SettingsLk,
    SettingsSt,
    SettingsObject,
    SettingsValue,
    SettingsFieldCount,
    // Optional, after the fields: the serial field's bytes where its text cannot give them
    // back (Link::keptText).
    SettingsSerialKept = SettingsFieldCount
};

// Entry of the write list handed to command 16.
enum WriteField {
    WriteChannel,
    WriteType,
    WriteInput,
    WriteSerial,
    WriteScale,
    WriteDivider,
    WriteLk,
    WriteSt,
    WriteObject,
    WriteValue,
    WriteFieldCount,
    // Optional, as in the settings list.
    WriteSerialKept = WriteFieldCount
};

// The table lists device types in an order of its own; the wire carries the code.
int codeForPosition(int position);
int positionForCode(int code);
// Water, gas, heat and electricity meters, which count pulses.
bool isMeterCode(int code);
// LK, ST and the reading are tenths of a unit for these device types.
bool isTenthsCode(int code);

// False when the serial number's UTF-8 form does not fit its field: it is never cut. Bytes kept
// at the read that still read as the serial fit.
bool serialFits(const QString &serial, const QString &kept = QString());

// One-byte request payload of commands 4 and 1.
QByteArray channelPayload(int index);
// Encodes a write list entry into the 33-byte payload of command 16. False, with `payload`
// cleared, when the serial number does not fit its field.
bool encodeSettings(const QStringList &entry, QByteArray &payload);

QStringList decodeSettings(const QByteArray &resp);
QStringList decodeReading(const QByteArray &resp);

} // namespace AnalogRecord
