#include "app/tabdialog.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QStyleFactory>

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
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
#ifdef Q_OS_UNIX
    quitOnTermination(app);
#endif

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("COM port to select at start."),
                                        QStringLiteral("NAME"));
    parser.addOption(portOption);
    parser.process(app);

    TabDialog dialog;
    if (parser.isSet(portOption))
        dialog.selectPort(parser.value(portOption));
    dialog.setWindowFlags(Qt::Window);
    dialog.show();
    return app.exec();
}
