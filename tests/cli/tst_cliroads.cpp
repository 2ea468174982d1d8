// lumaro-cli as a program against the simulated controller: the test serves the controller's
// side of a pseudo-terminal, the program opens the other side as it would a COM port.

#include "sim/simserver.h"
#include "clirun.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {

const QByteArray kAsRead = "as read";

using CliRun::kRunMs;
using CliRun::Result;

// A simulated controller and the program pointed at it.
struct Road {
    explicit Road(const QString &hw = QStringLiteral("8.1"),
                  const QString &fw = QStringLiteral("1.4.2"))
    {
        ControllerModel model;
        model.setHardware(hw);
        model.setFirmware(fw);
        sim = std::make_unique<SimServer>(model);
        started = sim->start() && dir.isValid();
        // read and apply keep a history; never the user's own.
        qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    }

    Result cli(const QStringList &args)
    {
        return CliRun::run(QStringList{QStringLiteral("--port"), sim->portName()} + args, environment);
    }

    QJsonObject read()
    {
        const Result r = cli({QStringLiteral("read")});
        return r.code == 0 ? QJsonDocument::fromJson(r.out).object() : QJsonObject();
    }

    QString file(const QByteArray &content)
    {
        QFile f(dir.filePath(QStringLiteral("settings%1").arg(++files)));
        f.open(QIODevice::WriteOnly);
        f.write(content);
        return f.fileName();
    }

    int writes() const
    {
        return sim->requestCount(16) + sim->requestCount(32) + sim->requestCount(33);
    }

    QTemporaryDir dir;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<SimServer> sim;
    bool started = false;
    int files = 0;
};

// A read document with a partial one laid over it: controller keys, channels by number.
QJsonObject overlay(QJsonObject document, const QJsonObject &patch)
{
    QJsonObject controller = document.value("controller").toObject();
    const QJsonObject changes = patch.value("controller").toObject();
    for (auto it = changes.begin(); it != changes.end(); ++it)
        controller.insert(it.key(), it.value());
    document.insert("controller", controller);
    for (const char *section : {"analog", "digital"}) {
        QJsonArray channels = document.value(section).toArray();
        for (const QJsonValue &change : patch.value(section).toArray()) {
            for (int i = 0; i < channels.size(); ++i) {
                QJsonObject channel = channels.at(i).toObject();
                if (channel.value("channel") != change.toObject().value("channel"))
                    continue;
                const QJsonObject fields = change.toObject();
                for (auto it = fields.begin(); it != fields.end(); ++it)
                    channel.insert(it.key(), it.value());
                channels.replace(i, channel);
            }
        }
        document.insert(section, channels);
    }
    return document;
}

} // namespace

class TestCliRoads : public QObject
{
    Q_OBJECT

private slots:
    void readEditApplyRead_data();
    void readEditApplyRead();
    void applySendsNoWrite_data();
    void applySendsNoWrite();
    void stopsBeforeTheSettings_data();
    void stopsBeforeTheSettings();
    void endsAsScriptsExpect();
    void reportWithoutDisplay();
    void applyKeepsCountersAndItsAnswers_data();
    void applyKeepsCountersAndItsAnswers();
};

void TestCliRoads::readEditApplyRead_data()
{
    QTest::addColumn<QByteArray>("edit");
    QTest::addColumn<QByteArray>("channelFile"); // empty: the edited document is the file
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QList<int>>("writes");      // commands 33, 16 and 32
    // The contact sensor's LK below its poll period asks the window's question.
    QTest::newRow("document: log period, LK of a sensor and a contact, a new meter, --yes")
        << QByteArray(R"({"controller": {"logPeriodSeconds": 7200},
                          "analog": [{"channel": 2, "lk": 20.5}, {"channel": 3, "lk": 2}],
                          "digital": [{"channel": 9, "deviceCode": 8, "protocol": 1,
                                       "address": "kv12", "password": "12"}]})")
        << QByteArray() << QStringList{"--yes"} << QList<int>{1, 2, 1};
    QTest::newRow("window's channel file: temperature thresholds, a meter")
        << QByteArray(R"({"analog": [{"channel": 2, "lk": -5, "st": -10}],
                          "digital": [{"channel": 10, "deviceCode": 8, "protocol": 2,
                                       "address": "kv5", "password": "abc", "object": 7}]})")
        << QByteArray("Аналоговый(A)/Цифровой(D);№ канала;Тип устройства;Тип входа;Серийный номер;"
                      "Множитель;Делитель;T1;T2;Показания;Сетевой адреc;Пароль;KT;Объект\n"
                      "A;2;7;5;T-01;10;1;-50;-100;999;;;;2\n"
                      "D;2;1;2;;;;;;;kv5;abc;1;7\n")
        << QStringList() << QList<int>{0, 1, 1};
}

void TestCliRoads::readEditApplyRead()
{
    QFETCH(QByteArray, edit);
    QFETCH(QByteArray, channelFile);
    QFETCH(QStringList, options);
    QFETCH(QList<int>, writes);
    Road road;
    QVERIFY(road.started);
    // Text fields as another tool may have left them go back byte for byte unless edited.
    const auto oddTexts = [&road] {
        return road.sim->withModel([](ControllerModel &m) {
            return QList<QByteArray>{m.controllerSettings.apiSave, m.analog.channels[1].serial,
                                     m.analog.channels[2].serial};
        });
    };
    road.sim->withModel([](ControllerModel &m) {
        m.controllerSettings.apiSave = QByteArray("\xff/save\0old", 10);
        m.analog.channels[1].serial = QByteArray("T-01\0\xfe", 6);
        m.analog.channels[2].serial = QByteArray("\xfe-3", 3);
        m.digital.channels[0].password = m.digital.channels[1].password = QByteArray("\x80\0pw", 4);
    });
    const QList<QByteArray> odd = oddTexts();
    const QJsonObject before = road.read();
    QVERIFY(!before.isEmpty());
    const QJsonObject edited = overlay(before, QJsonDocument::fromJson(edit).object());
    const QString file =
        road.file(channelFile.isEmpty() ? QJsonDocument(edited).toJson() : channelFile);
    const Result applied = road.cli(QStringList{QStringLiteral("apply"), file} + options);
    QVERIFY2(applied.code == 0, qPrintable(applied.err));
    QCOMPARE(road.sim->requestCount(33), writes.at(0));
    QCOMPARE(road.sim->requestCount(16), writes.at(1));
    QCOMPARE(road.sim->requestCount(32), writes.at(2));
    // Everything else, the meters' counters among it, reads back as before.
    QCOMPARE(road.read(), edited);
    const QList<QByteArray> after = oddTexts();
    QCOMPARE(after, odd);
}

void TestCliRoads::applySendsNoWrite_data()
{
    QTest::addColumn<QString>("hw");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // in the output or the messages
    QTest::addColumn<bool>("portUntouched");
    const QString hw = QStringLiteral("8.1");
    QTest::newRow("unchanged document")
        << hw << kAsRead << QStringList() << 0 << "Нечего записывать." << false;
    QTest::newRow("dry run") << hw
                             << QByteArray(
                                    R"({"format": 1, "controller": {"logPeriodSeconds": 60}})")
                             << QStringList{"--dry-run"} << 0
                             << "Контроллер: logPeriodSeconds 3600 → 60" << false;
    QTest::newRow("failing check")
        << hw << QByteArray(R"({"format": 1, "analog": [{"channel": 2, "lk": -40}]})")
        << QStringList() << 7 << "Неверная конфигурация для 2 канала! LK не может быть меньше ST"
        << false;
    QTest::newRow("question without --yes")
        << hw << QByteArray(R"({"format": 1, "analog": [{"channel": 3, "lk": 2}]})")
        << QStringList() << 7 << "LK меньше чем период опроса контактных датчиков" << false;
    QTest::newRow("channel of a larger board")
        << QStringLiteral("8.2")
        << QByteArray(R"({"format": 1, "analog": [{"channel": 5, "lk": 1}]})") << QStringList() << 2
        << "файл для другой аппаратной версии" << false;
    QTest::newRow("malformed document") << hw << QByteArray(R"({"format": 1, "analog": [)")
                                        << QStringList() << 2 << "не читается как JSON" << true;
    QTest::newRow("unknown key") << hw
                                 << QByteArray(R"({"format": 1, "controller": {"logPeriod": 60}})")
                                 << QStringList() << 2 << "неизвестное поле «logPeriod»" << true;
}

void TestCliRoads::applySendsNoWrite()
{
    QFETCH(QString, hw);
    QFETCH(QByteArray, file);
    QFETCH(QStringList, options);
    QFETCH(int, code);
    QFETCH(QString, said);
    QFETCH(bool, portUntouched);
    Road road(hw);
    QVERIFY(road.started);
    if (file == kAsRead)
        file = QJsonDocument(road.read()).toJson();
    road.sim->clearRequests();
    const Result r = road.cli(QStringList{QStringLiteral("apply"), road.file(file)} + options);
    QVERIFY2(r.code == code, qPrintable(r.err));
    QVERIFY2((QString::fromUtf8(r.out) + r.err).contains(said), qPrintable(r.err));
    QCOMPARE(road.writes(), 0);
    if (portUntouched)
        QCOMPARE(road.sim->requestCount(), 0);
}

void TestCliRoads::stopsBeforeTheSettings_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fw");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said");
    const QString fw = QStringLiteral("1.4.2");
    QTest::newRow("help") << QStringList{"--help"} << fw << false << 0 << "8  после записи";
    QTest::newRow("unknown option")
        << QStringList{"read", "--fast"} << fw << false << 2 << "неизвестный параметр --fast";
    QTest::newRow("port cannot be opened")
        << QStringList{"--port", "/nonexistent/ttyLUMARO", "exit"} << fw << false << 3
        << "Невозможно открыть порт /nonexistent/ttyLUMARO";
    QTest::newRow("silent controller")
        << QStringList{"exit"} << fw << true << 4 << "Нет связи с контроллером";
    QTest::newRow("wrong password") << QStringList{"--password", "1111111", "exit"} << fw << false
                                    << 5 << "Неверный пароль доступа. Заводской пароль 5093178";
    QTest::newRow("unsupported firmware") << QStringList{"exit"} << QStringLiteral("1.4.4") << false
                                          << 6 << "не поддерживает версию ПО контроллера 1.4.4";
}

void TestCliRoads::stopsBeforeTheSettings()
{
    QFETCH(QStringList, args);
    QFETCH(QString, fw);
    QFETCH(bool, silent);
    QFETCH(int, code);
    QFETCH(QString, said);
    Road road(QStringLiteral("8.1"), fw);
    QVERIFY(road.started);
    if (silent)
        road.sim->injectFault({SimFault::Silence, 100, 0, -1});
    const Result r = road.cli(args);
    QVERIFY2(r.code == code, qPrintable(r.err));
    QVERIFY2((QString::fromUtf8(r.out) + r.err).contains(said), qPrintable(r.err));
    // Nothing but the authorisation reaches the controller.
    QCOMPARE(road.sim->requestCount() - road.sim->requestCount(134), 0);
}

// What a script relies on: a channel named twice is read once; a write that fails part way
// says which changes the controller had already confirmed.
void TestCliRoads::endsAsScriptsExpect()
{
    Road road;
    QVERIFY(road.started);
    const Result readings = road.cli({"readings", "--channels", "2,1-2"});
    QVERIFY2(readings.code == 0, qPrintable(readings.err));
    road.sim->injectFault({SimFault::Silence, 100, 0, 33});
    const Result r = road.cli({"apply", road.file(R"({"format": 1, "analog": [{"channel": 2,
        "lk": 20.5}], "controller": {"logPeriodSeconds": 7200}})")});
    QVERIFY2(r.code == 4, qPrintable(r.err));
    QVERIFY2(r.err.contains("Записано изменений до сбоя: 1\nКанал 2: lk"), qPrintable(r.err));
}

// The report is drawn offscreen when no platform is named, and there is no display to fall back on.
void TestCliRoads::reportWithoutDisplay()
{
    Road road;
    QVERIFY(road.started);
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        road.environment.remove(QLatin1String(name));
    const QString pdf = road.dir.filePath("report.pdf");
    const Result r = road.cli({"report", "-o", pdf, "--engineer", "Сидоров"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QProcess extract;
    extract.start("pdftotext", {pdf, "-"});
    QVERIFY(extract.waitForFinished(kRunMs));
    const QString text = QString::fromUtf8(extract.readAllStandardOutput());
    for (const char *item : {"Протокол настройки контроллера", "T3-0421-0077", "Сидоров",
                             "3 - Счетчик Газа, л", "GAS-7"})
        QVERIFY2(text.contains(QString::fromUtf8(item)), item);
}

void TestCliRoads::applyKeepsCountersAndItsAnswers_data()
{
    QTest::addColumn<int>("answerDelayMs"); // of every write, which waits 5 × 100 ms
    QTest::addColumn<int>("code");
    // Slow writes stretch the time between apply's read and the last channel's write.
    QTest::newRow("writes answered in time: counters kept") << 300 << 0;
    QTest::newRow("writes answered later than both tries: no connection") << 1200 << 4;
}

void TestCliRoads::applyKeepsCountersAndItsAnswers()
{
    QFETCH(int, answerDelayMs);
    QFETCH(int, code);
    constexpr int kMeters[] = {0, 4, 7}; // cold water, gas, hot water
    Road road;
    QVERIFY(road.started);
    road.sim->withModel([&](ControllerModel &m) {
        for (int i : kMeters)
            m.analog.setPulseRate(i, 200);
        m.writeAnswerDelayMs = answerDelayMs;
    });
    const QString file = road.file(R"({"format": 1, "analog": [{"channel": 1, "serial": "S-1"},
        {"channel": 5, "serial": "S-5"}, {"channel": 8, "serial": "S-8"}]})");
    const Result applied = road.cli({QStringLiteral("apply"), file});
    QCOMPARE(applied.code, code);
    if (code == 0) {
        const auto setBack =
            road.sim->withModel([](ControllerModel &m) { return m.analog.pulsesSetBack; });
        for (int i : kMeters)
            QVERIFY2(setBack[i] < 50, qPrintable(QString::number(setBack[i])));
        return;
    }
    // Channel 1's late answers confirm neither channel 5 nor 8.
    QVERIFY2(!applied.err.contains(QStringLiteral("Канал 5"))
                 && !applied.err.contains(QStringLiteral("Канал 8")),
             qPrintable(applied.err));
}

QTEST_MAIN(TestCliRoads)
#include "tst_cliroads.moc"
