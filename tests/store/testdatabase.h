#pragma once

// A history of its own for each test case: an SQLite file in a temporary folder, or a new
// database on the PostgreSQL server that scripts/test starts (LUMARO_TEST_POSTGRESQL).

#include "store/historylocation.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QString>
#include <QTemporaryDir>
#include <QUuid>

namespace TestDatabase {

constexpr char kPostgresVariable[] = "LUMARO_TEST_POSTGRESQL";
constexpr char kSkipText[] =
    "no PostgreSQL server: set LUMARO_TEST_POSTGRESQL to a postgresql:// URI of a superuser "
    "(scripts/test starts one)";

// Empty when the server is not given or a database cannot be made there.
inline QString freshPostgres()
{
    HistoryLocation server;
    QString error;
    if (!HistoryLocation::parse(qEnvironmentVariable(kPostgresVariable), &server, &error)
        || server.kind != HistoryLocation::Postgres)
        return QString();
    const QString name = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
    bool made = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(server.host);
        db.setPort(server.port);
        db.setUserName(server.user);
        db.setPassword(server.password);
        db.setDatabaseName(server.database);
        made = db.open() && QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name);
    }
    QSqlDatabase::removeDatabase(name);
    if (!made)
        return QString();
    return QStringLiteral("postgresql://%1:%2@/%3?host=%4&port=%5")
        .arg(server.user, server.password, name, server.host)
        .arg(server.port);
}

// "sqlite" or "postgresql"; empty for a PostgreSQL history without a server.
inline QString fresh(const QString &backend, const QTemporaryDir &dir)
{
    static int made = 0;
    if (backend == QLatin1String("sqlite"))
        return dir.filePath(QStringLiteral("h%1/history.sqlite").arg(++made));
    return freshPostgres();
}

// The rows of a test that runs on each kind of history.
inline void addBackendRows()
{
    QTest::addColumn<QString>("backend");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

} // namespace TestDatabase

// The fetched row's history as `name`, made in `dir`; the case is skipped without a server.
#define HISTORY_OR_SKIP(name, dir)                                                              \
    QFETCH(QString, backend);                                                                   \
    const QString name = TestDatabase::fresh(backend, dir);                                     \
    if (name.isEmpty())                                                                         \
        QSKIP(TestDatabase::kSkipText);
