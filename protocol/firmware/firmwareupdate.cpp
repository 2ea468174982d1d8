#include "protocol/firmware/firmwareupdate.h"

#include "lumaro/version.h"

#include <QCoreApplication>

namespace FirmwareUpdate {

namespace {

constexpr char kNoRs485Update[] = "1.4.0";

bool isBuiltIn(const QString &fwVersion)
{
    return fwVersion == QLatin1String(Lumaro::kBuiltInFirmwareVersion);
}

} // namespace

bool isUpdatable(const QString &fwVersion)
{
    return !fwVersion.isEmpty() && fwVersion != QLatin1String(kNoRs485Update)
        && !isBuiltIn(fwVersion);
}

QString whyNot(const QString &fwVersion)
{
    if (fwVersion == QLatin1String(kNoRs485Update))
        return QCoreApplication::translate(
            "TabDialog",
            "Обновление прошивки через RS-485 не поддерживается в контроллерах с версией прошивки "
            "1.4.0.\r\nЧтобы обновить прошивку контроллера, поставьте контроллер на обновление "
            "через личный кабинет.");
    if (isBuiltIn(fwVersion))
        return QCoreApplication::translate("TabDialog", "Обновление прошивки не требуется.");
    return {};
}

QString confirmTitle()
{
    return QCoreApplication::translate("SettingsTab", "Вы уверены?");
}

QString confirmText()
{
    return QCoreApplication::translate("SettingsTab", "Начать обновление прошивки?");
}

} // namespace FirmwareUpdate
