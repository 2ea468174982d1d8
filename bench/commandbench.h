#pragma once

// Times every controller command through the worker, as the program runs it, against the
// simulated controller on a pseudo-terminal, and sets each time beside the protocol's floor.

#include "bench/linefloor.h"

#include <QList>
#include <QString>

// Where the time of one command went, in ms; the per-exchange parts are means.
struct TimeSplit {
    double startMs = 0;   // hand-over to the first request written
    double simMs = 0;     // request written to the simulator's answer written
    double readMs = 0;    // answer written to the end of the worker's read (the quiet gap)
    double betweenMs = 0; // end of one read to the next request (decoding, signals, pauses)
    double endMs = 0;     // end of the last read to the command's last signal
};

struct CommandFigure {
    QString title;
    int cmd = 0;
    int expectedExchanges = 0;
    LineFloor::ExchangeRules rules;
    LineFloor::Floor floor;
    double wallMs = 0;
    TimeSplit split;
    QString problem; // empty when the command went through as the protocol wants it

    double ratio() const { return floor.totalMs > 0 ? wallMs / floor.totalMs : 0; }
    // The program's own time: the wall time less the simulator's turn-arounds (its request
    // gap and answer delays) and less the quiet gaps, read windows and pauses the rules ask
    // for. A pseudo-terminal moves bytes at once, so no line time is in the wall time.
    double programMs() const;
    // The ratio to expect on a real line, where the bytes take their time and the
    // controller answers as the request ends: (floor + program) / floor.
    double lineRatio() const;
};

struct CommandBenchOptions {
    int timeoutMs = 100;     // the controller tab's response time-out
    int repeat = 1;          // runs per command; the median run is kept
    QList<int> commands;     // codes to time, in the bench's order; empty: all
};

namespace CommandBench {

// The codes in the order they run: a session first, then what an engineer reads and writes.
QList<int> allCommands();

// Runs the commands; false with `problem` set when the simulator or a command failed.
bool run(const CommandBenchOptions &options, QList<CommandFigure> &figures, QString &problem);

} // namespace CommandBench
