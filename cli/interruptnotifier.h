#pragma once

// Turns SIGINT into a signal on the main thread: the handler only writes a byte to a pipe,
// which a socket notifier reads in the event loop. A second SIGINT ends the program at once, as
// every SIGINT does where there are no POSIX signals.

#include <QObject>

class QSocketNotifier;

class InterruptNotifier : public QObject
{
    Q_OBJECT

public:
    explicit InterruptNotifier(QObject *parent = nullptr);
    ~InterruptNotifier() override;

signals:
    void interrupted();

private:
    QSocketNotifier *notifier = nullptr;
};
