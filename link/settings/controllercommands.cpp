#include "link/settings/controllercommands.h"

#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"
#include "protocol/settings/controllerrecord.h"

#include <QDebug>

namespace ControllerCommands {

void readSettings(CommandLine &line)
{
    line.waitTimeout *= kReadTimeoutFactor;
    QByteArray response;
    if (!line.request(Link::CmdReadControllerSettings, nullptr,
                      workerText("Считываем настройки контроллера"), response)) {
        line.report.progress(0);
        return;
    }
    const QStringList settings = ControllerRecord::decodeSettings(response, line.fwWord);
    line.report.controllerSettings(settings);
    line.report.commandsEnabled(settings.value(ControllerRecord::FirmwareText));
    line.report.progress(CommandLine::kProgressDone);
    line.report.status(QString());
}

void writeSettings(CommandLine &line)
{
    const QStringList settings = line.row(0);
    qCDebug(lcSettings) << ControllerRecord::serverIpParts(settings.value(ControllerRecord::WriteServerIp));
    QByteArray payload;
    switch (ControllerRecord::encodeWrite(settings, payload)) {
    case ControllerRecord::WriteProblem::ServerIp:
        line.report.status(ControllerRecord::badServerIpText());
        return;
    case ControllerRecord::WriteProblem::PathTooLong:
        line.report.status(
            ControllerRecord::oversizePathText(ControllerRecord::oversizePathField(settings)));
        return;
    case ControllerRecord::WriteProblem::None:
        break;
    }

    line.waitTimeout *= kWriteTimeoutFactor;
    QByteArray response;
    if (!line.request(Link::CmdWriteControllerSettings, &payload,
                      workerText("Записываем настройки в контроллер"), response)) {
        line.report.progress(0);
        return;
    }
    // The controller answers with the whole record as it now holds it.
    line.report.controllerSettings(ControllerRecord::decodeSettings(response, line.fwWord));
    line.report.progress(CommandLine::kProgressDone);
    line.report.status(QString());
}

} // namespace ControllerCommands
