// The digital tab's write checks and choice of meters to read, through the window against
// the simulated controller.

#include "roadsupport.h"

#include "channels/rs485tab.h"

#include <QCheckBox>
#include <QComboBox>
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

class TestDigitalRoad : public QObject
{
    Q_OBJECT

private slots:
    void readingSettingsMarksTabReadBeforeSending();
    void onlyChangedChannelsAreWritten();
    void unchangedInvalidChannelBlocksTheWrite();
    void nothingToWrite();
    void overlongPasswordIsRefused();
    void readSelection_data();
    void readSelection();
};

void TestDigitalRoad::readingSettingsMarksTabReadBeforeSending()
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

void TestDigitalRoad::onlyChangedChannelsAreWritten()
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

void TestDigitalRoad::unchangedInvalidChannelBlocksTheWrite()
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

void TestDigitalRoad::nothingToWrite()
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

void TestDigitalRoad::overlongPasswordIsRefused()
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

void TestDigitalRoad::readSelection_data()
{
    QTest::addColumn<bool>("selectedOnly");
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QList<int>>("read");
    QTest::newRow("selected only, none chosen") << true << QList<int>{} << QList<int>{};
    QTest::newRow("selected only, a switched-off row and a missing row") << true << QList<int>{2, 30} << QList<int>{};
    QTest::newRow("selected only, one meter") << true << QList<int>{1, 2} << QList<int>{1};
    QTest::newRow("all meters, whatever is selected") << false << QList<int>{} << QList<int>{0, 1};
}

void TestDigitalRoad::readSelection()
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

QTEST_MAIN(TestDigitalRoad)
#include "tst_digitalroad.moc"
