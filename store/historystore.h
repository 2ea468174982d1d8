#pragma once

// The configuration history in a database: one version per distinct settings document of a
// controller, stored in one transaction each, on SQLite or PostgreSQL with the same schema.
// One store is one connection and belongs to the thread that opened it.

#include "protocol/history/snapshotmeta.h"
#include "store/historylocation.h"

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QSqlQuery;

struct ControllerEntry {
    QString serial;
    QDateTime lastSeen;
    QString firmware;
    QString server; // "a.b.c.d:port"
    int versions = 0;
};

struct VersionEntry {
    int number = 0;
    QDateTime takenAt;
    SnapshotMeta::Kind kind = SnapshotMeta::Read;
    QString user;
    QString host;
    QString summary;
};

class HistoryStore
{
public:
    // Each migration brings the schema from the version before it to its own.
    static constexpr int kSchemaVersion = 1;

    enum Status { Ok, NotFound, Failed };

    HistoryStore();
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    // Connects, and makes or migrates the schema. False with errorText() when the history
    // cannot be used.
    bool open(const HistoryLocation &location);
    bool isOpen() const { return opened; }
    // Why the last call failed, in the words shown to the user.
    QString errorText() const { return error; }

    struct Stored {
        int version = 0;
        bool added = false; // false: equal to the last version, only its last-seen time moved
    };
    Status store(const SnapshotMeta &meta, const QJsonObject &document, Stored *stored = nullptr);
    // Many snapshots in one transaction, as an import or the bench fills a history.
    Status storeAll(const QList<QPair<SnapshotMeta, QJsonObject>> &snapshots);

    // Every controller, or those whose serial number or latest settings hold `filter`
    // (any case); ordered by serial number.
    Status controllers(const QString &filter, QList<ControllerEntry> *entries);
    // One controller's versions, oldest first; with `filter`, those whose settings hold it.
    Status versions(const QString &serial, const QString &filter, QList<VersionEntry> *entries);
    // A version's document as stored, counters included; version 0 is the latest.
    Status document(const QString &serial, int version, QJsonObject *document);
    // The changed fields from version a to b.
    Status diff(const QString &serial, int a, int b, QStringList *lines);

private:
    bool begin();
    bool commit();
    bool fail(const QSqlQuery &query);
    bool fail(const QString &what);
    bool exec(QSqlQuery &query);
    bool exec(const QString &statement);
    bool migrate();
    bool storeOne(const SnapshotMeta &meta, const QJsonObject &document, Stored *stored);
    qint64 controllerId(const QString &serial, Status *status);

    QString connectionName;
    HistoryLocation where;
    bool opened = false;
    QString error;
};
