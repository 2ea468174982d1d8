// lumaro-cli's history against the simulated controller, on SQLite and on PostgreSQL: a wrong
// write undone with `history show` and `apply`, and a history that fails never stopping a write.

#include "sim/simserver.h"
#include "../store/testdatabase.h"
#include "clirun.h"

#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>

namespace {

using CliRun::Result;
const QString kSerial = QStringLiteral("T3-0421-0077");

class TestHistoryRoads : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;
    std::unique_ptr<SimServer> sim;

    static Result cli(const QStringList &args) { return CliRun::run(args); }

    // A command on the controller, with the history given.
    Result onController(const QString &history, const QStringList &args)
    {
        return cli(QStringList{"--port", sim->portName(), "--history", history} + args);
    }

    QString file(const QString &name, const QByteArray &content)
    {
        QFile f(dir.filePath(name));
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return f.fileName();
    }

    // A document that names one setting: apply reads and writes the controller tab only.
    static QByteArray port(int port)
    {
        return QStringLiteral(R"({"format": 1, "controller": {"serverPort": %1}})").arg(port).toUtf8();
    }

private slots:
    void initTestCase()
    {
        ControllerModel model;
        sim = std::make_unique<SimServer>(model);
        QVERIFY(sim->start());
        // The user's own history is never touched by a test.
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    }

    void wrongWriteUndone_data() { TestDatabase::addBackendRows(); }
    void wrongWriteUndone()
    {
        HISTORY_OR_SKIP(history, dir);
        const Result first = onController(history, {"read"});
        QCOMPARE(first.code, 0);
        QCOMPARE(onController(history, {"apply", file("wrong.json", port(8081))}).code, 0);

        Result versions = cli({"--history", history, "history", "--serial", kSerial});
        QCOMPARE(versions.code, 0);
        const QList<QByteArray> lines = versions.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith("1\t"));
        QVERIFY(lines.at(0).contains("\tчтение\t"));
        QVERIFY(lines.at(1).contains("\tзапись\t"));
        const Result diff = cli({"--history", history, "history", "diff", kSerial, "1", "2"});
        // That write read the controller and, for its checks, the analog channels only.
        QCOMPARE(diff.out, QByteArray("Контроллер: Порт: 80 → 8081\n"
                                      "Цифровые каналы: не считаны\n"));
        QVERIFY(lines.at(1).endsWith("\tКонтроллер: Порт: 80 → 8081"));

        // Undo: the first version as a document, applied as any other.
        const Result shown = cli({"--history", history, "history", "show", kSerial, "--version", "1"});
        QCOMPARE(shown.code, 0);
        QCOMPARE(shown.out, first.out); // byte for byte what `read` wrote
        QCOMPARE(onController(history, {"apply", file("undo.json", shown.out)}).code, 0);
        // The last version is what the controller answered when read back after the undo.
        versions = cli({"--history", history, "history", "--serial", kSerial});
        const QByteArray last = versions.out.trimmed().split('\n').last();
        QVERIFY(last.contains("\tзапись\t"));
        const Result undone =
            cli({"--history", history, "history", "diff", kSerial, "1", last.split('\t').first()});
        QCOMPARE(undone.code, 0);
        QCOMPARE(undone.out, QByteArray());
        // The controller list finds it by its settings.
        QVERIFY(cli({"--history", history, "history", "--grep", "0421"}).out.startsWith(kSerial.toUtf8() + '\t'));
    }

    void unwritableHistoryLeavesWriteDone()
    {
        const QString blocked = file("blocker", "not a folder") + "/history.sqlite";
        const Result applied = onController(blocked, {"apply", file("new.json", port(9000))});
        QCOMPARE(applied.code, 0);
        QCOMPARE(applied.err.count("История настроек недоступна"), 1);
        const Result after = onController(blocked, {"read"});
        QCOMPARE(after.code, 0);
        QCOMPARE(after.err.count("История настроек недоступна"), 1);
        QCOMPARE(QJsonDocument::fromJson(after.out)["controller"]["serverPort"].toInt(), 9000);
    }

    void historyExitCodes_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("unknown serial") << QStringList{"history", "show", "T3-0000-0000"} << 2;
        QTest::newRow("unknown version")
            << QStringList{"history", "show", kSerial, "--version", "7"} << 2;
        QTest::newRow("no version 0") << QStringList{"history", "diff", kSerial, "0", "1"} << 2;
        QTest::newRow("history cannot be opened")
            << QStringList{"--history", "BLOCKED", "history"} << 9;
        QTest::newRow("server not there")
            << QStringList{"--history", "postgresql://nobody@/none?host=/nonexistent", "history"} << 9;
    }
    void historyExitCodes()
    {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        const QString history = dir.filePath("codes.sqlite");
        if (!QFile::exists(history))
            QCOMPARE(onController(history, {"apply", file("codes.json", port(80))}).code, 0);
        args.replaceInStrings("BLOCKED", file("blocker", "x") + "/h.sqlite");
        if (!args.contains("--history"))
            args = QStringList{"--history", history} + args;
        const Result r = cli(args);
        QCOMPARE(r.code, code);
        QVERIFY(!r.err.isEmpty());
    }
};

} // namespace

QTEST_MAIN(TestHistoryRoads)
#include "tst_historyroads.moc"
