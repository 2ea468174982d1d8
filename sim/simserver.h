#pragma once

// Serves a simulated controller on the master side of a pseudo-terminal; the code under
// test opens the slave path exactly as it would open a COM port.

#include "sim/controllermodel.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

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
    explicit SimServer(const ControllerModel &model = ControllerModel());
    ~SimServer();
    SimServer(const SimServer &) = delete;
    SimServer &operator=(const SimServer &) = delete;

    // Opens the pseudo-terminal and starts serving; false when no terminal could be opened.
    bool start();
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
    // Closes the controller's side, as if the adapter were pulled out.
    void closeLine();

    // Requests seen so far, whole frames; with `cmd`, only those of that command.
    QList<QByteArray> requests(int cmd = -1) const;
    // The payloads (after the command byte, before the checksum) of the requests of `cmd`.
    QList<QByteArray> payloads(int cmd) const;
    int requestCount(int cmd = -1) const;
    void clearRequests();

    // Called on the serving thread after every request with the bytes written back.
    std::function<void(const QByteArray &request, const QByteArray &answer)> onExchange;

private:
    void serve();
    void process(const QByteArray &request);
    void writeAll(const QByteArray &bytes);
    bool takeFault(int cmd, SimFault &fault);
    bool sleepUnlessStopping(int ms);

    ControllerModel model;
    std::mutex modelMutex;
    mutable std::mutex stateMutex;
    QList<SimFault> faults;
    QList<QByteArray> seen;
    int masterFd = -1;
    int slaveFd = -1;
    QString slavePath;
    std::atomic<bool> stopping{false};
    std::thread thread;
};
