#include "link/settings/modemcommands.h"

#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"
#include "protocol/settings/modemrecord.h"
#include "protocol/settings/modemtiming.h"

#include <QDebug>

namespace {

int sessionRunning(const QStringList &modemList)
{
    return modemList.value(ModemRecord::SessionRunning).toInt();
}

} // namespace

namespace ModemCommands {

void test(CommandLine &line)
{
    line.waitTimeout *= kTestTimeoutFactor;
    QByteArray response;
    if (!line.request(Link::CmdModemTest, nullptr, workerText("Тест модуля связи..."), response)) {
        line.report.progress(0);
        return;
    }
    QStringList modem = ModemRecord::decodeSessionData(response);
    int running = sessionRunning(modem);
    qCDebug(lcModem) << "bc68isOn = " << running;
    line.report.modemData(modem);
    line.report.progress(0);
    line.report.status(
        workerText("Получаем данные сеанса связи, подключение может занять до 2х минут..."));

    if (running != 0) {
        QByteArray poll;
        Link::buildRequest(poll, Link::CmdModemSessionData, nullptr);
        for (int tick = 1; tick <= ModemTiming::kLastTick; ++tick) {
            if (!line.pause(ModemTiming::kTickMs))
                return;
            // The tick counts as percent of the two minutes.
            line.report.progress(tick);
            if (tick >= ModemTiming::kFirstPollTick && tick % ModemTiming::kPollEveryTicks == 0) {
                // Polls keep the status text of the test: no text of their own.
                if (!line.exchange(Link::CmdModemSessionData, poll, response,
                                   CommandLine::kQuietGapMs, CommandLine::kAttempts)) {
                    line.report.progress(0);
                    return;
                }
                modem = ModemRecord::decodeSessionData(response);
                running = sessionRunning(modem);
                qCDebug(lcModem) << "bc68isOn = " << running;
                line.report.modemData(modem);
            }
            if (running == 0)
                break;
        }
    }
    line.report.progress(CommandLine::kProgressDone);
    line.report.status(QString());
}

void sessionData(CommandLine &line)
{
    line.waitTimeout *= kSessionDataTimeoutFactor;
    QByteArray response;
    if (!line.request(Link::CmdModemSessionData, nullptr,
                      workerText("Получаем данные сеанса связи..."), response)) {
        line.report.progress(0);
        return;
    }
    const QStringList modem = ModemRecord::decodeSessionData(response);
    const int running = sessionRunning(modem);
    qCDebug(lcModem) << "bc68isOn = " << running;
    // A new test may start only when no session is running.
    line.report.modemIdle(running == 0);
    line.report.modemData(modem);
    line.report.progress(CommandLine::kProgressDone);
    line.report.status(QString());
}

} // namespace ModemCommands
