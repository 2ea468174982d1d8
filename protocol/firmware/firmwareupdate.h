#pragma once

// Which controllers take the built-in firmware over RS-485, and the texts that say why not.

#include <QString>

namespace FirmwareUpdate {

// 1.4.0 cannot be updated over RS-485 and the built-in version needs no update; an empty
// version means the controller settings have not been read in this session.
bool isUpdatable(const QString &fwVersion);
// Why a controller on `fwVersion` is not updated; empty when it is, or when it is unknown.
QString whyNot(const QString &fwVersion);

QString confirmTitle();
QString confirmText();

} // namespace FirmwareUpdate
