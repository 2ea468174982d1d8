// Speed figures of the configurator: each controller command against the simulated
// controller beside the floor the protocol sets, then window start-up and peak memory, and the
// commissioning figures (report render, chart redraw).

#include "bench/commandbench.h"
#include "bench/commissioningbench.h"
#include "bench/windowbench.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstddef>
#include <cstdio>
#include <cstring>

namespace {

constexpr double kRatioTarget = 1.10;
constexpr double kStartupTargetMs = 500;
constexpr double kMemoryTargetMb = 80;
constexpr double kKbPerMb = 1024;

// What the columns of the two tables mean, printed with them.
constexpr const char *kCommandLegend[] = {
    "floor = per exchange: answer delay + quiet gap (or the whole read window) + pause",
    "        + bytes at 115200 baud 8N1 (10 bits a byte)",
    "ratio = wall / floor",
    "program ms = wall - simulator turn-arounds - quiet gaps, read windows and pauses",
    "on line = (floor + program ms) / floor, the ratio to expect where bytes take their time",
};

constexpr const char *kSplitLegend[] = {
    "where the time goes, ms (sim, read and between are means per exchange):",
    "  start   = hand-over to the first request (thread wake-up, port opening, status)",
    "  sim     = request handed to the port to the simulator's answer written",
    "            (its 4 ms request gap, any answer delay, scheduling)",
    "  read    = answer written to the end of the worker's read",
    "            (quiet gap in 10 ms polls, or the whole read window of the meter readings)",
    "  between = end of a read to the next request (decoding, signals, the 5 ms pause)",
    "  end     = end of the last read to the command's last signal on the bench thread",
};

const char *verdict(bool ok)
{
    return ok ? "ok" : "ABOVE TARGET";
}

template <std::size_t N>
void printLines(const char *const (&lines)[N])
{
    for (const char *line : lines)
        std::printf("%s\n", line);
}

bool printCommands(const QList<CommandFigure> &figures)
{
    std::printf("%-32s %4s %5s %7s %8s %9s %9s %6s %10s %6s\n", "command", "code", "exch",
                "bytes", "line ms", "floor ms", "wall ms", "ratio", "program ms", "on line");
    bool allWithin = true;
    for (const CommandFigure &f : figures) {
        std::printf("%-32s %4d %5d %7lld %8.1f %9.1f %9.1f %6.3f %10.1f %6.3f",
                    qPrintable(f.title), f.cmd, f.floor.exchanges,
                    static_cast<long long>(f.floor.bytes), f.floor.lineMs, f.floor.totalMs,
                    f.wallMs, f.ratio(), f.programMs(), f.lineRatio());
        if (!f.problem.isEmpty()) {
            std::printf("  FAILED: %s", qPrintable(f.problem));
            allWithin = false;
        } else if (f.ratio() > kRatioTarget) {
            std::printf("  %s", verdict(false));
            allWithin = false;
        }
        std::printf("\n");
    }
    std::printf("every ratio at most %.2f: %s\n", kRatioTarget, allWithin ? "yes" : "no");
    return allWithin;
}

void printSplit(const QList<CommandFigure> &figures)
{
    std::printf("\n");
    printLines(kSplitLegend);
    std::printf("%-32s %8s %8s %8s %8s %8s\n", "command", "start", "sim", "read", "between", "end");
    for (const CommandFigure &f : figures) {
        std::printf("%-32s %8.2f %8.2f %8.2f %8.2f %8.2f\n", qPrintable(f.title), f.split.startMs,
                    f.split.simMs, f.split.readMs, f.split.betweenMs, f.split.endMs);
    }
}

void printWindow(const WindowFigures &w)
{
    std::printf("\nwindow (offscreen, in a child process: QApplication, Fusion, TabDialog, "
                "show)\n");
    std::printf("  start to first shown window  %7.1f ms from exec (%.1f ms from main; "
                "application %.1f, dialog built %.1f)  target < %.0f ms: %s\n",
                w.shownFromExecMs, w.shownFromMainMs, w.applicationMs, w.dialogMs,
                kStartupTargetMs, verdict(w.shownFromExecMs < kStartupTargetMs));
    const double peakMb = double(w.peakKb) / kKbPerMb;
    std::printf("  peak resident memory         %7.1f MB VmHWM after authorise and reading the "
                "three tabs (%.1f MB once shown; reads took %.0f ms)  target < %.0f MB: %s\n",
                peakMb, double(w.shownPeakKb) / kKbPerMb, w.readAllMs, kMemoryTargetMb,
                verdict(peakMb < kMemoryTargetMb));
    if (w.helpMs >= 0)
        std::printf("  lumaro-configurator --help   %7.1f ms, the whole process\n", w.helpMs);
    else
        std::printf("  lumaro-configurator --help   not timed: no configurator beside the bench\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    if (argc == 3 && std::strcmp(argv[1], WindowBench::kChildOption) == 0)
        return WindowBench::runChild(argc, argv, sinceMain);
    if (argc == 2 && std::strcmp(argv[1], CommissioningBench::kChildOption) == 0)
        return CommissioningBench::runChild(argc, argv);

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Times each controller command against the simulated controller and compares it with "
        "the floor the protocol sets; then times the window's start-up and its peak memory."));
    parser.addHelpOption();
    const QCommandLineOption timeoutOption(
        QStringLiteral("timeout"), QStringLiteral("Response time-out of the controller tab."),
        QStringLiteral("ms"), QStringLiteral("100"));
    const QCommandLineOption repeatOption(QStringLiteral("repeat"),
                                          QStringLiteral("Runs per command; the median is shown."),
                                          QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption commandsOption(
        QStringLiteral("commands"), QStringLiteral("Comma-separated command codes to time."),
        QStringLiteral("codes"));
    const QCommandLineOption noWindowOption(QStringLiteral("no-window"),
                                            QStringLiteral("Skip the window figures."));
    parser.addOptions({timeoutOption, repeatOption, commandsOption, noWindowOption});
    parser.process(app);

    CommandBenchOptions options;
    options.timeoutMs = parser.value(timeoutOption).toInt();
    options.repeat = qMax(parser.value(repeatOption).toInt(), 1);
    const QList<int> known = CommandBench::allCommands();
    const QStringList codes =
        parser.value(commandsOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString &code : codes) {
        if (!known.contains(code.toInt())) {
            std::fprintf(stderr, "unknown command code %s\n", qPrintable(code));
            return 2;
        }
        options.commands.append(code.toInt());
    }
    if (options.timeoutMs <= 0) {
        std::fprintf(stderr, "the time-out must be positive\n");
        return 2;
    }

    std::printf("lumaro-bench (%s build): commands through MasterThread against SimServer on a "
                "pseudo-terminal, time-out %d ms, median of %d run(s)\n",
                LUMARO_BENCH_BUILD, options.timeoutMs, options.repeat);
    printLines(kCommandLegend);
    std::printf("\n");
    std::fflush(stdout);

    QList<CommandFigure> figures;
    QString problem;
    const bool ran = CommandBench::run(options, figures, problem);
    printCommands(figures);
    printSplit(figures);
    if (!ran) {
        std::printf("stopped: %s\n", qPrintable(problem));
        return 1;
    }
    bool failed = false;
    for (const CommandFigure &f : figures)
        failed = failed || !f.problem.isEmpty();

    if (!parser.isSet(noWindowOption)) {
        std::fflush(stdout);
        WindowFigures window;
        if (!WindowBench::measure(window, problem)) {
            std::printf("\nwindow figures failed: %s\n", qPrintable(problem));
            return 1;
        }
        printWindow(window);
        std::fflush(stdout);
        if (!CommissioningBench::measure()) {
            std::printf("\ncommissioning figures failed\n");
            return 1;
        }
    }
    return failed ? 1 : 0;
}
