#include "ui/dialog/commandgating.h"

#include "protocol/firmware/firmwareupdate.h"

#include <QCoreApplication>

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("TabDialog", source);
}

} // namespace

CommandGating commandGating(const GatingInput &in)
{
    CommandGating g;
    const bool session = in.on && in.authorised;
    g.readSettings.enabled = session;
    g.writeSettings.enabled = session && in.changed;
    g.readData.enabled = in.tab != ControllerTab && session && in.readed && !in.changed;
    g.exitEnabled = session;
    g.changePasswordEnabled = in.on;
    g.testEnabled = in.on;
    g.monitorEnabled = g.readData.enabled;
    g.reportEnabled = session && in.controllerReaded;

    g.uploadFirmware.enabled = in.on && FirmwareUpdate::isUpdatable(in.fwVersion);
    if (in.on)
        g.uploadFirmware.toolTip = FirmwareUpdate::whyNot(in.fwVersion);

    if (!in.authorised) {
        const QString tip = text("Перед началом работы необходимо авторизоваться");
        g.readSettings.toolTip = tip;
        g.writeSettings.toolTip = tip;
        g.readData.toolTip = tip;
        return g;
    }
    if (!in.changed)
        g.writeSettings.toolTip = text("Нет изменений для записи");
    if (in.tab == ControllerTab)
        g.readData.toolTip = text("Для чтения показаний используйте вкладки Аналоговые и Цифровые каналы");
    else if (in.changed)
        g.readData.toolTip = text("Перед чтением показаний нужно считать или записать настройки");
    return g;
}
