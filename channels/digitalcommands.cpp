// Worker commands for the digital channels: read settings (8), write settings (32), readings (2).

#include "channels/digitalrecord.h"
#include "channels/digitalrules.h"
#include "link/frame.h"
#include "link/masterthread.h"

namespace {

// Writing makes the controller store the record before it answers.
constexpr int kWriteTimeoutFactor = 5;
// For readings the controller polls the meter on its own RS-485 line before it answers.
constexpr int kReadingsTimeoutFactor = 60;
// Readings are collected for the whole wait time and sent once.
constexpr int kReadingsQuietGapMs = 0;
constexpr int kReadingsAttempts = 1;
constexpr int kProgressFull = 100;

} // namespace

void MasterThread::readDigitalSettings()
{
    constexpr int n = DigitalRules::kChannelCount;
    int used = 0;
    for (int i = 0; i < n; ++i) {
        const QByteArray payload(1, char(i));
        QByteArray response;
        if (request(Link::CmdReadDigitalSettings, &payload,
                    tr("Считываем настройки %1 канала").arg(digitalDisplayNumber(i)), response))
            break;
        QThread::msleep(kChannelPauseMs);
        const QStringList fields = Link::decodeResponse(response, Link::CmdReadDigitalSettings);
        emit setRsSettings(i, fields);
        emit updateProgressBar((i + 1) * kProgressFull / n);
        if (i == n - 1)
            emit error(QString());
        // A channel the controller lacks (255) counts too: the forecast follows the controller.
        if (fields.value(DigitalRecord::SetDeviceType).toInt() != 0)
            ++used;
    }
    emit set_num_of_rs485Inputs(used);
}

void MasterThread::writeDigitalSettings()
{
    waitTimeout *= kWriteTimeoutFactor;
    const int n = rowCount();
    QList<QByteArray> payloads;
    // Every record is encoded before the first is sent: a password that does not fit its
    // 10-byte field refuses the whole write instead of leaving the channels half written.
    // The dialog refuses such a password before it hands the write over; it is never cut.
    for (int k = 0; k < n; ++k) {
        QByteArray payload;
        if (!DigitalRecord::encodeSettings(row(k), payload)) {
            emit error(tr("Неверная конфигурация для %1 канала! Пароль длиннее %2 байт.")
                           .arg(digitalDisplayNumber(rowChannel(k)))
                           .arg(DigitalRecord::kPasswordWidth));
            emit updateProgressBar(0);
            // Like a write that stops at its first channel: nothing was stored.
            emit set_num_of_rs485Inputs(0);
            return;
        }
        payloads.append(payload);
    }
    int used = 0;
    for (int k = 1; k <= n; ++k) {
        const int channel = rowChannel(k - 1);
        QByteArray response;
        if (request(Link::CmdWriteDigitalSettings, &payloads.at(k - 1),
                    tr("Записываем настройки %1 канала").arg(digitalDisplayNumber(channel)),
                    response))
            break;
        QThread::msleep(kChannelPauseMs);
        const QStringList fields = Link::decodeResponse(response, Link::CmdWriteDigitalSettings);
        emit setRsSettings(channel, fields);
        emit updateProgressBar(k * kProgressFull / n);
        if (k == n)
            emit error(QString());
        if (fields.value(DigitalRecord::SetDeviceType).toInt() != 0)
            ++used;
    }
    emit set_num_of_rs485Inputs(used);
}

void MasterThread::readDigitalReadings()
{
    waitTimeout *= kReadingsTimeoutFactor;
    const int n = rowCount();
    for (int k = 1; k <= n; ++k) {
        const int channel = rowChannel(k - 1);
        const QByteArray payload(1, char(channel & 0xFF));
        QByteArray response;
        if (request(Link::CmdDigitalReadings, &payload,
                    tr("Считываем показания %1 канала").arg(digitalDisplayNumber(channel)),
                    response, kReadingsQuietGapMs, kReadingsAttempts))
            return;
        QThread::msleep(kChannelPauseMs);
        emit setRsData(channel, Link::decodeResponse(response, Link::CmdDigitalReadings));
        emit updateProgressBar(k * kProgressFull / n);
        if (k == n)
            emit error(QString());
    }
}
