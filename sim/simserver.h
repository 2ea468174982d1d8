#pragma once

// Serves a simulated controller on the master side of a pseudo-terminal; the code under
// test opens the slave path exactly as it would open a COM port.

#include "sim/controllermodel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

struct SimFault {
    enum Kind {
        Silence,      // no answer
        BadChecksum,  // last byte flipped
        BadStart,     // start byte other than 0xAA
        OtherCommand, // command byte of another command (checksum fixed up)
        WrongSize,    // one byte too many (checksum fixed up)
        Pieces,       // answer in three pieces, `param` ms apart
        Late,         // answer after `param` ms
        TrailingJunk, // `param` junk bytes written right after the answer
        LeadingJunk,  // `param` junk bytes written right before the answer
    };
    Kind kind = Silence;
    int count = 1;       // how many answers it affects
    int param = 0;
    int onlyCmd = -1;    // -1: any command
};

class SimServer
{
public:
    using ExchangeHook = std::function<void(const QByteArray &request, const QByteArray &answer)>;

    explicit SimServer(const ControllerModel &model = ControllerModel());
    ~SimServer();
    SimServer(const SimServer &) = delete;
    SimServer &operator=(const SimServer &) = delete;

    // Opens the pseudo-terminal and starts serving; false when no terminal could be opened.
    bool start();
    // Ends serving and closes the line; returns even when the port side has stopped
    // reading and an answer is still waiting to be written.
    void stop();
    QString portName() const { return slavePath; }

    template <typename F>
    auto withModel(F &&f)
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        return f(model);
    }

    void injectFault(const SimFault &fault);
    void clearFaults();
    // Writes bytes to the line at once, as noise from the controller would arrive.
    void sendRaw(const QByteArray &bytes);
    // Bytes waiting unread on the port side of the line.
    int pendingOnPort() const;
    // Closes the controller's side, as if the adapter were pulled out; the line is closed
    // when it returns. An answer still being written or waited for is dropped.
    void closeLine();

    // Requests seen so far, whole frames; with `cmd`, only those of that command.
    QList<QByteArray> requests(int cmd = -1) const;
    // The payloads (after the command byte, before the checksum) of the requests of `cmd`.
    QList<QByteArray> payloads(int cmd) const;
    int requestCount(int cmd = -1) const;
    void clearRequests();

    // Called on the serving thread after every request with the bytes written back. It may
    // be replaced or cleared from any thread at any time; once the call returns on another
    // thread, the previous hook is no longer running and is never called again.
    void setOnExchange(ExchangeHook hook);


    // True when `bytes` is one whole request of the size its command requires, with a
    // matching checksum; such a request is answered without waiting for the line to fall
    // quiet. Requests whose size the command does not fix always wait for the quiet gap.
    static bool isWholeRequest(const QByteArray &bytes);

private:
    void serve();
    void process(const QByteArray &request);
    void writeAll(const QByteArray &bytes);
    bool takeFault(int cmd, SimFault &fault);
    // Waits `ms`; false, and at once, when the server stops or the line is closed.
    bool pauseUnlessInterrupted(int ms);
    bool interrupted() const { return stopping || closeRequested; }
    void wake();
    void closeMaster();

    ControllerModel model;
    std::mutex modelMutex;

    // Faults, requests seen and the exchange hook. Never held while the line is written.
    mutable std::mutex stateMutex;
    QList<SimFault> faults;
    QList<QByteArray> seen;
    ExchangeHook exchangeHook;
    bool hookRunning = false;
    std::condition_variable hookIdle;

    // Serialises writes to the line and guards masterFd against being closed under a
    // writer. While the serving thread runs, only it closes masterFd; before start() and
    // after its join, the owner does.
    std::mutex lineMutex;
    std::condition_variable lineClosed;
    int masterFd = -1;

    int slaveFd = -1;
    int wakeFd = -1; // eventfd in the serving thread's poll set, written by stop() and closeLine()
    QString slavePath;
    std::atomic<bool> stopping{false};
    std::atomic<bool> closeRequested{false};
    std::thread thread;
};
