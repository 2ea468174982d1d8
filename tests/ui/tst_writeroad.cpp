// "Записать настройки" through the window: what is refused, what is asked, and what goes
// to the controller.

#include "roadsupport.h"

#include "link/worker/masterthread.h"

#include <functional>

namespace {

using RoadEdit = std::function<void(Road &)>;

// Every record at one end of its fields' ranges: the top fills texts to their last byte and
// gives codes that the tables' lists do not name; the bottom is all zero and empty.
void holdExtremes(ControllerModel &m, bool top)
{
    const quint32 word = top ? 0xFFFFFFFF : 0;
    SimControllerSettings &c = m.controllerSettings;
    c.logPeriod = c.sendPeriod = c.contactPollPeriod = c.consumptionThreshold = word;
    c.consumptionSendMode = c.psm = c.serverIp[0] = c.serverIp[1] = c.serverIp[2] = c.serverIp[3] = quint8(word);
    c.serverPort = quint16(word);
    c.apiGet = top ? QByteArray(32, 'g') : QByteArray();
    c.apiSave = top ? QStringLiteral("абвгдежзийклмноп").toUtf8() : QByteArray(); // 32 bytes
    const quint8 analogTypes[] = {254, 5, 14, 9, 1, 2, 3, 8}; // temperature, pressure, contact
    for (int i = 0; i < SimAnalogChannels::kChannels; ++i) {
        const quint8 type = top ? analogTypes[i] : 0;
        // Temperature and pressure readings are measured and go back as 0 from their tenths form.
        m.analog.channels[i] = {type, quint8(word), top ? QByteArray(16, 's') : QByteArray(),
                                quint16(word), quint16(top ? 0xFFFE : 0), quint16(type == 5 ? 0x7FFF : word),
                                quint16(type == 5 ? 0x8000 : word), quint16(word), type == 5 || type == 14 ? 0 : word};
    }
    const quint8 digitalTypes[] = {254, 8, 2}, protocols[] = {255, 9, 11};
    const quint32 addresses[] = {0xFFFFFFFF, 4294967291u, 4194304003u}; // plain, kv12582911, kv0
    for (int i = 0; i < SimDigitalChannels::kChannelCount; ++i)
        m.digital.channels[i] = {quint8(top ? digitalTypes[i % 3] : 0), quint8(top ? protocols[i % 3] : 0),
                                 top ? addresses[i % 3] : 0, top ? QByteArray(10, 'p') : QByteArray(),
                                 quint8(word), quint16(word)};
}

// Text fields as another tool may have left them: bytes after the first zero, bytes that are
// not UTF-8, a field full to its last byte. API_GET stays as it is: the road writes over it.
void holdOddTexts(ControllerModel &m)
{
    m.controllerSettings.apiSave = QByteArray("\xff\xfe/save\0/v0/save-old\xd0", 20);
    const QByteArray serials[] = {QByteArray("S-1\0\x01\x02", 6), QByteArray(16, '\xff'),
                                  QByteArray("\xd0\x96\xd0", 3)};
    for (int i = 0; i < SimAnalogChannels::kChannels; ++i)
        m.analog.channels[i].serial = serials[i % 3];
    const QByteArray passwords[] = {QByteArray("pw\0\x7f\xff", 5), QByteArray(10, '\x80'),
                                    QByteArray("12345678\xc3", 9)};
    for (int i = 0; i < SimDigitalChannels::kChannelCount; ++i)
        m.digital.channels[i].password = passwords[i % 3];
}

} // namespace

Q_DECLARE_METATYPE(RoadEdit)

class TestWriteRoad : public QObject
{
    Q_OBJECT

private slots:
    void checksBeforeWriting_data();
    void checksBeforeWriting();
    void readThenWriteChangesNothing_data();
    void readThenWriteChangesNothing();
    void writeKeepsWhatTheMetersCounted_data();
    void writeKeepsWhatTheMetersCounted();
    void lateAnswersStayWithTheirChannels_data();
    void lateAnswersStayWithTheirChannels();
};

void TestWriteRoad::checksBeforeWriting_data()
{
    QTest::addColumn<QString>("hw");
    QTest::addColumn<int>("tab"); // written after the other of the first two tabs is read
    QTest::addColumn<RoadEdit>("edit");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("prompt"); // kind, title, pieces of the text
    QTest::addColumn<int>("writes");         // requests of the tab's write command
    QTest::addColumn<int>("stored");         // the controller's PSM byte, or channel 1's object

    const RoadEdit psmOn = [](Road &r) { r.find<QCheckBox>("psmCheck")->setChecked(true); };
    const QStringList psm{"question", "PSM-режим", "Для данной аппаратной платформы PSM-режим потребляет"};
    QTest::newRow("8.2 PSM answered No writes it off") << "8.2" << 0 << psmOn << QList<bool>{false} << psm << 1 << 0;
    QTest::newRow("8.2 PSM answered Yes keeps it on") << "8.2" << 0 << psmOn << QList<bool>{true} << psm << 1 << 1;
    QTest::newRow("zero poll period with a contact sensor") << "8.1" << 0
        << RoadEdit([](Road &r) { r.find<QSpinBox>("contactPollSpin")->setValue(0); }) << QList<bool>{}
        << QStringList{"critical", "Некорректное значение", "Для контактного датчика в настройках контроллера "
                       "необходимо установить ненулевой период опроса контактных датчиков."} << 0 << 0;

    const RoadEdit object77 = [](Road &r) { r.cell("analogTable", 0, AnalogTab::ObjectColumn)->setText("77"); };
    const QStringList contact{"question", "LK меньше чем период опроса контактных датчиков", "на входе 3 ",
                              "(сейчас он 60 сек)"};
    QTest::newRow("contact LK below the poll period, No") << "8.1" << 1 << object77 << QList<bool>{false} << contact << 0 << 1;
    QTest::newRow("contact LK below the poll period, Yes writes all") << "8.1" << 1 << object77 << QList<bool>{true}
        << contact << 8 << 77;
    // Channel 2 made a water meter keeps a probe's negative ST; channel 1 or 4 a serial of 28 bytes.
    const auto refused = [](int invalidRow, int longSerialRow) {
        return RoadEdit([=](Road &r) {
            if (invalidRow >= 0)
                r.cell<QComboBox>("analogTable", invalidRow, AnalogTab::TypeColumn)->setCurrentIndex(1);
            if (longSerialRow >= 0)
                r.cell("analogTable", longSerialRow, AnalogTab::SerialColumn)->setText("счетчик-водяной");
        });
    };
    // Rows are judged in order: channel 2's fault is named before channel 4's serial.
    QTest::newRow("invalid channel 2 before a long serial on 4") << "8.1" << 1 << refused(1, 3) << QList<bool>{}
        << QStringList{"critical", "Ошибка", "Неверная конфигурация для 2 канала! ST не может быть меньше 0"} << 0 << 1;
}

void TestWriteRoad::checksBeforeWriting()
{
    QFETCH(QString, hw);
    QFETCH(int, tab);
    QFETCH(RoadEdit, edit);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, prompt);
    QFETCH(int, writes);
    QFETCH(int, stored);
    Road road(hw);
    QVERIFY(road.started && road.readTabs({1 - tab, tab}));
    edit(road);
    road.prompts.answers = answers;
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), prompt.isEmpty() ? 0 : 1);
    if (!prompt.isEmpty()) {
        QCOMPARE(road.prompts.shown.first().kind, prompt[0]);
        QCOMPARE(road.prompts.shown.first().title, prompt[1]);
        for (const QString &piece : prompt.mid(2))
            QVERIFY2(road.prompts.shown.first().text.contains(piece), qPrintable(road.prompts.shown.first().text));
    }
    QCOMPARE(road.sim->requestCount(tab == 0 ? 33 : 16), writes);
    QCOMPARE(road.sim->withModel([tab](ControllerModel &m) {
        return tab == 0 ? int(m.controllerSettings.psm) : int(m.analog.channels[0].object);
    }), stored);
    QVERIFY(tab != 0 || road.find<QCheckBox>("psmCheck")->isChecked() == (stored == 1)); // as answered
}

void TestWriteRoad::readThenWriteChangesNothing_data()
{
    QTest::addColumn<QString>("fw");
    QTest::addColumn<QString>("hw");
    QTest::addColumn<bool>("top");
    QTest::addColumn<bool>("oddTexts");
    QTest::newRow("1.4.2 on 8.1, every field at its top, odd text bytes") << "1.4.2" << "8.1" << true << true;
    QTest::newRow("1.4.0 on 8.2, every field at its top") << "1.4.0" << "8.2" << true << false;
    QTest::newRow("1.4.2 on 8.2, every field zero") << "1.4.2" << "8.2" << false << false;
    QTest::newRow("1.4.0 on 8.1, every field zero, odd text bytes") << "1.4.0" << "8.1" << false << true;
}

void TestWriteRoad::readThenWriteChangesNothing()
{
    QFETCH(QString, fw);
    QFETCH(QString, hw);
    QFETCH(bool, top);
    QFETCH(bool, oddTexts);
    Road road(hw, fw);
    const auto held = [&road] { return road.sim->withModel([](ControllerModel &m) { return m.heldRecords(); }); };
    road.sim->withModel([top, oddTexts](ControllerModel &m) {
        holdExtremes(m, top);
        if (oddTexts)
            holdOddTexts(m);
    });
    const QByteArray before = held();
    QVERIFY(road.started && road.readTabs({0, 1, 2}));
    QVERIFY(!road.dialog->findChild<AnalogTab *>()->isComSettingsChanged()
            && !road.dialog->findChild<RS485Tab *>()->hasChanges());
    // The channel file brings back every code and number it took out, also those no list names.
    QTemporaryDir dir;
    road.prompts.nextFileName = dir.filePath(QStringLiteral("T3-0421-0077.csv"));
    road.showTab(1);
    road.button("exportButton")->click();
    road.button("importButton")->click();
    QVERIFY(road.prompts.shown.isEmpty());
    QCOMPARE(road.status(), QString());
    QVERIFY(!road.dialog->findChild<AnalogTab *>()->isComSettingsChanged()
            && !road.dialog->findChild<RS485Tab *>()->hasChanges());

    // A tab is written once it is edited: each is written with an edit, then restored and
    // written again, which must leave every record as the controller held it.
    auto *digital = road.find<QTableWidget>("rs485Table");
    QList<QList<QLineEdit *>> edits{{road.find<QLineEdit>("apiGetEdit")},
                                    {road.cell("analogTable", 0, AnalogTab::ObjectColumn)}, {}};
    for (int r = 0; r < digital->rowCount(); ++r)
        edits[2] << qobject_cast<QLineEdit *>(digital->cellWidget(r, RS485Tab::ObjectColumn));
    road.prompts.answers = QList<bool>(8, true); // keep PSM on, accept the contact sensor's LK
    for (int tab = 0; tab < 3; ++tab) {
        road.showTab(tab);
        QStringList was;
        for (QLineEdit *edit : edits[tab]) {
            was << edit->text();
            edit->setText(QStringLiteral("7"));
        }
        QVERIFY(road.click("writeSettingsButton"));
        for (int i = 0; i < was.size(); ++i)
            edits[tab][i]->setText(was[i]);
        QVERIFY(road.click("writeSettingsButton"));
    }
    QCOMPARE(road.sim->requestCount(33) + road.sim->requestCount(16) + road.sim->requestCount(32),
             2 + 2 * (hw == QLatin1String("8.2") ? 4 : 8) + 2 * SimDigitalChannels::kChannelCount);
    QCOMPARE(held().toHex(' '), before.toHex(' '));
    // Any choice lands on a row whose codes no list names, though the box showed no item.
    for (int column : {RS485Tab::TypeColumn, RS485Tab::ProtocolColumn})
        qobject_cast<QComboBox *>(digital->cellWidget(0, column))->setCurrentIndex(0);
    QCOMPARE(road.dialog->findChild<RS485Tab *>()->channelSettings(0).mid(1, 2), (QStringList{"0", "0"}));
}

void TestWriteRoad::writeKeepsWhatTheMetersCounted_data()
{
    QTest::addColumn<bool>("typed"); // the engineer sets channel 1's counter on purpose
    QTest::newRow("counters as read") << false;
    QTest::newRow("channel 1's counter typed") << true;
}

void TestWriteRoad::writeKeepsWhatTheMetersCounted()
{
    QFETCH(bool, typed);
    constexpr int kMeters[] = {0, 4, 7}; // cold water, gas, hot water
    Road road;
    road.sim->withModel([&](ControllerModel &m) {
        for (int i : kMeters)
            m.analog.setPulseRate(i, 100);
    });
    QVERIFY(road.started && road.readTabs({0, 1}));
    // A second of editing: each meter counts 100 pulses the read did not see.
    road.sim->withModel([](ControllerModel &m) { m.analog.passTime(1000); });
    road.cell("analogTable", 0, AnalogTab::ObjectColumn)->setText("77");
    if (typed)
        Road::typeOver(road.cell("analogTable", 0, AnalogTab::ValueColumn), "5000");
    road.prompts.answers = {true}; // the contact sensor's LK below the poll period
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.status(), QString());
    const auto setBack = road.sim->withModel([](ControllerModel &m) { return m.analog.pulsesSetBack; });
    // What the exchanges since the fresh read counted at most, far below the second's 100.
    for (int i : kMeters)
        QVERIFY2((typed && i == 0) || setBack[i] < 50, qPrintable(QString::number(setBack[i])));
    const QByteArray first = road.sim->payloads(16).value(0);
    QCOMPARE(first.size(), 33);
    QVERIFY(!typed || first.right(4) == QByteArray::fromHex("00001388")); // 5000
}

void TestWriteRoad::lateAnswersStayWithTheirChannels_data()
{
    QTest::addColumn<int>("cmd");          // 4 reads the analog channels, 16 writes two edited rows
    QTest::addColumn<QList<int>>("lateMs"); // the first answers come this late, one after another
    QTest::addColumn<bool>("typed");       // counters typed: no fresh read between the writes
    QTest::addColumn<bool>("answered");    // within the second try's time-out
    // A read waits 300 ms here, a write 5 × 100 ms. Channel 2's answer to the read comes alone
    // after the one still owed to channel 1's first try.
    QTest::newRow("read") << 4 << QList<int>{400, 400, 150} << false << true;
    QTest::newRow("write, counters as read") << 16 << QList<int>{700, 700} << false << true;
    QTest::newRow("write, counters typed") << 16 << QList<int>{700, 700} << true << true;
    QTest::newRow("write, later than both tries") << 16 << QList<int>{1200, 1200} << false << false;
}

void TestWriteRoad::lateAnswersStayWithTheirChannels()
{
    QFETCH(int, cmd);
    QFETCH(QList<int>, lateMs);
    QFETCH(bool, typed);
    QFETCH(bool, answered);
    Road road(QStringLiteral("8.2"));
    QVERIFY(road.started && road.readTabs(cmd == 4 ? std::initializer_list<int>{} : std::initializer_list<int>{0, 1}));
    if (cmd == 4)
        road.find<QSpinBox>("timeoutSpin")->setValue(300);
    const auto held = [&road](int r) {
        return road.sim->withModel([r](ControllerModel &m) {
            return QStringList{QString::fromUtf8(m.analog.channels[r].serial), QString::number(m.analog.channels[r].value)};
        });
    };
    for (int r = 0; cmd == 16 && r < 2; ++r) {
        road.cell("analogTable", r, AnalogTab::SerialColumn)->setText(QStringLiteral("S-%1").arg(r + 1));
        if (typed)
            road.cell("analogTable", r, AnalogTab::ValueColumn)->setText(QString::number(1000 * (r + 1)));
    }
    for (int ms : lateMs)
        road.sim->injectFault({SimFault::Late, 1, ms, cmd});
    road.prompts.answers = {true};
    road.showTab(1);
    QVERIFY(road.click(cmd == 4 ? "readSettingsButton" : "writeSettingsButton"));
    QCOMPARE(road.status(), answered ? QString() : MasterThread::noConnectionText());
    // The answers owed to channel 1's first try never land in another row: each row shows its
    // own channel as the controller holds it, or what the engineer typed where the write failed.
    for (int r = 0; r < 4; ++r) {
        const QString shown = road.cell("analogTable", r, AnalogTab::SerialColumn)->text();
        QCOMPARE(shown, cmd == 16 && r < 2 ? QStringLiteral("S-%1").arg(r + 1) : held(r).value(0));
    }
    QCOMPARE(road.dialog->findChild<AnalogTab *>()->isComSettingsChanged(), !answered);
    if (typed)
        QCOMPARE(held(1).value(1), QStringLiteral("2000"));
}

QTEST_MAIN(TestWriteRoad)
#include "tst_writeroad.moc"
