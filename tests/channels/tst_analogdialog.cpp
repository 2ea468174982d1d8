// The analog tab through the main window against the simulated controller: authorise, read,
// edit, write, read back and read readings on boards with four and eight analog inputs.

#include "app/tabdialog.h"
#include "channels/analogtab.h"
#include "sim/simserver.h"
#include "tests/support/fakeprompts.h"

#include <QtTest>

#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

namespace {

constexpr int kCommandWaitMs = 20000;
constexpr int kAnalogTabIndex = 1;

QList<int> channelsRequested(const SimServer &sim, int cmd)
{
    QList<int> out;
    for (const QByteArray &r : sim.requests()) {
        if (r.size() > 8 && quint8(r.at(7)) == cmd)
            out.append(quint8(r.at(8)));
    }
    return out;
}

QList<int> range(int count)
{
    QList<int> out;
    for (int i = 0; i < count; ++i)
        out.append(i);
    return out;
}

} // namespace

class TestAnalogDialog : public QObject
{
    Q_OBJECT

private slots:
    void readEditWriteReadBack_data();
    void readEditWriteReadBack();
};

void TestAnalogDialog::readEditWriteReadBack_data()
{
    QTest::addColumn<QString>("hardware");
    QTest::addColumn<int>("rows");
    QTest::newRow("8.2 has four inputs") << "8.2" << 4;
    QTest::newRow("8.1 has eight inputs") << "8.1" << 8;
}

void TestAnalogDialog::readEditWriteReadBack()
{
    QFETCH(QString, hardware);
    QFETCH(int, rows);

    ControllerModel model;
    QVERIFY(model.setHardware(hardware));
    SimServer sim(model);
    QVERIFY(sim.start());
    FakePrompts prompts;
    prompts.answers = {true, true, true, true};

    TabDialog dialog;
    dialog.selectPort(sim.portName());
    auto *tabs = dialog.findChild<QTabWidget *>("tabWidget");
    auto *analog = dialog.findChild<AnalogTab *>("analogTab");
    auto *table = dialog.findChild<QTableWidget *>("analogTable");
    auto *auth = dialog.findChild<QPushButton *>("authButton");
    auto *readSettings = dialog.findChild<QPushButton *>("readSettingsButton");
    auto *writeSettings = dialog.findChild<QPushButton *>("writeSettingsButton");
    auto *readData = dialog.findChild<QPushButton *>("readDataButton");
    QVERIFY(tabs && analog && table && auth && readSettings && writeSettings && readData);
    const auto cell = [table](int row, int column) { return table->cellWidget(row, column); };
    const auto serial = [&cell](int row) {
        return qobject_cast<QLineEdit *>(cell(row, AnalogTab::SerialColumn));
    };
    const auto reading = [&cell](int row) {
        return qobject_cast<QLineEdit *>(cell(row, AnalogTab::ValueColumn))->text();
    };

    auth->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isAuthorised() && dialog.isEnabled(), kCommandWaitMs);
    tabs->setCurrentIndex(kAnalogTabIndex);
    QVERIFY(readSettings->isEnabled());

    // Read: all eight channels are asked; the board's missing ones stay hidden.
    readSettings->click();
    QVERIFY(!dialog.isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandWaitMs);
    QCOMPARE(channelsRequested(sim, 4), range(8));
    for (int r = 0; r < 8; ++r) {
        QCOMPARE(table->isRowHidden(r), r >= rows);
        QCOMPARE(analog->isComChannelEnabled(r), r < rows);
    }
    QCOMPARE(serial(0)->text(), QStringLiteral("12345"));
    QCOMPARE(reading(1), QStringLiteral("21.5"));
    QVERIFY(!analog->isComSettingsChanged());
    QVERIFY(!writeSettings->isEnabled());
    QVERIFY(readData->isEnabled());

    // Edit: the write controls follow the change.
    serial(0)->setText(QStringLiteral("777"));
    qobject_cast<QDoubleSpinBox *>(cell(0, AnalogTab::LkColumn))->setValue(45);
    QVERIFY(writeSettings->isEnabled());
    QVERIFY(!readData->isEnabled());

    // Write every present channel; the table stores what the controller answered.
    writeSettings->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandWaitMs);
    QCOMPARE(channelsRequested(sim, 16), range(rows));
    sim.withModel([](ControllerModel &m) {
        QCOMPARE(m.analog.channels[0].serial, QByteArray("777"));
        QCOMPARE(m.analog.channels[0].lk, quint16(45));
        // The temperature thresholds went out signed and came back unchanged.
        QCOMPARE(m.analog.channels[1].lk, quint16(235));
        QCOMPARE(m.analog.channels[1].st, quint16(0xFFCE));
        m.analog.channels[0].object = 42;
    });
    QVERIFY(!analog->isComSettingsChanged());
    QVERIFY(!writeSettings->isEnabled());

    // Read back: what the controller now holds shows in the table.
    readSettings->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandWaitMs);
    QCOMPARE(serial(0)->text(), QStringLiteral("777"));
    QCOMPARE(qobject_cast<QLineEdit *>(cell(0, AnalogTab::ObjectColumn))->text(),
             QStringLiteral("42"));
    QCOMPARE(analog->lkValue(1), 23.5);
    QCOMPARE(analog->stValue(1), -5.0);
    QVERIFY(!analog->isComSettingsChanged());

    // Readings of every present channel; the meter's count moves on between reads.
    QVERIFY(readData->isEnabled());
    readData->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandWaitMs);
    QCOMPARE(channelsRequested(sim, 1), range(rows));
    QCOMPARE(reading(0), QStringLiteral("100"));
    readData->click();
    QTRY_VERIFY_WITH_TIMEOUT(dialog.isEnabled(), kCommandWaitMs);
    QCOMPARE(reading(0), QStringLiteral("101"));
    // Readings refresh the stored copy as well, so they leave nothing to write.
    QVERIFY(!analog->isComSettingsChanged());
    QVERIFY(readData->isEnabled());
}

QTEST_MAIN(TestAnalogDialog)
#include "tst_analogdialog.moc"
