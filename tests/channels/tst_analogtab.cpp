// The analog channel table: hidden rows, allowed inputs, row checks through the widgets,
// collecting rows for writing, tenths forms and change detection against the stored copy.

#include "channels/analogtab.h"
#include "tests/support/logcapture.h"

#include <QtTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>

namespace {

// Settings lists as the worker emits them.
const QStringList kColdWater = {"1", "2", "12345", "10", "1", "30", "60", "1", "100"};
const QStringList kTemperature = {"5", "5", "T-01", "1", "1", "235", "65486", "2", "215"};
const QStringList kContact = {"9", "11", "", "1", "1", "10", "0", "3", "0"};
const QStringList kOff = {"0", "0", "", "10", "1", "0", "0", "0", "0"};
const QStringList kPressure = {"14", "13", "P-2", "1", "1", "60", "5", "6", "33"};
const QStringList kAbsent = {"255", "0", "", "0", "0", "0", "0", "0", "0"};

// Row helpers over the table's cell widgets.
struct Table {
    AnalogTab &tab;
    QTableWidget *table() const { return tab.findChild<QTableWidget *>("analogTable"); }
    template <typename W> W *cell(int row, int column) const
    {
        return qobject_cast<W *>(table()->cellWidget(row, column));
    }
    QComboBox *type(int row) const { return cell<QComboBox>(row, AnalogTab::TypeColumn); }
    QComboBox *input(int row) const { return cell<QComboBox>(row, AnalogTab::InputColumn); }
    QLineEdit *serial(int row) const { return cell<QLineEdit>(row, AnalogTab::SerialColumn); }
    QSpinBox *multiplier(int row) const { return cell<QSpinBox>(row, AnalogTab::MultiplierColumn); }
    QSpinBox *divider(int row) const { return cell<QSpinBox>(row, AnalogTab::DividerColumn); }
    QDoubleSpinBox *lk(int row) const { return cell<QDoubleSpinBox>(row, AnalogTab::LkColumn); }
    QDoubleSpinBox *st(int row) const { return cell<QDoubleSpinBox>(row, AnalogTab::StColumn); }
    QLineEdit *value(int row) const { return cell<QLineEdit>(row, AnalogTab::ValueColumn); }
    QLineEdit *object(int row) const { return cell<QLineEdit>(row, AnalogTab::ObjectColumn); }
    QList<int> enabledInputs(int row) const
    {
        auto *model = qobject_cast<QStandardItemModel *>(input(row)->model());
        QList<int> out;
        for (int i = 0; model && i < model->rowCount(); ++i) {
            if (model->item(i)->isEnabled())
                out.append(i);
        }
        return out;
    }
};

// Fills the table as a settings read of a board with `rows` lists does.
void readBoard(AnalogTab &tab, const QList<QStringList> &rows)
{
    tab.setComSettingsReaded(false);
    for (int i = 0; i < rows.size(); ++i) {
        tab.setComSettings(i, rows[i]);
        tab.setComData(i, {rows[i].value(8)});
    }
}

QList<QStringList> board()
{
    return {kColdWater, kTemperature, kContact, kOff, kPressure, kOff, kOff, kOff};
}

} // namespace

class TestAnalogTab : public QObject
{
    Q_OBJECT

private slots:
    void freshTableCountsAsChanged();
    void absentRowIsHiddenAndShownAgain();
    void channelCountHidesRowsAbove();
    void allowedInputsFollowDevice_data();
    void allowedInputsFollowDevice();
    void contactKeepsChosenInputUntilChanged();
    void fillConvertsCodesAndThresholds();
    void checkComChannelThroughWidgets_data();
    void checkComChannelThroughWidgets();
    void collectReducesScale();
    void collectScalesThresholds_data();
    void collectScalesThresholds();
    void readingForms_data();
    void readingForms();
    void changeDetection_data();
    void changeDetection();
    void changeDetectionLogsKeys();
    void changeComSettingsLeavesStoredCopy();
    void editsEmitChanged();
    void indexesOutsideTheTableAreIgnored();
    void overlongSerialRow();
};

void TestAnalogTab::freshTableCountsAsChanged()
{
    AnalogTab tab;
    Table t{tab};
    QCOMPARE(t.value(0)->validator(), t.object(0)->validator());
    // Reset rows: device off, scale 10/1; the empty stored object number still differs from
    // the collected 0, so a fresh table counts as changed although it reports itself read.
    QCOMPARE(tab.getComSettings(5), (QStringList{"0", "0", "", "10", "1", "0", "0", "0"}));
    QVERIFY(tab.isComSettingsChanged());
    for (int r = 0; r < 8; ++r)
        QVERIFY(tab.isComChannelEnabled(r));
}

void TestAnalogTab::absentRowIsHiddenAndShownAgain()
{
    AnalogTab tab;
    Table t{tab};
    tab.setComSettings(2, kColdWater);
    tab.setComSettings(2, kAbsent);
    QVERIFY(t.table()->isRowHidden(2));
    QVERIFY(!tab.isComChannelEnabled(2));
    for (int c = 0; c < AnalogTab::ColumnCount; ++c)
        QVERIFY2(!t.table()->cellWidget(2, c)->isEnabled(), qPrintable(QString::number(c)));
    // The values stay as the last real list left them.
    QCOMPARE(t.serial(2)->text(), QStringLiteral("12345"));
    QCOMPARE(t.type(2)->currentIndex(), 1);

    tab.setComSettings(2, kPressure);
    QVERIFY(!t.table()->isRowHidden(2));
    QVERIFY(tab.isComChannelEnabled(2));
    for (int c = 0; c < AnalogTab::ColumnCount; ++c)
        QVERIFY(t.table()->cellWidget(2, c)->isEnabled());
    QCOMPARE(t.type(2)->currentIndex(), 9);
}

void TestAnalogTab::channelCountHidesRowsAbove()
{
    AnalogTab tab;
    Table t{tab};
    tab.setComSettings(1, kTemperature);
    tab.setComSettingsReaded(false);
    QSignalSpy readed(&tab, &AnalogTab::analogSettingsReaded);
    tab.setComChannelsCount(4);
    for (int r = 0; r < 8; ++r) {
        QCOMPARE(t.table()->isRowHidden(r), r >= 4);
        QCOMPARE(tab.isComChannelEnabled(r), r < 4);
    }
    QCOMPARE(t.serial(1)->text(), QStringLiteral("T-01"));
    QCOMPARE(t.lk(1)->value(), 23.5);
    // Hiding rows 4 to 7 does not complete a read; the reading of row 3 does.
    QVERIFY(readed.isEmpty());
    QVERIFY(tab.isComSettingsChanged());
    tab.setComData(7, {"5"});
    QVERIFY(readed.isEmpty());
    tab.setComData(3, {"5"});
    QCOMPARE(readed.size(), 1);
    QCOMPARE(readed.first().first().toBool(), true);
}

void TestAnalogTab::allowedInputsFollowDevice_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<QList<int>>("inputs");
    QTest::newRow("off") << 0 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8};
    QTest::newRow("cold water") << 1 << QList<int>{1, 2, 3, 4};
    QTest::newRow("hot water") << 2 << QList<int>{1, 2, 3, 4};
    QTest::newRow("gas") << 3 << QList<int>{2, 3, 4};
    QTest::newRow("heat Wh") << 4 << QList<int>{4};
    QTest::newRow("heat kcal") << 5 << QList<int>{4};
    QTest::newRow("electricity") << 6 << QList<int>{4};
    QTest::newRow("temperature") << 7 << QList<int>{5, 6, 7, 8};
    QTest::newRow("contact") << 8 << QList<int>{9, 10, 11, 12};
    QTest::newRow("pressure") << 9 << QList<int>{13};
}

void TestAnalogTab::allowedInputsFollowDevice()
{
    QFETCH(int, position);
    QFETCH(QList<int>, inputs);
    AnalogTab tab;
    Table t{tab};
    t.type(3)->setCurrentIndex(9);
    t.type(3)->setCurrentIndex(position);
    QCOMPARE(t.enabledInputs(3), inputs);
    // Other rows keep their own list.
    QCOMPARE(t.enabledInputs(2), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
}

void TestAnalogTab::contactKeepsChosenInputUntilChanged()
{
    AnalogTab tab;
    Table t{tab};
    tab.setComSettings(0, kColdWater);
    QCOMPARE(t.input(0)->currentIndex(), 2);
    t.type(0)->setCurrentIndex(8);
    QCOMPARE(t.input(0)->currentIndex(), 2);
    QCOMPARE(t.enabledInputs(0), (QList<int>{9, 10, 11, 12}));
    QCOMPARE(tab.checkComChannel(0), 1);
    QVERIFY(tab.isContactSensor(0));
    t.input(0)->setCurrentIndex(11);
    QCOMPARE(tab.checkComChannel(0), 0);
}

void TestAnalogTab::fillConvertsCodesAndThresholds()
{
    AnalogTab tab;
    Table t{tab};
    readBoard(tab, board());
    QCOMPARE(t.type(0)->currentIndex(), 1);
    QCOMPARE(t.input(0)->currentIndex(), 2);
    QCOMPARE(t.serial(0)->text(), QStringLiteral("12345"));
    QCOMPARE(t.multiplier(0)->value(), 10);
    QCOMPARE(t.lk(0)->value(), 30.0);
    QCOMPARE(t.st(0)->value(), 60.0);
    QCOMPARE(t.object(0)->text(), QStringLiteral("1"));
    QCOMPARE(t.type(1)->currentIndex(), 7);
    QCOMPARE(t.lk(1)->value(), 23.5);
    QCOMPARE(t.st(1)->value(), -5.0);
    QCOMPARE(tab.lkValue(1), 23.5);
    QCOMPARE(tab.stValue(1), -5.0);
    QCOMPARE(t.type(4)->currentIndex(), 9);
    QCOMPARE(tab.lkValue(4), 6.0);
    QCOMPARE(tab.stValue(4), 0.5);

    // Unknown codes and texts that are no numbers fall back to the first items.
    tab.setComSettings(5, {"12", "200", "x", "abc", "", "", "", "12345", ""});
    QCOMPARE(t.type(5)->currentIndex(), 0);
    QCOMPARE(t.input(5)->currentIndex(), 0);
    QCOMPARE(t.multiplier(5)->value(), 1);
    QCOMPARE(t.object(5)->text(), QStringLiteral("1234"));
}

void TestAnalogTab::checkComChannelThroughWidgets_data()
{
    QTest::addColumn<QStringList>("row0");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<int>("result"); // of row 1

    QTest::newRow("pressure beside a water meter on the fast input")
        << QStringList{"1", "4", "", "1", "1", "0", "0", "0", "0"} << kPressure << 16;
    QTest::newRow("pressure beside a water meter on reed") << kColdWater << kPressure << 0;
    QTest::newRow("temperature ST -40.0")
        << kOff << QStringList{"5", "5", "", "1", "1", "0", "65136", "0", "0"} << 13;
    QTest::newRow("heat meter LK 3 minutes")
        << kOff << QStringList{"7", "4", "", "1", "1", "3", "0", "0", "0"} << 10;
    QTest::newRow("unknown device code is off")
        << kOff << QStringList{"4", "0", "", "1", "1", "0", "0", "0", "0"} << 0;
}

void TestAnalogTab::checkComChannelThroughWidgets()
{
    QFETCH(QStringList, row0);
    QFETCH(QStringList, row1);
    QFETCH(int, result);
    AnalogTab tab;
    tab.setComSettings(0, row0);
    tab.setComSettings(1, row1);
    QCOMPARE(tab.checkComChannel(1), result);
}

void TestAnalogTab::collectReducesScale()
{
    AnalogTab tab;
    Table t{tab};
    readBoard(tab, {{"1", "2", "", "10", "4", "0", "0", "1", "7"}});
    QCOMPARE(t.multiplier(0)->value(), 10);
    QSignalSpy changed(&tab, &AnalogTab::analogSettingsChanged);
    // A controller that stored 10/4 counts as changed: the table keeps lowest terms.
    QVERIFY(tab.isComSettingsChanged());
    QCOMPARE(t.multiplier(0)->value(), 5);
    QCOMPARE(t.divider(0)->value(), 2);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(tab.getComSettings(0), (QStringList{"1", "2", "", "5", "2", "0", "0", "1"}));
}

void TestAnalogTab::collectScalesThresholds_data()
{
    QTest::addColumn<int>("position");
    QTest::addColumn<double>("lk");
    QTest::addColumn<double>("st");
    QTest::addColumn<QString>("lkText");
    QTest::addColumn<QString>("stText");
    QTest::newRow("temperature 23.5 / -5.0") << 7 << 23.5 << -5.0 << "235" << "-50";
    QTest::newRow("pressure 2.5 / 0.3") << 9 << 2.5 << 0.3 << "25" << "3";
    QTest::newRow("water 30 / 120") << 1 << 30.0 << 120.0 << "30" << "120";
    QTest::newRow("contact 0.5 stays fractional") << 8 << 0.5 << 0.0 << "0.5" << "0";
}

void TestAnalogTab::collectScalesThresholds()
{
    QFETCH(int, position);
    QFETCH(double, lk);
    QFETCH(double, st);
    QFETCH(QString, lkText);
    QFETCH(QString, stText);
    AnalogTab tab;
    Table t{tab};
    t.type(6)->setCurrentIndex(position);
    t.lk(6)->setValue(lk);
    t.st(6)->setValue(st);
    const QStringList collected = tab.getComSettings(6);
    QCOMPARE(collected.value(5), lkText);
    QCOMPARE(collected.value(6), stText);
}

void TestAnalogTab::readingForms_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("shown");
    QTest::newRow("temperature 235") << kTemperature << "235" << "23.5";
    QTest::newRow("temperature -55") << kTemperature << "4294967241" << "-5.5";
    QTest::newRow("pressure 25") << kPressure << "25" << "2.5";
    QTest::newRow("water meter raw") << kColdWater << "4294967241" << "4294967241";
}

void TestAnalogTab::readingForms()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, raw);
    QFETCH(QString, shown);
    AnalogTab tab;
    tab.setComSettings(2, settings);
    tab.setComData(2, {raw});
    QCOMPARE(tab.getComData(2), QStringList{shown});
}

void TestAnalogTab::changeDetection_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("changed");
    QTest::newRow("untouched after a read") << "" << false;
    QTest::newRow("water meter reading edited") << "value0" << true;
    QTest::newRow("water meter reading read again") << "reread0" << false;
    QTest::newRow("temperature reading read again") << "reread1" << false;
    QTest::newRow("temperature reading edited is not compared") << "value1" << false;
    QTest::newRow("contact reading edited is not compared") << "value2" << false;
    QTest::newRow("object number edited") << "object2" << true;
    QTest::newRow("object number cleared") << "objectEmpty4" << true;
    QTest::newRow("serial edited") << "serial0" << true;
    QTest::newRow("temperature LK 23.5 to 23.6") << "lk1" << true;
    QTest::newRow("temperature ST -5.0 to -5.0 again") << "st1same" << false;
    QTest::newRow("input changed") << "input0" << true;
    QTest::newRow("device changed") << "type3" << true;
    QTest::newRow("multiplier changed") << "multiplier4" << true;
    QTest::newRow("edit on a row above the channel count") << "serial5count4" << false;
    QTest::newRow("authorised again, not read") << "unread" << true;
}

void TestAnalogTab::changeDetection()
{
    QFETCH(QString, edit);
    QFETCH(bool, changed);
    AnalogTab tab;
    Table t{tab};
    readBoard(tab, board());
    QVERIFY(!tab.isComSettingsChanged());

    if (edit == "value0")
        t.value(0)->setText("101");
    else if (edit == "reread0")
        tab.setComData(0, {"150"});
    else if (edit == "reread1")
        tab.setComData(1, {"4294967241"});
    else if (edit == "value1")
        t.value(1)->setText("30");
    else if (edit == "value2")
        t.value(2)->setText("1");
    else if (edit == "object2")
        t.object(2)->setText("33");
    else if (edit == "objectEmpty4")
        t.object(4)->clear();
    else if (edit == "serial0")
        t.serial(0)->setText("12346");
    else if (edit == "lk1")
        t.lk(1)->setValue(23.6);
    else if (edit == "st1same")
        t.st(1)->setValue(-5.0);
    else if (edit == "input0")
        t.input(0)->setCurrentIndex(3);
    else if (edit == "type3")
        t.type(3)->setCurrentIndex(2);
    else if (edit == "multiplier4")
        t.multiplier(4)->setValue(3);
    else if (edit == "serial5count4") {
        tab.setComChannelsCount(4);
        tab.setComData(3, {"0"});
        t.serial(5)->setText("x");
    } else if (edit == "unread")
        tab.setComSettingsReaded(false);
    QCOMPARE(tab.isComSettingsChanged(), changed);
}

void TestAnalogTab::changeDetectionLogsKeys()
{
    AnalogTab tab;
    Table t{tab};
    readBoard(tab, board());
    t.serial(1)->setText("T-02");
    t.lk(1)->setValue(20.0);
    t.object(1)->setText("9");
    t.serial(2)->setText("not reached");
    LogCapture log;
    QVERIFY(tab.isComSettingsChanged());
    const QStringList lines = log.lines();
    QCOMPARE(lines, (QStringList{"serial 1 \"T-01\" \"T-02\"", "t_ovr 1 \"235\" \"200\"",
                                 "object 1 \"2\" \"9\"", "true"}));
}

void TestAnalogTab::changeComSettingsLeavesStoredCopy()
{
    AnalogTab tab;
    Table t{tab};
    readBoard(tab, board());
    // A channel file line for channel 3: temperature, LK -5.0 as its 32-bit pattern.
    tab.changeComSettings(2, {"5", "5", "", "1", "1", "4294967246", "4294967196", "12"});
    QCOMPARE(t.type(2)->currentIndex(), 7);
    QCOMPARE(t.lk(2)->value(), -5.0);
    QCOMPARE(t.st(2)->value(), -10.0);
    QCOMPARE(t.object(2)->text(), QStringLiteral("12"));
    QVERIFY(tab.isComSettingsChanged());
    // The same values as the controller holds show no change.
    tab.changeComSettings(2, kContact);
    QVERIFY(!tab.isComSettingsChanged());
    tab.changeComSettings(8, kAbsent);
    tab.changeComSettings(-1, kAbsent);
    QVERIFY(!tab.isComSettingsChanged());
}

void TestAnalogTab::editsEmitChanged()
{
    AnalogTab tab;
    Table t{tab};
    QSignalSpy changed(&tab, &AnalogTab::analogSettingsChanged);
    t.type(0)->setCurrentIndex(1);
    t.input(0)->setCurrentIndex(1);
    t.serial(0)->setText("1");
    t.multiplier(0)->setValue(2);
    t.divider(0)->setValue(3);
    t.lk(0)->setValue(5);
    t.st(0)->setValue(6);
    t.value(0)->setText("7");
    t.object(0)->setText("8");
    QCOMPARE(changed.size(), 9);
}

void TestAnalogTab::indexesOutsideTheTableAreIgnored()
{
    AnalogTab tab;
    readBoard(tab, board());
    tab.setComSettings(8, kAbsent);
    tab.setComSettings(-1, kAbsent);
    tab.setComData(8, {"1"});
    tab.setComData(-1, {"1"});
    tab.setComSettings(0, {});
    QCOMPARE(tab.getComSettings(8), QStringList());
    QCOMPARE(tab.getComData(-1), QStringList());
    QCOMPARE(tab.checkComChannel(99), 0);
    QVERIFY(!tab.isComChannelEnabled(8));
    QVERIFY(!tab.isContactSensor(-1));
    QCOMPARE(tab.lkValue(8), 0.0);
    // The empty list turned row 0 off.
    QCOMPARE(tab.getComSettings(0).value(0), QStringLiteral("0"));
}

void TestAnalogTab::overlongSerialRow()
{
    AnalogTab tab;
    Table t{tab};
    QCOMPARE(tab.overlongSerialRow(), -1);
    t.serial(3)->setText(QStringLiteral("ЖЖЖЖЖЖЖЖ"));
    QCOMPARE(tab.overlongSerialRow(), -1);
    t.serial(5)->setText(QStringLiteral("ЖЖЖЖЖЖЖЖЖ"));
    t.serial(6)->setText(QStringLiteral("ЖЖЖЖЖЖЖЖЖ"));
    QCOMPARE(tab.overlongSerialRow(), 5);
    tab.setComChannelsCount(4);
    QCOMPARE(tab.overlongSerialRow(), -1);
    QVERIFY(tab.serialTooLongMessage(6).contains(QStringLiteral("для 6 канала")));
}

QTEST_MAIN(TestAnalogTab)
#include "tst_analogtab.moc"
