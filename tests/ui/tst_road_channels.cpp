// Roads of the digital tab through the window against the simulated controller: group
// editing, write checks and the choice of meters to read.

#include "roadsupport.h"

namespace {

constexpr int kDigitalTab = 2;
constexpr int kWriteDigital = 32;
constexpr int kReadReadings = 2;

// Rows 30 and 31 answer device type 255; rows 0 and 1 hold meters.
struct DigitalRoad : Road {
    DigitalRoad()
    {
        sim->withModel([](ControllerModel &m) {
            m.digital.setPresentChannels(30);
            m.digital.channels[0] = {8, 1, 12345u, "111111", 1, 1}; // electricity, Меркурий 23Х
            m.digital.channels[1] = {1, 10, 2u, {}, 1, 2};          // cold water, ITELMA
            m.digital.meters[0] = {true, "E-0001", {1000, 2000, 0, 0}};
            m.digital.meters[6] = {false, {}, {}};
        });
    }
    template <typename W = QLineEdit>
    W *at(int row, int column) const { return cell<W>("rs485Table", row, column); }
};

} // namespace

class TestRoadChannels : public QObject
{
    Q_OBJECT

private slots:
    void groupEditing();
    void digitalWriteRefused_data();
    void digitalWriteRefused();
    void readSelection_data();
    void readSelection();
};

void TestRoadChannels::groupEditing()
{
    DigitalRoad road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) {
        m.digital.channels[0] = {8, 1, 4194304011u, {}, 1, 7};
        m.digital.channels[1] = {7, 5, 777u, {}, 1, 0};
        m.digital.meters[5] = {true, "40512377", {100, 0, 0, 10000}};
    });
    auto *tab = road.find<RS485Tab>("rs485Tab");
    auto *groupCheck = road.find<QCheckBox>("groupCheck");
    auto *selectAll = road.find<QCheckBox>("selectAllCheck");
    const auto select = [&road](int row) { return road.at<QCheckBox>(row, RS485Tab::SelectColumn); };
    // Group editing on with every row selected: the read shows each channel as it is.
    groupCheck->setChecked(true);
    selectAll->setChecked(true);
    QVERIFY(road.authorise());
    road.showTab(kDigitalTab);
    road.button("readSettingsButton")->click();
    // The tab counts as read once the read is handed over, before any answer is shown.
    QVERIFY(tab->countsAsRead());
    QTRY_VERIFY_WITH_TIMEOUT(!road.dialog->isCommandRunning(), Road::kWaitMs);
    QVERIFY(!tab->hasChanges());
    QCOMPARE(road.at(0, RS485Tab::AddressColumn)->text(), QStringLiteral("kv1"));
    QCOMPARE(road.at<QComboBox>(1, RS485Tab::TypeColumn)->currentIndex(), 2);
    // One channel on its own: an electricity meter on row 5.
    groupCheck->setChecked(false);
    Road::pick(road.at<QComboBox>(5, RS485Tab::TypeColumn), 1);
    Road::pick(road.at<QComboBox>(5, RS485Tab::ProtocolColumn), 2);
    Road::typeOver(road.at(5, RS485Tab::AddressColumn), QStringLiteral("kv0000005"));
    // Rows 6 and 7 together: cold water meters on Pulsar B-H with one address and object.
    selectAll->setChecked(false);
    groupCheck->setChecked(true);
    select(6)->setChecked(true);
    select(7)->setChecked(true);
    Road::pick(road.at<QComboBox>(6, RS485Tab::TypeColumn), 4);
    Road::pick(road.at<QComboBox>(7, RS485Tab::ProtocolColumn), 11);
    Road::typeOver(road.at(6, RS485Tab::AddressColumn), QStringLiteral("123"));
    Road::typeOver(road.at(7, RS485Tab::ObjectColumn), QStringLiteral("4321"));
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        QCOMPARE(tab->isChannelChanged(r), r >= 5 && r <= 7);
    // Only the three changed channels are written.
    road.sim->clearRequests();
    QVERIFY(road.click("writeSettingsButton"));
    QVERIFY(road.prompts.shown.isEmpty());
    QCOMPARE(road.sim->payloads(kWriteDigital),
             (QList<QByteArray>{
                 QByteArray::fromHex("050802fa00002b" "00000000000000000000" "010000"),
                 QByteArray::fromHex("06010b0000007b" "00000000000000000000" "0110e1"),
                 QByteArray::fromHex("07010b0000007b" "00000000000000000000" "0110e1")}));
    QVERIFY(!tab->hasChanges());
}

void TestRoadChannels::digitalWriteRefused_data()
{
    QTest::addColumn<int>("edit"); // 0 none, 1 object of row 1, 2 password of row 0
    QTest::addColumn<int>("storedProtocol"); // of row 0
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("status");
    // The decisions themselves are tested in the preflight's table; this road shows a
    // refusal, and the note that nothing is to be written, through the window.
    QTest::newRow("password of 12 bytes") << 2 << 1
        << "Неверная конфигурация для 9 канала! Пароль длиннее 10 байт." << "";
    QTest::newRow("nothing changed") << 0 << 1 << "" << "Нечего записывать.";
}

void TestRoadChannels::digitalWriteRefused()
{
    QFETCH(int, edit);
    QFETCH(int, storedProtocol);
    QFETCH(QString, message);
    QFETCH(QString, status);
    DigitalRoad road;
    QVERIFY(road.started);
    road.sim->withModel([storedProtocol](ControllerModel &m) { m.digital.channels[0].protocol = storedProtocol; });
    QVERIFY(road.readTabs({kDigitalTab}));
    if (edit == 1)
        road.at(1, RS485Tab::ObjectColumn)->setText(QStringLiteral("42"));
    if (edit == 2)
        road.at(0, RS485Tab::PasswordColumn)->setText(QStringLiteral("пароль"));
    QCOMPARE(road.button("writeSettingsButton")->isEnabled(), edit != 0);
    QVERIFY(QMetaObject::invokeMethod(road.dialog.get(), "transaction_write_settings"));
    QCOMPARE(road.prompts.shown.size(), message.isEmpty() ? 0 : 1);
    if (!message.isEmpty())
        QCOMPARE(road.prompts.shown.first().text, message);
    QCOMPARE(road.status(), status);
    QVERIFY(!road.dialog->isCommandRunning());
    QCOMPARE(road.sim->requestCount(kWriteDigital), 0);
}

void TestRoadChannels::readSelection_data()
{
    QTest::addColumn<bool>("selectedOnly");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("read");
    QTest::newRow("selected only, none chosen") << true << QList<int>{} << QList<int>{};
    QTest::newRow("selected only, a switched-off row and a missing row") << true << QList<int>{2, 30} << QList<int>{};
    QTest::newRow("selected only, one meter") << true << QList<int>{0, 2} << QList<int>{0};
    // Meter 6 keeps silent. Every meter read waits out its whole window: two are enough.
    QTest::newRow("all meters, whatever is selected") << false << QList<int>{} << QList<int>{0, 6};
}

void TestRoadChannels::readSelection()
{
    QFETCH(bool, selectedOnly);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, read);
    DigitalRoad road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) {
        m.digital.channels[1].type = 0;
        m.digital.channels[6] = {1, 10, 6u, {}, 1, 0};
    });
    QVERIFY(road.readTabs({kDigitalTab}));
    for (int row = 0; row < RS485Tab::kRowCount; ++row)
        road.at<QCheckBox>(row, RS485Tab::SelectColumn)->setChecked(selected.contains(row));
    road.find<QCheckBox>("readSelectedCheck")->setChecked(selectedOnly);
    QVERIFY(road.button("readDataButton")->isEnabled());
    road.button("readDataButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!road.dialog->isCommandRunning(), 60000);
    QList<int> asked;
    for (const QByteArray &payload : road.sim->payloads(kReadReadings))
        asked.append(int(payload.at(0)));
    QCOMPARE(asked, read);
    // A silent meter is its row's affair, not a lost controller.
    QCOMPARE(road.status(), read.isEmpty() ? QStringLiteral("Не выбрано ни одного канала для считывания показаний!")
                                           : QString());
    const auto *tab = road.find<RS485Tab>("rs485Tab");
    QCOMPARE(tab->channelReadings(2), (QStringList{"-", "-,-,-,-"}));
    for (int row : read)
        QCOMPARE(tab->channelReadings(row), row == 0 ? QStringList({"E-0001", "1000,2000,0,0"})
                                                     : QStringList({"Нет связи!", "-,-,-,-"}));
}

QTEST_MAIN(TestRoadChannels)
#include "tst_road_channels.moc"
