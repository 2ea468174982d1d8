#include "link/channels/digitalcommands.h"

#include "protocol/bulk/writechecks.h"
#include "protocol/channels/digitalrecord.h"
#include "protocol/channels/digitalrules.h"
#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"

namespace DigitalCommands {

constexpr auto kDigital = CommandReports::Channels::Digital;

void readSettings(CommandLine &line)
{
    constexpr int n = DigitalRules::kChannelCount;
    int used = 0;
    for (int i = 0; i < n; ++i) {
        const QByteArray payload(1, char(i));
        QByteArray response;
        if (!line.request(Link::CmdReadDigitalSettings, &payload,
                          workerText("Считываем настройки %1 канала")
                              .arg(line.digitalDisplayNumber(i)),
                          response)) {
            line.reportStop(i, n);
            break;
        }
        line.pause(CommandLine::kChannelPauseMs);
        const QStringList fields = Link::decodeResponse(response, Link::CmdReadDigitalSettings);
        line.report.channelSettings(kDigital, i, fields);
        line.report.progress((i + 1) * CommandLine::kProgressDone / n);
        if (i == n - 1)
            line.report.status(QString());
        // A channel the controller lacks (255) counts too: the forecast follows the controller.
        if (fields.value(DigitalRecord::SetDeviceType).toInt() != 0)
            ++used;
    }
    line.report.channelsInUse(kDigital, used);
}

void writeSettings(CommandLine &line)
{
    line.waitTimeout *= kWriteTimeoutFactor;
    const int n = line.rowCount();
    QList<QByteArray> payloads;
    // Every record is encoded before the first is sent: a password that does not fit its
    // 10-byte field refuses the whole write instead of leaving the channels half written.
    // The dialog refuses such a password before it hands the write over; it is never cut.
    for (int k = 0; k < n; ++k) {
        QByteArray payload;
        if (!DigitalRecord::encodeSettings(line.row(k), payload)) {
            line.report.status(WriteChecks::passwordTooLongText(
                line.digitalDisplayNumber(line.rowChannel(k)), DigitalRecord::kPasswordWidth));
            line.report.progress(0);
            // Like a write that stops at its first channel: nothing was stored.
            line.report.channelsInUse(kDigital, 0);
            return;
        }
        payloads.append(payload);
    }
    int used = 0;
    for (int k = 1; k <= n; ++k) {
        const int channel = line.rowChannel(k - 1);
        QByteArray response;
        line.report.status(
            workerText("Записываем настройки %1 канала").arg(line.digitalDisplayNumber(channel)));
        if (!line.write(Link::CmdWriteDigitalSettings, payloads.at(k - 1), response)) {
            line.reportStop(k - 1, n);
            break;
        }
        line.pause(CommandLine::kChannelPauseMs);
        const QStringList fields = Link::decodeResponse(response, Link::CmdWriteDigitalSettings);
        line.report.channelSettings(kDigital, channel, fields);
        line.report.progress(k * CommandLine::kProgressDone / n);
        if (k == n)
            line.report.status(QString());
        if (fields.value(DigitalRecord::SetDeviceType).toInt() != 0)
            ++used;
    }
    line.report.channelsInUse(kDigital, used);
}

void readReadings(CommandLine &line)
{
    line.waitTimeout *= kReadingsTimeoutFactor;
    const int n = line.rowCount();
    for (int k = 1; k <= n; ++k) {
        const int channel = line.rowChannel(k - 1);
        const QByteArray payload(1, char(channel & 0xFF));
        QByteArray response;
        if (!line.request(Link::CmdDigitalReadings, &payload,
                          workerText("Считываем показания %1 канала")
                              .arg(line.digitalDisplayNumber(channel)),
                          response, kReadingsQuietGapMs, kReadingsAttempts)) {
            line.reportStop(k - 1, n);
            return;
        }
        line.pause(CommandLine::kChannelPauseMs);
        line.report.reading(kDigital, channel,
                            Link::decodeResponse(response, Link::CmdDigitalReadings));
        line.report.progress(k * CommandLine::kProgressDone / n);
        if (k == n)
            line.report.status(QString());
    }
}

} // namespace DigitalCommands
