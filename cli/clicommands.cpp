#include "cli/clicommands.h"

#include "protocol/bulk/channelfile.h"
#include "protocol/channels/analogrules.h"
#include "protocol/channels/digitalrules.h"
#include "cli/applycommand.h"
#include "cli/clioptions.h"
#include "cli/commandrunner.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "cli/historycommand.h"
#include "cli/historyrecorder.h"
#include "cli/interruptnotifier.h"
#include "protocol/document/jsondocument.h"
#include "protocol/document/jsonwriter.h"
#include "protocol/firmware/firmwareupdate.h"
#include "lumaro/version.h"
#include "protocol/settings/controllerrecord.h"
#include "report/reportdocument.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QSaveFile>
#include <QSerialPortInfo>

namespace CliCommands {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("CliCommands", source);
}

int ports(Console &console)
{
    QByteArray out;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        out +=
            (info.portName() + QLatin1Char('\t') + info.description() + QLatin1Char('\n')).toUtf8();
    console.data(out);
    return ExitCode::Done;
}

// The controller settings and both channel tables, in the order the window reads them.
int readAll(CommandRunner &runner, Snapshot &snapshot)
{
    int code = runner.readController(snapshot);
    if (code == ExitCode::Done)
        code = runner.readAnalog(snapshot);
    if (code == ExitCode::Done)
        code = runner.readDigital(snapshot);
    return code;
}

int read(const CliOptions &options, CommandRunner &runner, Console &console,
         HistoryRecorder &history)
{
    Snapshot snapshot = runner.snapshot();
    if (const int code = readAll(runner, snapshot); code != ExitCode::Done)
        return code;
    history.record(snapshot, SnapshotMeta::Read);
    const QByteArray document = JsonDocument::write(snapshot);
    if (options.output.isEmpty()) {
        console.data(document);
        return ExitCode::Done;
    }
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size()
        || !file.commit()) {
        console.message(ChannelFile::saveFailedText() + QLatin1Char(' ') + options.output);
        return ExitCode::Usage;
    }
    return ExitCode::Done;
}

// The channels whose readings are read: the named ones, or every analog channel and meter.
bool chooseReadings(const CliOptions &options, const Snapshot &s, Rows *analog, Rows *meters,
                    QString *error)
{
    const int analogCount = s.analogChannelCount;
    const auto isMeter = [&s](int index) {
        return s.digitalPresent(index)
            && DigitalRules::devicePositionForCode(s.digital.value(index).deviceCode) != 0;
    };
    if (options.channels.isEmpty()) {
        for (int index = 0; index < AnalogRecord::kChannelCount; ++index) {
            if (s.analogPresent(index))
                analog->append({QString::number(index)});
        }
        for (int index = 0; index < DigitalRules::kChannelCount; ++index) {
            if (isMeter(index))
                meters->append({QString::number(index)});
        }
        return true;
    }
    for (const int channel : options.channels) {
        const int digitalIndex = DigitalRules::indexForNumber(channel, analogCount);
        if (channel <= analogCount && s.analogPresent(channel - 1)) {
            analog->append({QString::number(channel - 1)});
        } else if (channel > analogCount && isMeter(digitalIndex)) {
            meters->append({QString::number(digitalIndex)});
        } else {
            *error = text("Канал %1 не существует или к нему не подключен счетчик.").arg(channel);
            return false;
        }
    }
    return true;
}

QByteArray readingsCsv(const Snapshot &s, const QMap<int, QStringList> &analog,
                       const QMap<int, QStringList> &meters)
{
    QStringList lines{QStringLiteral("channel;kind;serial;reading1;reading2;reading3;reading4")};
    for (auto it = analog.begin(); it != analog.end(); ++it) {
        const AnalogSettings settings = s.analog.value(it.key());
        const QString raw = it.value().value(0);
        const int code = settings.deviceCode;
        lines << QStringLiteral("%1;analog;%2;%3;;;")
                     .arg(it.key() + 1)
                     .arg(settings.serial,
                          AnalogRules::readingShown(raw, code));
    }
    for (auto it = meters.begin(); it != meters.end(); ++it) {
        QStringList fields = it.value();
        if (DigitalRules::meterSilent(fields))
            fields = QStringList{DigitalRules::meterSilentText(), {}, {}, {}, {}};
        lines << QStringLiteral("%1;meter;").arg(
                     DigitalRules::displayNumber(it.key(), s.analogChannelCount))
                + fields.join(QLatin1Char(';'));
    }
    return (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

QByteArray readingsJson(const Snapshot &s, const QMap<int, QStringList> &analog,
                        const QMap<int, QStringList> &meters)
{
    JsonWriter w;
    w.beginObject();
    w.value("format", JsonDocument::kFormat);
    w.beginArray("analog");
    for (auto it = analog.begin(); it != analog.end(); ++it) {
        const AnalogSettings settings = s.analog.value(it.key());
        const QString raw = it.value().value(0);
        const int code = settings.deviceCode;
        w.beginObject();
        w.value("channel", it.key() + 1);
        w.value("serial", settings.serial);
        w.value("reading", AnalogRules::readingShown(raw, code).toDouble());
        w.endObject();
    }
    w.endArray();
    w.beginArray("meters");
    for (auto it = meters.begin(); it != meters.end(); ++it) {
        const QStringList fields = it.value();
        const bool answered = !fields.value(DigitalRecord::ReadSerial).isEmpty();
        w.beginObject();
        w.value("channel", DigitalRules::displayNumber(it.key(), s.analogChannelCount));
        w.value("answered", answered);
        if (answered) {
            w.value("serial", fields.value(DigitalRecord::ReadSerial));
            w.beginArray("readings");
            for (int i = DigitalRecord::ReadFirst; i < DigitalRecord::ReadingsFieldCount; ++i)
                w.value(nullptr, fields.value(i).toDouble());
            w.endArray();
        }
        w.endObject();
    }
    w.endArray();
    w.endObject();
    return w.text();
}

int readings(const CliOptions &options, CommandRunner &runner, Console &console)
{
    Snapshot snapshot = runner.snapshot();
    int code = runner.readAnalog(snapshot);
    bool namesMeters = options.channels.isEmpty();
    for (const int channel : options.channels)
        namesMeters = namesMeters || channel > runner.analogChannelCount();
    if (code == ExitCode::Done && namesMeters)
        code = runner.readDigital(snapshot);
    if (code != ExitCode::Done)
        return code;
    Rows analogRows;
    Rows meterRows;
    QString error;
    if (!chooseReadings(options, snapshot, &analogRows, &meterRows, &error)) {
        console.message(error);
        return ExitCode::Usage;
    }
    QMap<int, QStringList> analog;
    QMap<int, QStringList> meters;
    if (!analogRows.isEmpty())
        code = runner.readAnalogReadings(analogRows, analog);
    if (code == ExitCode::Done && !meterRows.isEmpty())
        code = runner.readMeterReadings(meterRows, meters);
    if (code != ExitCode::Done)
        return code;
    console.data(options.json ? readingsJson(snapshot, analog, meters)
                              : readingsCsv(snapshot, analog, meters));
    return ExitCode::Done;
}

int firmware(const CliOptions &options, CommandRunner &runner, Console &console)
{
    Snapshot snapshot = runner.snapshot();
    if (const int code = runner.readController(snapshot))
        return code;
    const QString fw = snapshot.controller.value_or(ControllerSettings()).firmwareText;
    if (!FirmwareUpdate::isUpdatable(fw)) {
        const QString why = FirmwareUpdate::whyNot(fw);
        console.message(why.isEmpty() ? text("Версия ПО контроллера не известна.") : why);
        // A controller on the built-in version already has what the update would bring.
        return fw == QLatin1String(Lumaro::kBuiltInFirmwareVersion) ? ExitCode::Done
                                                                    : ExitCode::Refused;
    }
    if (!options.yes) {
        console.message(FirmwareUpdate::confirmTitle() + QLatin1Char(' ')
                        + FirmwareUpdate::confirmText());
        console.message(text("Без --yes ответ «Нет»: прошивка не обновлена."));
        return ExitCode::Refused;
    }
    return runner.uploadFirmware();
}

// The controller, its channels and the readings of those in use, as the window's report shows.
int report(const CliOptions &options, CommandRunner &runner, Console &console)
{
    Snapshot snapshot = runner.snapshot();
    int code = readAll(runner, snapshot);
    if (code != ExitCode::Done)
        return code;
    ReportData data;
    data.engineer = options.engineer.isEmpty() ? ReportData::loginName() : options.engineer;
    data.analogChannelCount = snapshot.analogChannelCount;
    if (snapshot.controller)
        data.controller = snapshot.controller->toFieldList();
    for (auto it = snapshot.analog.cbegin(); it != snapshot.analog.cend(); ++it)
        data.analog.insert(it.key(), it.value().toFieldList());
    for (auto it = snapshot.digital.cbegin(); it != snapshot.digital.cend(); ++it)
        data.digital.insert(it.key(), it.value().toFieldList());
    Rows analogRows;
    Rows meterRows;
    for (auto it = data.analog.begin(); it != data.analog.end(); ++it) {
        if (data.analogInUse(it.key()))
            analogRows.append({QString::number(it.key())});
    }
    for (auto it = data.digital.begin(); it != data.digital.end(); ++it) {
        if (data.digitalInUse(it.key()))
            meterRows.append({QString::number(it.key())});
    }
    QMap<int, QStringList> analog;
    if (!analogRows.isEmpty())
        code = runner.readAnalogReadings(analogRows, analog);
    const QDateTime analogTime = QDateTime::currentDateTime();
    for (auto it = analog.begin(); it != analog.end(); ++it)
        data.analogReadings[it.key()] = {it.value(), analogTime};
    // A meter takes up to a minute: each reading keeps its own time.
    for (int k = 0; code == ExitCode::Done && k < meterRows.size(); ++k) {
        QMap<int, QStringList> meter;
        code = runner.readMeterReadings({meterRows.at(k)}, meter);
        for (auto it = meter.begin(); it != meter.end(); ++it)
            data.meterReadings[it.key()] = {it.value(), QDateTime::currentDateTime()};
    }
    if (code != ExitCode::Done)
        return code;
    data.created = QDateTime::currentDateTime();
    const QString fileName = options.output.isEmpty() ? data.fileName() : options.output;
    if (!ReportDocument::writePdf(data, fileName)) {
        console.message(ChannelFile::saveFailedText() + QLatin1Char(' ') + fileName);
        return ExitCode::Usage;
    }
    console.data((QDir::toNativeSeparators(fileName) + QLatin1Char('\n')).toUtf8());
    return ExitCode::Done;
}

} // namespace

int run(const CliOptions &options, Console &console, InterruptNotifier &interrupt)
{
    if (options.command == CliOptions::Ports)
        return ports(console);
    if (options.command == CliOptions::History)
        return HistoryCommand::run(options, console);
    // A file that cannot be used is refused before the port is touched.
    Wanted wanted;
    if (options.command == CliOptions::Apply) {
        QString error;
        if (!ApplyCommand::load(options.file, wanted, &error)) {
            console.message(error);
            return ExitCode::Usage;
        }
    }
    CommandRunner runner(options.port, options.timeoutMs, console);
    QObject::connect(&interrupt, &InterruptNotifier::interrupted, &runner,
                     &CommandRunner::interrupt);
    if (const int code = runner.authorise(options.password))
        return code;
    HistoryRecorder history(options.history, console);
    switch (options.command) {
    case CliOptions::Read:
        return read(options, runner, console, history);
    case CliOptions::Apply:
        return ApplyCommand::run(wanted, options, runner, console, &history);
    case CliOptions::Readings:
        return readings(options, runner, console);
    case CliOptions::Firmware:
        return firmware(options, runner, console);
    case CliOptions::Exit:
        return runner.leaveSettingsMode();
    case CliOptions::Report:
        return report(options, runner, console);
    default:
        return ExitCode::Usage;
    }
}

} // namespace CliCommands
