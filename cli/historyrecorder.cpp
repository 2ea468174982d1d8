#include "cli/historyrecorder.h"

#include "cli/console.h"
#include "protocol/document/jsondocument.h"

#include <QCoreApplication>
#include <QJsonDocument>

HistoryRecorder::HistoryRecorder(const QString &location, Console &console)
    : locationText(location)
    , console(console)
{
}

bool HistoryRecorder::locate(const QString &text, HistoryLocation *location, QString *error)
{
    if (text.isEmpty()) {
        *location = HistoryLocation::standard();
        return true;
    }
    return HistoryLocation::parse(text, location, error);
}

void HistoryRecorder::record(const Snapshot &snapshot, SnapshotMeta::Kind kind)
{
    if (!tried) {
        tried = true;
        HistoryLocation location;
        QString error;
        if (!locate(locationText, &location, &error))
            return warn(error);
        if (!store.open(location))
            return warn(location.displayName() + QStringLiteral(": ") + store.errorText());
    }
    if (!store.isOpen())
        return;
    const QJsonObject document = QJsonDocument::fromJson(JsonDocument::write(snapshot)).object();
    if (store.store(SnapshotMeta::forDocument(document, kind), document) != HistoryStore::Ok)
        warn(store.errorText());
}

void HistoryRecorder::warn(const QString &why)
{
    if (warned)
        return;
    warned = true;
    console.message(QCoreApplication::translate("HistoryRecorder",
                                                "История настроек недоступна, снимок не сохранен: %1")
                        .arg(why));
}
