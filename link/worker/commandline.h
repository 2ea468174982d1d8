#pragma once

// The narrow line a controller command talks through: it sends one request and gets back an
// accepted answer or a failure, and carries the command's rows, time-out and reports.

#include "link/worker/commandreports.h"
#include "protocol/channels/digitalrules.h"
#include "protocol/frame/traffic.h"

#include <QCoreApplication>
#include <QIODevice>
#include <QList>
#include <QStringList>

#include <atomic>
#include <memory>

using Rows = QList<QStringList>;

class CommandLine
{
public:
    static constexpr int kQuietGapMs = 50;
    static constexpr int kAttempts = 2;
    // Channel loops let the controller breathe between channels.
    static constexpr int kChannelPauseMs = 5;
    static constexpr int kProgressDone = 100;
    static constexpr quint16 kFirmwarePartSize = 256;

    // How one attempt on the line ended.
    enum class Transfer {
        Read,    // the read is over; the answer holds whatever arrived, perhaps nothing
        NotSent, // the request did not leave within the time-out
        Lost,    // the port died under the attempt
        Stopped, // not sent: the port was lost earlier or the command is to stop; end quietly
        Abandoned, // sent, but a stop ended the wait before an answer began
    };

    explicit CommandLine(CommandReports &reports);
    virtual ~CommandLine();
    CommandLine(const CommandLine &) = delete;
    CommandLine &operator=(const CommandLine &) = delete;

    // Status text, then the exchange: true with an accepted answer for `cmd`.
    bool request(quint8 cmd, const QByteArray *payload, const QString &status,
                 QByteArray &response, int quietGap = kQuietGapMs, int attempts = kAttempts);
    // Attempts, frame check and command match; the no-connection text once when all failed.
    // `echo`: the record a write sent, which its answer must repeat after the first byte
    // (there the channel index, in the answer the result); an answer that does not is another
    // request's and is not taken.
    bool exchange(quint8 cmd, const QByteArray &frame, QByteArray &response, int quietGap,
                  int attempts, const QByteArray *echo = nullptr);
    // The exchange of a settings write of one record, confirmed by its echo.
    bool write(quint8 cmd, const QByteArray &payload, QByteArray &response);
    // Waits `ms`; false, perhaps earlier, when the command is to stop.
    virtual bool pause(int ms) = 0;

    // The engineer's stop, or the program closing: the line takes no further exchange, and a
    // wait for an answer that has not begun ends. Cleared when the next command is handed over.
    void requestStop() { stopFlag.store(true); }
    bool stopRequested() const { return stopFlag.load(); }
    // Lets a command that was stopped send its closing exchange (the firmware finish).
    void resumeAfterStop() { stopFlag.store(false); }
    void beginCommand()
    {
        stopHonoured = false;
        stopReported = false;
    }
    // After a failed step of a channel loop: when the stop caused it, says how far the command
    // got ("processed N of M channels") and returns true.
    bool reportStop(int done, int total);
    // Set when a stop cut the command short (an exchange not made, a pause cut), and once the
    // command has said where it stopped; a stop that came after the last exchange changes nothing.
    bool stopHonoured = false;
    bool stopReported = false;

    int rowCount() const { return int(rows.size()); }
    QStringList row(int i) const { return rows.value(i); }
    // Channel index of row i; text that is no number gives 0.
    int rowChannel(int i) const { return row(i).value(0).toInt(); }
    int digitalDisplayNumber(int index) const
    {
        return DigitalRules::displayNumber(index, analogChannelCount.load());
    }

    static QString noConnectionText();

    // The command being run. Commands multiply waitTimeout in place by their factor.
    Rows rows;
    int waitTimeout = 0;
    // From the latest accepted authorise answer; it decides later answers' sizes.
    quint32 fwWord = 0;
    // Set by the window from the hardware version, read by later commands.
    std::atomic<quint8> analogChannelCount{8};
    std::unique_ptr<QIODevice> firmwareFile;
    // Where the command's records, progress and texts go.
    CommandReports &report;


protected:
    // One attempt: clear the line, send `frame`, read until the quiet gap or the time-out.
    virtual Transfer transfer(const QByteArray &frame, int attempt, int quietGap,
                              QByteArray &answer) = 0;
    // Reads and returns what arrives until the line has been quiet for `quietMs`, for at most
    // `limitMs` or until a stop: the answers still owed to earlier attempts of a request that
    // was answered on a retry, which the next request must not take for its own.
    virtual QByteArray settle(int quietMs, int limitMs)
    {
        Q_UNUSED(quietMs);
        Q_UNUSED(limitMs);
        return {};
    }

private:
    static constexpr int kSettleLimitFactor = 3;
    void settleAfterRetry(quint8 cmd, int waited, int attempt);
    void logFrame(qint64 time, Traffic::Direction direction, quint8 cmd,
                  const QByteArray &bytes, Traffic::Outcome outcome, int attempt);

    std::atomic<bool> stopFlag{false};
};

// The commands' texts are the worker's texts and translate in its context.
inline QString workerText(const char *source)
{
    return QCoreApplication::translate("MasterThread", source);
}
