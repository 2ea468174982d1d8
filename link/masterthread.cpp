#include "link/masterthread.h"

#include "link/frame.h"
#include "lumaro/version.h"

#include <QDebug>

namespace {

constexpr qint32 kBaudRate = QSerialPort::Baud115200;

} // namespace

MasterThread::MasterThread(QObject *parent)
    : QThread(parent)
    , firmwareFile(std::make_unique<QFile>(QString::fromLatin1(Lumaro::kBuiltInFirmwareResource)))
{
    serial.setBaudRate(kBaudRate, QSerialPort::AllDirections);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setReadBufferSize(0);
    serial.moveToThread(this);
}

MasterThread::~MasterThread()
{
    {
        std::lock_guard<std::mutex> locker(mutex);
        quit = true;
        cond.notify_one();
    }
    wait();
}

QString MasterThread::noConnectionText()
{
    return tr("Нет связи с контроллером: неверно выбран COM-порт, контроллер не в режиме настройки, "
              "обрыв кабеля, перепутана полярность, неисправен адаптер COM-порта!");
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
    return analogChannelCount.load();
}

void MasterThread::setAnalogChannelCount(quint8 count)
{
    analogChannelCount.store(count);
}

bool MasterThread::quitRequested() const
{
    std::lock_guard<std::mutex> locker(mutex);
    return quit;
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
        if (portName != currentPortName) {
            currentPortName = portName;
            portChanged = true;
        }
        waitTimeout = requestedTimeout;
        cmd = requestedCmd;
        if (requestedRows)
            rows = std::move(requestedRows);
        if (!requestedFirmwareName.isEmpty()) {
            firmwareFile = std::make_unique<QFile>(requestedFirmwareName);
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
    qDebug() << (opened ? "port opened" : "port not opened") << currentPortName;
    return opened;
}

void MasterThread::run()
{
    while (takeCommand()) {
        if (!ensurePortOpen()) {
            // The thread stays alive after a failed opening: the next command tries again.
            emit error(tr("Невозможно открыть порт %1, код ошибки %2")
                           .arg(currentPortName)
                           .arg(int(serial.error())));
            emit updateProgressBar(0);
            emit enableTablesContorls(true);
            continue;
        }
        runCommand();
        emit enableTablesContorls(true);
    }
    serial.close();
}

void MasterThread::runCommand()
{
    switch (cmd) {
    case Link::CmdAnalogReading: readAnalogReadings(); break;
    case Link::CmdDigitalReadings: readDigitalReadings(); break;
    case Link::CmdReadAnalogSettings: readAnalogSettings(); break;
    case Link::CmdReadDigitalSettings: readDigitalSettings(); break;
    case Link::CmdReadControllerSettings: readControllerSettings(); break;
    case Link::CmdWriteAnalogSettings: writeAnalogSettings(); break;
    case Link::CmdWriteDigitalSettings: writeDigitalSettings(); break;
    case Link::CmdWriteControllerSettings: writeControllerSettings(); break;
    case Link::CmdLeaveSettingsMode: leaveSettingsMode(); break;
    case Link::CmdFirmwareStart: uploadFirmware(); break;
    case Link::CmdAuthorise: authorise(); break;
    case Link::CmdNewPassword: newPassword(); break;
    case Link::CmdModemTest: modemTest(); break;
    case Link::CmdModemSessionData: modemSessionData(); break;
    default: break; // nothing to do, the dialog is simply enabled again
    }
}

bool MasterThread::portLost()
{
    const QSerialPort::SerialPortError e = serial.error();
    // A pulled USB adapter reports ResourceError; a pseudo-terminal whose other side
    // closed reports ReadError on every wait. Either way the device handle is dead.
    if (e != QSerialPort::ResourceError && e != QSerialPort::ReadError
        && e != QSerialPort::WriteError)
        return false;
    qDebug() << "port lost, error" << int(e);
    serial.close();
    return true;
}

int MasterThread::exchange(quint8 command, const QByteArray &requestFrame, QByteArray &response,
                           int quietGap, int attempts)
{
    for (int k = 1; k <= attempts; ++k) {
        // A port lost earlier in this command was reported then; the steps that follow
        // (the firmware finish, say) end quietly.
        if (quitRequested() || !serial.isOpen())
            return 1;
        serial.clearError();
        serial.clear(QSerialPort::AllDirections);
        response.clear();
        serial.write(requestFrame);
        qDebug() << "REQUEST " << k << ":" << requestFrame.toHex();
        const WriteResult written = waitWritten();
        if (written == WriteQuit)
            return 1;
        if (written == WriteFailed) {
            if (portLost()) {
                emit error(noConnectionText());
                return 1;
            }
            qDebug() << "error sending";
            continue;
        }
        if (waitTimeout > 0) {
            int elapsed = 0;
            int lastDataAt = 0;
            for (;;) {
                serial.waitForReadyRead(kPollStepMs);
                if (portLost()) {
                    emit error(noConnectionText());
                    return 1;
                }
                if (serial.bytesAvailable() == 0) {
                    if (quietGap >= 1 && !response.isEmpty() && elapsed - lastDataAt >= quietGap)
                        break;
                } else {
                    response.append(serial.readAll());
                    lastDataAt = elapsed;
                }
                elapsed += kPollStepMs;
                if (elapsed >= waitTimeout)
                    break;
                // Checked on a noisy line too, where the meter readings may wait close to a minute.
                if (elapsed % kQuitCheckMs == 0 && quitRequested())
                    return 1;
            }
        }
        if (response.isEmpty()) {
            qDebug() << "response nothing";
            continue;
        }
        qDebug() << "RESPONSE" << k << ":" << response.toHex();
        if (command == Link::CmdDigitalReadings && response.size() > Link::kDigitalReadingsFrameSize) {
            const int toRemove = int(response.size()) - Link::kDigitalReadingsFrameSize;
            qDebug() << "resp.size: " << response.size()
                     << "PROTOCOL_RS_DATA_LENGHT: " << Link::kDigitalReadingsFrameSize
                     << "len_to_remove: " << toRemove;
            response.remove(0, toRemove);
            qDebug() << "RESP_RS_DATA: " << response.toHex();
        }
        if (Link::check_response(response, fwWord) == 0 && quint8(response.at(7)) == command) {
            emit update_timer();
            return 0;
        }
        qDebug() << "wrong check_response";
    }
    emit error(noConnectionText());
    return 1;
}

MasterThread::WriteResult MasterThread::waitWritten()
{
    // Waited for in slices, so that closing the window need not outlast a stuck adapter.
    const int timeout = qMax(waitTimeout, 0);
    for (int waited = 0;; waited += kQuitCheckMs) {
        if (serial.waitForBytesWritten(qMin(kQuitCheckMs, timeout - waited)))
            return WriteDone;
        const QSerialPort::SerialPortError e = serial.error();
        const bool timedOut = e == QSerialPort::TimeoutError || e == QSerialPort::NoError;
        if (!timedOut || waited + kQuitCheckMs >= timeout)
            return WriteFailed;
        serial.clearError();
        if (quitRequested())
            return WriteQuit;
    }
}

int MasterThread::request(quint8 command, const QByteArray *payload, const QString &status,
                          QByteArray &response, int quietGap, int attempts)
{
    QByteArray frame;
    Link::buildRequest(frame, command, payload);
    emit error(status);
    return exchange(command, frame, response, quietGap, attempts);
}

int MasterThread::rowCount() const
{
    return rows ? int(rows->size()) : 0;
}

QStringList MasterThread::row(int i) const
{
    return rows ? rows->value(i) : QStringList();
}

int MasterThread::rowChannel(int i) const
{
    return row(i).value(0).toInt();
}

int MasterThread::digitalDisplayNumber(int index) const
{
    return index + getAnalogChannelCount() + 1;
}
