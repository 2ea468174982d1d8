#include "store/historylocation.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace {

constexpr char kFolderName[] = "lumaro";
constexpr char kFileName[] = "history.sqlite";

QString decoded(const QString &part)
{
    return QUrl::fromPercentEncoding(part.toUtf8());
}

} // namespace

HistoryLocation HistoryLocation::standard()
{
    HistoryLocation location;
    // The application data folder of "lumaro", not of each program: the window and
    // lumaro-cli keep one history.
    location.file = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
                        .filePath(QLatin1String(kFolderName) + QLatin1Char('/')
                                  + QLatin1String(kFileName));
    return location;
}

bool HistoryLocation::parse(const QString &text, HistoryLocation *location, QString *error)
{
    static const QRegularExpression scheme(QStringLiteral("^postgres(ql)?://"));
    if (!scheme.match(text).hasMatch()) {
        *location = HistoryLocation();
        location->file = text;
        return true;
    }
    // QUrl refuses a user with no host, which the socket form ("user@/db?host=/run/...") has.
    static const QRegularExpression uri(QStringLiteral(
        "^postgres(?:ql)?://(?:([^:@/]*)(?::([^@/]*))?@)?([^:/?]*)(?::(\\d+))?(?:/([^?]*))?(?:\\?(.*))?$"));
    const QRegularExpressionMatch m = uri.match(text);
    HistoryLocation pg;
    pg.kind = Postgres;
    if (m.hasMatch()) {
        pg.user = decoded(m.captured(1));
        pg.password = decoded(m.captured(2));
        pg.host = decoded(m.captured(3));
        if (!m.captured(4).isEmpty())
            pg.port = m.captured(4).toInt();
        pg.database = decoded(m.captured(5));
        const QUrlQuery query(m.captured(6));
        if (query.hasQueryItem(QStringLiteral("host")))
            pg.host = query.queryItemValue(QStringLiteral("host"), QUrl::FullyDecoded);
        if (query.hasQueryItem(QStringLiteral("port")))
            pg.port = query.queryItemValue(QStringLiteral("port")).toInt();
    }
    if (!m.hasMatch() || pg.database.isEmpty() || pg.port <= 0 || pg.port > 65535) {
        *error = QCoreApplication::translate(
                     "HistoryLocation",
                     "Неверный адрес истории %1: ожидается "
                     "postgresql://пользователь:пароль@сервер:порт/база")
                     .arg(text);
        return false;
    }
    *location = pg;
    return true;
}

QString HistoryLocation::displayName() const
{
    if (kind == Sqlite)
        return QDir::toNativeSeparators(file);
    const bool socket = host.startsWith(QLatin1Char('/'));
    QString name = QStringLiteral("postgresql://") + user + QLatin1Char('@')
        + (socket ? QString() : host + QLatin1Char(':') + QString::number(port)) + QLatin1Char('/')
        + database;
    if (socket)
        name += QStringLiteral("?host=") + host;
    return name;
}
