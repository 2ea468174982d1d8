#pragma once

// Controller settings record (commands 9 and 33): response decoding and write payload.

#include <QByteArray>
#include <QStringList>

#include <limits>

namespace ControllerRecord {

// Whole response frames of commands 9 and 33; firmware 1.4.0 has no firmware text field.
constexpr int kFrameSize = 211;
constexpr int kFrameSize140 = 179;
// Both request paths are fixed 32-byte fields on the wire, zero-padded.
constexpr int kPathFieldBytes = 32;
constexpr int kServerIpParts = 4;
// 0xFF filler, four periods (4 bytes each), two flags, address (4), port (2), two paths.
constexpr int kWritePayloadSize = 1 + 4 * 4 + 2 + 4 + 2 + 2 * kPathFieldBytes;

// The controller keeps the contact poll period and the consumption threshold as 32-bit
// numbers; the editors reach half of that, and a larger value read stays as it is until the
// engineer changes it.
constexpr int kContactPollPeriodMax = std::numeric_limits<int>::max();
constexpr int kConsumptionThresholdMax = std::numeric_limits<int>::max();

// Positions in the controller settings list that the worker emits with setCpuSet.
enum Entry {
    LogPeriod,
    SendPeriod,
    ContactPollPeriod,
    ConsumptionThreshold,
    SerialNumber,
    HardwareVersion,
    FirmwareText,
    InfoText,
    Imei,
    PowerSource,
    BatteryVoltage,
    LidOpen,
    ConsumptionSendMode,
    Psm,
    ServerIp,
    ServerPort,
    ApiGet,
    ApiSave,
    EntryCount,
    // Optional, after the entries: each path field's bytes where its text cannot give them
    // back (Link::keptText); both or neither are there.
    ApiGetKept = EntryCount,
    ApiSaveKept
};

// Positions in the write list that the controller tab builds for command 33.
enum WriteEntry {
    WriteLogPeriod,
    WriteSendPeriod,
    WriteContactPollPeriod,
    WriteConsumptionThreshold,
    WriteConsumptionSendMode,
    WritePsm,
    WriteServerIp,
    WriteServerPort,
    WriteApiGet,
    WriteApiSave,
    WriteEntryCount,
    // Optional, as in the settings list.
    WriteApiGetKept = WriteEntryCount,
    WriteApiSaveKept
};

enum class WriteProblem { None, ServerIp, PathTooLong };

// Decodes a response of command 9 or 33; firmware 1.4.0 (fwWord) has the short layout
// and takes its firmware text from the frame header.
QStringList decodeSettings(const QByteArray &resp, quint32 fwWord);
// Same, with the layout told by the frame size: only a 1.4.0 controller answers with
// the short frame once the size check has passed.
QStringList decodeSettings(const QByteArray &resp);

// The address split at every "." with empty parts kept, as the controller expects
// exactly four octets.
QStringList serverIpParts(const QString &text);

// The address does not split into four octets.
QString badServerIpText();

// Name of the first request path of the write list whose UTF-8 form does not fit its
// 32-byte field ("API_GET" or "API_SAVE"); empty when both fit.
QString oversizePathField(const QStringList &writeList);
// Message for the user that names the path field which does not fit.
QString oversizePathText(const QString &field);

// Payload of command 33 built from the write list. On a problem `payload` is left empty
// and nothing may be sent: the controller reads the fields at fixed offsets, so a cut or
// overlong path would shift or corrupt its settings.
WriteProblem encodeWrite(const QStringList &writeList, QByteArray &payload);

} // namespace ControllerRecord
