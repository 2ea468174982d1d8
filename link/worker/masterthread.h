#pragma once

// Worker thread that owns the serial port and runs one controller command at a time.

#include "link/worker/commandline.h"

#include <QSerialPort>
#include <QThread>

#include <condition_variable>
#include <memory>
#include <mutex>

class MasterThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int kPollStepMs = 10;
    // How often a long wait on the port looks whether the command is to stop.
    static constexpr int kQuitCheckMs = 100;
    // How long a stop lets an answer that is arriving go on.
    static constexpr int kStopGraceMs = 1000;

    explicit MasterThread(QObject *parent = nullptr);
    ~MasterThread() override;

    void transaction(const QString &portName, int waitTimeout, int cmd);
    void transaction(const QString &portName, int waitTimeout, int cmd, const Rows &rows);

    // Stops the running command at its next safe point: between exchanges, or in a wait for an
    // answer that has not begun. A command that was not running is not affected.
    void cancel();

    // Hands every command report to `to` on the thread of `context`, in the order the worker
    // sent them, for front ends that take the reports as calls rather than signals.
    void relayReports(QObject *context, CommandReports &to) const;

    // Uploads another image than the built-in one from the next command on (tests, service use).
    void setFirmwareFileName(const QString &fileName);

    quint8 getAnalogChannelCount() const;
    void setAnalogChannelCount(quint8 count);

    static QString noConnectionText();
    // "Операция прервана.": a command stopped after its exchanges said how far it came.
    static QString stoppedText();
    // "Невозможно открыть порт X, код ошибки N" with the likely reason for the common codes.
    static QString openFailureText(const QString &portName, QSerialPort::SerialPortError code);

signals:
    void error(const QString &s);
    void enableTablesContorls(bool on);
    void enableButtonsContorls(bool on, const QString &fw);
    void updateProgressBar(int value);
    void updateHw(const QString &hw);
    void setComSettings(int index, const QStringList &data);
    void setComData(int index, const QStringList &data);
    void setRsSettings(int index, const QStringList &data);
    void setRsData(int index, const QStringList &data);
    void setCpuSet(const QStringList &data);
    void update_timer();
    void stop_timer();
    void set_num_of_analogInputs(int count);
    void set_num_of_rs485Inputs(int count);
    void setBC68Data(const QStringList &data);
    void enableButtonStartBC68(bool on);
    void update_cmd_status(int cmd, bool isOk);
    void traffic(const Traffic::Frame &frame);
    // The port could not be opened; sent before the status text that says so.
    void portNotOpened(const QString &portName, int errorCode);

protected:
    void run() override;

private:
    class SignalReports;
    // The commands' line over the serial port.
    class SerialLine;

    void handOver(const QString &portName, int waitTimeout, int cmd, const Rows *rows);
    bool takeCommand(); // false when the thread is to end
    bool ensurePortOpen();
    void runCommand();

    CommandLine::Transfer transfer(const QByteArray &frame, int attempt, int quietGap,
                                   QByteArray &answer);
    bool pause(int ms);
    QByteArray settle(int quietMs, int limitMs);
    bool portLost();
    enum WriteResult { WriteDone, WriteFailed, WriteQuit };
    // `abandonable`: a stop may end a write that does not finish.
    WriteResult waitWritten(bool abandonable);

    QSerialPort serial;
    // Hand-over fields, guarded by mutex.
    QString portName;
    int requestedTimeout = 0;
    int requestedCmd = 0;
    std::unique_ptr<Rows> requestedRows;
    QString requestedFirmwareName;
    // Standard primitives rather than QMutex/QWaitCondition: the wait's unlock and relock then
    // happen in code that thread sanitizers see, so the hand-over can be checked by them.
    mutable std::mutex mutex;
    std::condition_variable cond;
    bool quit = false;
    bool commandPending = false;
    // The command being run, copied from the hand-over; only the worker thread touches them.
    QString currentPortName;
    int cmd = 0;
    std::unique_ptr<SignalReports> reports;
    // Rows, time-out, firmware word and image of the commands.
    std::unique_ptr<SerialLine> line;
};
