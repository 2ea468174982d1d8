// Worker commands for the controller settings: read (9) and write (33).

#include "link/frame.h"
#include "link/masterthread.h"
#include "settings/controllerrecord.h"

#include <QDebug>

namespace {

constexpr int kReadTimeoutFactor = 3;
// The controller stores the record in flash before it answers.
constexpr int kWriteTimeoutFactor = 15;
constexpr int kProgressDone = 100;

} // namespace

void MasterThread::readControllerSettings()
{
    waitTimeout *= kReadTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdReadControllerSettings, nullptr, tr("Считываем настройки контроллера"),
                response)) {
        emit updateProgressBar(0);
        return;
    }
    const QStringList settings = ControllerRecord::decodeSettings(response, fwWord);
    emit setCpuSet(settings);
    emit enableButtonsContorls(true, settings.value(ControllerRecord::FirmwareText));
    emit updateProgressBar(kProgressDone);
    emit error(QString());
}

void MasterThread::writeControllerSettings()
{
    const QStringList settings = row(0);
    qDebug() << ControllerRecord::serverIpParts(settings.value(ControllerRecord::WriteServerIp));
    QByteArray payload;
    switch (ControllerRecord::encodeWrite(settings, payload)) {
    case ControllerRecord::WriteProblem::ServerIp:
        emit error(tr("Неверно задан IP-адрес сервера"));
        return;
    case ControllerRecord::WriteProblem::PathTooLong:
        emit error(ControllerRecord::oversizePathText(ControllerRecord::oversizePathField(settings)));
        return;
    case ControllerRecord::WriteProblem::None:
        break;
    }

    waitTimeout *= kWriteTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdWriteControllerSettings, &payload, tr("Записываем настройки в контроллер"),
                response)) {
        emit updateProgressBar(0);
        return;
    }
    // The controller answers with the whole record as it now holds it.
    emit setCpuSet(ControllerRecord::decodeSettings(response, fwWord));
    emit updateProgressBar(kProgressDone);
    emit error(QString());
}
