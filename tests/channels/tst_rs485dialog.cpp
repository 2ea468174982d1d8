// The digital tab through the main window against the simulated controller: authorise,
// read the settings, edit one channel and a group, write only those, read readings.

#include "app/tabdialog.h"
#include "channels/rs485tab.h"
#include "sim/simserver.h"
#include "tests/support/fakeprompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

constexpr int kCommandMs = 20000;
// Readings are collected for 60 times the 100 ms time-out: six seconds per channel.
constexpr int kReadingsMs = 40000;
constexpr int kDigitalTab = 2;

ControllerModel controller()
{
    ControllerModel model;
    model.setHardware(QStringLiteral("8.1"));
    SimDigitalChannels &d = model.digital;
    d.setPresentChannels(30);
    d.channels[0] = {8, 1, 4194304011u, {}, 1, 7};
    d.channels[1] = {7, 5, 777u, {}, 1, 0};
    d.meters[5] = {true, "40512377", {100, 0, 0, 10000}};
    d.meters[6] = {false, {}, {}};
    return model;
}

// Clicks a button when it can be clicked; false otherwise.
bool click(TabDialog &dialog, const char *button)
{
    auto *b = dialog.findChild<QPushButton *>(QLatin1String(button));
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

} // namespace

class TestRs485Dialog : public QObject
{
    Q_OBJECT

private slots:
    void readEditWriteAndReadReadings();
};

void TestRs485Dialog::readEditWriteAndReadReadings()
{
    FakePrompts prompts;
    SimServer sim(controller());
    QVERIFY(sim.start());
    TabDialog dialog;
    dialog.selectPort(sim.portName());
    dialog.show();
    QVERIFY(click(dialog, "authButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isAuthorised() && dialog.isEnabled(), kCommandMs);

    dialog.findChild<QTabWidget *>(QStringLiteral("tabWidget"))->setCurrentIndex(kDigitalTab);
    auto *tab = dialog.findChild<RS485Tab *>(QStringLiteral("rs485Tab"));
    auto *table = tab->findChild<QTableWidget *>(QStringLiteral("rs485Table"));
    const auto cell = [table](int row, int column) { return table->cellWidget(row, column); };
    const auto type = [&cell](int row) { return qobject_cast<QComboBox *>(cell(row, RS485Tab::TypeColumn)); };
    const auto select = [&cell](int row) { return qobject_cast<QCheckBox *>(cell(row, RS485Tab::SelectColumn)); };
    const auto typeOver = [&cell](int row, int column, const QString &text) {
        auto *edit = qobject_cast<QLineEdit *>(cell(row, column));
        edit->selectAll();
        QTest::keyClicks(edit, text);
    };

    // Read all 32 channels.
    QVERIFY(click(dialog, "readSettingsButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandMs);
    QCOMPARE(sim.requestCount(8), 32);
    QVERIFY(!tab->hasChanges());
    QCOMPARE(qobject_cast<QLineEdit *>(cell(0, RS485Tab::AddressColumn))->text(), QStringLiteral("kv1"));
    QCOMPARE(type(1)->currentIndex(), 2);
    QVERIFY(!tab->isChannelEnabled(30));

    // One channel on its own: an electricity meter on row 5.
    type(5)->setCurrentIndex(1);
    qobject_cast<QComboBox *>(cell(5, RS485Tab::ProtocolColumn))->setCurrentIndex(2);
    typeOver(5, RS485Tab::AddressColumn, QStringLiteral("kv0000005"));

    // Rows 6 and 7 together: cold water meters on Pulsar B-H with one address and object.
    // Select-all on and off clears the selection row 5 got as a new meter, so the group
    // leaves it alone.
    auto *selectAll = tab->findChild<QCheckBox *>(QStringLiteral("selectAllCheck"));
    selectAll->setChecked(true);
    selectAll->setChecked(false);
    tab->findChild<QCheckBox *>(QStringLiteral("groupCheck"))->setChecked(true);
    select(6)->setChecked(true);
    select(7)->setChecked(true);
    type(6)->setCurrentIndex(4);
    qobject_cast<QComboBox *>(cell(7, RS485Tab::ProtocolColumn))->setCurrentIndex(11);
    typeOver(6, RS485Tab::AddressColumn, QStringLiteral("123"));
    typeOver(7, RS485Tab::ObjectColumn, QStringLiteral("4321"));
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        QCOMPARE(tab->isChannelChanged(r), r >= 5 && r <= 7);

    // Only the three changed channels are written.
    sim.clearRequests();
    QVERIFY(click(dialog, "writeSettingsButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandMs);
    QVERIFY(prompts.shown.isEmpty());
    QCOMPARE(sim.payloads(32),
             (QList<QByteArray>{
                 QByteArray::fromHex("050802fa00002b" "00000000000000000000" "010000"),
                 QByteArray::fromHex("06010b0000007b" "00000000000000000000" "0110e1"),
                 QByteArray::fromHex("07010b0000007b" "00000000000000000000" "0110e1")}));
    QVERIFY(!tab->hasChanges());

    // Readings of the selected meters: row 5 answers, row 6's meter keeps silent.
    select(5)->setChecked(true);
    select(7)->setChecked(false);
    sim.clearRequests();
    QVERIFY(click(dialog, "readDataButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kReadingsMs);
    QCOMPARE(sim.payloads(2), (QList<QByteArray>{QByteArray(1, '\x05'), QByteArray(1, '\x06')}));
    QCOMPARE(tab->channelReadings(5), (QStringList{"40512377", "100,0,0,10000"}));
    QCOMPARE(tab->channelReadings(6), (QStringList{"Нет связи!", "-,-,-,-"}));
    QCOMPARE(tab->channelReadings(7), (QStringList{"-", "-,-,-,-"}));
    // A silent meter is its row's affair, not a lost controller.
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("statusLabel"))->text(), QString());
}

QTEST_MAIN(TestRs485Dialog)
#include "tst_rs485dialog.moc"
