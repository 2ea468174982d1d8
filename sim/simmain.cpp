// Simulated controller on a pseudo-terminal, for the demo and for trying the configurator
// without hardware.

#include "sim/simserver.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Simulated LUMARO metering controller."));
    parser.addHelpOption();
    const QCommandLineOption fwOption(QStringLiteral("fw"), QStringLiteral("Firmware version."),
                                      QStringLiteral("X.Y.Z"), QStringLiteral("1.4.2"));
    const QCommandLineOption hwOption(QStringLiteral("hw"), QStringLiteral("Hardware version."),
                                      QStringLiteral("M.N"), QStringLiteral("8.2"));
    const QCommandLineOption passwordOption(QStringLiteral("password"),
                                            QStringLiteral("Access password."), QStringLiteral("P"),
                                            QStringLiteral("5093178"));
    const QCommandLineOption pulseOption(
        QStringLiteral("pulse-rate"),
        QStringLiteral("Meter on analog channel N counts RATE pulses a second (repeatable)."),
        QStringLiteral("N:RATE"));
    const QCommandLineOption writeDelayOption(
        QStringLiteral("write-delay"), QStringLiteral("Answer settings writes MS late."),
        QStringLiteral("MS"), QStringLiteral("0"));
    parser.addOption(fwOption);
    parser.addOption(hwOption);
    parser.addOption(passwordOption);
    parser.addOption(pulseOption);
    parser.addOption(writeDelayOption);
    parser.process(app);

    ControllerModel model;
    if (!model.setFirmware(parser.value(fwOption))) {
        std::fprintf(stderr, "bad firmware version: %s\n", qPrintable(parser.value(fwOption)));
        return 2;
    }
    if (!model.setHardware(parser.value(hwOption))) {
        std::fprintf(stderr, "bad hardware version: %s\n", qPrintable(parser.value(hwOption)));
        return 2;
    }
    model.password = parser.value(passwordOption);
    for (const QString &pulses : parser.values(pulseOption)) {
        const QStringList parts = pulses.split(QLatin1Char(':'));
        bool channelOk = false;
        bool rateOk = false;
        const int channel = parts.value(0).toInt(&channelOk);
        const double rate = parts.value(1).toDouble(&rateOk);
        if (parts.size() != 2 || !channelOk || !rateOk || channel < 1
            || channel > SimAnalogChannels::kChannels || rate < 0) {
            std::fprintf(stderr, "bad pulse rate: %s\n", qPrintable(pulses));
            return 2;
        }
        model.analog.setPulseRate(channel - 1, rate);
    }
    bool delayOk = false;
    model.writeAnswerDelayMs = parser.value(writeDelayOption).toInt(&delayOk);
    if (!delayOk || model.writeAnswerDelayMs < 0) {
        std::fprintf(stderr, "bad write delay: %s\n", qPrintable(parser.value(writeDelayOption)));
        return 2;
    }

    SimServer server(model);
    server.setOnExchange([](const QByteArray &request, const QByteArray &answer) {
        std::fprintf(stderr, "REQ %s\nANS %s\n", request.toHex().constData(),
                     answer.isEmpty() ? "(silent)" : answer.toHex().constData());
    });
    if (!server.start()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    std::printf("%s\n", qPrintable(server.portName()));
    std::fflush(stdout);

    if (::pipe(signalPipe) != 0)
        return 1;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    const int rc = app.exec();
    server.stop();
    return rc;
}
