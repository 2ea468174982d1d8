#include "store/historyservice.h"

#include <QCoreApplication>

HistoryService::HistoryService(const HistoryLocation &location, QObject *parent)
    : QObject(parent)
    , location(location)
{
}

HistoryService::~HistoryService() = default;

bool HistoryService::ready()
{
    if (store && store->isOpen())
        return true;
    // A history that failed is tried again at the next request: the server may be back.
    store = std::make_unique<HistoryStore>();
    return store->open(location) || check(HistoryStore::Failed);
}

bool HistoryService::check(HistoryStore::Status status)
{
    if (status == HistoryStore::Ok) {
        reported = false;
        return true;
    }
    if (status == HistoryStore::Failed && !reported) {
        reported = true;
        emit unavailable(QCoreApplication::translate("HistoryService",
                                                     "История настроек недоступна: %1: %2")
                             .arg(location.displayName(), store->errorText()));
    }
    return false;
}

void HistoryService::storeSnapshot(const QJsonObject &document, int kind)
{
    if (!ready())
        return;
    const SnapshotMeta meta = SnapshotMeta::forDocument(document, SnapshotMeta::Kind(kind));
    HistoryStore::Stored result;
    if (check(store->store(meta, document, &result)))
        emit stored(meta.serial, result.version, result.added);
}

void HistoryService::listControllers(const QString &filter, int request)
{
    QList<ControllerEntry> controllers;
    if (ready() && check(store->controllers(filter, &controllers)))
        emit controllersListed(request, controllers);
}

void HistoryService::listVersions(const QString &serial)
{
    QList<VersionEntry> versions;
    if (ready() && check(store->versions(serial, QString(), &versions)))
        emit versionsListed(serial, versions);
}

void HistoryService::compareVersions(const QString &serial, int a, int b)
{
    QStringList lines;
    if (ready() && check(store->diff(serial, a, b, &lines)))
        emit versionsCompared(serial, a, b, lines);
}

void HistoryService::fetchDocument(const QString &serial, int version)
{
    QJsonObject document;
    if (ready() && check(store->document(serial, version, &document)))
        emit documentFetched(serial, version, document);
}
