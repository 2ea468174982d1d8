#pragma once

// The names under which lumaro-cli's documents carry each setting, with the record places
// they stand for. Scripts and files in the field depend on the names: they never change.

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/settings/controllerrecord.h"

#include <QString>

namespace FieldNames {

// How a value is written in a document and what a document may hold for it.
enum class Kind {
    Number, // a whole number from 0 to `max`
    Text,
    ServerIp,  // four octets, "a.b.c.d"
    Threshold, // LK or ST as the window shows them: degrees, bar, minutes or seconds
    Address,   // a meter address: up to ten digits, or "kv" and the kv number
};

struct Field {
    const char *key;
    int writeEntry; // place in the write list of the record's command
    int readEntry;  // place in the list the worker reports
    Kind kind;
    quint32 max;
};

constexpr quint32 kU8 = 0xFF;
constexpr quint32 kU16 = 0xFFFF;
constexpr quint32 kU32 = 0xFFFFFFFF;

namespace C = ControllerRecord;
inline constexpr Field kController[] = {
    {"logPeriodSeconds", C::WriteLogPeriod, C::LogPeriod, Kind::Number, kU32},
    {"sendPeriodSeconds", C::WriteSendPeriod, C::SendPeriod, Kind::Number, kU32},
    {"contactPollPeriodSeconds", C::WriteContactPollPeriod, C::ContactPollPeriod, Kind::Number,
     kU32},
    {"consumptionThreshold", C::WriteConsumptionThreshold, C::ConsumptionThreshold, Kind::Number,
     kU32},
    {"consumptionSendMode", C::WriteConsumptionSendMode, C::ConsumptionSendMode, Kind::Number, kU8},
    {"psm", C::WritePsm, C::Psm, Kind::Number, kU8},
    {"serverIp", C::WriteServerIp, C::ServerIp, Kind::ServerIp, 0},
    {"serverPort", C::WriteServerPort, C::ServerPort, Kind::Number, kU16},
    {"apiGet", C::WriteApiGet, C::ApiGet, Kind::Text, 0},
    {"apiSave", C::WriteApiSave, C::ApiSave, Kind::Text, 0},
};

inline constexpr char kHardwareVersion[] = "hardwareVersion";

// Identification and state, read with the settings and never written.
inline constexpr Field kControllerInfo[] = {
    {"serialNumber", -1, C::SerialNumber, Kind::Text, 0},
    {kHardwareVersion, -1, C::HardwareVersion, Kind::Text, 0},
    {"firmwareVersion", -1, C::FirmwareText, Kind::Text, 0},
    {"infoText", -1, C::InfoText, Kind::Text, 0},
    {"imei", -1, C::Imei, Kind::Text, 0},
    {"powerSource", -1, C::PowerSource, Kind::Number, kU8},
    {"batteryMillivolts", -1, C::BatteryVoltage, Kind::Number, kU16},
    {"lidOpen", -1, C::LidOpen, Kind::Number, kU8},
};

namespace A = AnalogRecord;
inline constexpr Field kAnalog[] = {
    {"deviceCode", A::WriteType, A::SettingsType, Kind::Number, kU8},
    {"input", A::WriteInput, A::SettingsInput, Kind::Number, kU8},
    {"serial", A::WriteSerial, A::SettingsSerial, Kind::Text, 0},
    {"multiplier", A::WriteScale, A::SettingsScale, Kind::Number, kU16},
    {"divider", A::WriteDivider, A::SettingsDivider, Kind::Number, kU16},
    {"lk", A::WriteLk, A::SettingsLk, Kind::Threshold, 0},
    {"st", A::WriteSt, A::SettingsSt, Kind::Threshold, 0},
    {"object", A::WriteObject, A::SettingsObject, Kind::Number, kU16},
};

namespace D = DigitalRecord;
inline constexpr Field kDigital[] = {
    {"deviceCode", D::WriteDeviceType, D::SetDeviceType, Kind::Number, kU8},
    {"protocol", D::WriteProtocol, D::SetProtocol, Kind::Number, kU8},
    {"address", D::WriteAddress, D::SetAddress, Kind::Address, 0},
    {"password", D::WritePassword, D::SetPassword, Kind::Text, 0},
    {"kt", D::WriteKt, D::SetKt, Kind::Number, kU8},
    {"object", D::WriteObject, D::SetObject, Kind::Number, kU16},
};

// Keys of the documents beside the fields.
inline constexpr char kFormat[] = "format";
inline constexpr char kAnalogChannelCount[] = "analogChannelCount";
inline constexpr char kControllerSection[] = "controller";
inline constexpr char kAnalogSection[] = "analog";
inline constexpr char kDigitalSection[] = "digital";
inline constexpr char kChannel[] = "channel";
inline constexpr char kReading[] =
    "reading"; // read-only: the counter stays as the controller keeps it

// A value from a file in the form the write list takes; false when the field cannot hold it.
// Addresses become their decimal number, server addresses lose leading zeros.
bool normalize(const Field &field, const QString &text, QString *value);
// Why normalize() refused: the field's key and what it takes.
QString refusalText(const Field &field, const QString &place);

} // namespace FieldNames
