// The simulated controller's own line handling that the other suites lean on without
// seeing it: when a request counts as whole, and pulling the adapter.

#include "protocol/frame/frame.h"
#include "sim/simserver.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>

#include <memory>

namespace {

constexpr int kLeaveAnswerSize = 14; // firmware other than 1.4.0
constexpr int kWaitMs = 10000;

// Sends the leave-settings-mode request on the port side of the line, opened as the utility
// opens the adapter, and reads the answer.
QByteArray leave(QSerialPort &port)
{
    port.write(Link::buildRequest(Link::CmdLeaveSettingsMode));
    QByteArray answer;
    while (answer.size() < kLeaveAnswerSize && port.waitForReadyRead(kWaitMs))
        answer += port.readAll();
    return answer;
}

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
        QTest::newRow("leave settings mode") << Link::buildRequest(Link::CmdLeaveSettingsMode) << true;
        QTest::newRow("write analog settings") << request(Link::CmdWriteAnalogSettings, 33) << true;
        QTest::newRow("firmware part") << request(Link::CmdFirmwarePart, 7 + 256) << true;
        QTest::newRow("analog record one byte short") << request(Link::CmdWriteAnalogSettings, 32) << false;
        // A password longer than its field is sent whole, so the size alone never says
        // that an authorise request is over: it waits for the quiet gap.
        QTest::newRow("authorise") << request(Link::CmdAuthorise, 9) << false;
        QTest::newRow("unknown command") << request(3, 1) << false;
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

    void closeLineEndsALateAnswerAndFreesTheLine()
    {
        auto first = std::make_unique<SimServer>();
        QVERIFY(first->start());
        QSerialPort oldPort(first->portName());
        QVERIFY(oldPort.open(QIODevice::ReadWrite));

        // The adapter is pulled while the controller holds back its answer for a minute.
        first->injectFault({SimFault::Late, 1, 60000, Link::CmdLeaveSettingsMode});
        oldPort.write(Link::buildRequest(Link::CmdLeaveSettingsMode));
        QVERIFY(oldPort.waitForBytesWritten(kWaitMs));
        QCOMPARE(oldPort.error(), QSerialPort::NoError);
        QTRY_COMPARE_WITH_TIMEOUT(first->requestCount(), 1, kWaitMs);
        QElapsedTimer timer;
        timer.start();
        first->closeLine();
        QVERIFY2(timer.elapsed() < kWaitMs, "pulling the adapter must not wait for the answer");
        QTRY_VERIFY_WITH_TIMEOUT(oldPort.error() != QSerialPort::NoError, kWaitMs);

        // Another adapter comes in, maybe under the descriptor number just freed; the first
        // simulator's thread must not take its bytes.
        SimServer second;
        QVERIFY(second.start());
        QSerialPort newPort(second.portName());
        QVERIFY(newPort.open(QIODevice::ReadWrite));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(leave(newPort).size(), kLeaveAnswerSize);
        first.reset();
        QCOMPARE(second.requestCount(), 3);
    }
};

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
