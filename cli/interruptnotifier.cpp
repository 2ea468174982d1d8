#include "cli/interruptnotifier.h"

#include <QSocketNotifier>

#include <csignal>
#ifdef Q_OS_UNIX
#include <unistd.h>

namespace {

int interruptPipe[2] = {-1, -1};

void onInterrupt(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(interruptPipe[1], &byte, 1);
}

} // namespace
#endif

InterruptNotifier::InterruptNotifier(QObject *parent)
    : QObject(parent)
{
#ifdef Q_OS_UNIX
    if (::pipe(interruptPipe) != 0)
        return;
    notifier = new QSocketNotifier(interruptPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(interruptPipe[0], &byte, 1);
        emit interrupted();
    });
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // One stop at the next safe point; an impatient second SIGINT kills as usual.
    action.sa_flags = SA_RESETHAND;
    sigaction(SIGINT, &action, nullptr);
#endif
}

InterruptNotifier::~InterruptNotifier()
{
#ifdef Q_OS_UNIX
    std::signal(SIGINT, SIG_DFL);
    delete notifier;
    for (int &fd : interruptPipe) {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }
#endif
}
