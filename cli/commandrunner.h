#pragma once

// Runs one session's controller commands on the window's worker, one at a time, and waits for
// each to end; turns the worker's reports into field lists, progress and exit codes.

#include "protocol/document/snapshot.h"
#include "link/worker/commandline.h"
#include "link/worker/commandreports.h"

#include <QEventLoop>
#include <QMap>
#include <QObject>
#include <QStringList>

#include <memory>

class Console;
class MasterThread;

class CommandRunner : public QObject, private CommandReports
{
    Q_OBJECT

public:
    CommandRunner(const QString &portName, int timeoutMs, Console &console);
    ~CommandRunner() override;

    // Each returns ExitCode::Done, or the code of the failure after printing the worker's text.
    int authorise(const QString &password);
    // An empty snapshot of this session's board, to be filled by the reads below.
    Snapshot snapshot() const;
    int readController(Snapshot &snapshot);
    int readAnalog(Snapshot &snapshot);
    int readDigital(Snapshot &snapshot);
    // Command 33, 16 or 32 with its write lists; done when every record was answered.
    // `answered`: how many of the first rows the controller confirmed, also on a failure.
    int write(int cmd, const Rows &rows, int *answered = nullptr);
    int readAnalogReadings(const Rows &rows, QMap<int, QStringList> &readings);
    int readMeterReadings(const Rows &rows, QMap<int, QStringList> &readings);
    int uploadFirmware();
    int leaveSettingsMode();

    // From the hardware version of the last authorisation.
    int analogChannelCount() const { return analogCount; }

    // Stops the running command at its next safe point; no command starts after it.
    void interrupt();

private:
    // What the worker reported during one command.
    struct Reports {
        int cmd = 0;
        QString lastText;
        bool answered = false;
        bool portFailed = false;
        bool authorised = false;
        bool sessionEnded = false;
        bool ended = false;
        QString hardware;
        QStringList controller;
        QMap<int, QStringList> analogSettings;
        QMap<int, QStringList> analogReadings;
        QMap<int, QStringList> digitalSettings;
        QMap<int, QStringList> meterReadings;
    };

    void connectWorker();

    void status(const QString &text) override;
    void progress(int percent) override;
    void answered() override { reports.answered = true; }
    void frame(const Traffic::Frame &) override {}
    void channelSettings(Channels kind, int index, const QStringList &fields) override;
    void reading(Channels kind, int index, const QStringList &fields) override;
    void channelsInUse(Channels, int) override {}
    void controllerSettings(const QStringList &fields) override { reports.controller = fields; }
    void modemData(const QStringList &) override {}
    void modemIdle(bool) override {}
    void commandsEnabled(const QString &) override {}
    void hardware(const QString &version) override { reports.hardware = version; }
    void succeeded(int cmd) override;
    void settingsModeOver() override { reports.sessionEnded = true; }

    // Runs one command to its end; false only when a stop came before it could start.
    bool run(int cmd, const Rows *rows = nullptr);
    int failed();

    QString portName;
    int timeoutMs = 0;
    Console &console;
    QEventLoop loop;
    Reports reports;
    int analogCount = AnalogRecord::kChannelCount;
    bool interrupted = false;
    // Last, so that it stops first: its destructor ends the running command and the thread.
    std::unique_ptr<MasterThread> worker;
};
