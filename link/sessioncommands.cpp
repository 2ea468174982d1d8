// Session commands of the worker: authorise, new password, leave settings mode.

#include "link/frame.h"
#include "link/masterthread.h"
#include "link/sessionrecord.h"

namespace {

constexpr int kSessionTimeoutFactor = 5;
constexpr int kProgressDone = 100;

} // namespace

void MasterThread::authorise()
{
    const QByteArray payload = SessionRecord::passwordPayload(row(0).value(0));
    waitTimeout *= kSessionTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdAuthorise, &payload, tr("Авторизация..."), response)) {
        emit updateProgressBar(0);
        return;
    }
    const QStringList fields = Link::decodeResponse(response, Link::CmdAuthorise);
    // The firmware word decides the record sizes of later answers, whatever the result.
    fwWord = Link::firmwareWord(response);
    const QString fw = fields.value(SessionRecord::AuthFirmware);
    const QStringList supported = SessionRecord::supportedFirmware();
    if (supported.contains(fw)) {
        if (fields.value(SessionRecord::AuthResult).toUInt() == SessionRecord::kPasswordAccepted) {
            emit error(tr("Пароль успешно введен"));
            emit update_cmd_status(Link::CmdAuthorise, true);
            emit enableButtonsContorls(true, QString());
            emit updateHw(fields.value(SessionRecord::AuthHardware));
        } else {
            emit error(tr("Неверный пароль доступа. Заводской пароль 5093178"));
        }
    } else {
        emit error(tr("Данная версия утилиты не поддерживает версию ПО контроллера %1. "
                      "Поддерживаемые версии ПО: %2")
                       .arg(fw, supported.join(QStringLiteral(", "))));
    }
    emit updateProgressBar(kProgressDone);
}

void MasterThread::newPassword()
{
    const QByteArray payload = SessionRecord::passwordPayload(row(0).value(0));
    waitTimeout *= kSessionTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdNewPassword, &payload, tr("Ввод нового пароля..."), response)) {
        emit updateProgressBar(0);
        return;
    }
    emit updateProgressBar(kProgressDone);
    emit update_cmd_status(Link::CmdNewPassword, true);
    emit stop_timer();
    emit error(tr("Пароль успешно обновлен. Требуется авторизация."));
}

void MasterThread::leaveSettingsMode()
{
    QByteArray response;
    if (request(Link::CmdLeaveSettingsMode, nullptr, tr("Выход контроллера из режима настроек"),
                response)) {
        emit updateProgressBar(0);
        return;
    }
    emit updateProgressBar(kProgressDone);
    emit stop_timer();
    emit error(QString());
    emit update_cmd_status(Link::CmdLeaveSettingsMode, true);
}
