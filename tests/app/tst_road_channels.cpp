// Roads of the channel tabs through the window against the simulated controller: analog
// channels on a four-input board, the digital tab's write checks, group editing and choice
// of meters to read.

#include "roadsupport.h"

#include "channels/analogtab.h"
#include "channels/rs485tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QTableWidget>

namespace {

constexpr int kDigitalTab = 2;
constexpr int kWriteDigital = 32;
constexpr int kReadReadings = 2;
constexpr int kPresent = 30; // rows 30 and 31 answer device type 255

void configure(ControllerModel &m)
{
    SimDigitalChannels &d = m.digital;
    d.setPresentChannels(kPresent);
    d.channels[0] = {8, 1, 12345u, "111111", 1, 1};     // electricity, Меркурий 23Х
    d.channels[1] = {1, 10, 2u, {}, 1, 2};              // cold water, ITELMA
    d.meters[0] = {true, "E-0001", {1000, 2000, 0, 0}};
    d.meters[1] = {true, "W-0002", {350, 0, 0, 0}};
}

struct DigitalRoad : Road {
    DigitalRoad()
    {
        sim->withModel([](ControllerModel &m) { configure(m); });
    }

    bool readDigital()
    {
        if (!authorise())
            return false;
        showTab(kDigitalTab);
        return click("readSettingsButton");
    }

    QTableWidget *table() const { return find<QTableWidget>("rs485Table"); }

    template <typename W>
    W *cell(int row, int column) const
    {
        return qobject_cast<W *>(table()->cellWidget(row, column));
    }
};

} // namespace

class TestRoadChannels : public QObject
{
    Q_OBJECT

private slots:
    void analogChannels();
    void groupEditing();
    void readingSettingsMarksTabReadBeforeSending();
    void onlyChangedChannelsAreWritten();
    void unchangedInvalidChannelBlocksTheWrite();
    void nothingToWrite();
    void overlongPasswordIsRefused();
    void readSelection_data();
    void readSelection();
};

void TestRoadChannels::analogChannels()
{
    Road road(QStringLiteral("8.2"));
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(1);
    QVERIFY(road.click("readSettingsButton"));
    auto *table = road.find<QTableWidget>("analogTable");
    for (int row = 0; row < AnalogTab::kRows; ++row)
        QCOMPARE(table->isRowHidden(row), row >= 4);
    QVERIFY(road.button("readDataButton")->isEnabled());
    // Channel 2 is a temperature probe: thresholds in degrees, with tenths.
    auto *lk = qobject_cast<QDoubleSpinBox *>(table->cellWidget(1, AnalogTab::LkColumn));
    auto *st = qobject_cast<QDoubleSpinBox *>(table->cellWidget(1, AnalogTab::StColumn));
    QCOMPARE(lk->value(), 23.5);
    QCOMPARE(st->value(), -5.0);
    lk->setValue(30.5);
    st->setValue(-12.5);
    QVERIFY(!road.button("readDataButton")->isEnabled());
    QCOMPARE(road.button("readDataButton")->toolTip(),
             QStringLiteral("Перед чтением показаний нужно считать или записать настройки"));
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.sim->requestCount(16), 4);
    const auto thresholds = road.sim->withModel([](ControllerModel &m) {
        return QList<quint16>{m.analog.channels[1].lk, m.analog.channels[1].st};
    });
    QCOMPARE(thresholds, (QList<quint16>{305, quint16(-125)}));
    QCOMPARE(st->value(), -12.5);
    QVERIFY(road.click("readDataButton"));
    QCOMPARE(road.sim->requestCount(1), 4);
    auto *reading = qobject_cast<QLineEdit *>(table->cellWidget(0, AnalogTab::ValueColumn));
    QVERIFY2(!reading->text().isEmpty(), "the reading column shows the controller's reading");
    QCOMPARE(road.status(), QString());
}

void TestRoadChannels::groupEditing()
{
    Road road;
    QVERIFY(road.started);
    road.sim->withModel([](ControllerModel &m) {
        m.digital.setPresentChannels(30);
        m.digital.channels[0] = {8, 1, 4194304011u, {}, 1, 7};
        m.digital.channels[1] = {7, 5, 777u, {}, 1, 0};
        m.digital.meters[5] = {true, "40512377", {100, 0, 0, 10000}};
        m.digital.meters[6] = {false, {}, {}};
    });
    QVERIFY(road.authorise());
    road.showTab(kDigitalTab);
    auto *tab = road.find<RS485Tab>("rs485Tab");
    auto *table = road.find<QTableWidget>("rs485Table");
    const auto cell = [table](int row, int column) { return table->cellWidget(row, column); };
    const auto type = [&cell](int row) { return qobject_cast<QComboBox *>(cell(row, RS485Tab::TypeColumn)); };
    const auto select = [&cell](int row) { return qobject_cast<QCheckBox *>(cell(row, RS485Tab::SelectColumn)); };
    const auto typeOver = [&cell](int row, int column, const QString &text) {
        auto *edit = qobject_cast<QLineEdit *>(cell(row, column));
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };
    // A pick from the list, as the combo box reports it: the index first, then the choice.
    const auto pick = [](QComboBox *combo, int index) {
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    auto *groupCheck = road.find<QCheckBox>("groupCheck");
    auto *selectAll = road.find<QCheckBox>("selectAllCheck");
    // Group editing on with every row selected: the read shows each channel as it is.
    groupCheck->setChecked(true);
    selectAll->setChecked(true);
    QVERIFY(road.click("readSettingsButton"));
    QCOMPARE(road.sim->requestCount(8), 32);
    QVERIFY(!tab->hasChanges());
    QCOMPARE(qobject_cast<QLineEdit *>(cell(0, RS485Tab::AddressColumn))->text(), QStringLiteral("kv1"));
    QCOMPARE(type(1)->currentIndex(), 2);
    QVERIFY(!tab->isChannelEnabled(30));
    // One channel on its own: an electricity meter on row 5.
    groupCheck->setChecked(false);
    pick(type(5), 1);
    pick(qobject_cast<QComboBox *>(cell(5, RS485Tab::ProtocolColumn)), 2);
    typeOver(5, RS485Tab::AddressColumn, QStringLiteral("kv0000005"));
    // Rows 6 and 7 together: cold water meters on Pulsar B-H with one address and object.
    selectAll->setChecked(false);
    groupCheck->setChecked(true);
    select(6)->setChecked(true);
    select(7)->setChecked(true);
    pick(type(6), 4);
    pick(qobject_cast<QComboBox *>(cell(7, RS485Tab::ProtocolColumn)), 11);
    typeOver(6, RS485Tab::AddressColumn, QStringLiteral("123"));
    typeOver(7, RS485Tab::ObjectColumn, QStringLiteral("4321"));
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
    // Readings of the selected meters: row 5 answers, row 6's meter keeps silent.
    select(5)->setChecked(true);
    select(7)->setChecked(false);
    road.sim->clearRequests();
    QVERIFY(road.button("readDataButton")->isEnabled());
    road.button("readDataButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(road.dialog->isEnabled(), 60000);
    QCOMPARE(road.sim->payloads(kReadReadings), (QList<QByteArray>{QByteArray(1, '\x05'), QByteArray(1, '\x06')}));
    QCOMPARE(tab->channelReadings(5), (QStringList{"40512377", "100,0,0,10000"}));
    QCOMPARE(tab->channelReadings(6), (QStringList{"Нет связи!", "-,-,-,-"}));
    QCOMPARE(tab->channelReadings(7), (QStringList{"-", "-,-,-,-"}));
    // A silent meter is its row's affair, not a lost controller.
    QCOMPARE(road.status(), QString());
}

void TestRoadChannels::readingSettingsMarksTabReadBeforeSending()
{
    DigitalRoad road;
    QVERIFY(road.started);
    QVERIFY(road.authorise());
    road.showTab(kDigitalTab);
    auto *tab = road.find<RS485Tab>("rs485Tab");
    QVERIFY(!tab->isSettingsReaded());
    road.button("readSettingsButton")->click();
    QVERIFY(tab->isSettingsReaded());
    QCOMPARE(road.sim->requestCount(8), 0); // nothing has reached the controller yet
    QTRY_VERIFY_WITH_TIMEOUT(road.dialog->isEnabled(), Road::kWaitMs);
    QCOMPARE(road.sim->requestCount(8), 32);
}

void TestRoadChannels::onlyChangedChannelsAreWritten()
{
    DigitalRoad road;
    QVERIFY(road.started);
    QVERIFY(road.readDigital());
    road.cell<QLineEdit>(1, RS485Tab::ObjectColumn)->setText(QStringLiteral("42"));
    QVERIFY(road.click("writeSettingsButton"));
    QVERIFY(road.prompts.shown.isEmpty());
    const QList<QByteArray> written = road.sim->payloads(kWriteDigital);
    QCOMPARE(written.size(), 1);
    QCOMPARE(int(written.first().at(0)), 1); // the channel index of the only changed row
    QCOMPARE(int(road.sim->withModel([](ControllerModel &m) { return m.digital.channels[1].object; })), 42);
}

void TestRoadChannels::unchangedInvalidChannelBlocksTheWrite()
{
    DigitalRoad road;
    QVERIFY(road.started);
    // An electricity meter on the heat-meter protocol: stored so, never edited here.
    road.sim->withModel([](ControllerModel &m) { m.digital.channels[0].protocol = 5; });
    QVERIFY(road.readDigital());
    road.cell<QLineEdit>(1, RS485Tab::ObjectColumn)->setText(QStringLiteral("42"));
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QCOMPARE(road.prompts.shown.first().text,
             QStringLiteral("Неверная конфигурация для 9 канала! Несоответствие типов устройства и входа."));
    QCOMPARE(road.sim->requestCount(kWriteDigital), 0);
}

void TestRoadChannels::nothingToWrite()
{
    DigitalRoad road;
    QVERIFY(road.started);
    QVERIFY(road.readDigital());
    QVERIFY(!road.button("writeSettingsButton")->isEnabled());
    QVERIFY(QMetaObject::invokeMethod(road.dialog.get(), "transaction_write_settings"));
    QCOMPARE(road.status(), QStringLiteral("Нечего записывать."));
    QVERIFY(road.dialog->isEnabled());
    QCOMPARE(road.sim->requestCount(kWriteDigital), 0);
}

void TestRoadChannels::overlongPasswordIsRefused()
{
    DigitalRoad road;
    QVERIFY(road.started);
    QVERIFY(road.readDigital());
    road.cell<QLineEdit>(0, RS485Tab::PasswordColumn)->setText(QStringLiteral("пароль")); // 12 bytes
    QVERIFY(road.click("writeSettingsButton"));
    QCOMPARE(road.prompts.shown.size(), 1);
    QVERIFY(road.prompts.shown.first().text.startsWith(QStringLiteral("Неверная конфигурация для 9 канала!")));
    QCOMPARE(road.sim->requestCount(kWriteDigital), 0);
    QCOMPARE(road.sim->withModel([](ControllerModel &m) { return m.digital.channels[0].password; }),
             QByteArray("111111"));
}

void TestRoadChannels::readSelection_data()
{
    QTest::addColumn<bool>("selectedOnly");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("read");
    QTest::newRow("selected only, none chosen") << true << QList<int>{} << QList<int>{};
    QTest::newRow("selected only, a switched-off row and a missing row") << true << QList<int>{2, 30} << QList<int>{};
    QTest::newRow("selected only, one meter") << true << QList<int>{1, 2} << QList<int>{1};
    QTest::newRow("all meters, whatever is selected") << false << QList<int>{} << QList<int>{0, 1};
}

void TestRoadChannels::readSelection()
{
    QFETCH(bool, selectedOnly);
    QFETCH(QList<int>, selected);
    QFETCH(QList<int>, read);

    DigitalRoad road;
    QVERIFY(road.started);
    QVERIFY(road.readDigital());
    for (int row = 0; row < RS485Tab::kRowCount; ++row)
        road.cell<QCheckBox>(row, RS485Tab::SelectColumn)->setChecked(selected.contains(row));
    road.find<QCheckBox>("readSelectedCheck")->setChecked(selectedOnly);
    const QString untouched = road.cell<QLineEdit>(2, RS485Tab::SerialColumn)->text();

    QVERIFY(road.button("readDataButton")->isEnabled());
    road.button("readDataButton")->click();
    QTRY_VERIFY_WITH_TIMEOUT(road.dialog->isEnabled(), 60000);
    QList<int> asked;
    for (const QByteArray &payload : road.sim->payloads(kReadReadings))
        asked.append(int(payload.at(0)));
    QCOMPARE(asked, read);
    if (read.isEmpty())
        QCOMPARE(road.status(), QStringLiteral("Не выбрано ни одного канала для считывания показаний!"));
    QCOMPARE(road.cell<QLineEdit>(2, RS485Tab::SerialColumn)->text(), untouched);
    for (int row : read)
        QVERIFY(road.cell<QLineEdit>(row, RS485Tab::SerialColumn)->text().startsWith(row == 0 ? "E-" : "W-"));
}

QTEST_MAIN(TestRoadChannels)
#include "tst_road_channels.moc"
