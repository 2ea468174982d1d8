#pragma once

// Records of the session commands: authorise (134), new password (135) and
// leave settings mode (128).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace SessionRecord {

constexpr int kPasswordFieldSize = 8;
constexpr quint32 kPasswordAccepted = 255;
// The password a controller leaves the factory with; the session starts with it offered.
inline constexpr char kFactoryPassword[] = "5093178";
// The answer time-out the engineer may choose, in steps of kTimeoutStepMs; a session starts
// with the shortest.
constexpr int kTimeoutMinMs = 100;
constexpr int kTimeoutMaxMs = 900;
constexpr int kTimeoutStepMs = 100;

// Firmware versions this utility can configure, in the order shown to the user.
QStringList supportedFirmware();

// 0xFF, then the password as UTF-8 zero-padded to 8 bytes (a longer one is sent whole).
QByteArray passwordPayload(const QString &password);

// Authorise answer: firmware version text, result byte, hardware version text.
enum AuthoriseField { AuthFirmware, AuthResult, AuthHardware, AuthFieldCount };
QStringList decodeAuthorise(const QByteArray &resp);

// Analog inputs of a board by its hardware version text: 8.2 and 8.3 carry four, every
// other board eight.
quint8 analogChannelCount(const QString &hardware);

// Why a new password and its repetition cannot be sent; empty when they can.
QString newPasswordProblem(const QString &password, const QString &repeated);

} // namespace SessionRecord
