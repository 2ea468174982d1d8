#include "store/historystore.h"

#include "protocol/global/logcategories.h"
#include "protocol/history/settingsdiff.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

// Several windows and scripts share one file: a writer waits this long for another's commit.
constexpr int kBusyTimeoutMs = 10000;
constexpr int kConnectTimeoutS = 5;
// Serialises schema changes of processes that open a new PostgreSQL history at once.
constexpr qint64 kSchemaLockKey = 0x4c554d41524f; // "LUMARO"

QAtomicInt connectionCount;

QString text(const char *source)
{
    return QCoreApplication::translate("HistoryStore", source);
}

QString timeText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime timeOf(const QVariant &value)
{
    QDateTime time = QDateTime::fromString(value.toString(), Qt::ISODateWithMs);
    time.setTimeSpec(Qt::UTC);
    return time;
}

// Documents compress to about a tenth: 200 000 versions stay a few hundred megabytes.
QByteArray packed(const QJsonObject &document)
{
    return qCompress(QJsonDocument(document).toJson(QJsonDocument::Compact));
}

QJsonObject unpacked(const QVariant &value)
{
    return QJsonDocument::fromJson(qUncompress(value.toByteArray())).object();
}

// A null QString binds as SQL NULL; the columns hold text, empty when unknown.
void bindTexts(QSqlQuery &q, std::initializer_list<QString> values)
{
    for (const QString &v : values)
        q.addBindValue(v.isNull() ? QStringLiteral("") : v);
}

QString likePattern(const QString &filter)
{
    QString escaped = filter.toLower();
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

// Schema version 1. %ID% and %BLOB% are the dialect's.
const char *const kSchema1[] = {
    "CREATE TABLE schema_info (version INTEGER NOT NULL)",
    "INSERT INTO schema_info (version) VALUES (0)",
    "CREATE TABLE controllers ("
    " id %ID%,"
    " serial TEXT NOT NULL UNIQUE,"
    " hardware TEXT NOT NULL,"
    " firmware TEXT NOT NULL,"
    " server TEXT NOT NULL,"
    " first_seen TEXT NOT NULL,"
    " last_seen TEXT NOT NULL,"
    " last_version INTEGER NOT NULL,"
    " search_text TEXT NOT NULL)",
    "CREATE TABLE versions ("
    " controller_id INTEGER NOT NULL REFERENCES controllers (id),"
    " number INTEGER NOT NULL,"
    " taken_at TEXT NOT NULL,"
    " kind TEXT NOT NULL,"
    " user_name TEXT NOT NULL,"
    " host_name TEXT NOT NULL,"
    " hardware TEXT NOT NULL,"
    " firmware TEXT NOT NULL,"
    " summary TEXT NOT NULL,"
    " document %BLOB% NOT NULL,"
    " PRIMARY KEY (controller_id, number))",
};

struct Migration {
    int version;
    const char *const *statements;
    int count;
};

const Migration kMigrations[] = {
    {1, kSchema1, int(std::size(kSchema1))},
};

} // namespace

HistoryStore::HistoryStore()
    : connectionName(QStringLiteral("lumaro-history-%1").arg(connectionCount.fetchAndAddRelaxed(1)))
{
}

HistoryStore::~HistoryStore()
{
    if (QSqlDatabase::contains(connectionName)) {
        QSqlDatabase::database(connectionName, false).close();
        QSqlDatabase::removeDatabase(connectionName);
    }
}

bool HistoryStore::open(const HistoryLocation &location)
{
    where = location;
    opened = false;
    const bool sqlite = location.kind == HistoryLocation::Sqlite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return fail(text("нет драйвера базы данных %1").arg(driver));
    QSqlDatabase db = QSqlDatabase::contains(connectionName)
        ? QSqlDatabase::database(connectionName, false)
        : QSqlDatabase::addDatabase(driver, connectionName);
    if (sqlite) {
        const QFileInfo file(location.file);
        if (!QDir().mkpath(file.absolutePath()))
            return fail(text("не удается создать папку %1")
                            .arg(QDir::toNativeSeparators(file.absolutePath())));
        db.setDatabaseName(location.file);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    } else {
        db.setHostName(location.host);
        db.setPort(location.port);
        db.setUserName(location.user);
        db.setPassword(location.password);
        db.setDatabaseName(location.database);
        db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(kConnectTimeoutS));
    }
    if (!db.open())
        return fail(db.lastError().text());
    // WAL lets readers go on while one writer commits; NORMAL keeps the file consistent on a
    // crash and costs no disk flush per snapshot.
    if (sqlite
        && (!exec(QStringLiteral("PRAGMA journal_mode=WAL"))
            || !exec(QStringLiteral("PRAGMA synchronous=NORMAL"))
            || !exec(QStringLiteral("PRAGMA foreign_keys=ON"))))
        return false;
    if (!migrate())
        return false;
    opened = true;
    qCDebug(lcHistory) << "history open" << location.displayName();
    return true;
}

bool HistoryStore::migrate()
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    const bool sqlite = where.kind == HistoryLocation::Sqlite;
    if (!begin())
        return false;
    if (!sqlite && !exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLockKey)))
        return false;
    int version = 0;
    if (db.tables().contains(QStringLiteral("schema_info"))) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT version FROM schema_info")) || !q.next())
            return fail(q);
        version = q.value(0).toInt();
    }
    if (version > kSchemaVersion) {
        exec(QStringLiteral("ROLLBACK"));
        return fail(text("история создана более новой версией программы (схема %1)").arg(version));
    }
    for (const Migration &m : kMigrations) {
        if (m.version <= version)
            continue;
        for (int i = 0; i < m.count; ++i) {
            QString statement = QString::fromLatin1(m.statements[i]);
            statement.replace(QLatin1String("%ID%"), sqlite ? QLatin1String("INTEGER PRIMARY KEY")
                                                            : QLatin1String("BIGSERIAL PRIMARY KEY"))
                .replace(QLatin1String("%BLOB%"),
                         sqlite ? QLatin1String("BLOB") : QLatin1String("BYTEA"));
            if (!exec(statement))
                return false;
        }
        if (!exec(QStringLiteral("UPDATE schema_info SET version = %1").arg(m.version)))
            return false;
        qCDebug(lcHistory) << "history schema migrated to" << m.version;
    }
    return commit();
}

bool HistoryStore::begin()
{
    // IMMEDIATE takes SQLite's write lock at once, so the busy time-out applies to it; a
    // deferred transaction that reads first fails without waiting when another wrote meanwhile.
    return exec(where.kind == HistoryLocation::Sqlite ? QStringLiteral("BEGIN IMMEDIATE")
                                                      : QStringLiteral("BEGIN"));
}

bool HistoryStore::commit()
{
    return exec(QStringLiteral("COMMIT"));
}

bool HistoryStore::fail(const QString &what)
{
    error = what;
    // The caller tells the user, once; this is for a support case.
    qCDebug(lcHistory) << "history" << where.displayName() << what;
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    if (db.isOpen())
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool HistoryStore::fail(const QSqlQuery &query)
{
    const QSqlError e = query.lastError();
    return fail(e.databaseText().isEmpty() ? e.text() : e.databaseText());
}

bool HistoryStore::exec(QSqlQuery &query)
{
    return query.exec() || fail(query);
}

bool HistoryStore::exec(const QString &statement)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    return q.exec(statement) || fail(q);
}

HistoryStore::Status HistoryStore::store(const SnapshotMeta &meta, const QJsonObject &document,
                                         Stored *stored)
{
    Stored result;
    if (!opened || !begin() || !storeOne(meta, document, &result) || !commit())
        return Failed;
    qCDebug(lcHistory) << "snapshot" << meta.serial << SnapshotMeta::kindKey(meta.kind)
                       << (result.added ? "version" : "unchanged since") << result.version;
    if (stored)
        *stored = result;
    return Ok;
}

HistoryStore::Status HistoryStore::storeAll(const QList<QPair<SnapshotMeta, QJsonObject>> &snapshots)
{
    if (!opened || !begin())
        return Failed;
    Stored result;
    for (const auto &[meta, document] : snapshots) {
        if (!storeOne(meta, document, &result))
            return Failed;
    }
    return commit() ? Ok : Failed;
}

bool HistoryStore::storeOne(const SnapshotMeta &meta, const QJsonObject &document, Stored *stored)
{
    QSqlDatabase db = QSqlDatabase::database(connectionName, false);
    const QString now = timeText(meta.takenAt);
    const QString server = SettingsDiff::serverAddress(document);
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO controllers (serial, hardware, firmware, server, "
                             "first_seen, last_seen, last_version, search_text) "
                             "VALUES (?, ?, ?, ?, ?, ?, 0, '') ON CONFLICT (serial) DO NOTHING"));
    bindTexts(q, {meta.serial, meta.hardware, meta.firmware, server, now, now});
    if (!exec(q))
        return false;
    // A second writer of the same controller waits here until this one commits.
    q.prepare(QStringLiteral("SELECT id, last_version FROM controllers WHERE serial = ?")
              + (where.kind == HistoryLocation::Postgres ? QStringLiteral(" FOR UPDATE")
                                                         : QString()));
    q.addBindValue(meta.serial);
    if (!exec(q))
        return false;
    if (!q.next()) {
        fail(text("контроллер %1 не записан").arg(meta.serial));
        return false;
    }
    const qint64 id = q.value(0).toLongLong();
    const int last = q.value(1).toInt();
    QJsonObject previous;
    if (last > 0) {
        q.prepare(QStringLiteral("SELECT document FROM versions WHERE controller_id = ? AND number = ?"));
        q.addBindValue(id);
        q.addBindValue(last);
        if (!exec(q))
            return false;
        if (q.next())
            previous = unpacked(q.value(0));
    }
    Stored result{last, false};
    if (last > 0 && SettingsDiff::nothingNew(previous, document)) {
        q.prepare(QStringLiteral("UPDATE controllers SET last_seen = ? WHERE id = ?"));
        q.addBindValue(now);
        q.addBindValue(id);
        if (!exec(q))
            return false;
    } else {
        result = {last + 1, true};
        q.prepare(QStringLiteral("INSERT INTO versions (controller_id, number, taken_at, kind, "
                                 "user_name, host_name, hardware, firmware, summary, document) "
                                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
        q.addBindValue(id);
        q.addBindValue(result.version);
        bindTexts(q, {now, SnapshotMeta::kindKey(meta.kind), meta.user, meta.host, meta.hardware,
                      meta.firmware, SettingsDiff::summary(previous, document)});
        q.addBindValue(packed(document));
        if (!exec(q))
            return false;
        q.prepare(QStringLiteral("UPDATE controllers SET hardware = ?, firmware = ?, server = ?, "
                                 "last_seen = ?, last_version = ?, search_text = ? WHERE id = ?"));
        bindTexts(q, {meta.hardware, meta.firmware, server, now});
        q.addBindValue(result.version);
        q.addBindValue(meta.serial.toLower() + QLatin1Char('\n')
                       + SettingsDiff::searchText(document));
        q.addBindValue(id);
        if (!exec(q))
            return false;
    }
    *stored = result;
    return true;
}

HistoryStore::Status HistoryStore::controllers(const QString &filter,
                                               QList<ControllerEntry> *entries)
{
    if (!opened)
        return Failed;
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    QString sql = QStringLiteral(
        "SELECT serial, last_seen, firmware, server, last_version FROM controllers");
    if (!filter.isEmpty())
        sql += QStringLiteral(" WHERE search_text LIKE ? ESCAPE '\\'");
    q.prepare(sql + QStringLiteral(" ORDER BY serial"));
    if (!filter.isEmpty())
        q.addBindValue(likePattern(filter));
    if (!exec(q))
        return Failed;
    entries->clear();
    while (q.next())
        entries->append({q.value(0).toString(), timeOf(q.value(1)), q.value(2).toString(),
                         q.value(3).toString(), q.value(4).toInt()});
    return Ok;
}

qint64 HistoryStore::controllerId(const QString &serial, Status *status)
{
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.prepare(QStringLiteral("SELECT id FROM controllers WHERE serial = ?"));
    q.addBindValue(serial);
    if (!exec(q)) {
        *status = Failed;
        return 0;
    }
    *status = q.next() ? Ok : NotFound;
    if (*status == NotFound)
        error = text("контроллера %1 нет в истории").arg(serial);
    return *status == Ok ? q.value(0).toLongLong() : 0;
}

HistoryStore::Status HistoryStore::versions(const QString &serial, const QString &filter,
                                            QList<VersionEntry> *entries)
{
    if (!opened)
        return Failed;
    Status status = Ok;
    const qint64 id = controllerId(serial, &status);
    if (status != Ok)
        return status;
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT number, taken_at, kind, user_name, host_name, summary%1 "
                             "FROM versions WHERE controller_id = ? ORDER BY number")
                  .arg(filter.isEmpty() ? QString() : QStringLiteral(", document")));
    q.addBindValue(id);
    if (!exec(q))
        return Failed;
    entries->clear();
    const QString needle = filter.toLower();
    while (q.next()) {
        if (!needle.isEmpty()
            && !SettingsDiff::searchText(unpacked(q.value(6))).contains(needle))
            continue;
        entries->append({q.value(0).toInt(), timeOf(q.value(1)),
                         SnapshotMeta::kindForKey(q.value(2).toString()), q.value(3).toString(),
                         q.value(4).toString(), q.value(5).toString()});
    }
    return Ok;
}

HistoryStore::Status HistoryStore::document(const QString &serial, int version,
                                            QJsonObject *document)
{
    if (!opened)
        return Failed;
    Status status = Ok;
    const qint64 id = controllerId(serial, &status);
    if (status != Ok)
        return status;
    QSqlQuery q(QSqlDatabase::database(connectionName, false));
    q.prepare(version > 0
                  ? QStringLiteral("SELECT document FROM versions WHERE controller_id = ? AND number = ?")
                  : QStringLiteral("SELECT document FROM versions WHERE controller_id = ? "
                                   "ORDER BY number DESC LIMIT 1"));
    q.addBindValue(id);
    if (version > 0)
        q.addBindValue(version);
    if (!exec(q))
        return Failed;
    if (!q.next()) {
        error = text("у контроллера %1 нет версии %2").arg(serial).arg(version);
        return NotFound;
    }
    *document = unpacked(q.value(0));
    return Ok;
}

HistoryStore::Status HistoryStore::diff(const QString &serial, int a, int b, QStringList *lines)
{
    QJsonObject before;
    QJsonObject after;
    Status status = document(serial, a, &before);
    if (status == Ok)
        status = document(serial, b, &after);
    if (status == Ok)
        *lines = SettingsDiff::lines(before, after);
    return status;
}
