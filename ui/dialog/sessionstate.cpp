#include "ui/dialog/sessionstate.h"

#include "protocol/frame/frame.h"

SessionState::SessionState(QObject *parent)
    : QObject(parent)
{
    connect(&countdown, &QTimer::timeout, this, &SessionState::secondPassed);
}

void SessionState::commandDone(int cmd, bool ok)
{
    if (cmd == Link::CmdAuthorise)
        authorised = ok;
    else if (cmd == Link::CmdNewPassword || cmd == Link::CmdLeaveSettingsMode)
        authorised = !ok;
}

void SessionState::restartCountdown()
{
    if (!countdown.isActive())
        countdown.start(kCountdownTickMs);
    left = kSettingsModeSeconds;
}

bool SessionState::tick()
{
    if (left <= 0)
        return false;
    --left;
    return left == 0;
}

void SessionState::end()
{
    authorised = false;
    ++ended;
    // The firmware version belongs to the session: the update button waits for the next read.
    fwVersion.clear();
    countdown.stop();
}

void SessionState::forgetTabs()
{
    read.fill(false);
    changed.fill(false);
}

GatingInput SessionState::gating(bool on, int tab) const
{
    const bool known = tab >= 0 && tab < TabCount;
    return {on, authorised, tab, known && read.at(std::size_t(tab)),
            known && changed.at(std::size_t(tab)), fwVersion, read.at(ControllerTab)};
}
