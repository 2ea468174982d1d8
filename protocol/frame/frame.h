#pragma once

// Request and response frames of the controller protocol: framing, checksum,
// response acceptance, field decoding and the integer encoders for payloads.

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace Link {

constexpr quint8 kStartByte = 0xAA;
constexpr quint8 kChecksumSeed = 0xBB;
constexpr quint8 kNoPayloadFiller = 0xFF;
// Firmware 1.4.0 answers commands 9, 33 and 128 with shorter frames.
constexpr quint32 kFirmwareWord140 = 0x01040000;
constexpr int kHeaderSize = 8; // start byte, hardware version (2), firmware word (4), command
constexpr int kPayloadOffset = 8;
constexpr int kDigitalReadingsFrameSize = 42;

// Command codes of the controller protocol.
enum Command : quint8 {
    CmdAnalogReading = 1,
    CmdDigitalReadings = 2,
    CmdReadAnalogSettings = 4,
    CmdReadDigitalSettings = 8,
    CmdReadControllerSettings = 9,
    CmdWriteAnalogSettings = 16,
    CmdWriteDigitalSettings = 32,
    CmdWriteControllerSettings = 33,
    CmdAnalogReadingAlt = 64,
    CmdLeaveSettingsMode = 128,
    CmdFirmwareStart = 129,
    CmdFirmwarePart = 130,
    CmdFirmwareReserved = 131,
    CmdFirmwareFinish = 132,
    CmdAuthorise = 134,
    CmdNewPassword = 135,
    CmdModemTest = 136,
    CmdModemSessionData = 137,
};

// 0xBB XOR every byte of data[0 .. length - 1].
quint8 frameChecksum(const QByteArray &data, int length);

void buildRequest(QByteArray &out, quint8 cmd, const QByteArray *payload);
QByteArray buildRequest(quint8 cmd, const QByteArray *payload = nullptr);

// Whole-frame size the controller must answer with; -1 means "any size".
// Unknown codes give 0, so that no answer to them is ever accepted.
int requiredResponseSize(quint8 cmd, quint32 fwWord);

// Whether a stop may abandon the wait for the answer to `cmd` once the request has left: true
// where the request changes nothing on the controller, or belongs to a firmware upload that a
// stop abandons anyway. A written record, a new password or the leave command is waited for.
bool answerMayBeAbandoned(quint8 cmd);

// What is wrong with a response frame, checked in this order.
enum class FrameFault { None, Size, Start, Checksum };
FrameFault responseFault(const QByteArray &resp, quint32 fwWord);

// 0 when the response is acceptable, 1 otherwise.
int check_response(const QByteArray &resp, quint32 fwWord);

QStringList decodeResponse(const QByteArray &resp, int cmd);

QString versionText(quint32 word);
// Firmware word from bytes 3 to 6 of a response; 0 when the frame is too short.
quint32 firmwareWord(const QByteArray &resp);
// Bytes 1 and 2 of a response in decimal joined by "."; empty when too short.
QString hardwareVersionText(const QByteArray &resp);

// Big-endian unsigned number of `size` (1 to 4) bytes at `offset`; bytes past the
// end of the frame read as absent, so a truncated field never reads beyond it.
quint32 readNumber(const QByteArray &resp, int offset, int size);
// Fixed-width text field: the bytes up to the first zero within the field, UTF-8.
QString readText(const QByteArray &resp, int offset, int size);
// The same field's bytes, in hex, where the text read from them does not give them back (bytes
// after the first zero, bytes that are not UTF-8); empty where it does. The field lists carry
// them beside the text, so that a field the engineer left alone goes back as it came.
QString keptText(const QByteArray &resp, int offset, int size);

QByteArray encodeU8(const QString &text);
QByteArray encodeU16(const QString &text);
QByteArray encodeI16(const QString &text);
QByteArray encodeU32(const QString &text);
// A number of a field list; a text that is no decimal number reads as 0.
qint64 listNumber(const QString &text);
// Text as UTF-8, zero-padded to `width` bytes; a longer text is sent whole.
QByteArray encodeText(const QString &text, int width);
// The field for `text`: the bytes kept at the read (keptText) while they still read as `text`,
// else the text as above.
QByteArray encodeText(const QString &text, int width, const QString &kept);
// Whether `text` goes into its field of `width` bytes whole (kept bytes that read as it do).
bool textFits(const QString &text, int width, const QString &kept);

} // namespace Link
