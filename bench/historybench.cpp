// lumaro-history-bench: fills a configuration history with a fleet (10 000 controllers × 20
// versions by default) and times what the window and lumaro-cli ask of it, on SQLite and, given
// a server, on PostgreSQL.

#include "store/historystore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRepeats = 7;
constexpr int kProcessRepeats = 3;
constexpr int kFillBatch = 500;
constexpr int kServers = 40;

QString serialOf(int controller)
{
    return QStringLiteral("T3-%1-%2").arg(controller / 10000 + 100, 4, 10, QLatin1Char('0'))
        .arg(controller % 10000, 4, 10, QLatin1Char('0'));
}

QString serverOf(int controller)
{
    return QStringLiteral("10.20.%1.%2").arg(controller % kServers).arg(100 + controller % 7);
}

// A controller as a service organisation sets it up: four metered analog inputs, a dozen
// meters on the line, the rest off; each version changes one setting.
QJsonObject fleetDocument(int controller, int version)
{
    QJsonObject settings{{"serialNumber", serialOf(controller)}, {"hardwareVersion", "8.1"},
                         {"firmwareVersion", "1.4.2"}, {"infoText", "LUMARO T3"},
                         {"imei", QStringLiteral("8673%1").arg(controller, 11, 10, QLatin1Char('0'))},
                         {"powerSource", 0}, {"batteryMillivolts", 3600 - version}, {"lidOpen", 0},
                         {"logPeriodSeconds", 3600}, {"sendPeriodSeconds", 86400},
                         {"contactPollPeriodSeconds", 10}, {"consumptionThreshold", 0},
                         {"consumptionSendMode", 0}, {"psm", 0},
                         {"serverIp", serverOf(controller)}, {"serverPort", 8000 + version},
                         {"apiGet", "/sensor/get"}, {"apiSave", "/sensor/save"}};
    QJsonArray analog;
    for (int ch = 1; ch <= 8; ++ch) {
        const bool used = ch <= 4;
        analog.append(QJsonObject{{"channel", ch}, {"deviceCode", used ? 1 : 0}, {"input", used ? 2 : 0},
                                  {"serial", used ? QStringLiteral("W%1-%2").arg(controller).arg(ch) : QString()},
                                  {"multiplier", ch == 1 ? 1 + version : 1}, {"divider", 1},
                                  {"lk", 0}, {"st", 0}, {"object", controller % 9000},
                                  {"reading", 1000.0 * version + ch}});
    }
    QJsonArray digital;
    for (int ch = 9; ch <= 40; ++ch) {
        const bool used = ch <= 20;
        digital.append(QJsonObject{{"channel", ch}, {"deviceCode", used ? 8 : 0}, {"protocol", used ? 1 : 0},
                                   {"address", used ? QStringLiteral("%1").arg(controller * 40 + ch) : QStringLiteral("0")},
                                   {"password", used ? "111111" : ""}, {"kt", 1}, {"object", controller % 9000}});
    }
    return {{"format", 1}, {"analogChannelCount", 8}, {"controller", settings},
            {"analog", analog}, {"digital", digital}};
}

SnapshotMeta fleetMeta(const QJsonObject &document, int version)
{
    SnapshotMeta meta = SnapshotMeta::forDocument(
        document, version % 2 ? SnapshotMeta::Write : SnapshotMeta::Read);
    meta.takenAt = QDateTime(QDate(2026, 1, 1), QTime(8, 0), Qt::UTC).addDays(version * 7);
    meta.user = QStringLiteral("engineer%1").arg(version % 5);
    meta.host = QStringLiteral("service-pc");
    return meta;
}

double medianMs(int repeats, const std::function<bool()> &run, bool *ok)
{
    QList<double> times;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        *ok = run() && *ok;
        times << timer.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

void line(const char *what, double ms, double goalMs, bool ok)
{
    std::printf("  %-44s %9.1f ms  goal < %4.0f ms: %s\n", what, ms, goalMs,
                !ok ? "FAILED" : ms < goalMs ? "ok" : "over");
    std::fflush(stdout);
}

bool cli(const QString &cliPath, const QStringList &args)
{
    QProcess p;
    p.start(cliPath, args);
    return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0
        && !p.readAllStandardOutput().isEmpty();
}

bool bench(const QString &title, const QString &uri, int controllers, int versions)
{
    HistoryLocation where;
    QString error;
    HistoryStore store;
    if (!HistoryLocation::parse(uri, &where, &error) || !store.open(where)) {
        std::printf("%s: cannot open %s: %s\n", qPrintable(title), qPrintable(uri),
                    qPrintable(error.isEmpty() ? store.errorText() : error));
        return false;
    }
    std::printf("%s (%d controllers × %d versions)\n", qPrintable(title), controllers, versions);
    QElapsedTimer fill;
    fill.start();
    QList<QPair<SnapshotMeta, QJsonObject>> batch;
    for (int v = 1; v <= versions; ++v) {
        for (int c = 0; c < controllers; ++c) {
            const QJsonObject document = fleetDocument(c, v);
            batch.append({fleetMeta(document, v), document});
            if (batch.size() == kFillBatch || (v == versions && c == controllers - 1)) {
                if (store.storeAll(batch) != HistoryStore::Ok) {
                    std::printf("  fill failed: %s\n", qPrintable(store.errorText()));
                    return false;
                }
                batch.clear();
            }
        }
    }
    std::printf("  %-44s %9.1f s\n", "filled in", fill.elapsed() / 1000.0);

    bool ok = true;
    int next = versions;
    line("store a snapshot (a new version)", medianMs(kRepeats, [&] {
        const int c = QRandomGenerator::global()->bounded(controllers);
        const QJsonObject document = fleetDocument(c, ++next);
        HistoryStore::Stored stored;
        return store.store(fleetMeta(document, next), document, &stored) == HistoryStore::Ok && stored.added;
    }, &ok), 20, ok);
    ok = true;
    line("store a snapshot (unchanged, last seen only)", medianMs(kRepeats, [&] {
        const QJsonObject document = fleetDocument(0, 1);
        store.store(fleetMeta(document, 1), document);
        return store.store(fleetMeta(document, 1), document) == HistoryStore::Ok;
    }, &ok) / 2, 20, ok);
    QList<ControllerEntry> entries;
    ok = true;
    line("controller list (all)", medianMs(kRepeats, [&] {
        return store.controllers(QString(), &entries) == HistoryStore::Ok && entries.size() == controllers;
    }, &ok), 100, ok);
    ok = true;
    const QString oldServer = serverOf(controllers / 2);
    line("filter by server address", medianMs(kRepeats, [&] {
        return store.controllers(oldServer, &entries) == HistoryStore::Ok && !entries.isEmpty();
    }, &ok), 100, ok);
    ok = true;
    line("filter by part of a serial number", medianMs(kRepeats, [&] {
        return store.controllers(QStringLiteral("-00"), &entries) == HistoryStore::Ok && !entries.isEmpty();
    }, &ok), 100, ok);
    QList<VersionEntry> list;
    ok = true;
    line("one controller's versions", medianMs(kRepeats, [&] {
        return store.versions(serialOf(controllers / 3), QString(), &list) == HistoryStore::Ok
            && list.size() >= versions;
    }, &ok), 100, ok);

    const QString cliPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("lumaro-cli"));
    if (QFile::exists(cliPath)) {
        ok = true;
        line("lumaro-cli history --grep (whole process)", medianMs(kProcessRepeats, [&] {
            return cli(cliPath, {"--history", uri, "history", "--grep", oldServer});
        }, &ok), 1000, ok);
        ok = true;
        line("lumaro-cli history diff (whole process)", medianMs(kProcessRepeats, [&] {
            return cli(cliPath, {"--history", uri, "history", "diff", serialOf(controllers / 4), "1",
                                 QString::number(versions)});
        }, &ok), 1000, ok);
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Times the configuration history at fleet size."));
    parser.addHelpOption();
    const QCommandLineOption controllersOption("controllers", "Controllers in the history.", "N", "10000");
    const QCommandLineOption versionsOption("versions", "Versions of each controller.", "N", "20");
    const QCommandLineOption postgresOption("postgresql", "Also on this server (an empty database).", "URI");
    const QCommandLineOption folderOption("folder", "Folder for the SQLite file (default: a temporary one).", "PATH");
    parser.addOptions({controllersOption, versionsOption, postgresOption, folderOption});
    parser.process(app);
    const int controllers = std::max(1, parser.value(controllersOption).toInt());
    const int versions = std::max(2, parser.value(versionsOption).toInt());

    QTemporaryDir temporary(parser.isSet(folderOption) ? parser.value(folderOption) + QStringLiteral("/history-bench-XXXXXX")
                                                       : QString());
    if (!temporary.isValid())
        return 1;
    bool ok = bench(QStringLiteral("SQLite"), temporary.filePath(QStringLiteral("history.sqlite")),
                    controllers, versions);
    if (parser.isSet(postgresOption))
        ok = bench(QStringLiteral("PostgreSQL"), parser.value(postgresOption), controllers, versions) && ok;
    return ok ? 0 : 1;
}
