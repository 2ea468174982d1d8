#include "app/commandgating.h"

#include "lumaro/version.h"

#include <QCoreApplication>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

} // namespace

CommandGating commandGating(const GatingInput &in)
{
    constexpr int kControllerTab = 0;
    CommandGating g;
    const bool session = in.on && in.authorised;
    g.readSettings.enabled = session;
    g.writeSettings.enabled = session && in.changed;
    g.readData.enabled = in.tab != kControllerTab && session && in.readed && !in.changed;
    g.exitEnabled = session;
    g.changePasswordEnabled = in.on;
    g.testEnabled = in.on;

    // 1.4.0 cannot be updated over RS-485, 1.4.4 is the built-in image itself, and an empty
    // version means the controller settings have not been read in this session.
    const bool updatable = in.fwVersion != QLatin1String(Lumaro::kBuiltInFirmwareVersion)
        && in.fwVersion != QLatin1String("1.4.0") && !in.fwVersion.isEmpty();
    g.uploadFirmware.enabled = in.on && updatable;
    if (in.on && in.fwVersion == QLatin1String("1.4.0"))
        g.uploadFirmware.toolTip = text(
            "Обновление прошивки через RS-485 не поддерживается в контроллерах с версией прошивки "
            "1.4.0.\r\nЧтобы обновить прошивку контроллера, поставьте контроллер на обновление "
            "через личный кабинет.");
    else if (in.on && in.fwVersion == QLatin1String(Lumaro::kBuiltInFirmwareVersion))
        g.uploadFirmware.toolTip = text("Обновление прошивки не требуется.");

    if (!in.authorised) {
        const QString tip = text("Перед началом работы необходимо авторизоваться");
        g.readSettings.toolTip = tip;
        g.writeSettings.toolTip = tip;
        g.readData.toolTip = tip;
        return g;
    }
    if (!in.changed)
        g.writeSettings.toolTip = text("Нет изменений для записи");
    if (in.tab == kControllerTab)
        g.readData.toolTip = text("Для чтения показаний используйте вкладки Аналоговые и Цифровые каналы");
    else if (in.changed)
        g.readData.toolTip = text("Перед чтением показаний нужно считать или записать настройки");
    return g;
}
