// The simulated controller's own line handling: when a request counts as whole, the
// exchange hook, pulling the adapter and stopping while the port side does not read.

#include "link/frame.h"
#include "sim/simserver.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kLeaveSettingsMode = 128;
constexpr int kLeaveAnswerSize = 14; // firmware other than 1.4.0
constexpr int kWaitMs = 10000;

// The port side of the line, opened as the utility would open the adapter.
class Port
{
public:
    explicit Port(const QString &path)
        : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Port()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Port(const Port &) = delete;
    Port &operator=(const Port &) = delete;

    bool isOpen() const { return fd >= 0; }

    bool send(const QByteArray &bytes)
    {
        return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until `size` bytes have come or `waitMs` has passed.
    QByteArray receive(int size, int waitMs = kWaitMs)
    {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        while (out.size() < size && timer.elapsed() < waitMs) {
            pollfd p {fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            char buffer[512];
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            out.append(buffer, n);
        }
        return out;
    }

    // Poll events of the port side, within `waitMs`.
    short events(int waitMs)
    {
        pollfd p {fd, POLLIN, 0};
        return ::poll(&p, 1, waitMs) > 0 ? p.revents : 0;
    }

private:
    int fd;
};

QByteArray leaveRequest()
{
    return Link::buildRequest(kLeaveSettingsMode);
}

// A write-analog-settings request whose twelfth byte happens to equal the checksum of the
// eleven before it, so that its first twelve bytes alone end on a matching checksum.
QByteArray analogWriteWithCheckedPrefix()
{
    QByteArray payload(33, '\0');
    payload[0] = 3; // channel index
    QByteArray frame = Link::buildRequest(Link::CmdWriteAnalogSettings, &payload);
    payload[3] = char(Link::frameChecksum(frame, 11));
    return Link::buildRequest(Link::CmdWriteAnalogSettings, &payload);
}

} // namespace

class TestSimServer : public QObject
{
    Q_OBJECT

private slots:
    void wholeRequest_data();
    void wholeRequest();
    void prefixWithMatchingChecksumIsNotWhole();
    void clearedHookIsNotCalled();
    void closeLineEndsALateAnswerAndFreesTheLine();
    void stopReturnsWhileThePortDoesNotRead();
};

void TestSimServer::wholeRequest_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<bool>("whole");

    const auto request = [](quint8 cmd, int payloadSize) {
        const QByteArray payload(payloadSize, '\x01');
        return Link::buildRequest(cmd, &payload);
    };
    QTest::newRow("analog reading") << request(Link::CmdAnalogReading, 1) << true;
    QTest::newRow("read controller settings") << Link::buildRequest(Link::CmdReadControllerSettings) << true;
    QTest::newRow("write analog settings") << request(Link::CmdWriteAnalogSettings, 33) << true;
    QTest::newRow("firmware part") << request(Link::CmdFirmwarePart, 7 + 256) << true;
    QTest::newRow("leave settings mode") << leaveRequest() << true;
    QTest::newRow("analog record one byte short") << request(Link::CmdWriteAnalogSettings, 32) << false;
    QTest::newRow("firmware part without its data") << request(Link::CmdFirmwarePart, 7) << false;
    // A password longer than its field is sent whole, so the size alone never says
    // that an authorise request is over: it waits for the quiet gap.
    QTest::newRow("authorise") << request(Link::CmdAuthorise, 9) << false;
    QTest::newRow("unknown command") << request(3, 1) << false;
    QByteArray badChecksum = leaveRequest();
    badChecksum[badChecksum.size() - 1] = char(badChecksum.back() ^ 1);
    QTest::newRow("bad checksum") << badChecksum << false;
    QByteArray badHeader = leaveRequest();
    badHeader[2] = 0x47;
    badHeader[badHeader.size() - 1] = char(Link::frameChecksum(badHeader, int(badHeader.size()) - 1));
    QTest::newRow("other header") << badHeader << false;
}

void TestSimServer::wholeRequest()
{
    QFETCH(QByteArray, frame);
    QFETCH(bool, whole);
    QCOMPARE(SimServer::isWholeRequest(frame), whole);
}

void TestSimServer::prefixWithMatchingChecksumIsNotWhole()
{
    const QByteArray frame = analogWriteWithCheckedPrefix();
    const QByteArray prefix = frame.left(12);
    QCOMPARE(quint8(prefix.back()), Link::frameChecksum(prefix, 11));
    QVERIFY(!SimServer::isWholeRequest(prefix));
    QVERIFY(SimServer::isWholeRequest(frame));
}

void TestSimServer::clearedHookIsNotCalled()
{
    SimServer sim;
    QVERIFY(sim.start());
    Port port(sim.portName());
    QVERIFY(port.isOpen());

    std::atomic<int> first{0};
    QByteArray seenRequest;
    QByteArray seenAnswer;
    sim.setOnExchange([&](const QByteArray &request, const QByteArray &answer) {
        seenRequest = request;
        seenAnswer = answer;
        ++first;
    });
    QVERIFY(port.send(leaveRequest()));
    const QByteArray answer = port.receive(kLeaveAnswerSize);
    QCOMPARE(answer.size(), kLeaveAnswerSize);
    QTRY_COMPARE_WITH_TIMEOUT(first.load(), 1, kWaitMs);
    sim.setOnExchange(nullptr);
    QCOMPARE(seenRequest, leaveRequest());
    QCOMPARE(seenAnswer, answer);

    // Without a hook.
    QVERIFY(port.send(leaveRequest()));
    QCOMPARE(port.receive(kLeaveAnswerSize).size(), kLeaveAnswerSize);

    // A hook that clears itself from within its call.
    std::atomic<int> second{0};
    sim.setOnExchange([&](const QByteArray &, const QByteArray &) {
        ++second;
        sim.setOnExchange(nullptr);
    });
    QVERIFY(port.send(leaveRequest()));
    QCOMPARE(port.receive(kLeaveAnswerSize).size(), kLeaveAnswerSize);
    QTRY_COMPARE_WITH_TIMEOUT(second.load(), 1, kWaitMs);
    QVERIFY(port.send(leaveRequest()));
    QCOMPARE(port.receive(kLeaveAnswerSize).size(), kLeaveAnswerSize);

    // Exchanges are handled one after another, so once the last hook has seen its
    // exchange, every earlier one has had its chance to call a hook.
    std::atomic<int> third{0};
    sim.setOnExchange([&](const QByteArray &, const QByteArray &) { ++third; });
    QVERIFY(port.send(leaveRequest()));
    QTRY_COMPARE_WITH_TIMEOUT(third.load(), 1, kWaitMs);
    sim.setOnExchange(nullptr);
    QCOMPARE(first.load(), 1);
    QCOMPARE(second.load(), 1);
    QCOMPARE(sim.requestCount(kLeaveSettingsMode), 5);
}

void TestSimServer::closeLineEndsALateAnswerAndFreesTheLine()
{
    auto first = std::make_unique<SimServer>();
    QVERIFY(first->start());
    Port oldPort(first->portName());
    QVERIFY(oldPort.isOpen());

    // The adapter is pulled while the controller holds back its answer for a minute.
    first->injectFault({SimFault::Late, 1, 60000, kLeaveSettingsMode});
    QVERIFY(oldPort.send(leaveRequest()));
    QTRY_COMPARE_WITH_TIMEOUT(first->requestCount(), 1, kWaitMs);
    QElapsedTimer timer;
    timer.start();
    first->closeLine();
    QVERIFY2(timer.elapsed() < kWaitMs, "pulling the adapter must not wait for the answer");
    // The port side sees the line gone.
    QVERIFY(oldPort.events(kWaitMs) & (POLLHUP | POLLERR));

    // Another adapter comes in; the first simulator's thread must not take its bytes.
    SimServer second;
    QVERIFY(second.start());
    Port newPort(second.portName());
    QVERIFY(newPort.isOpen());
    for (int i = 0; i < 3; ++i) {
        QVERIFY(newPort.send(leaveRequest()));
        QCOMPARE(newPort.receive(kLeaveAnswerSize).size(), kLeaveAnswerSize);
    }
    QCOMPARE(second.requestCount(), 3);
    QCOMPARE(first->requestCount(), 1);
    first.reset();
    QCOMPARE(second.requestCount(), 3);
}

void TestSimServer::stopReturnsWhileThePortDoesNotRead()
{
    SimServer sim;
    QVERIFY(sim.start());
    // Far more than a terminal buffers: nobody reads the port, so the write cannot end
    // by itself.
    std::atomic<bool> written{false};
    std::thread writer([&sim, &written] {
        sim.sendRaw(QByteArray(4 * 1024 * 1024, char(0x55)));
        written = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(sim.pendingOnPort() > 0, kWaitMs);
    // The simulator's records stay reachable while the write waits for room.
    QCOMPARE(sim.requestCount(), 0);
    sim.injectFault({SimFault::Silence});
    QVERIFY(!written);

    QElapsedTimer timer;
    timer.start();
    sim.stop();
    writer.join();
    QVERIFY2(timer.elapsed() < kWaitMs, "stop() must give up a write the port does not take");
    QVERIFY(written);
    QCOMPARE(sim.pendingOnPort(), 0);
}

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
