#include "bench/commandbench.h"

#include "link/channels/analogcommands.h"
#include "protocol/channels/analogrecord.h"
#include "link/channels/digitalcommands.h"
#include "protocol/channels/digitalrules.h"
#include "link/firmware/firmwarecommand.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"
#include "link/worker/masterthread.h"
#include "link/session/sessioncommands.h"
#include "protocol/frame/traffic.h"
#include "protocol/frame/sessionrecord.h"
#include "link/settings/controllercommands.h"
#include "lumaro/version.h"
#include "sim/simserver.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <iterator>
#include <memory>
#include <mutex>
#include <utility>

namespace {

constexpr int kQuietGapMs = CommandLine::kQuietGapMs;
constexpr int kChannelPauseMs = CommandLine::kChannelPauseMs;
constexpr int kProgressDone = CommandLine::kProgressDone;
constexpr int kAnalogChannelsAlways = AnalogRecord::kChannelCount; // command 4 asks for all
constexpr int kDigitalChannels = DigitalRules::kChannelCount;
constexpr int kFirmwarePartBytes = CommandLine::kFirmwarePartSize;
constexpr int kFirmwareFrames = 2;         // start and finish around the parts
constexpr int kMeterChannel = 0;           // the digital channel whose meter is read
// A command that does not end within this time is reported, not waited for any longer.
constexpr int kCommandLimitMs = 180000;
constexpr quint8 kAbsentChannel = 255;
constexpr quint8 kElectricityMeter = 8;
constexpr int kObjectBase = 100;


struct CommandPlan {
    int cmd;
    const char *title;
    int quietGapMs;
    int pauseMs;
    // The time-out's factor: without a quiet gap the read lasts the multiplied time-out.
    int timeoutFactor;
    // Exchanges a channel takes; the title counts channels.
    int exchangesPerChannel = 1;
};

constexpr CommandPlan kPlans[] = {
    {Link::CmdAuthorise, "authorise", kQuietGapMs, 0, SessionCommands::kTimeoutFactor},
    {Link::CmdReadControllerSettings, "read controller settings", kQuietGapMs, 0,
     ControllerCommands::kReadTimeoutFactor},
    {Link::CmdReadAnalogSettings, "read analog settings (8)", kQuietGapMs, kChannelPauseMs, 1},
    {Link::CmdReadDigitalSettings, "read digital settings (32)", kQuietGapMs, kChannelPauseMs, 1},
    {Link::CmdWriteDigitalSettings, "write digital settings (32)", kQuietGapMs, kChannelPauseMs,
     DigitalCommands::kWriteTimeoutFactor},
    // Each channel's counter is read right before its record goes.
    {Link::CmdWriteAnalogSettings, "write analog settings (%1)", kQuietGapMs, 0,
     AnalogCommands::kWriteTimeoutFactor, 2},
    {Link::CmdAnalogReading, "read analog readings (%1)", kQuietGapMs, 0, 1},
    {Link::CmdDigitalReadings, "read digital readings (1 meter)",
     DigitalCommands::kReadingsQuietGapMs, kChannelPauseMs, DigitalCommands::kReadingsTimeoutFactor},
    {Link::CmdFirmwareStart, "firmware upload (full image)", kQuietGapMs, 0,
     FirmwareCommand::kStartTimeoutFactor},
};

const CommandPlan *planOf(int cmd)
{
    for (const CommandPlan &plan : kPlans) {
        if (plan.cmd == cmd)
            return &plan;
    }
    return nullptr;
}

// Meters on the controller's RS-485 line, repeated over the 32 channels of the write.
struct MeterSetUp {
    const char *device;
    const char *protocol;
    const char *address;
    const char *password;
    const char *kt;
};

constexpr MeterSetUp kMeterSetUps[] = {
    {"8", "1", "40512377", "", "1"},         // electricity meter by its serial number
    {"7", "4", "4194304011", "777777", "1"}, // heat meter at kv address 1
    {"1", "9", "12", "", "1"},               // cold water meter
    {"8", "2", "145", "000000", "10"},       // electricity meter behind current transformers
};

Rows digitalWriteRows()
{
    Rows rows;
    for (int i = 0; i < kDigitalChannels; ++i) {
        const MeterSetUp &m = kMeterSetUps[i % std::size(kMeterSetUps)];
        rows.append({QString::number(i), QLatin1String(m.device), QLatin1String(m.protocol),
                     QLatin1String(m.address), QLatin1String(m.password), QLatin1String(m.kt),
                     QString::number(kObjectBase + i)});
    }
    return rows;
}

// The present analog channels as the simulator holds them, without counters: the write reads
// each counter first, as after a read in the window with the reading cells untouched.
Rows analogWriteRows(SimServer &sim, const QList<int> &present)
{
    Rows rows;
    for (int index : present) {
        const SimAnalogChannel c =
            sim.withModel([index](ControllerModel &m) { return m.analog.channels.at(index); });
        rows.append({QString::number(index), QString::number(c.type), QString::number(c.input),
                     QString::fromUtf8(c.serial), QString::number(c.scale),
                     QString::number(c.divider), QString::number(c.lk), QString::number(c.st),
                     QString::number(c.object), QString()});
    }
    return rows;
}

// Moments of one command on one clock, marked from three threads: the worker's debug
// lines, the simulator's serving thread and the bench's own thread.
class Timeline
{
public:
    enum Kind { Start, Request, Answer, Response, End };
    struct Mark {
        Kind kind;
        qint64 ns;
    };

    static qint64 now()
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }

    void mark(Kind kind)
    {
        const qint64 at = now();
        std::lock_guard<std::mutex> lock(mutex);
        marks.append({kind, at});
    }

    QList<Mark> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(marks, {});
    }

private:
    std::mutex mutex;
    QList<Mark> marks;
};

std::atomic<Timeline *> activeTimeline{nullptr};
QtMessageHandler previousHandler = nullptr;

// The worker's frame diagnostics say "REQUEST " right after it has handed a request to the
// port and "RESPONSE" right after a read has ended. The bench switches them on for these marks
// only: they do not reach the terminal, which stays as quiet as the configurator's.
void timingHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (qstrcmp(context.category, lcLink().categoryName()) == 0) {
        if (Timeline *timeline = activeTimeline.load()) {
            if (message.startsWith(QLatin1String("REQUEST")))
                timeline->mark(Timeline::Request);
            else if (message.startsWith(QLatin1String("RESPONSE")))
                timeline->mark(Timeline::Response);
        }
        return;
    }
    if (previousHandler)
        previousHandler(type, context, message);
}

double meanMs(const QList<qint64> &from, const QList<qint64> &to, int shift = 0)
{
    qint64 sum = 0;
    int n = 0;
    for (int k = 0; k + shift < to.size() && k < from.size(); ++k) {
        sum += to.at(k + shift) - from.at(k);
        ++n;
    }
    return n ? double(sum) / n / 1e6 : 0;
}

TimeSplit splitOf(const QList<Timeline::Mark> &marks)
{
    QList<qint64> at[Timeline::End + 1];
    for (const Timeline::Mark &m : marks)
        at[m.kind].append(m.ns);
    TimeSplit split;
    const QList<qint64> &requests = at[Timeline::Request];
    const QList<qint64> &responses = at[Timeline::Response];
    if (at[Timeline::Start].isEmpty() || at[Timeline::End].isEmpty() || requests.isEmpty()
        || responses.isEmpty())
        return split;
    split.startMs = double(requests.first() - at[Timeline::Start].first()) / 1e6;
    split.simMs = meanMs(requests, at[Timeline::Answer]);
    split.readMs = meanMs(at[Timeline::Answer], responses);
    split.betweenMs = meanMs(responses, requests, 1);
    split.endMs = double(at[Timeline::End].first() - responses.last()) / 1e6;
    return split;
}

// Every request the simulator answered, as it saw it on its serving thread.
class TrafficLog
{
public:
    struct Seen {
        int cmd;
        int requestBytes;
        int answerBytes;
    };

    void record(const QByteArray &request, const QByteArray &answer)
    {
        std::lock_guard<std::mutex> lock(mutex);
        seen.append({request.size() > 7 ? quint8(request.at(7)) : -1, int(request.size()),
                     int(answer.size())});
    }

    QList<Seen> take()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(seen, {});
    }

private:
    std::mutex mutex;
    QList<Seen> seen;
};

// Records what the bench needs of the worker's signals and times one command from its
// hand-over to the arrival of its last signal on this thread, as the dialog sees it.
class WorkerProbe : public QObject
{
public:
    WorkerProbe(MasterThread *w, Timeline *t)
        : worker(w)
        , timeline(t)
    {
        connect(worker, &MasterThread::error, this,
                [this](const QString &s) { statuses.append(s); });
        connect(worker, &MasterThread::updateProgressBar, this, [this](int v) { progress = v; });
        connect(worker, &MasterThread::update_cmd_status, this,
                [this](int, bool ok) { sessionOpened = ok; });
        connect(worker, &MasterThread::updateHw, this, [this](const QString &hw) {
            worker->setAnalogChannelCount(SessionRecord::analogChannelCount(hw));
        });
        connect(worker, &MasterThread::setComSettings, this,
                [this](int index, const QStringList &fields) {
                    if (fields.value(0).toInt() != kAbsentChannel
                        && index < worker->getAnalogChannelCount())
                        presentAnalog.append(index);
                });
        // As in the window, every frame crosses to this thread and becomes a journal line.
        connect(worker, &MasterThread::traffic, this,
                [this](const Traffic::Frame &frame) { journalChars += Traffic::formatLine(frame).size(); });
        connect(worker, &MasterThread::enableTablesContorls, this, [this](bool) {
            endNs = clock.nsecsElapsed();
            timeline->mark(Timeline::End);
            if (loop)
                loop->quit();
        });
    }

    // Wall time in ms, or -1 when the command did not end within `limitMs`.
    double run(const QString &port, int timeoutMs, int cmd, const Rows *rows, int limitMs)
    {
        statuses.clear();
        progress = -1;
        sessionOpened = false;
        presentAnalog.clear();
        endNs = -1;
        QEventLoop eventLoop;
        loop = &eventLoop;
        QTimer::singleShot(limitMs, &eventLoop, &QEventLoop::quit);
        timeline->mark(Timeline::Start);
        clock.start();
        if (rows)
            worker->transaction(port, timeoutMs, cmd, *rows);
        else
            worker->transaction(port, timeoutMs, cmd);
        eventLoop.exec();
        loop = nullptr;
        return endNs < 0 ? -1.0 : double(endNs) / 1e6;
    }

    QStringList statuses;
    int progress = -1;
    bool sessionOpened = false;
    qint64 journalChars = 0;
    QList<int> presentAnalog;

private:
    MasterThread *worker;
    Timeline *timeline;
    QEventLoop *loop = nullptr;
    QElapsedTimer clock;
    qint64 endNs = -1;
};

class Bench
{
public:
    explicit Bench(const CommandBenchOptions &o)
        : options(o)
    {
        sim.setOnExchange([this](const QByteArray &request, const QByteArray &answer) {
            timeline.mark(Timeline::Answer);
            traffic.record(request, answer);
        });
        activeTimeline = &timeline;
        previousHandler = qInstallMessageHandler(timingHandler);
        QLoggingCategory::setFilterRules(QStringLiteral("lumaro.link.debug=true"));
    }

    ~Bench()
    {
        probe.reset();
        worker.reset();
        sim.stop();
        qInstallMessageHandler(previousHandler);
        activeTimeline = nullptr;
    }

    bool start(QString &problem)
    {
        if (!sim.start()) {
            problem = QStringLiteral("no pseudo-terminal for the simulator");
            return false;
        }
        // The first command should not pay for setting up logging.
        qCDebug(lcLink) << "lumaro-bench: simulated controller on" << sim.portName();
        worker = std::make_unique<MasterThread>();
        probe = std::make_unique<WorkerProbe>(worker.get(), &timeline);
        return true;
    }

    CommandFigure measure(int cmd, const Rows *rows, int expectedExchanges)
    {
        QList<CommandFigure> runs;
        for (int r = 0; r < qMax(options.repeat, 1); ++r)
            runs.append(measureOnce(cmd, rows, expectedExchanges));
        std::sort(runs.begin(), runs.end(), [](const CommandFigure &a, const CommandFigure &b) {
            return a.wallMs < b.wallMs;
        });
        // A failed run spoils the figure whatever the others did.
        for (const CommandFigure &f : runs) {
            if (!f.problem.isEmpty())
                return f;
        }
        return runs.at(runs.size() / 2);
    }

    // Runs a command only to bring the simulator into the state a later command needs.
    bool prepare(int cmd, const Rows *rows)
    {
        probe->run(sim.portName(), options.timeoutMs, cmd, rows, kCommandLimitMs);
        traffic.take();
        timeline.take();
        return probe->progress == kProgressDone
            && !probe->statuses.contains(MasterThread::noConnectionText());
    }

    SimServer sim;
    std::unique_ptr<WorkerProbe> probe;

private:
    int answerDelayMs(int cmd)
    {
        // Only the meter readings make the simulated controller think before it answers:
        // it polls the meter on its own line first.
        if (cmd == Link::CmdDigitalReadings)
            return sim.withModel([](ControllerModel &m) { return m.digital.meterDelayMs; });
        return 0;
    }

    CommandFigure measureOnce(int cmd, const Rows *rows, int expectedExchanges)
    {
        const CommandPlan &plan = *planOf(cmd);
        CommandFigure figure;
        figure.cmd = cmd;
        figure.title = QLatin1String(plan.title);
        if (figure.title.contains(QLatin1String("%1")))
            figure.title = figure.title.arg(expectedExchanges / plan.exchangesPerChannel);
        figure.expectedExchanges = expectedExchanges;

        traffic.take();
        timeline.take();
        const int writesBefore = storedWrites();
        // A fresh loader, so that only this run's upload can count as accepted.
        if (cmd == Link::CmdFirmwareStart)
            sim.withModel([](ControllerModel &m) { m.firmware = SimFirmware(); });
        figure.wallMs = probe->run(sim.portName(), options.timeoutMs, cmd, rows, kCommandLimitMs);

        const LineFloor::ExchangeRules rules{plan.quietGapMs, plan.pauseMs,
                                             options.timeoutMs * plan.timeoutFactor};
        QList<LineFloor::Exchange> exchanges;
        for (const TrafficLog::Seen &s : traffic.take())
            exchanges.append({s.requestBytes, s.answerBytes, answerDelayMs(s.cmd)});
        figure.rules = rules;
        figure.floor = LineFloor::commandFloor(exchanges, rules);
        figure.split = splitOf(timeline.take());

        if (figure.wallMs < 0)
            figure.problem = QStringLiteral("did not end within %1 s").arg(kCommandLimitMs / 1000);
        else if (probe->statuses.contains(MasterThread::noConnectionText()))
            figure.problem = QStringLiteral("no connection");
        else if (probe->progress != kProgressDone)
            figure.problem = QStringLiteral("progress stopped at %1").arg(probe->progress);
        else if (figure.floor.exchanges != expectedExchanges)
            figure.problem = QStringLiteral("%1 exchanges instead of %2")
                                 .arg(figure.floor.exchanges)
                                 .arg(expectedExchanges);
        else if (cmd == Link::CmdAuthorise && !probe->sessionOpened)
            figure.problem = QStringLiteral("password refused");
        else if (cmd == Link::CmdFirmwareStart && !firmwareUpdated())
            figure.problem = QStringLiteral("image not accepted");
        else if (cmd == Link::CmdWriteDigitalSettings && storedWrites() - writesBefore != rowsCount(rows))
            figure.problem = QStringLiteral("channels not stored");
        return figure;
    }

    int storedWrites()
    {
        return sim.withModel([](ControllerModel &m) { return m.digital.writes; });
    }

    bool firmwareUpdated()
    {
        return sim.withModel([](ControllerModel &m) { return m.firmware.updated(); });
    }

    static int rowsCount(const Rows *rows) { return rows ? int(rows->size()) : 0; }

    CommandBenchOptions options;
    Timeline timeline;
    TrafficLog traffic;
    std::unique_ptr<MasterThread> worker;
};

int firmwareParts()
{
    QFile image(QString::fromLatin1(Lumaro::kBuiltInFirmwareResource));
    return int(image.size() / kFirmwarePartBytes);
}

} // namespace

double CommandFigure::programMs() const
{
    const int n = floor.exchanges;
    // Without a quiet gap the read window runs from the request on and covers the answer.
    const double rulesMs = rules.quietGapMs > 0
        ? n * (split.simMs + rules.quietGapMs + rules.pauseMs)
        : n * double(rules.readWindowMs + rules.pauseMs);
    return wallMs - rulesMs;
}

double CommandFigure::lineRatio() const
{
    return floor.totalMs > 0 ? (floor.totalMs + programMs()) / floor.totalMs : 0;
}

namespace CommandBench {

QList<int> allCommands()
{
    QList<int> codes;
    for (const CommandPlan &plan : kPlans)
        codes.append(plan.cmd);
    return codes;
}

bool run(const CommandBenchOptions &options, QList<CommandFigure> &figures, QString &problem)
{
    Bench bench(options);
    if (!bench.start(problem))
        return false;
    const QList<int> wanted = options.commands.isEmpty() ? allCommands() : options.commands;
    const auto timed = [&wanted](int cmd) { return wanted.contains(cmd); };
    const auto fail = [&problem](const QString &text) {
        problem = text;
        return false;
    };

    // The session comes first, as in the program; the others need the board's channel count.
    const QString password = bench.sim.withModel([](ControllerModel &m) { return m.password; });
    const Rows passwordRows{QStringList{password}};
    if (timed(Link::CmdAuthorise))
        figures.append(bench.measure(Link::CmdAuthorise, &passwordRows, 1));
    else if (!bench.prepare(Link::CmdAuthorise, &passwordRows))
        return fail(QStringLiteral("authorise failed"));

    if (timed(Link::CmdReadControllerSettings))
        figures.append(bench.measure(Link::CmdReadControllerSettings, nullptr, 1));

    if (timed(Link::CmdReadAnalogSettings))
        figures.append(bench.measure(Link::CmdReadAnalogSettings, nullptr, kAnalogChannelsAlways));
    else if ((timed(Link::CmdAnalogReading) || timed(Link::CmdWriteAnalogSettings))
             && !bench.prepare(Link::CmdReadAnalogSettings, nullptr))
        return fail(QStringLiteral("reading the analog settings failed"));
    const QList<int> presentAnalog = bench.probe->presentAnalog;

    if (timed(Link::CmdReadDigitalSettings))
        figures.append(bench.measure(Link::CmdReadDigitalSettings, nullptr, kDigitalChannels));

    if (timed(Link::CmdWriteDigitalSettings)) {
        const Rows rows = digitalWriteRows();
        figures.append(bench.measure(Link::CmdWriteDigitalSettings, &rows, kDigitalChannels));
    }

    if (timed(Link::CmdWriteAnalogSettings)) {
        const Rows rows = analogWriteRows(bench.sim, presentAnalog);
        figures.append(bench.measure(Link::CmdWriteAnalogSettings, &rows, 2 * int(rows.size())));
    }

    if (timed(Link::CmdAnalogReading)) {
        Rows rows;
        for (int index : presentAnalog)
            rows.append(QStringList{QString::number(index)});
        figures.append(bench.measure(Link::CmdAnalogReading, &rows, int(rows.size())));
    }

    if (timed(Link::CmdDigitalReadings)) {
        bench.sim.withModel([](ControllerModel &m) {
            if (m.digital.channels[kMeterChannel].type == 0)
                m.digital.channels[kMeterChannel].type = kElectricityMeter;
        });
        const Rows rows{QStringList{QString::number(kMeterChannel)}};
        figures.append(bench.measure(Link::CmdDigitalReadings, &rows, 1));
    }

    if (timed(Link::CmdFirmwareStart)) {
        const int parts = firmwareParts();
        if (parts == 0)
            return fail(QStringLiteral("the built-in firmware image is missing"));
        figures.append(bench.measure(Link::CmdFirmwareStart, nullptr, parts + kFirmwareFrames));
    }
    return true;
}

} // namespace CommandBench
