#include "link/firmware/firmwarecommand.h"

#include "protocol/firmware/crc32.h"
#include "protocol/firmware/firmwarerecord.h"
#include "link/worker/commandline.h"
#include "protocol/frame/frame.h"
#include "protocol/global/logcategories.h"

#include <QDebug>

namespace {

QString hex8(quint32 value)
{
    return QStringLiteral("%1").arg(value, 8, 16, QLatin1Char('0'));
}

// Closes the image file on every way out of the upload.
class FileCloser
{
public:
    explicit FileCloser(QIODevice &f) : file(f) {}
    ~FileCloser() { file.close(); }
    FileCloser(const FileCloser &) = delete;
    FileCloser &operator=(const FileCloser &) = delete;

private:
    QIODevice &file;
};

} // namespace

namespace FirmwareCommand {

void upload(CommandLine &line)
{
    QIODevice &firmwareFile = *line.firmwareFile;
    if (!firmwareFile.open(QIODevice::ReadOnly)) {
        qCDebug(lcFirmware) << "НЕ МОГУ ОТКРЫТЬ ФАЙЛ ПРОШИВКИ.";
        // The engineer must see why nothing happened, not only the debug log.
        line.report.status(
            workerText("Не удалось обновить прошивку: не могу открыть файл прошивки."));
        line.report.progress(0);
        return;
    }
    FileCloser closer(firmwareFile);
    const QByteArray image = firmwareFile.readAll();
    const int partSize = CommandLine::kFirmwarePartSize;
    const int parts = FirmwareRecord::partCount(image.size(), partSize);
    const quint32 imageCrc = FirmwareRecord::imageCrc(image, partSize);
    qCDebug(lcFirmware).noquote() << QStringLiteral("fws: %1, fwh: %2").arg(image.size()).arg(hex8(imageCrc));

    // The controller would take such an image apart at the wrong places; nothing is sent.
    if (parts == 0) {
        line.report.status(workerText("Не удалось обновить прошивку. Образ прошивки повреждён: его "
                                      "размер (%1 байт) должен быть больше нуля и кратен %2.")
                               .arg(image.size())
                               .arg(partSize));
        line.report.progress(0);
        return;
    }

    const int engineerTimeout = line.waitTimeout;
    line.waitTimeout *= kStartTimeoutFactor;
    const QByteArray start = FirmwareRecord::startPayload(quint32(image.size()), imageCrc);
    QByteArray response;
    if (!line.request(Link::CmdFirmwareStart, &start, workerText("Начинаем обновлять прошивку..."),
                      response)) {
        // Stopped before the start went out (its answer is always waited for): nothing to close.
        if (line.stopRequested())
            return;
        line.report.status(
            workerText("Не удалось подключиться к устройству. Проверьте что устройство "
                       "находится в режиме настройки."));
        line.report.progress(0);
        return;
    }
    line.report.progress(0);
    line.waitTimeout = kPartTimeoutMs;

    bool partsFailed = false;
    int partsSent = 0;
    QByteArray frame;
    for (int index = 0; index < parts; ++index) {
        const QByteArray data = FirmwareRecord::part(image, index, partSize);
        const quint32 partCrc = Firmware::crc32(data);
        const QByteArray payload = FirmwareRecord::partPayload(quint16(index), partCrc, data);
        Link::buildRequest(frame, Link::CmdFirmwarePart, &payload);
        qCDebug(lcFirmware).noquote()
            << QStringLiteral("part %1. crc32: %2").arg(index + 1).arg(hex8(partCrc));
        if (!line.exchange(Link::CmdFirmwarePart, frame, response, CommandLine::kQuietGapMs,
                           kPartAttempts)) {
            partsFailed = true;
            break;
        }
        line.report.status(
            workerText("Обновление прошивки часть %1 из %2...").arg(index + 1).arg(parts));
        line.report.progress(CommandLine::kProgressDone * (index + 1) / parts);
        partsSent = index + 1;
    }

    // A stopped upload ends as a failed one does, but the finish is asked once, at the
    // engineer's time-out: the controller may be the reason for the stop. A stop that came with
    // the last part's answer leaves the upload whole, and the finish goes out as usual.
    const bool stopAsked = line.stopRequested();
    if (stopAsked)
        line.resumeAfterStop();
    const bool stopped = partsFailed && stopAsked;
    int finishAttempts = CommandLine::kAttempts;
    if (stopped) {
        line.waitTimeout = engineerTimeout;
        finishAttempts = 1;
    }

    // The finish goes out even after a failed part: it closes the update on the
    // controller's side either way.
    Link::buildRequest(frame, Link::CmdFirmwareFinish, nullptr);
    const bool finished = line.exchange(Link::CmdFirmwareFinish, frame, response,
                                        CommandLine::kQuietGapMs, finishAttempts);

    if (stopped) {
        line.stopReported = true;
        line.report.status(workerText("Обновление прошивки прервано: передано частей %1 из %2.")
                               .arg(partsSent)
                               .arg(parts));
    } else if (partsFailed) {
        line.report.status(workerText("Не удалось обновить прошивку. Ошибки на линии."));
    } else if (!finished) {
        // The controller answers the finish only when the whole image matches its CRC.
        line.report.status(
            workerText("Не удалось обновить прошивку. Контрольные суммы различаются. "
                       "Повторите попытку."));
    } else {
        line.report.progress(CommandLine::kProgressDone);
        // The controller restarts into the new firmware: the settings mode is over.
        line.report.settingsModeOver();
        line.report.status(
            workerText("Прошивка успешно обновлена. Контроллер в течение 1 минуты "
                       "перезагрузится (тройное мигание тремя светодиодами) и перейдет "
                       "в обычный режим работы."));
    }
}

} // namespace FirmwareCommand
