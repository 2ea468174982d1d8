#pragma once

// The session with the controller as the window keeps it, without widgets: whether it is
// authorised, the settings-mode countdown, the versions the controller reported, and each
// tab's read and changed marks.

#include "ui/dialog/commandgating.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <optional>

class SessionState : public QObject
{
    Q_OBJECT

public:
    // The controller leaves settings mode after this long without an exchange.
    static constexpr int kSettingsModeSeconds = 300;
    static constexpr int kCountdownTickMs = 1000;

    explicit SessionState(QObject *parent = nullptr);

    bool isAuthorised() const { return authorised; }
    // A command's outcome for the session: authorise opens it, a new password or leaving
    // settings mode closes it.
    void commandDone(int cmd, bool ok);

    // Starts the countdown afresh after an answer of the controller.
    void restartCountdown();
    // One second down; true when that was the last one.
    bool tick();
    bool isCountdownRunning() const { return countdown.isActive(); }
    int secondsLeft() const { return left; }
    // The session is over: nothing read belongs to the next one, which may be another controller.
    void end();
    // Runs a question or file dialog and gives its answer, or none when the session ended
    // while it was open. Such a dialog runs its own event loop, in which the settings-mode
    // countdown can end the session and empty the tables: the action that asked then gives up.
    template <typename Prompt>
    auto within(Prompt prompt) const -> std::optional<decltype(prompt())>
    {
        const quint64 before = ended;
        auto answer = prompt();
        if (ended != before)
            return std::nullopt;
        return answer;
    }

    QString fwVersion;
    QString hwVersion;

    bool isRead(TabIndex tab) const { return read.at(tab); }
    bool hasChanges(TabIndex tab) const { return changed.at(tab); }
    void setRead(TabIndex tab, bool on) { read.at(tab) = on; }
    void setChanged(TabIndex tab, bool on) { changed.at(tab) = on; }
    void forgetTabs();
    // What the command controls depend on while `tab` is on show.
    GatingInput gating(bool on, int tab) const;

signals:
    void secondPassed();

private:
    QTimer countdown;
    int left = kSettingsModeSeconds;
    bool authorised = false;
    quint64 ended = 0;
    std::array<bool, TabCount> read{};
    std::array<bool, TabCount> changed{};
};
