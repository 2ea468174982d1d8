// Worker commands for the modem: modem test (136) and session data (137).

#include "link/frame.h"
#include "link/masterthread.h"
#include "settings/modemrecord.h"
#include "settings/modemtiming.h"

#include <QDebug>

namespace {

// The test command waits for the modem to power up before it answers.
constexpr int kTestTimeoutFactor = 15;
constexpr int kSessionDataTimeoutFactor = 5;
constexpr int kProgressDone = 100;
// Sleeps are cut into slices so that closing the window does not wait out a tick.
constexpr int kSleepSliceMs = 100;

int sessionRunning(const QStringList &modemList)
{
    return modemList.value(ModemRecord::SessionRunning).toInt();
}

} // namespace

void MasterThread::modemTest()
{
    waitTimeout *= kTestTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdModemTest, nullptr, tr("Тест модуля связи..."), response)) {
        emit updateProgressBar(0);
        return;
    }
    QStringList modem = ModemRecord::decodeSessionData(response);
    int running = sessionRunning(modem);
    qDebug() << "bc68isOn = " << running;
    emit setBC68Data(modem);
    emit updateProgressBar(0);
    emit error(tr("Получаем данные сеанса связи, подключение может занять до 2х минут..."));

    if (running != 0) {
        QByteArray poll;
        Link::buildRequest(poll, Link::CmdModemSessionData, nullptr);
        for (int tick = 1; tick <= ModemTiming::kLastTick; ++tick) {
            for (int slept = 0, tickMs = ModemTiming::tickMs(); slept < tickMs;
                 slept += kSleepSliceMs) {
                if (quitRequested())
                    return;
                QThread::msleep(qMin(kSleepSliceMs, tickMs - slept));
            }
            // The tick counts as percent of the two minutes.
            emit updateProgressBar(tick);
            if (tick >= ModemTiming::kFirstPollTick && tick % ModemTiming::kPollEveryTicks == 0) {
                // Polls keep the status text of the test: no text of their own.
                if (exchange(Link::CmdModemSessionData, poll, response, kQuietGapMs, kAttempts)) {
                    emit updateProgressBar(0);
                    return;
                }
                modem = ModemRecord::decodeSessionData(response);
                running = sessionRunning(modem);
                qDebug() << "bc68isOn = " << running;
                emit setBC68Data(modem);
            }
            if (running == 0)
                break;
        }
    }
    emit updateProgressBar(kProgressDone);
    emit error(QString());
}

void MasterThread::modemSessionData()
{
    waitTimeout *= kSessionDataTimeoutFactor;
    QByteArray response;
    if (request(Link::CmdModemSessionData, nullptr, tr("Получаем данные сеанса связи..."),
                response)) {
        emit updateProgressBar(0);
        return;
    }
    const QStringList modem = ModemRecord::decodeSessionData(response);
    const int running = sessionRunning(modem);
    qDebug() << "bc68isOn = " << running;
    // A new test may start only when no session is running.
    emit enableButtonStartBC68(running == 0);
    emit setBC68Data(modem);
    emit updateProgressBar(kProgressDone);
    emit error(QString());
}
