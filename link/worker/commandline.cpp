#include "link/worker/commandline.h"

#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"

#include <QDebug>

CommandLine::CommandLine(CommandReports &reports)
    : report(reports)
{
}

CommandLine::~CommandLine() = default;

QString CommandLine::noConnectionText()
{
    return workerText("Нет связи с контроллером: неверно выбран COM-порт, контроллер не в "
                      "режиме настройки, обрыв кабеля, перепутана полярность, неисправен "
                      "адаптер COM-порта!");
}

bool CommandLine::request(quint8 cmd, const QByteArray *payload, const QString &status,
                          QByteArray &response, int quietGap, int attempts)
{
    QByteArray frame;
    Link::buildRequest(frame, cmd, payload);
    report.status(status);
    return exchange(cmd, frame, response, quietGap, attempts);
}

bool CommandLine::reportStop(int done, int total)
{
    if (!stopRequested())
        return false;
    report.status(
        workerText("Операция прервана: обработано каналов %1 из %2.").arg(done).arg(total));
    stopReported = true;
    return true;
}

void CommandLine::logFrame(qint64 time, Traffic::Direction direction, quint8 cmd,
                           const QByteArray &bytes, Traffic::Outcome outcome, int attempt)
{
    report.frame({time, direction, cmd, bytes, outcome, attempt});
}

namespace {

// Both channel records start with the channel index and then the device type.
constexpr int kRecordTypeOffset = 1;
constexpr quint8 kAbsentChannel = 255;

// Whether the answer to a write is the controller's echo of `record`, or says that it lacks
// the channel (and so stored nothing).
bool repeats(const QByteArray &answer, const QByteArray &record)
{
    const QByteArray stored = answer.mid(Link::kHeaderSize + 1, record.size() - 1);
    return stored == record.mid(1)
        || quint8(answer.at(Link::kHeaderSize + kRecordTypeOffset)) == kAbsentChannel;
}

} // namespace

bool CommandLine::write(quint8 cmd, const QByteArray &payload, QByteArray &response)
{
    QByteArray frame;
    Link::buildRequest(frame, cmd, &payload);
    return exchange(cmd, frame, response, kQuietGapMs, kAttempts, &payload);
}

void CommandLine::settleAfterRetry(quint8 cmd, int waited, int attempt)
{
    // The controller answered late once and may still answer the other attempts as late: the
    // line must stay quiet that long, and a time-out more, before the next request goes.
    const int quiet = waited + waitTimeout;
    const QByteArray late = settle(quiet, kSettleLimitFactor * quiet);
    if (!late.isEmpty())
        logFrame(QDateTime::currentMSecsSinceEpoch(), Traffic::Direction::Answer, cmd, late,
                 Traffic::Outcome::ForeignCommand, attempt);
}

bool CommandLine::exchange(quint8 cmd, const QByteArray &frame, QByteArray &response,
                           int quietGap, int attempts, const QByteArray *echo)
{
    using Traffic::Direction;
    using Traffic::Outcome;
    qint64 firstSentAt = 0;
    for (int k = 1; k <= attempts; ++k) {
        response.clear();
        const qint64 sentAt = QDateTime::currentMSecsSinceEpoch();
        if (k == 1)
            firstSentAt = sentAt;
        const Transfer result = transfer(frame, k, quietGap, response);
        if (result == Transfer::Stopped) {
            stopHonoured = stopHonoured || stopRequested();
            return false;
        }
        logFrame(sentAt, Direction::Request, cmd, frame,
                 result == Transfer::NotSent ? Outcome::NotSent : Outcome::Sent, k);
        switch (result) {
        case Transfer::Stopped:
            return false;
        case Transfer::Abandoned:
            logFrame(QDateTime::currentMSecsSinceEpoch(), Direction::Answer, cmd, response,
                     Outcome::Abandoned, k);
            stopHonoured = true;
            return false;
        case Transfer::Lost:
            logFrame(QDateTime::currentMSecsSinceEpoch(), Direction::Answer, cmd, response,
                     Outcome::PortLost, k);
            // Reported once; the steps that follow (the firmware finish, say) end quietly.
            report.status(noConnectionText());
            return false;
        case Transfer::NotSent:
            qCDebug(lcLink) << "error sending";
            continue;
        case Transfer::Read:
            break;
        }
        const qint64 answeredAt = QDateTime::currentMSecsSinceEpoch();
        if (response.isEmpty()) {
            logFrame(answeredAt, Direction::Answer, cmd, response, Outcome::NoAnswer, k);
            qCDebug(lcLink) << "response nothing";
            continue;
        }
        // The journal shows the answer as it came, the whole read window for the meters.
        const QByteArray received = response;
        qCDebug(lcLink) << "RESPONSE" << k << ":" << response.toHex();
        // The meter readings collect the whole read window: only the last frame counts.
        if (cmd == Link::CmdDigitalReadings && response.size() > Link::kDigitalReadingsFrameSize) {
            const int toRemove = int(response.size()) - Link::kDigitalReadingsFrameSize;
            qCDebug(lcLink) << "resp.size: " << response.size()
                     << "PROTOCOL_RS_DATA_LENGHT: " << Link::kDigitalReadingsFrameSize
                     << "len_to_remove: " << toRemove;
            response.remove(0, toRemove);
            qCDebug(lcLink) << "RESP_RS_DATA: " << response.toHex();
        }
        Outcome outcome = Traffic::judge(response, cmd, fwWord);
        // A late answer to the previous record is a sound frame of the same command: only its
        // content tells it apart. The journal names it as an answer to another request.
        if (outcome == Outcome::Accepted && echo && !repeats(response, *echo))
            outcome = Outcome::ForeignCommand;
        logFrame(answeredAt, Direction::Answer, cmd, received, outcome, k);
        if (outcome == Outcome::Accepted) {
            report.answered();
            if (k > 1)
                settleAfterRetry(cmd, int(answeredAt - firstSentAt), k);
            return true;
        }
        qCDebug(lcLink) << "wrong check_response";
    }
    report.status(noConnectionText());
    return false;
}
