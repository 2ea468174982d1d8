#include "sim/simserver.h"

#include <QDebug>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// A request is complete when the line has been quiet this long after its last byte.
constexpr int kRequestGapMs = 4;
constexpr int kIdlePollMs = 20;
// A write that finds the line's buffer full waits for room in slices this long, so that
// stopping or pulling the adapter is noticed.
constexpr int kWriteSliceMs = 10;

const char kRequestHeader[] = {char(0xAA), 0x00, 0x46, 0x25, 0x00, 0x00, 0x00};
// Header and command byte before the payload, checksum after it.
constexpr int kRequestOverhead = 8 + 1;
constexpr int kChannelIndexPayload = 1;
constexpr int kFillerPayload = 1;
constexpr int kAnalogRecordPayload = 33;
constexpr int kDigitalRecordPayload = 20;
constexpr int kFirmwareStartPayload = 9;  // filler, size (4), CRC (4)
constexpr int kFirmwarePartHeader = 7;    // filler, index (2), CRC (4)

// Whole request frame the controller takes for `cmd`; 0 when the command does not fix
// it: the password of authorise and new password is sent whole when it is longer than
// its field, and unknown commands have no size at all.
int requestFrameSize(quint8 cmd)
{
    switch (cmd) {
    case 1: case 2: case 4: case 8:
        return kRequestOverhead + kChannelIndexPayload;
    case 9: case 128: case 132: case 136: case 137:
        return kRequestOverhead + kFillerPayload;
    case 16:
        return kRequestOverhead + kAnalogRecordPayload;
    case 32:
        return kRequestOverhead + kDigitalRecordPayload;
    case 33:
        return kRequestOverhead + SimControllerSettings::kWritePayloadSize;
    case 129:
        return kRequestOverhead + kFirmwareStartPayload;
    case 130:
        return kRequestOverhead + kFirmwarePartHeader + SimFirmware::kPartSize;
    default:
        return 0;
    }
}

} // namespace

bool SimServer::isWholeRequest(const QByteArray &bytes)
{
    if (bytes.size() < kRequestOverhead
        || !bytes.startsWith(QByteArray::fromRawData(kRequestHeader, sizeof kRequestHeader)))
        return false;
    const int size = requestFrameSize(quint8(bytes.at(7)));
    return size > 0 && bytes.size() == size
        && ControllerModel::checksum(bytes.left(bytes.size() - 1)) == quint8(bytes.back());
}

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
    wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    // Writes wait for room themselves (writeAll), so that a full line never blocks stop().
    if (wakeFd < 0 || ::fcntl(masterFd, F_SETFL, ::fcntl(masterFd, F_GETFL) | O_NONBLOCK) != 0) {
        stop();
        return false;
    }
    // The slave descriptor stays open here, so that the master never reads end-of-file
    // while nobody else has the port open.
    slavePath = QString::fromLocal8Bit(name);
    stopping = false;
    closeRequested = false;
    thread = std::thread([this] { serve(); });
    return true;
}

void SimServer::stop()
{
    stopping = true;
    if (thread.joinable()) {
        wake();
        thread.join();
    }
    closeMaster();
    if (slaveFd >= 0) {
        ::close(slaveFd);
        slaveFd = -1;
    }
    if (wakeFd >= 0) {
        ::close(wakeFd);
        wakeFd = -1;
    }
}

void SimServer::wake()
{
    const std::uint64_t one = 1;
    if (wakeFd >= 0 && ::write(wakeFd, &one, sizeof one) < 0 && errno != EAGAIN)
        qWarning() << "simulator: cannot wake the serving thread, errno" << errno;
}

void SimServer::closeLine()
{
    closeRequested = true;
    const bool elsewhere = thread.joinable() && std::this_thread::get_id() != thread.get_id();
    if (!elsewhere) {
        // No serving thread, or this is it (an exchange hook pulling the adapter).
        closeMaster();
        return;
    }
    // The serving thread closes the descriptor itself, so that it never polls or reads a
    // number that another terminal may already have been given.
    wake();
    std::unique_lock<std::mutex> lock(lineMutex);
    lineClosed.wait(lock, [this] { return masterFd < 0; });
}

void SimServer::closeMaster()
{
    {
        std::lock_guard<std::mutex> lock(lineMutex);
        if (masterFd >= 0) {
            ::close(masterFd);
            masterFd = -1;
        }
    }
    lineClosed.notify_all();
}

void SimServer::setOnExchange(ExchangeHook hook)
{
    ExchangeHook previous; // destroyed after the lock is released
    std::unique_lock<std::mutex> lock(stateMutex);
    previous.swap(exchangeHook);
    exchangeHook = std::move(hook);
    // A hook replacing itself from within its own call must not wait for that call.
    if (std::this_thread::get_id() != thread.get_id())
        hookIdle.wait(lock, [this] { return !hookRunning; });
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
    // Holding lineMutex keeps one write's bytes together on the line and keeps masterFd
    // open under it; it is given up within one slice once the line is to be closed.
    std::lock_guard<std::mutex> lock(lineMutex);
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0 && masterFd >= 0 && !interrupted()) {
        const ssize_t n = ::write(masterFd, data, size_t(left));
        if (n > 0) {
            data += n;
            left -= n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
        // The port side is not reading and the line's buffer is full.
        pollfd p {masterFd, POLLOUT, 0};
        if (::poll(&p, 1, kWriteSliceMs) < 0 && errno != EINTR)
            return;
    }
}

bool SimServer::pauseUnlessInterrupted(int ms)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!interrupted()) {
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
    // Only this thread closes the descriptor while it runs, so the number stays ours.
    const int fd = masterFd;
    QByteArray pending;
    while (!interrupted()) {
        pollfd p[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
        const int ready = ::poll(p, 2, pending.isEmpty() ? kIdlePollMs : kRequestGapMs);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (p[1].revents != 0)
            continue; // stop() or closeLine(): the loop condition ends the thread
        if (p[0].revents & POLLIN) {
            char buffer[4096];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n > 0) {
                pending.append(buffer, n);
                // A whole request is answered at once, as the controller does; anything
                // else waits for the line to fall quiet.
                if (isWholeRequest(pending)) {
                    process(pending);
                    pending.clear();
                }
                continue;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR))
                continue;
        }
        if (p[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            pauseUnlessInterrupted(kIdlePollMs);
            continue;
        }
        if (ready == 0 && !pending.isEmpty()) {
            process(pending);
            pending.clear();
        }
    }
    closeMaster();
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

    if (answer.delayMs > 0 && !pauseUnlessInterrupted(answer.delayMs))
        return;
    if (faulty && fault.kind == SimFault::Late && !pauseUnlessInterrupted(fault.param))
        return;
    if (faulty && fault.kind == SimFault::LeadingJunk)
        bytes.prepend(QByteArray(fault.param, char(0x55)));
    if (!bytes.isEmpty() && faulty && fault.kind == SimFault::Pieces) {
        const int third = int(bytes.size()) / 3;
        writeAll(bytes.left(third));
        pauseUnlessInterrupted(fault.param);
        writeAll(bytes.mid(third, third));
        pauseUnlessInterrupted(fault.param);
        writeAll(bytes.mid(2 * third));
    } else if (!bytes.isEmpty()) {
        writeAll(bytes);
    }
    if (faulty && fault.kind == SimFault::TrailingJunk)
        writeAll(QByteArray(fault.param, char(0x55)));

    // Called on a copy, without the lock, so that the hook may use the server; a setter
    // on another thread waits until this call is over.
    ExchangeHook hook;
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        hook = exchangeHook;
        hookRunning = bool(hook);
    }
    if (!hook)
        return;
    hook(request, bytes);
    {
        std::lock_guard<std::mutex> lock(stateMutex);
        hookRunning = false;
    }
    hookIdle.notify_all();
}
