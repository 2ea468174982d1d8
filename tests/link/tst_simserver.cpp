// The simulated controller's own line handling that the other suites lean on without
// seeing it: when a request counts as whole, the exchange hook, pulling the adapter and
// stopping while the port side does not read.

#include "link/frame.h"
#include "sim/simserver.h"

#include <QElapsedTimer>
#include <QtTest>

#include <atomic>
#include <fcntl.h>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kLeaveAnswerSize = 14; // firmware other than 1.4.0
constexpr int kWaitMs = 10000;

// The port side of the line, opened as the utility would open the adapter.
struct Port
{
    explicit Port(const QString &path)
        : fd(::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {}
    ~Port() { if (fd >= 0) ::close(fd); }

    bool send()
    {
        const QByteArray request = Link::buildRequest(Link::CmdLeaveSettingsMode);
        return ::write(fd, request.constData(), size_t(request.size())) == request.size();
    }

    // Sends the leave-settings-mode request and reads its answer, waiting at most kWaitMs.
    QByteArray leave()
    {
        QByteArray out;
        QElapsedTimer timer;
        timer.start();
        if (!send())
            return out;
        while (out.size() < kLeaveAnswerSize && timer.elapsed() < kWaitMs) {
            char buffer[64];
            const ssize_t n = events(50) ? ::read(fd, buffer, sizeof buffer) : 0;
            if (n < 0)
                break;
            out.append(buffer, n);
        }
        return out;
    }

    short events(int waitMs)
    {
        pollfd p {fd, POLLIN, 0};
        return ::poll(&p, 1, waitMs) > 0 ? p.revents : 0;
    }

    const int fd;
};

} // namespace

class TestSimServer : public QObject
{
    Q_OBJECT

private slots:
    void wholeRequest_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<bool>("whole");
        const auto request = [](quint8 cmd, int payloadSize) {
            const QByteArray payload(payloadSize, '\x01');
            return Link::buildRequest(cmd, &payload);
        };
        // The leave-settings-mode request with bytes flipped in their lowest bit.
        const auto flipped = [](std::initializer_list<int> at) {
            QByteArray frame = Link::buildRequest(Link::CmdLeaveSettingsMode);
            for (int i : at)
                frame[i] = char(frame[i] ^ 1);
            return frame;
        };
        QTest::newRow("leave settings mode") << flipped({}) << true;
        QTest::newRow("write analog settings") << request(Link::CmdWriteAnalogSettings, 33) << true;
        QTest::newRow("firmware part") << request(Link::CmdFirmwarePart, 7 + 256) << true;
        QTest::newRow("analog record one byte short") << request(Link::CmdWriteAnalogSettings, 32) << false;
        // A password longer than its field is sent whole, so the size alone never says
        // that an authorise request is over: it waits for the quiet gap.
        QTest::newRow("authorise") << request(Link::CmdAuthorise, 9) << false;
        QTest::newRow("unknown command") << request(3, 1) << false;
        QTest::newRow("bad checksum") << flipped({9}) << false;
        QTest::newRow("other header, checksum to match") << flipped({2, 9}) << false;
        // Twelve bytes of an analog write whose last byte happens to be the checksum of the
        // eleven before it.
        QByteArray prefix = request(Link::CmdWriteAnalogSettings, 33).left(12);
        prefix[11] = char(Link::frameChecksum(prefix, 11));
        QTest::newRow("analog write prefix ending on its checksum") << prefix << false;
    }

    void wholeRequest()
    {
        QFETCH(QByteArray, frame);
        QFETCH(bool, whole);
        QCOMPARE(SimServer::isWholeRequest(frame), whole);
    }

    void exchangeHook()
    {
        SimServer sim;
        QVERIFY(sim.start());
        Port port(sim.portName());

        // A hook that clears itself does so on the serving thread, which must not wait for
        // its own call to end.
        std::atomic<int> selfCleared{0}, cleared{0}, last{0};
        QByteArray seen;
        sim.setOnExchange([&](const QByteArray &request, const QByteArray &answer) {
            seen = request + answer;
            ++selfCleared;
            sim.setOnExchange(nullptr);
        });
        const QByteArray answer = port.leave();
        QTRY_COMPARE_WITH_TIMEOUT(selfCleared.load(), 1, kWaitMs);
        QCOMPARE(seen, Link::buildRequest(Link::CmdLeaveSettingsMode) + answer);

        sim.setOnExchange([&](const QByteArray &, const QByteArray &) { ++cleared; });
        sim.setOnExchange(nullptr);
        QCOMPARE(port.leave().size(), kLeaveAnswerSize);
        // Exchanges are served one after another: once this hook has seen its exchange, every
        // earlier one has had its chance to call a hook.
        sim.setOnExchange([&](const QByteArray &, const QByteArray &) { ++last; });
        QCOMPARE(port.leave().size(), kLeaveAnswerSize);
        QTRY_COMPARE_WITH_TIMEOUT(last.load(), 1, kWaitMs);
        sim.setOnExchange(nullptr);
        QCOMPARE(selfCleared.load(), 1);
        QCOMPARE(cleared.load(), 0);
    }

    void closeLineEndsALateAnswerAndFreesTheLine()
    {
        auto first = std::make_unique<SimServer>();
        QVERIFY(first->start());
        Port oldPort(first->portName());

        // The adapter is pulled while the controller holds back its answer for a minute.
        first->injectFault({SimFault::Late, 1, 60000, Link::CmdLeaveSettingsMode});
        QVERIFY(oldPort.send());
        QTRY_COMPARE_WITH_TIMEOUT(first->requestCount(), 1, kWaitMs);
        QElapsedTimer timer;
        timer.start();
        first->closeLine();
        QVERIFY2(timer.elapsed() < kWaitMs, "pulling the adapter must not wait for the answer");
        QVERIFY(oldPort.events(kWaitMs) & (POLLHUP | POLLERR));

        // Another adapter comes in, maybe under the descriptor number just freed; the first
        // simulator's thread must not take its bytes.
        SimServer second;
        QVERIFY(second.start());
        Port newPort(second.portName());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(newPort.leave().size(), kLeaveAnswerSize);
        first.reset();
        QCOMPARE(second.requestCount(), 3);
    }

    void stopReturnsWhileThePortDoesNotRead()
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
        QVERIFY(!written);

        QElapsedTimer timer;
        timer.start();
        sim.stop();
        writer.join();
        QVERIFY2(timer.elapsed() < kWaitMs, "stop() must give up a write the port does not take");
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
