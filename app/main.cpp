#include "app/programoptions.h"
#include "store/historylocation.h"
#include "ui/dialog/tabdialog.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QStyleFactory>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

namespace {

int quitPipe[2] = {-1, -1};

void requestQuit(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(quitPipe[1], &byte, 1);
}

// A logout or `kill` closes the window as the close button does, so the worker thread
// stops in order and the port is released.
void quitOnTermination(QApplication &app)
{
    if (::pipe(quitPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QApplication::quit);
    std::signal(SIGTERM, requestQuit);
    std::signal(SIGINT, requestQuit);
}

} // namespace
#endif

int main(int argc, char *argv[])
{
    // Before QApplication, which ends the program when it finds no display.
    ProgramOptions options;
    if (const std::optional<int> exitCode = options.readBeforeApplication(argc, argv))
        return *exitCode;
    if (options.isVerbose())
        QLoggingCategory::setFilterRules(QStringLiteral("lumaro.*.debug=true"));

    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
#ifdef Q_OS_UNIX
    quitOnTermination(app);
#endif
    options.check(app);

    TabDialog dialog;
    if (!options.port().isEmpty())
        dialog.selectPort(options.port());
    if (!options.logFile().isEmpty() && !dialog.setTrafficLogFile(options.logFile())) {
        std::fprintf(stderr, "%s\n",
                     qPrintable(TabDialog::tr("Не могу открыть файл журнала %1.").arg(options.logFile())));
        return 1;
    }
    HistoryLocation history = HistoryLocation::standard();
    QString historyError;
    if (!options.history().isEmpty()
        && !HistoryLocation::parse(options.history(), &history, &historyError)) {
        std::fprintf(stderr, "%s\n", qPrintable(historyError));
        return 1;
    }
    dialog.setHistoryLocation(history);
    dialog.setWindowFlags(Qt::Window);
    dialog.show();
    return app.exec();
}
