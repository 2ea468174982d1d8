#include "sim/simserver.h"

#include <QDebug>

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A request is complete when the line has been quiet this long after its last byte.
constexpr int kRequestGapMs = 4;
constexpr int kIdlePollMs = 20;

const char kRequestHeader[] = {char(0xAA), 0x00, 0x46, 0x25, 0x00, 0x00, 0x00};
constexpr int kShortestRequest = 10;

bool looksComplete(const QByteArray &bytes)
{
    return bytes.size() >= kShortestRequest
        && bytes.startsWith(QByteArray::fromRawData(kRequestHeader, sizeof kRequestHeader))
        && ControllerModel::checksum(bytes.left(bytes.size() - 1)) == quint8(bytes.back());
}

} // namespace

SimServer::SimServer(const ControllerModel &initial)
    : model(initial)
{
}

SimServer::~SimServer()
{
    stop();
}

bool SimServer::start()
{
    char name[256] = {};
    termios raw {};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B115200);
    cfsetospeed(&raw, B115200);
    if (openpty(&masterFd, &slaveFd, name, &raw, nullptr) != 0)
        return false;
    // The slave descriptor stays open here, so that the master never reads end-of-file
    // while nobody else has the port open.
    slavePath = QString::fromLocal8Bit(name);
    stopping = false;
    thread = std::thread([this] { serve(); });
    return true;
}

void SimServer::stop()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
    closeLine();
    if (slaveFd >= 0) {
        ::close(slaveFd);
        slaveFd = -1;
    }
}

void SimServer::closeLine()
{
    std::lock_guard<std::mutex> lock(stateMutex);
    if (masterFd >= 0) {
        ::close(masterFd);
        masterFd = -1;
    }
}

void SimServer::injectFault(const SimFault &fault)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    faults.append(fault);
}

void SimServer::clearFaults()
{
    std::lock_guard<std::mutex> lock(stateMutex);
    faults.clear();
}

bool SimServer::takeFault(int cmd, SimFault &fault)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    for (int i = 0; i < faults.size(); ++i) {
        SimFault &f = faults[i];
        if (f.onlyCmd >= 0 && f.onlyCmd != cmd)
            continue;
        fault = f;
        if (--f.count <= 0)
            faults.removeAt(i);
        return true;
    }
    return false;
}

QList<QByteArray> SimServer::requests(int cmd) const
{
    std::lock_guard<std::mutex> lock(stateMutex);
    if (cmd < 0)
        return seen;
    QList<QByteArray> out;
    for (const QByteArray &r : seen) {
        if (r.size() > 7 && quint8(r.at(7)) == cmd)
            out.append(r);
    }
    return out;
}

QList<QByteArray> SimServer::payloads(int cmd) const
{
    QList<QByteArray> out;
    for (const QByteArray &r : requests(cmd))
        out.append(r.mid(8, r.size() - 9));
    return out;
}

int SimServer::requestCount(int cmd) const
{
    return int(requests(cmd).size());
}

void SimServer::clearRequests()
{
    std::lock_guard<std::mutex> lock(stateMutex);
    seen.clear();
}

void SimServer::sendRaw(const QByteArray &bytes)
{
    writeAll(bytes);
}

int SimServer::pendingOnPort() const
{
    int n = 0;
    if (slaveFd < 0 || ::ioctl(slaveFd, FIONREAD, &n) != 0)
        return 0;
    return n;
}

void SimServer::writeAll(const QByteArray &bytes)
{
    std::lock_guard<std::mutex> lock(stateMutex);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && masterFd >= 0) {
        const ssize_t n = ::write(masterFd, data, size_t(left));
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return;
        }
        data += n;
        left -= n;
    }
}

bool SimServer::sleepUnlessStopping(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!stopping) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= until)
            return true;
        const auto step = std::min<std::chrono::steady_clock::duration>(
            until - now, std::chrono::milliseconds(10));
        std::this_thread::sleep_for(step);
    }
    return false;
}

void SimServer::serve()
{
    QByteArray pending;
    while (!stopping) {
        int fd;
        {
            std::lock_guard<std::mutex> lock(stateMutex);
            fd = masterFd;
        }
        if (fd < 0)
            return;
        pollfd p {fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, pending.isEmpty() ? kIdlePollMs : kRequestGapMs);
        if (ready < 0 && errno != EINTR)
            return;
        if (ready > 0 && (p.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                pending.append(buffer, n);
                // A whole request (header and matching checksum) is answered at once, as the
                // controller does; anything else waits for the line to fall quiet.
                if (looksComplete(pending)) {
                    process(pending);
                    pending.clear();
                }
                continue;
            }
        }
        if (ready > 0 && (p.revents & (POLLERR | POLLNVAL))) {
            sleepUnlessStopping(kIdlePollMs);
            continue;
        }
        if (ready == 0 && !pending.isEmpty()) {
            process(pending);
            pending.clear();
        }
    }
}

void SimServer::process(const QByteArray &request)
{
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        seen.append(request);
    }
    SimAnswer answer;
    {
        std::lock_guard<std::mutex> lock(modelMutex);
        answer = model.answer(request);
    }
    const int cmd = request.size() > 7 ? quint8(request.at(7)) : -1;
    SimFault fault;
    const bool faulty = takeFault(cmd, fault);
    QByteArray bytes = answer.silent ? QByteArray() : answer.payload;
    if (faulty && fault.kind == SimFault::Silence)
        bytes.clear();

    if (!bytes.isEmpty() && faulty) {
        const auto refreshChecksum = [&bytes] {
            bytes[bytes.size() - 1] = char(ControllerModel::checksum(bytes.left(bytes.size() - 1)));
        };
        switch (fault.kind) {
        case SimFault::BadChecksum:
            bytes[bytes.size() - 1] = char(bytes.back() ^ 0x5A);
            break;
        case SimFault::BadStart:
            bytes[0] = char(0xAB);
            refreshChecksum();
            break;
        case SimFault::OtherCommand:
            bytes[7] = char(quint8(bytes.at(7)) ^ 0x40);
            refreshChecksum();
            break;
        case SimFault::WrongSize:
            bytes.insert(bytes.size() - 1, '\0');
            refreshChecksum();
            break;
        default:
            break;
        }
    }

    if (answer.delayMs > 0 && !sleepUnlessStopping(answer.delayMs))
        return;
    if (faulty && fault.kind == SimFault::Late && !sleepUnlessStopping(fault.param))
        return;
    if (faulty && fault.kind == SimFault::LeadingJunk)
        bytes.prepend(QByteArray(fault.param, char(0x55)));
    if (!bytes.isEmpty() && faulty && fault.kind == SimFault::Pieces) {
        const int third = int(bytes.size()) / 3;
        writeAll(bytes.left(third));
        sleepUnlessStopping(fault.param);
        writeAll(bytes.mid(third, third));
        sleepUnlessStopping(fault.param);
        writeAll(bytes.mid(2 * third));
    } else if (!bytes.isEmpty()) {
        writeAll(bytes);
    }
    if (faulty && fault.kind == SimFault::TrailingJunk)
        writeAll(QByteArray(fault.param, char(0x55)));
    if (onExchange)
        onExchange(request, bytes);
}
