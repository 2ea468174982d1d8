#include "link/worker/masterthread.h"

#include "link/worker/commandtable.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"
#include "lumaro/version.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>

namespace {

constexpr qint32 kBaudRate = QSerialPort::Baud115200;

} // namespace

// The commands' reports become this worker's signals, sent from the worker thread in the order
// the command made them.
class MasterThread::SignalReports : public CommandReports
{
public:
    explicit SignalReports(MasterThread &w) : worker(w) {}

    void status(const QString &text) override { emit worker.error(text); }
    void progress(int percent) override { emit worker.updateProgressBar(percent); }
    void answered() override { emit worker.update_timer(); }
    void frame(const Traffic::Frame &frame) override { emit worker.traffic(frame); }
    void channelSettings(Channels kind, int index, const QStringList &fields) override
    {
        if (kind == Channels::Analog)
            emit worker.setComSettings(index, fields);
        else
            emit worker.setRsSettings(index, fields);
    }
    void reading(Channels kind, int index, const QStringList &fields) override
    {
        if (kind == Channels::Analog)
            emit worker.setComData(index, fields);
        else
            emit worker.setRsData(index, fields);
    }
    void channelsInUse(Channels kind, int count) override
    {
        if (kind == Channels::Analog)
            emit worker.set_num_of_analogInputs(count);
        else
            emit worker.set_num_of_rs485Inputs(count);
    }
    void controllerSettings(const QStringList &fields) override { emit worker.setCpuSet(fields); }
    void modemData(const QStringList &fields) override { emit worker.setBC68Data(fields); }
    void modemIdle(bool idle) override { emit worker.enableButtonStartBC68(idle); }
    void commandsEnabled(const QString &firmware) override
    {
        emit worker.enableButtonsContorls(true, firmware);
    }
    void hardware(const QString &version) override { emit worker.updateHw(version); }
    void succeeded(int cmd) override { emit worker.update_cmd_status(cmd, true); }
    void settingsModeOver() override { emit worker.stop_timer(); }

private:
    MasterThread &worker;
};

class MasterThread::SerialLine : public CommandLine
{
public:
    SerialLine(MasterThread &w, CommandReports &reports) : CommandLine(reports), worker(w) {}
    bool pause(int ms) override { return worker.pause(ms); }

protected:
    Transfer transfer(const QByteArray &frame, int attempt, int quietGap,
                      QByteArray &answer) override
    {
        return worker.transfer(frame, attempt, quietGap, answer);
    }
    QByteArray settle(int quietMs, int limitMs) override { return worker.settle(quietMs, limitMs); }

private:
    MasterThread &worker;
};

MasterThread::MasterThread(QObject *parent)
    : QThread(parent)
    , reports(std::make_unique<SignalReports>(*this))
    , line(std::make_unique<SerialLine>(*this, *reports))
{
    line->firmwareFile =
        std::make_unique<QFile>(QString::fromLatin1(Lumaro::kBuiltInFirmwareResource));
    qRegisterMetaType<Traffic::Frame>();
    serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setReadBufferSize(0);
    serial.moveToThread(this);
}

void MasterThread::relayReports(QObject *context, CommandReports &to) const
{
    using C = CommandReports::Channels;
    CommandReports *r = &to;
    connect(this, &MasterThread::error, context, [r](const QString &s) { r->status(s); });
    connect(this, &MasterThread::updateProgressBar, context, [r](int v) { r->progress(v); });
    connect(this, &MasterThread::update_timer, context, [r] { r->answered(); });
    connect(this, &MasterThread::traffic, context,
            [r](const Traffic::Frame &f) { r->frame(f); });
    connect(this, &MasterThread::setComSettings, context,
            [r](int i, const QStringList &d) { r->channelSettings(C::Analog, i, d); });
    connect(this, &MasterThread::setRsSettings, context,
            [r](int i, const QStringList &d) { r->channelSettings(C::Digital, i, d); });
    connect(this, &MasterThread::setComData, context,
            [r](int i, const QStringList &d) { r->reading(C::Analog, i, d); });
    connect(this, &MasterThread::setRsData, context,
            [r](int i, const QStringList &d) { r->reading(C::Digital, i, d); });
    connect(this, &MasterThread::set_num_of_analogInputs, context,
            [r](int n) { r->channelsInUse(C::Analog, n); });
    connect(this, &MasterThread::set_num_of_rs485Inputs, context,
            [r](int n) { r->channelsInUse(C::Digital, n); });
    connect(this, &MasterThread::setCpuSet, context,
            [r](const QStringList &d) { r->controllerSettings(d); });
    connect(this, &MasterThread::setBC68Data, context,
            [r](const QStringList &d) { r->modemData(d); });
    connect(this, &MasterThread::enableButtonStartBC68, context,
            [r](bool idle) { r->modemIdle(idle); });
    connect(this, &MasterThread::enableButtonsContorls, context,
            [r](bool, const QString &fw) { r->commandsEnabled(fw); });
    connect(this, &MasterThread::updateHw, context, [r](const QString &hw) { r->hardware(hw); });
    connect(this, &MasterThread::update_cmd_status, context, [r](int cmd, bool ok) {
        if (ok)
            r->succeeded(cmd);
    });
    connect(this, &MasterThread::stop_timer, context, [r] { r->settingsModeOver(); });
}

MasterThread::~MasterThread()
{
    {
        std::lock_guard<std::mutex> locker(mutex);
        quit = true;
        cond.notify_one();
    }
    // A running command stops as the engineer's stop does: a firmware upload still sends its finish.
    line->requestStop();
    wait();
}

void MasterThread::cancel()
{
    line->requestStop();
}

QString MasterThread::noConnectionText()
{
    return CommandLine::noConnectionText();
}

QString MasterThread::stoppedText()
{
    return tr("Операция прервана.");
}

QString MasterThread::openFailureText(const QString &portName, QSerialPort::SerialPortError code)
{
    QString text = tr("Невозможно открыть порт %1, код ошибки %2").arg(portName).arg(int(code));
    switch (code) {
    case QSerialPort::DeviceNotFoundError:
        return text + tr(": такого порта нет (адаптер отключён или имя набрано неверно).");
    case QSerialPort::PermissionError:
        return text + tr(": нет доступа: порт занят другой программой или у пользователя нет прав "
                         "на него (в Linux — группа dialout).");
    case QSerialPort::OpenError:
        return text + tr(": порт уже открыт.");
    default:
        return text;
    }
}

void MasterThread::transaction(const QString &portName, int waitTimeout, int cmd)
{
    handOver(portName, waitTimeout, cmd, nullptr);
}

void MasterThread::transaction(const QString &portName, int waitTimeout, int cmd, const Rows &rows)
{
    handOver(portName, waitTimeout, cmd, &rows);
}

void MasterThread::handOver(const QString &name, int timeout, int command, const Rows *newRows)
{
    std::lock_guard<std::mutex> locker(mutex);
    portName = name;
    requestedTimeout = timeout;
    requestedCmd = command;
    if (newRows)
        requestedRows = std::make_unique<Rows>(*newRows);
    // Here rather than when the worker takes the command: a stop pressed at once must hold.
    line->resumeAfterStop();
    // The flag, not the wake, carries the command: a wake that finds no waiter is lost.
    commandPending = true;
    if (!isRunning())
        start();
    else
        cond.notify_one();
}

void MasterThread::setFirmwareFileName(const QString &fileName)
{
    std::lock_guard<std::mutex> locker(mutex);
    requestedFirmwareName = fileName;
}

quint8 MasterThread::getAnalogChannelCount() const
{
    return line->analogChannelCount.load();
}

void MasterThread::setAnalogChannelCount(quint8 count)
{
    line->analogChannelCount.store(count);
}

bool MasterThread::takeCommand()
{
    bool portChanged = false;
    {
        std::unique_lock<std::mutex> locker(mutex);
        cond.wait(locker, [this] { return commandPending || quit; });
        if (quit)
            return false;
        commandPending = false;
        line->beginCommand();
        if (portName != currentPortName) {
            currentPortName = portName;
            portChanged = true;
        }
        line->waitTimeout = requestedTimeout;
        cmd = requestedCmd;
        if (requestedRows) {
            line->rows = std::move(*requestedRows);
            requestedRows.reset();
        }
        if (!requestedFirmwareName.isEmpty()) {
            line->firmwareFile = std::make_unique<QFile>(requestedFirmwareName);
            requestedFirmwareName.clear();
        }
    }
    if (portChanged) {
        serial.close();
        serial.setPortName(currentPortName);
        serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    }
    return true;
}

bool MasterThread::ensurePortOpen()
{
    if (serial.baudRate(QSerialPort::Input) != kBaudRate
        || serial.baudRate(QSerialPort::Output) != kBaudRate)
        serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    if (serial.isOpen())
        return true;
    serial.clearError();
    const bool opened = serial.open(QIODevice::ReadWrite);
    qCDebug(lcLink) << (opened ? "port opened" : "port not opened") << currentPortName;
    return opened;
}

void MasterThread::run()
{
    while (takeCommand()) {
        if (!ensurePortOpen()) {
            // The thread stays alive after a failed opening: the next command tries again.
            emit portNotOpened(currentPortName, int(serial.error()));
            emit error(openFailureText(currentPortName, serial.error()));
            emit updateProgressBar(0);
            emit enableTablesContorls(true);
            continue;
        }
        runCommand();
        if (line->stopHonoured && !line->stopReported)
            emit error(stoppedText());
        emit enableTablesContorls(true);
    }
    serial.close();
}

void MasterThread::runCommand()
{
    // A code with no command (0 among them) sends nothing: the dialog is simply enabled again.
    if (const Commands::Function command = Commands::find(cmd))
        command(*line);
}

bool MasterThread::portLost()
{
    const QSerialPort::SerialPortError e = serial.error();
    // A pulled USB adapter reports ResourceError; a pseudo-terminal whose other side
    // closed reports ReadError on every wait. Either way the device handle is dead.
    if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError
        && e != QSerialPort::WriteError)
        return false;
    qCDebug(lcLink) << "port lost, error" << int(e);
    serial.close();
    return true;
}

CommandLine::Transfer MasterThread::transfer(const QByteArray &frame, int attempt, int quietGap,
                                             QByteArray &answer)
{
    // A port lost earlier in this command was reported then.
    if (line->stopRequested() || !serial.isOpen())
        return CommandLine::Transfer::Stopped;
    serial.clearError();
    serial.clear(QSerialPort::AllDirections);
    serial.write(frame);
    qCDebug(lcLink) << "REQUEST " << attempt << ":" << frame.toHex();
    const bool abandonable = Link::answerMayBeAbandoned(quint8(frame.at(7)));
    const WriteResult written = waitWritten(abandonable);
    if (written == WriteQuit)
        return CommandLine::Transfer::Abandoned;
    if (written == WriteFailed)
        return portLost() ? CommandLine::Transfer::Lost : CommandLine::Transfer::NotSent;
    const int waitTimeout = line->waitTimeout;
    if (waitTimeout <= 0)
        return CommandLine::Transfer::Read;
    int elapsed = 0;
    int lastDataAt = 0;
    int stopSeenAt = -1;
    for (;;) {
        serial.waitForReadyRead(kPollStepMs);
        if (portLost())
            return CommandLine::Transfer::Lost;
        if (serial.bytesAvailable() == 0) {
            if (quietGap >= 1 && !answer.isEmpty() && elapsed - lastDataAt >= quietGap)
                break;
        } else {
            answer.append(serial.readAll());
            lastDataAt = elapsed;
        }
        elapsed += kPollStepMs;
        if (elapsed >= waitTimeout)
            break;
        // A stop ends the wait where the request changed nothing (the meter readings may last
        // close to a minute) or the upload is abandoned anyway, but not inside an answer that is
        // arriving: that is read up to a quiet gap, or for a second on a line that never falls
        // quiet. A written record's answer is waited for, so that the window takes it.
        if (abandonable && line->stopRequested()) {
            if (answer.isEmpty())
                return CommandLine::Transfer::Abandoned;
            if (stopSeenAt < 0)
                stopSeenAt = elapsed;
            if (elapsed - lastDataAt >= CommandLine::kQuietGapMs
                || elapsed - stopSeenAt >= kStopGraceMs)
                break;
        }
    }
    return CommandLine::Transfer::Read;
}

QByteArray MasterThread::settle(int quietMs, int limitMs)
{
    QByteArray dropped;
    if (!serial.isOpen())
        return dropped;
    QElapsedTimer clock;
    clock.start();
    qint64 lastDataAt = 0;
    while (clock.elapsed() - lastDataAt < quietMs && clock.elapsed() < limitMs
           && !line->stopRequested()) {
        if (!serial.waitForReadyRead(kPollStepMs)) {
            // A dead port is the next request's to report.
            const QSerialPort::SerialPortError e = serial.error();
            if (e != QSerialPort::NoError && e != QSerialPort::TimeoutError)
                break;
        }
        if (serial.bytesAvailable() > 0) {
            dropped += serial.readAll();
            lastDataAt = clock.elapsed();
        }
    }
    return dropped;
}

bool MasterThread::pause(int ms)
{
    // Slept in slices so that closing the window does not wait out a modem tick.
    for (int slept = 0; slept < ms; slept += kQuitCheckMs) {
        if (line->stopRequested()) {
            line->stopHonoured = true;
            return false;
        }
        QThread::msleep(qMin(kQuitCheckMs, ms - slept));
    }
    return true;
}

MasterThread::WriteResult MasterThread::waitWritten(bool abandonable)
{
    // Waited for in slices, so that closing the window need not outlast a stuck adapter.
    const int timeout = qMax(line->waitTimeout, 0);
    for (int waited = 0;; waited += kQuitCheckMs) {
        if (serial.waitForBytesWritten(qMin(kQuitCheckMs, timeout - waited)))
            return WriteDone;
        const QSerialPort::SerialPortError e = serial.error();
        const bool timedOut = e == QSerialPort::TimeoutError || e == QSerialPort::NoError;
        if (!timedOut || waited + kQuitCheckMs >= timeout)
            return WriteFailed;
        serial.clearError();
        if (abandonable && line->stopRequested())
            return WriteQuit;
    }
}
