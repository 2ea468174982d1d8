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
    if (!line.request(Link::CmdAuthorise, &payload, workerText("Авторизация..."), response)) {
        line.report.progress(0);
        return;
    }
    const QStringList fields = Link::decodeResponse(response, Link::CmdAuthorise);
    // The firmware word decides the record sizes of later answers, whatever the result.
    line.fwWord = Link::firmwareWord(response);
    const QString fw = fields.value(SessionRecord::AuthFirmware);
    const QStringList supported = SessionRecord::supportedFirmware();
    if (supported.contains(fw)) {
        if (fields.value(SessionRecord::AuthResult).toUInt() == SessionRecord::kPasswordAccepted) {
            line.report.status(workerText("Пароль успешно введен"));
            line.report.succeeded(Link::CmdAuthorise);
            line.report.commandsEnabled(QString());
            line.report.hardware(fields.value(SessionRecord::AuthHardware));
        } else {
            line.report.status(wrongPasswordText());
        }
    } else {
        line.report.status(workerText("Данная версия утилиты не поддерживает версию ПО контроллера "
                                      "%1. Поддерживаемые версии ПО: %2")
                               .arg(fw, supported.join(QStringLiteral(", "))));
    }
    line.report.progress(CommandLine::kProgressDone);
}

void newPassword(CommandLine &line)
{
    const QByteArray payload = SessionRecord::passwordPayload(line.row(0).value(0));
    line.waitTimeout *= kTimeoutFactor;
    QByteArray response;
    if (!line.request(Link::CmdNewPassword, &payload, workerText("Ввод нового пароля..."),
                      response)) {
        line.report.progress(0);
        return;
    }
    line.report.progress(CommandLine::kProgressDone);
    line.report.succeeded(Link::CmdNewPassword);
    line.report.settingsModeOver();
    line.report.status(workerText("Пароль успешно обновлен. Требуется авторизация."));
}

void leaveSettingsMode(CommandLine &line)
{
    QByteArray response;
    if (!line.request(Link::CmdLeaveSettingsMode, nullptr,
                      workerText("Выход контроллера из режима настроек"), response)) {
        line.report.progress(0);
        return;
    }
    line.report.progress(CommandLine::kProgressDone);
    line.report.settingsModeOver();
    line.report.status(QString());
    line.report.succeeded(Link::CmdLeaveSettingsMode);
}

} // namespace SessionCommands
