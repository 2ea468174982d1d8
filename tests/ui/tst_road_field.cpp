// The window in the field: the traffic journal, the engineer's stop and a quiet terminal.

#include "roadsupport.h"

#include "ui/journal/trafficwindow.h"

#include <QPlainTextEdit>

#include <atomic>
#include <memory>

namespace {

QList<QString> diagnostics;

void keepDiagnostic(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        diagnostics.append(QLatin1String(context.category) + QLatin1Char(' ') + text);
}

} // namespace

class TestRoadField : public QObject
{
    Q_OBJECT

private slots:
    void journalShowsEveryFrameQuietly();
    void stop_data();
    void stop();
};

void TestRoadField::journalShowsEveryFrameQuietly()
{
    QTemporaryDir dir;
    const QString logName = dir.filePath(QStringLiteral("support.log"));
    diagnostics.clear();
    const QtMessageHandler previous = qInstallMessageHandler(keepDiagnostic);
    {
        Road road;
        QVERIFY(road.started);
        QVERIFY(road.dialog->setTrafficLogFile(logName));
        road.sim->injectFault({SimFault::Silence, 1});
        QVERIFY(road.readTabs({0}));
        road.sim->injectFault({SimFault::BadChecksum, 1});
        QVERIFY(road.click("exitButton"));

        TrafficWindow *journal = road.dialog->trafficJournal();
        QVERIFY(!journal->isVisible());
        road.dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(road.dialog.get()));
        QTest::keyClick(road.dialog.get(), Qt::Key_F12);
        QVERIFY(journal->isVisible());
        const QStringList lines = journal->text().split(QLatin1Char('\n'));
        const QRegularExpression time("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d ");
        QCOMPARE(lines.filter(time).size(), lines.size());
        const QStringList expected{
            "→ 134 авторизация, 18 байт: aa 00 46 25 00 00 00 86 ff 35 30 39 33 31 37 38 00 3a — отправлен, попытка 1",
            "← 134 авторизация, 0 байт — нет ответа, попытка 1",
            "→ 134 авторизация, 18 байт: aa 00 46 25 00 00 00 86 ff 35 30 39 33 31 37 38 00 3a — отправлен, попытка 2",
            "← 134 авторизация, 10 байт: aa 08 01 01 04 00 02 86 ff 66 — принят, попытка 2",
            "→ 9 чтение настроек контроллера, 10 байт: aa 00 46 25 00 00 00 09 ff 84 — отправлен, попытка 1",
            "← 9 чтение настроек контроллера, 211 байт: aa 08 01 01 04 00 02 09 .* — принят, попытка 1",
            "→ 128 выход из режима настройки, 10 байт: aa 00 46 25 00 00 00 80 ff 0d — отправлен, попытка 1",
            "← 128 выход из режима настройки, 14 байт: .* — неверная контрольная сумма, попытка 1",
            "← 128 выход из режима настройки, 14 байт: .* — принят, попытка 2"};
        int at = 0;
        for (const QString &line : lines) {
            if (at < expected.size() && QRegularExpression(expected.at(at)).match(line).hasMatch())
                ++at;
        }
        QVERIFY2(at == expected.size(), qPrintable(expected.value(at) + "\n---\n" + lines.join('\n')));

        road.prompts.nextFileName = dir.filePath(QStringLiteral("journal.txt"));
        journal->findChild<QPushButton *>(QStringLiteral("saveTrafficButton"))->click();
        QFile saved(road.prompts.nextFileName);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(saved.readAll()), journal->text() + '\n');
        QFile log(logName);
        QVERIFY(log.open(QIODevice::ReadOnly));
        // A heading with the date, then the journal's lines.
        const QString logged = QString::fromUtf8(log.readAll());
        QVERIFY2(QRegularExpression("^— \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d, LUMARO").match(logged).hasMatch(),
                 qPrintable(logged.left(80)));
        QCOMPARE(logged.section('\n', 1), journal->text() + '\n');
        journal->findChild<QPushButton *>(QStringLiteral("clearTrafficButton"))->click();
        QVERIFY(journal->text().isEmpty());
    }
    qInstallMessageHandler(previous);
    QVERIFY2(diagnostics.isEmpty(),
             qPrintable(diagnostics.join('\n')));
}

void TestRoadField::stop_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("cmd"); // seen on the line before the stop
    QTest::addColumn<QString>("said");
    QTest::newRow("meter readings") << 2 << "readDataButton" << 2
                                    << "^Операция прервана: обработано каналов \\d+ из \\d+\\.$";
    QTest::newRow("firmware upload") << 0 << "uploadFirmwareButton" << 130
                                     << "^Обновление прошивки прервано: передано частей \\d+ из 416\\.$";
}

void TestRoadField::stop()
{
    QFETCH(int, tab);
    QFETCH(QString, button);
    QFETCH(int, cmd);
    QFETCH(QString, said);
    Road road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) { m.digital.channels[6] = {1, 10, 6u, {}, 1, 0}; });
    QVERIFY(road.readTabs({tab}));
    road.prompts.answers = {true};
    const int before = road.sim->requestCount();
    auto answered = std::make_shared<std::atomic<int>>(0);
    road.sim->setOnExchange([answered](const QByteArray &, const QByteArray &) { ++*answered; });
    QPushButton *cancel = road.button("cancelButton");
    QVERIFY(!cancel->isVisible());
    QVERIFY(road.button(qPrintable(button))->isEnabled());
    road.button(qPrintable(button))->click();
    QVERIFY(road.dialog->isCommandRunning());
    QVERIFY(cancel->isVisibleTo(road.dialog.get()) && cancel->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(road.sim->requestCount(cmd) >= 1, Road::kWaitMs);
    QTest::keyClick(road.dialog.get(), Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!road.dialog->isCommandRunning(), 10000);
    QVERIFY2(QRegularExpression(said).match(road.status()).hasMatch(), qPrintable(road.status()));
    QVERIFY(!cancel->isVisibleTo(road.dialog.get()));
    if (cmd == 130)
        QCOMPARE(road.sim->requestCount(132), 1); // the update is closed on the controller's side
    // The session goes on once the controller is free again: a meter read that was no longer
    // waited for still ends on its side, and it takes no request before that.
    QTRY_VERIFY_WITH_TIMEOUT(before + answered->load() == road.sim->requestCount(), Road::kWaitMs);
    QVERIFY(road.dialog->isAuthorised());
    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.status(), QString());
}

QTEST_MAIN(TestRoadField)
#include "tst_road_field.moc"
