#include "link/session/sessioncommands.h"

#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"
#include "protocol/frame/sessionrecord.h"

namespace SessionCommands {

QString wrongPasswordText()
{
    return workerText("Неверный пароль доступа. Заводской пароль 5093178");
}

void authorise(CommandLine &line)
{
    const QByteArray payload = SessionRecord::passwordPayload(line.row(0).value(0));
    line.waitTimeout *= kTimeoutFactor;
    QByteArray response;
    if (line.request(Link::CmdAuthorise, &payload, workerText("Авторизация..."), response)) {
        emit line.updateProgressBar(0);
        return;
    }
    const QStringList fields = Link::decodeResponse(response, Link::CmdAuthorise);
    // The firmware word decides the record sizes of later answers, whatever the result.
    line.fwWord = Link::firmwareWord(response);
    const QString fw = fields.value(SessionRecord::AuthFirmware);
    const QStringList supported = SessionRecord::supportedFirmware();
    if (supported.contains(fw)) {
        if (fields.value(SessionRecord::AuthResult).toUInt() == SessionRecord::kPasswordAccepted) {
            emit line.error(workerText("Пароль успешно введен"));
            emit line.update_cmd_status(Link::CmdAuthorise, true);
            emit line.enableButtonsContorls(true, QString());
            emit line.updateHw(fields.value(SessionRecord::AuthHardware));
        } else {
            emit line.error(wrongPasswordText());
        }
    } else {
        emit line.error(workerText("Данная версия утилиты не поддерживает версию ПО контроллера "
                                   "%1. Поддерживаемые версии ПО: %2")
                            .arg(fw, supported.join(QStringLiteral(", "))));
    }
    emit line.updateProgressBar(CommandLine::kProgressDone);
}

void newPassword(CommandLine &line)
{
    const QByteArray payload = SessionRecord::passwordPayload(line.row(0).value(0));
    line.waitTimeout *= kTimeoutFactor;
    QByteArray response;
    if (line.request(Link::CmdNewPassword, &payload, workerText("Ввод нового пароля..."),
                     response)) {
        emit line.updateProgressBar(0);
        return;
    }
    emit line.updateProgressBar(CommandLine::kProgressDone);
    emit line.update_cmd_status(Link::CmdNewPassword, true);
    emit line.stop_timer();
    emit line.error(workerText("Пароль успешно обновлен. Требуется авторизация."));
}

void leaveSettingsMode(CommandLine &line)
{
    QByteArray response;
    if (line.request(Link::CmdLeaveSettingsMode, nullptr,
                     workerText("Выход контроллера из режима настроек"), response)) {
        emit line.updateProgressBar(0);
        return;
    }
    emit line.updateProgressBar(CommandLine::kProgressDone);
    emit line.stop_timer();
    emit line.error(QString());
    emit line.update_cmd_status(Link::CmdLeaveSettingsMode, true);
}

} // namespace SessionCommands
