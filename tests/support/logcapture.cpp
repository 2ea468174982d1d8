#include "tests/support/logcapture.h"

#include <QMutex>
#include <QMutexLocker>

#include <cstdio>

namespace {

QMutex logMutex;
QStringList captured;
QtMessageHandler previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    {
        QMutexLocker locker(&logMutex);
        captured.append(message);
    }
    if (type != QtDebugMsg && previous)
        previous(type, context, message);
}

} // namespace

LogCapture::LogCapture()
{
    QMutexLocker locker(&logMutex);
    captured.clear();
    previous = qInstallMessageHandler(capture);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(previous);
}

QStringList LogCapture::lines() const
{
    QMutexLocker locker(&logMutex);
    return captured;
}

int LogCapture::count(const QString &prefix) const
{
    int n = 0;
    for (const QString &line : lines()) {
        if (line.startsWith(prefix))
            ++n;
    }
    return n;
}
