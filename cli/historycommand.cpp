#include "cli/historycommand.h"

#include "cli/clioptions.h"
#include "cli/console.h"
#include "cli/exitcode.h"
#include "protocol/document/fieldnames.h"
#include "cli/historyrecorder.h"
#include "protocol/document/jsonwriter.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/bulk/channelfile.h"
#include "store/historystore.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QSaveFile>

#include <iterator>

namespace HistoryCommand {

namespace {

QString text(const char *source)
{
    return QCoreApplication::translate("HistoryCommand", source);
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

template <std::size_t N>
void appendKeys(QList<QByteArray> *keys, const FieldNames::Field (&fields)[N])
{
    for (const FieldNames::Field &f : fields)
        keys->append(f.key);
}

// The object's members in the order `read` writes them, then any others.
void writeObject(JsonWriter &w, const char *key, const QJsonObject &object,
                 const QList<QByteArray> &order)
{
    w.beginObject(key);
    QStringList rest = object.keys();
    for (const QByteArray &k : order) {
        const QString name = QString::fromLatin1(k);
        if (!object.contains(name))
            continue;
        w.value(k.constData(), object.value(name));
        rest.removeOne(name);
    }
    for (const QString &name : rest)
        w.value(name.toUtf8().constData(), object.value(name));
    w.endObject();
}

// Byte for byte what `read` wrote for the same settings, so that the two can be compared.
QByteArray documentText(const QJsonObject &document)
{
    QList<QByteArray> controller;
    appendKeys(&controller, FieldNames::kControllerInfo);
    appendKeys(&controller, FieldNames::kController);
    QList<QByteArray> analog{FieldNames::kChannel};
    appendKeys(&analog, FieldNames::kAnalog);
    analog << FieldNames::kReading;
    QList<QByteArray> digital{FieldNames::kChannel};
    appendKeys(&digital, FieldNames::kDigital);

    JsonWriter w;
    w.beginObject();
    for (const char *key : {FieldNames::kFormat, FieldNames::kAnalogChannelCount}) {
        if (document.contains(QLatin1String(key)))
            w.value(key, document.value(QLatin1String(key)));
    }
    if (document.contains(QLatin1String(FieldNames::kControllerSection)))
        writeObject(w, FieldNames::kControllerSection,
                    document.value(QLatin1String(FieldNames::kControllerSection)).toObject(),
                    controller);
    for (const auto &[section, order] : {std::pair{FieldNames::kAnalogSection, analog},
                                         std::pair{FieldNames::kDigitalSection, digital}}) {
        if (!document.contains(QLatin1String(section)))
            continue;
        w.beginArray(section);
        for (const QJsonValue &channel : document.value(QLatin1String(section)).toArray())
            writeObject(w, nullptr, channel.toObject(), order);
        w.endArray();
    }
    w.endObject();
    return w.text();
}

// Unknown serial number or version: code 2, as for any argument that names nothing.
int failed(HistoryStore::Status status, const HistoryStore &store, Console &console)
{
    console.message(store.errorText());
    return status == HistoryStore::NotFound ? ExitCode::Usage : ExitCode::HistoryUnavailable;
}

QByteArray linesText(const QStringList &lines)
{
    return lines.isEmpty() ? QByteArray()
                           : (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8();
}

int list(const CliOptions &options, HistoryStore &store, Console &console)
{
    QStringList lines;
    if (options.serial.isEmpty()) {
        QList<ControllerEntry> controllers;
        const HistoryStore::Status status = store.controllers(options.grep, &controllers);
        if (status != HistoryStore::Ok)
            return failed(status, store, console);
        for (const ControllerEntry &c : controllers)
            lines << QStringList{c.serial, timeText(c.lastSeen), c.firmware, c.server,
                                 QString::number(c.versions)}
                         .join(QLatin1Char('\t'));
    } else {
        QList<VersionEntry> versions;
        const HistoryStore::Status status = store.versions(options.serial, options.grep, &versions);
        if (status != HistoryStore::Ok)
            return failed(status, store, console);
        for (const VersionEntry &v : versions)
            lines << QStringList{QString::number(v.number), timeText(v.takenAt),
                                 SnapshotMeta::kindText(v.kind), v.user + QLatin1Char('@') + v.host,
                                 v.summary}
                         .join(QLatin1Char('\t'));
    }
    console.data(linesText(lines));
    return ExitCode::Done;
}

int show(const CliOptions &options, HistoryStore &store, Console &console)
{
    QJsonObject document;
    const HistoryStore::Status status = store.document(options.serial, options.version, &document);
    if (status != HistoryStore::Ok)
        return failed(status, store, console);
    const QByteArray out = documentText(document);
    if (options.output.isEmpty()) {
        console.data(out);
        return ExitCode::Done;
    }
    QSaveFile file(options.output);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        console.message(ChannelFile::saveFailedText() + QLatin1Char(' ') + options.output);
        return ExitCode::Usage;
    }
    return ExitCode::Done;
}

int diff(const CliOptions &options, HistoryStore &store, Console &console)
{
    QStringList lines;
    const HistoryStore::Status status =
        store.diff(options.serial, options.versionA, options.versionB, &lines);
    if (status != HistoryStore::Ok)
        return failed(status, store, console);
    console.data(linesText(lines));
    return ExitCode::Done;
}

} // namespace

int run(const CliOptions &options, Console &console)
{
    HistoryLocation location;
    QString error;
    if (!HistoryRecorder::locate(options.history, &location, &error)) {
        console.message(error);
        return ExitCode::HistoryUnavailable;
    }
    HistoryStore store;
    if (!store.open(location)) {
        console.message(text("История настроек недоступна: %1: %2")
                            .arg(location.displayName(), store.errorText()));
        return ExitCode::HistoryUnavailable;
    }
    switch (options.historyAction) {
    case CliOptions::HistoryShow:
        return show(options, store, console);
    case CliOptions::HistoryDiff:
        return diff(options, store, console);
    case CliOptions::HistoryList:
        break;
    }
    return list(options, store, console);
}

} // namespace HistoryCommand
