#pragma once

// Start-up time and memory of the configurator's window: a child process builds the main
// dialog offscreen, shows it and reads every tab against the simulated controller.

#include <QElapsedTimer>
#include <QString>

struct WindowFigures {
    double shownFromExecMs = -1; // from starting the child process to its first painted window
    double shownFromMainMs = -1; // the same, counted from the child's main()
    double applicationMs = -1;   // child's main() to the application and its style being ready
    double dialogMs = -1;        // child's main() to the dialog being built
    double readAllMs = -1;       // authorise and the three settings reads through the dialog
    qint64 shownPeakKb = -1;     // VmHWM once the window is shown
    qint64 peakKb = -1;          // VmHWM after reading all tabs
    double helpMs = -1;          // the whole `lumaro-configurator --help` process
};

namespace WindowBench {

constexpr char kChildOption[] = "--window-child";

// The child's side; `sinceMain` was started first thing in main().
int runChild(int argc, char **argv, const QElapsedTimer &sinceMain);
// Starts the child against a simulator of its own and gathers its figures.
bool measure(WindowFigures &figures, QString &problem);

} // namespace WindowBench
