#include "link/commandline.h"

#include "link/frame.h"

#include <QDebug>

CommandLine::CommandLine(QObject *parent)
    : QObject(parent)
{
}

CommandLine::~CommandLine() = default;

QString CommandLine::noConnectionText()
{
    return workerText("Нет связи с контроллером: неверно выбран COM-порт, контроллер не в "
                      "режиме настройки, обрыв кабеля, перепутана полярность, неисправен "
                      "адаптер COM-порта!");
}

int CommandLine::request(quint8 cmd, const QByteArray *payload, const QString &status,
                         QByteArray &response, int quietGap, int attempts)
{
    QByteArray frame;
    Link::buildRequest(frame, cmd, payload);
    emit error(status);
    return exchange(cmd, frame, response, quietGap, attempts);
}

int CommandLine::exchange(quint8 cmd, const QByteArray &frame, QByteArray &response, int quietGap,
                          int attempts)
{
    for (int k = 1; k <= attempts; ++k) {
        response.clear();
        switch (transfer(frame, k, quietGap, response)) {
        case Transfer::Stopped:
            return 1;
        case Transfer::Lost:
            // Reported once; the steps that follow (the firmware finish, say) end quietly.
            emit error(noConnectionText());
            return 1;
        case Transfer::NotSent:
            qDebug() << "error sending";
            continue;
        case Transfer::Read:
            break;
        }
        if (response.isEmpty()) {
            qDebug() << "response nothing";
            continue;
        }
        qDebug() << "RESPONSE" << k << ":" << response.toHex();
        // The meter readings collect the whole read window: only the last frame counts.
        if (cmd == Link::CmdDigitalReadings && response.size() > Link::kDigitalReadingsFrameSize) {
            const int toRemove = int(response.size()) - Link::kDigitalReadingsFrameSize;
            qDebug() << "resp.size: " << response.size()
                     << "PROTOCOL_RS_DATA_LENGHT: " << Link::kDigitalReadingsFrameSize
                     << "len_to_remove: " << toRemove;
            response.remove(0, toRemove);
            qDebug() << "RESP_RS_DATA: " << response.toHex();
        }
        if (Link::check_response(response, fwWord) == 0 && quint8(response.at(7)) == cmd) {
            emit update_timer();
            return 0;
        }
        qDebug() << "wrong check_response";
    }
    emit error(noConnectionText());
    return 1;
}
