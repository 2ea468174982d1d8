#include "cli/console.h"

#include <QtGlobal>

#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

constexpr int kBarWidth = 30;
// Keeps the bar on one line of an ordinary terminal.
constexpr int kStatusWidth = 40;

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr)) != 0;
#else
    return ::isatty(STDERR_FILENO) == 1;
#endif
}

} // namespace

Console::Console()
    : Console(stderrIsTerminal())
{
}

Console::Console(bool progressBar)
    : bar(progressBar)
{
}

void Console::data(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void Console::message(const QString &text)
{
    endProgress();
    const QByteArray line = text.toUtf8() + '\n';
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void Console::progress(int value)
{
    percent = qBound(0, value, 100);
    draw();
}

void Console::status(const QString &text)
{
    if (!text.isEmpty())
        statusText = text;
    draw();
}

void Console::draw()
{
    if (!bar)
        return;
    const int filled = percent * kBarWidth / 100;
    const QString line =
        QStringLiteral("\r\033[K[%1%2] %3% %4")
            .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('.')))
            .arg(percent, 3)
            .arg(statusText.left(kStatusWidth));
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    drawn = true;
}

void Console::endProgress()
{
    if (drawn)
        std::fputs("\r\033[K", stderr);
    drawn = false;
    percent = 0;
    statusText.clear();
}
