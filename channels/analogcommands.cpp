// Worker commands for the analog channels: read settings (4), write settings (16), readings (1).

#include "channels/analogrecord.h"
#include "link/frame.h"
#include "link/masterthread.h"

namespace {

// Writing makes the controller store the record in flash before it answers.
constexpr int kWriteTimeoutFactor = 5;
constexpr int kProgressDone = 100;

} // namespace

void MasterThread::readAnalogSettings()
{
    constexpr int channels = AnalogRecord::kChannelCount;
    int used = 0;
    // All eight always: a board with four inputs answers the others with type 255.
    for (int n = 1; n <= channels; ++n) {
        const int index = n - 1;
        const QByteArray payload = AnalogRecord::channelPayload(index);
        QByteArray response;
        if (request(Link::CmdReadAnalogSettings, &payload, tr("Считываем настройки %1 канала").arg(n),
                    response))
            break;
        QThread::msleep(kChannelPauseMs);
        const QStringList settings = Link::decodeResponse(response, Link::CmdReadAnalogSettings);
        emit setComSettings(index, settings);
        emit setComData(index, {settings.value(AnalogRecord::SettingsValue)});
        emit updateProgressBar(kProgressDone * n / channels);
        emit error(QString());
        if (settings.value(AnalogRecord::SettingsType).toInt() != AnalogRecord::kDeviceOff)
            ++used;
    }
    emit set_num_of_analogInputs(used);
}

void MasterThread::writeAnalogSettings()
{
    waitTimeout *= kWriteTimeoutFactor;
    const int entries = rowCount();
    QList<QByteArray> payloads;
    // Every record is encoded before the first is sent: a serial number that does not fit
    // its field refuses the whole write instead of leaving the channels half written.
    for (int k = 0; k < entries; ++k) {
        QByteArray payload;
        if (!AnalogRecord::encodeSettings(row(k), payload)) {
            emit error(tr("Неверная конфигурация для %1 канала! Серийный номер не помещается в "
                          "16 байт (русская буква занимает 2 байта)")
                           .arg(rowChannel(k) + 1));
            emit updateProgressBar(0);
            // Like a write that stops at its first channel: nothing was stored.
            emit set_num_of_analogInputs(0);
            return;
        }
        payloads.append(payload);
    }
    int used = 0;
    for (int k = 1; k <= entries; ++k) {
        const int index = rowChannel(k - 1);
        QByteArray response;
        if (request(Link::CmdWriteAnalogSettings, &payloads.at(k - 1),
                    tr("Записываем настройки %1 канала").arg(index + 1), response))
            break;
        // The controller answers with what it stored; that becomes the table's copy.
        const QStringList settings = Link::decodeResponse(response, Link::CmdWriteAnalogSettings);
        emit setComSettings(index, settings);
        emit setComData(index, {settings.value(AnalogRecord::SettingsValue)});
        emit updateProgressBar(kProgressDone * k / entries);
        emit error(QString());
        if (settings.value(AnalogRecord::SettingsType).toInt() != AnalogRecord::kDeviceOff)
            ++used;
    }
    emit set_num_of_analogInputs(used);
}

void MasterThread::readAnalogReadings()
{
    const int entries = rowCount();
    if (entries == 0)
        return;
    for (int k = 1; k <= entries; ++k) {
        const int index = rowChannel(k - 1);
        const QByteArray payload = AnalogRecord::channelPayload(index);
        QByteArray response;
        if (request(Link::CmdAnalogReading, &payload, tr("Считываем показание %1 канала").arg(index + 1),
                    response))
            return;
        emit setComData(index, Link::decodeResponse(response, Link::CmdAnalogReading));
        emit updateProgressBar(kProgressDone * k / entries);
    }
    emit error(QString());
}
