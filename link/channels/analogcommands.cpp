#include "link/channels/analogcommands.h"

#include "protocol/bulk/writechecks.h"
#include "protocol/channels/analogrecord.h"
#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"

namespace {

constexpr auto kAnalog = CommandReports::Channels::Analog;
// The counter's place in the write record: its last four bytes, big-endian.
constexpr int kCounterOffset = 29;
constexpr int kCounterBytes = 4;

// Reads channel `index`'s counter (command 1) and puts it into the write record `payload`;
// false when the controller did not answer.
bool freshCounter(CommandLine &line, int index, QByteArray &payload)
{
    const QByteArray request = AnalogRecord::channelPayload(index);
    QByteArray frame;
    Link::buildRequest(frame, Link::CmdAnalogReading, &request);
    QByteArray response;
    if (!line.exchange(Link::CmdAnalogReading, frame, response, CommandLine::kQuietGapMs,
                       CommandLine::kAttempts))
        return false;
    const quint32 counter =
        Link::decodeResponse(response, Link::CmdAnalogReading).value(0).toUInt();
    for (int i = 0; i < kCounterBytes; ++i)
        payload[kCounterOffset + i] = char((counter >> (8 * (kCounterBytes - 1 - i))) & 0xFF);
    return true;
}

} // namespace

namespace AnalogCommands {

void readSettings(CommandLine &line)
{
    constexpr int channels = AnalogRecord::kChannelCount;
    int used = 0;
    // All eight always: a board with four inputs answers the others with type 255.
    for (int n = 1; n <= channels; ++n) {
        const int index = n - 1;
        const QByteArray payload = AnalogRecord::channelPayload(index);
        QByteArray response;
        if (!line.request(Link::CmdReadAnalogSettings, &payload,
                          workerText("Считываем настройки %1 канала").arg(n), response)) {
            line.reportStop(n - 1, channels);
            break;
        }
        line.pause(CommandLine::kChannelPauseMs);
        const QStringList settings = Link::decodeResponse(response, Link::CmdReadAnalogSettings);
        line.report.channelSettings(kAnalog, index, settings);
        line.report.reading(kAnalog, index, {settings.value(AnalogRecord::SettingsValue)});
        line.report.progress(CommandLine::kProgressDone * n / channels);
        line.report.status(QString());
        if (settings.value(AnalogRecord::SettingsType).toInt() != AnalogRecord::kDeviceOff)
            ++used;
    }
    line.report.channelsInUse(kAnalog, used);
}

void writeSettings(CommandLine &line)
{
    const int readTimeout = line.waitTimeout;
    const int writeTimeout = readTimeout * kWriteTimeoutFactor;
    line.waitTimeout = writeTimeout;
    const int entries = line.rowCount();
    QList<QByteArray> payloads;
    // Every record is encoded before the first is sent: a serial number that does not fit
    // its field refuses the whole write instead of leaving the channels half written.
    for (int k = 0; k < entries; ++k) {
        QByteArray payload;
        if (!AnalogRecord::encodeSettings(line.row(k), payload)) {
            line.report.status(WriteChecks::serialTooLongText(line.rowChannel(k) + 1));
            line.report.progress(0);
            // Like a write that stops at its first channel: nothing was stored.
            line.report.channelsInUse(kAnalog, 0);
            return;
        }
        payloads.append(payload);
    }
    int used = 0;
    for (int k = 1; k <= entries; ++k) {
        const int index = line.rowChannel(k - 1);
        line.report.status(workerText("Записываем настройки %1 канала").arg(index + 1));
        QByteArray payload = payloads.at(k - 1);
        // A row without a counter of the engineer's takes the counter as it stands right now:
        // the meter counted on while the engineer edited, and the write must not set it back.
        if (line.row(k - 1).value(AnalogRecord::WriteValue).isEmpty()) {
            line.waitTimeout = readTimeout;
            const bool fresh = freshCounter(line, index, payload);
            line.waitTimeout = writeTimeout;
            if (!fresh) {
                line.reportStop(k - 1, entries);
                break;
            }
        }
        QByteArray response;
        if (!line.write(Link::CmdWriteAnalogSettings, payload, response)) {
            line.reportStop(k - 1, entries);
            break;
        }
        // The controller answers with what it stored; that becomes the table's copy.
        const QStringList settings = Link::decodeResponse(response, Link::CmdWriteAnalogSettings);
        line.report.channelSettings(kAnalog, index, settings);
        line.report.reading(kAnalog, index, {settings.value(AnalogRecord::SettingsValue)});
        line.report.progress(CommandLine::kProgressDone * k / entries);
        line.report.status(QString());
        if (settings.value(AnalogRecord::SettingsType).toInt() != AnalogRecord::kDeviceOff)
            ++used;
    }
    line.report.channelsInUse(kAnalog, used);
}

void readReadings(CommandLine &line)
{
    const int entries = line.rowCount();
    if (entries == 0)
        return;
    for (int k = 1; k <= entries; ++k) {
        const int index = line.rowChannel(k - 1);
        const QByteArray payload = AnalogRecord::channelPayload(index);
        QByteArray response;
        if (!line.request(Link::CmdAnalogReading, &payload,
                          workerText("Считываем показание %1 канала").arg(index + 1), response)) {
            line.reportStop(k - 1, entries);
            return;
        }
        line.report.reading(kAnalog, index, Link::decodeResponse(response, Link::CmdAnalogReading));
        line.report.progress(CommandLine::kProgressDone * k / entries);
    }
    line.report.status(QString());
}

} // namespace AnalogCommands
