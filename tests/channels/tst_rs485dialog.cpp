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
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
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

// Payloads (after the command byte, before the checksum) of the requests for `cmd`.
QList<QByteArray> requestPayloads(SimServer &sim, int cmd)
{
    QList<QByteArray> out;
    for (const QByteArray &request : sim.requests()) {
        if (request.size() > 8 && quint8(request.at(7)) == cmd)
            out.append(request.mid(8, request.size() - 9));
    }
    return out;
}

} // namespace

class TestRs485Dialog : public QObject
{
    Q_OBJECT

private slots:
    void readEditWriteAndReadReadings();

private:
    template <typename W>
    W *cell(QTableWidget *table, int row, int column)
    {
        return qobject_cast<W *>(table->cellWidget(row, column));
    }
    bool click(TabDialog &dialog, const char *button);
};

bool TestRs485Dialog::click(TabDialog &dialog, const char *button)
{
    auto *b = dialog.findChild<QPushButton *>(QLatin1String(button));
    if (!b || !b->isEnabled())
        return false;
    QTest::mouseClick(b, Qt::LeftButton);
    return true;
}

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
    auto *status = dialog.findChild<QLabel *>(QStringLiteral("statusLabel"));
    QCOMPARE(table->verticalHeaderItem(0)->text(), QStringLiteral("9"));

    // Read all 32 channels.
    QVERIFY(click(dialog, "readSettingsButton"));
    QVERIFY(!dialog.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandMs);
    QCOMPARE(sim.requestCount(8), 32);
    QCOMPARE(dialog.findChild<QProgressBar *>(QStringLiteral("progressBar"))->value(), 100);
    QVERIFY(tab->isSettingsReaded());
    QVERIFY(!tab->hasChanges());
    QCOMPARE(cell<QLineEdit>(table, 0, RS485Tab::AddressColumn)->text(), QStringLiteral("kv1"));
    QCOMPARE(cell<QComboBox>(table, 1, RS485Tab::TypeColumn)->currentIndex(), 2);
    QVERIFY(!tab->isChannelEnabled(30));
    QVERIFY(!tab->isChannelEnabled(31));
    QVERIFY(!dialog.findChild<QPushButton *>(QStringLiteral("writeSettingsButton"))->isEnabled());
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("readDataButton"))->isEnabled());

    // One channel on its own: an electricity meter on row 5.
    cell<QComboBox>(table, 5, RS485Tab::TypeColumn)->setCurrentIndex(1);
    cell<QComboBox>(table, 5, RS485Tab::ProtocolColumn)->setCurrentIndex(2);
    QLineEdit *address5 = cell<QLineEdit>(table, 5, RS485Tab::AddressColumn);
    address5->selectAll();
    QTest::keyClicks(address5, QStringLiteral("kv0000005"));
    QVERIFY(tab->isChannelChanged(5));
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("writeSettingsButton"))->isEnabled());

    // Rows 6 and 7 together: cold water meters on Pulsar B-H with one address and object.
    auto *selectAll = tab->findChild<QCheckBox *>(QStringLiteral("selectAllCheck"));
    selectAll->setChecked(true);
    selectAll->setChecked(false);
    tab->findChild<QCheckBox *>(QStringLiteral("groupCheck"))->setChecked(true);
    cell<QCheckBox>(table, 6, RS485Tab::SelectColumn)->setChecked(true);
    cell<QCheckBox>(table, 7, RS485Tab::SelectColumn)->setChecked(true);
    cell<QComboBox>(table, 6, RS485Tab::TypeColumn)->setCurrentIndex(4);
    cell<QComboBox>(table, 7, RS485Tab::ProtocolColumn)->setCurrentIndex(11);
    QLineEdit *address6 = cell<QLineEdit>(table, 6, RS485Tab::AddressColumn);
    address6->selectAll();
    QTest::keyClicks(address6, QStringLiteral("123"));
    QLineEdit *object7 = cell<QLineEdit>(table, 7, RS485Tab::ObjectColumn);
    object7->selectAll();
    QTest::keyClicks(object7, QStringLiteral("4321"));
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        QCOMPARE(tab->isChannelChanged(r), r >= 5 && r <= 7);

    // Only the three changed channels are written.
    sim.clearRequests();
    QVERIFY(click(dialog, "writeSettingsButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandMs);
    QVERIFY(prompts.shown.isEmpty());
    QCOMPARE(requestPayloads(sim, 32),
             (QList<QByteArray>{
                 QByteArray::fromHex("050802fa00002b" "00000000000000000000" "010000"),
                 QByteArray::fromHex("06010b0000007b" "00000000000000000000" "0110e1"),
                 QByteArray::fromHex("07010b0000007b" "00000000000000000000" "0110e1")}));
    QVERIFY(!tab->hasChanges());
    QCOMPARE(status->text(), QString());
    const auto stored7 = sim.withModel([](ControllerModel &m) { return m.digital.channels[7]; });
    QCOMPARE(stored7.type, quint8(1));
    QCOMPARE(stored7.object, quint16(4321));
    QVERIFY(dialog.findChild<QPushButton *>(QStringLiteral("readDataButton"))->isEnabled());

    // Readings of the selected meters: row 5 answers, row 6's meter keeps silent.
    cell<QCheckBox>(table, 5, RS485Tab::SelectColumn)->setChecked(true);
    cell<QCheckBox>(table, 7, RS485Tab::SelectColumn)->setChecked(false);
    sim.clearRequests();
    QVERIFY(click(dialog, "readDataButton"));
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kReadingsMs);
    QCOMPARE(requestPayloads(sim, 2), (QList<QByteArray>{QByteArray(1, '\x05'), QByteArray(1, '\x06')}));
    QCOMPARE(tab->channelReadings(5), (QStringList{"40512377", "100,0,0,10000"}));
    QCOMPARE(tab->channelReadings(6), (QStringList{"Нет связи!", "-,-,-,-"}));
    QCOMPARE(tab->channelReadings(7), (QStringList{"-", "-,-,-,-"}));
    QCOMPARE(status->text(), QString());
}

QTEST_MAIN(TestRs485Dialog)
#include "tst_rs485dialog.moc"
