#pragma once

// Rules of the digital channels without widgets: device type codes, the device/protocol
// matrix, the row check, the kv address form and the password field limit.

#include "protocol/channels/analogrecord.h"
#include "protocol/channels/digitalrecord.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace DigitalRules {

constexpr int kChannelCount = 32;
constexpr int kDeviceTypeCount = 6;
constexpr int kProtocolCount = 12;
// The controller reports this device type code for a channel it does not have.
constexpr int kMissingChannelCode = AnalogRecord::kAbsentChannel;
constexpr int kPasswordFieldBytes = DigitalRecord::kPasswordWidth;
// A КТ of 0 zeroes the readings, so the editor starts at 1; the field is one byte.
constexpr int kKtMin = 1;
constexpr int kKtMax = 255;

// kv addresses occupy every eighth 32-bit value from this base upwards.
constexpr quint32 kKvAddressBase = 4194304003u; // 0xFA000003
constexpr quint32 kKvAddressStep = 8;

// Untranslated labels; the table passes them through its own translation context.
extern const char *const kDeviceTypeLabels[kDeviceTypeCount];
extern const char *const kProtocolLabels[kProtocolCount];

// Result of checkChannel, in the numbering the write checks show messages for.
enum ChannelCheck { ChannelValid = 0, ChannelTypeMismatch = 1, ChannelBadAddress = 2 };

// Device list position to wire code; an unknown position gives 0 (off).
int codeForDevicePosition(int position);
// Wire code to device list position; a code the digital channels do not use gives 0.
int devicePositionForCode(int code);

// Whether the protocol item is enabled in the protocol list for a device list position.
bool isProtocolSelectable(int devicePosition, int protocol);
// Whether the controller accepts the protocol for a device type code (off accepts any).
bool isProtocolAllowed(int deviceCode, int protocol);

// Row check on the editors' values: device position, protocol position, address text.
int checkChannel(int devicePosition, int protocol, const QString &addressText);

// "kv" followed by n becomes the decimal text of 4194304003 + 8·n ("kv" alone is kv0);
// other text is returned as it is. A kv number too large for any 32-bit address, or a text
// after "kv" that is no number, is returned as typed, so the row check refuses it instead
// of it turning into some other address.
QString addressToNumber(const QString &text);
// A number on the kv grid becomes "kv" and its number; other text is returned as it is.
QString numberToAddress(const QString &text);
// The address text as a 32-bit number: digits only, no sign, at most 4294967295.
bool parseAddress(const QString &text, quint32 *value);

// The password travels in a 10-byte field; longer UTF-8 is refused, never cut. Bytes kept at
// the read that still read as the password fit.
bool passwordFits(const QString &password, const QString &kept = QString());
// Channel index (entry 0) of the first write entry whose password does not fit, or -1.
int firstOverlongPassword(const QList<QStringList> &entries);

// An empty serial number in a meter's readings is the controller's report that the meter kept
// silent; the readings are then shown as this text.
bool meterSilent(const QStringList &readings);
QString meterSilentText();

// The engineer numbers the digital channels after the board's analog ones, from 1: the number
// of digital channel `index`, and the index of the digital channel numbered `number`.
constexpr int displayNumber(int index, int analogCount)
{
    return index + analogCount + 1;
}
constexpr int indexForNumber(int number, int analogCount)
{
    return number - analogCount - 1;
}

} // namespace DigitalRules
