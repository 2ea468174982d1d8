// The analog channel table: hidden rows, allowed inputs, row checks through the widgets,
// what a row shows and collects, and change detection against the stored copy.

#include "ui/channels/analogtab.h"

#include <QtTest>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>

#include <functional>

namespace {

// Settings lists as the worker emits them.
const QStringList kColdWater = {"1", "2", "12345", "10", "1", "30", "60", "1", "100"};
const QStringList kTemperature = {"5", "5", "T-01", "1", "1", "235", "65486", "2", "215"};
const QStringList kContact = {"9", "11", "", "1", "1", "10", "0", "3", "0"};
const QStringList kOff = {"0", "0", "", "10", "1", "0", "0", "0", "0"};
const QStringList kPressure = {"14", "13", "P-2", "1", "1", "60", "5", "6", "33"};
const QStringList kUnnamed = {"12", "200", "", "1", "1", "0", "0", "7", "0"}; // codes no list names
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
    QSpinBox *spin(int row, int column) const { return cell<QSpinBox>(row, column); }
    QDoubleSpinBox *lk(int row) const { return cell<QDoubleSpinBox>(row, AnalogTab::LkColumn); }
    QLineEdit *value(int row) const { return cell<QLineEdit>(row, AnalogTab::ValueColumn); }
    QLineEdit *object(int row) const { return cell<QLineEdit>(row, AnalogTab::ObjectColumn); }
};

QList<int> enabledInputs(QComboBox *input)
{
    auto *model = qobject_cast<QStandardItemModel *>(input->model());
    QList<int> out;
    for (int i = 0; model && i < model->rowCount(); ++i) {
        if (model->item(i)->isEnabled())
            out.append(i);
    }
    return out;
}

using Edit = std::function<void(Table &)>;

// Fills the table as a settings read of a board with `rows` lists does.
void readBoard(AnalogTab &tab, const QList<QStringList> &rows = {kColdWater, kTemperature, kContact,
                                                                   kOff, kPressure, kOff, kUnnamed, kOff})
{
    tab.setComSettingsReaded(false);
    for (int i = 0; i < rows.size(); ++i) {
        tab.setComSettings(i, rows[i]);
        tab.setComData(i, {rows[i].value(8)});
    }
}

} // namespace

Q_DECLARE_METATYPE(Edit)

class TestAnalogTab : public QObject
{
    Q_OBJECT

private slots:
    void hiddenRows();
    void allowedInputsFollowDevice();
    void rowShownAndCollected_data();
    void rowShownAndCollected();
    void checkComChannelThroughWidgets_data();
    void checkComChannelThroughWidgets();
    void changeDetection_data();
    void changeDetection();
    void indexesOutsideTheTableAreIgnored();
    void typedReadingGoesToTheChecks();
};

void TestAnalogTab::hiddenRows()
{
    AnalogTab tab;
    Table t{tab};
    tab.setComSettings(2, kColdWater);
    tab.setComSettings(2, kAbsent);
    QVERIFY(t.table()->isRowHidden(2));
    for (int c = 0; c < AnalogTab::ColumnCount; ++c)
        QVERIFY2(!t.table()->cellWidget(2, c)->isEnabled(), qPrintable(QString::number(c)));
    QCOMPARE(t.serial(2)->text(), QStringLiteral("12345")); // as the last real list left it
    tab.setComSettings(2, kPressure);
    QVERIFY(!t.table()->isRowHidden(2));
    QVERIFY(t.value(2)->isEnabled());
    // Hiding the rows a board lacks does not complete a read; the reading of its last row does.
    tab.setComSettingsReaded(false);
    QSignalSpy readed(&tab, &AnalogTab::analogSettingsReaded);
    tab.setComChannelsCount(4);
    for (int r = 0; r < AnalogTab::kRows; ++r)
        QCOMPARE(tab.isComChannelEnabled(r), r < 4);
    tab.setComData(7, {"5"});
    QVERIFY(readed.isEmpty());
    tab.setComData(3, {"5"});
    QCOMPARE(readed.size(), 1);
}

void TestAnalogTab::allowedInputsFollowDevice()
{
    AnalogTab tab;
    Table t{tab};
    const QList<int> unused{0, 1, 2, 3, 4, 5, 6, 7, 8};
    t.type(3)->setCurrentIndex(3);
    QCOMPARE(enabledInputs(t.input(3)), (QList<int>{2, 3, 4})); // gas: no Namur
    QCOMPARE(enabledInputs(t.input(2)), unused);                // other rows keep their own
    tab.setComSettings(3, kUnnamed); // a device no list names allows what an unused channel does
    QCOMPARE(enabledInputs(t.input(3)), unused);
}

void TestAnalogTab::rowShownAndCollected_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QStringList>("collected"); // for writing; not compared when empty
    QTest::addColumn<QString>("reading");
    QTest::newRow("temperature at its signed limits") << QStringList{"5", "5", "", "1", "1", "32767", "32768", "0"}
        << "4294967241" << QStringList{"5", "5", "", "1", "1", "32767", "-32768", "0"} << "-5.5";
    QTest::newRow("temperature -0.5 keeps its sign") << kTemperature << "4294967291" << QStringList{} << "-0.5";
    QTest::newRow("temperature lowest 32-bit") << kTemperature << "2147483648" << QStringList{} << "-214748364.8";
    QTest::newRow("temperature text that is no number") << kTemperature << "abc" << QStringList{} << "0.0";
    QTest::newRow("pressure: tenths, at the top of the field")
        << QStringList{"14", "13", "P-2", "1", "1", "65535", "5", "6"} << "25"
        << QStringList{"14", "13", "P-2", "1", "1", "65535", "5", "6"} << "2.5";
    QTest::newRow("scale in lowest terms") << QStringList{"1", "2", "", "10", "4", "0", "0", "1"} << ""
        << QStringList{"1", "2", "", "5", "2", "0", "0", "1"} << "";
}

void TestAnalogTab::rowShownAndCollected()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, raw);
    QFETCH(QStringList, collected);
    QFETCH(QString, reading);
    AnalogTab tab;
    tab.setComSettings(2, settings);
    tab.setComData(2, {raw});
    QCOMPARE(tab.getComData(2), QStringList{reading});
    if (collected.isEmpty())
        return;
    // Collected from the widgets: no editor may cut or clamp a value the controller holds.
    QCOMPARE(tab.getComSettings(2), collected);
}

void TestAnalogTab::checkComChannelThroughWidgets_data()
{
    QTest::addColumn<QStringList>("row0");
    QTest::addColumn<QStringList>("row1");
    QTest::addColumn<bool>("read"); // as the controller holds it, or imported over a read
    QTest::addColumn<int>("result"); // of row 1

    const QStringList fastWater = {"1", "4", "", "1", "1", "0", "0", "0", "0"};
    const QStringList lowSt = {"5", "5", "", "1", "1", "0", "65136", "0", "0"}; // ST -40.0
    QTest::newRow("pressure beside a water meter on the fast input") << fastWater << kPressure << false << 16;
    QTest::newRow("the same as read: the rule spans rows") << fastWater << kPressure << true << 16;
    QTest::newRow("pressure beside a water meter on reed") << kColdWater << kPressure << false << 0;
    QTest::newRow("temperature ST -40.0 imported") << kOff << lowSt << false << 13;
    QTest::newRow("temperature ST -40.0 as read goes back") << kOff << lowSt << true << 0;
}

void TestAnalogTab::checkComChannelThroughWidgets()
{
    QFETCH(QStringList, row0);
    QFETCH(QStringList, row1);
    QFETCH(bool, read);
    QFETCH(int, result);
    AnalogTab tab;
    tab.setComSettings(0, row0);
    if (read)
        tab.setComSettings(1, row1);
    else
        tab.changeComSettings(1, row1);
    QCOMPARE(tab.checkComChannel(1), result);
}

void TestAnalogTab::changeDetection_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("changed");
    const auto row = [](const char *name, Edit edit, bool changed) {
        QTest::newRow(name) << edit << changed;
    };
    row("nothing edited", [](Table &) {}, false);
    row("water meter reading edited", [](Table &t) { t.value(0)->setText("101"); }, true);
    row("water meter reading read again", [](Table &t) { t.tab.setComData(0, {"150"}); }, false);
    row("temperature reading read again", [](Table &t) { t.tab.setComData(1, {"4294967241"}); },
        false);
    row("temperature reading edited is not compared", [](Table &t) { t.value(1)->setText("30"); },
        false);
    row("contact reading edited is not compared", [](Table &t) { t.value(2)->setText("1"); }, false);
    row("object number edited", [](Table &t) { t.object(2)->setText("33"); }, true);
    row("serial edited", [](Table &t) { t.serial(0)->setText("12346"); }, true);
    row("temperature LK 23.5 to 23.6", [](Table &t) { t.lk(1)->setValue(23.6); }, true);
    row("device changed", [](Table &t) { t.type(3)->setCurrentIndex(2); }, true);
    row("input changed", [](Table &t) { t.input(0)->setCurrentIndex(3); }, true);
    row("divider changed", [](Table &t) { t.spin(4, AnalogTab::DividerColumn)->setValue(3); }, true);
    row("divider stepped down stops at 1", [](Table &t) { t.spin(0, AnalogTab::DividerColumn)->setValue(0); }, false);
    // The new multiplier is never reduced against the old divider while the row fills.
    row("scale edited, then read again as 10/3", [](Table &t) {
        t.spin(0, AnalogTab::MultiplierColumn)->setValue(1);
        t.spin(0, AnalogTab::DividerColumn)->setValue(2);
        QStringList again = kColdWater;
        again[4] = QStringLiteral("3");
        t.tab.setComSettings(0, again);
    }, false);
    row("unnamed device chosen as off", [](Table &t) { t.type(6)->setCurrentIndex(0); }, true);
    row("unnamed input chosen", [](Table &t) { t.input(6)->setCurrentIndex(0); }, true);
    row("unnamed codes imported as off", [](Table &t) { t.tab.changeComSettings(6, kOff); }, true);
    row("imported as the controller holds it", [](Table &t) { t.tab.changeComSettings(2, kContact); }, false);
    row("a new authorisation", [](Table &t) { t.tab.setComSettingsReaded(false); }, true);
    row("edit on a row above the channel count", [](Table &t) {
        t.tab.setComChannelsCount(4);
        t.tab.setComData(3, {"0"});
        t.serial(5)->setText("x");
    }, false);
}

void TestAnalogTab::changeDetection()
{
    QFETCH(Edit, edit);
    QFETCH(bool, changed);
    AnalogTab tab;
    Table t{tab};
    readBoard(tab);
    QSignalSpy signalled(&tab, &AnalogTab::analogSettingsChanged);
    QSignalSpy readed(&tab, &AnalogTab::analogSettingsReaded);
    // The window compares on every change, and the comparison reduces the scale shown.
    connect(&tab, &AnalogTab::analogSettingsChanged, &tab, [&tab] { tab.isComSettingsChanged(); });
    edit(t);
    // Every change the comparison counts also tells the window, which enables writing.
    QVERIFY(!changed || signalled.size() + readed.size() > 0);
    QCOMPARE(tab.isComSettingsChanged(), changed);
}

void TestAnalogTab::indexesOutsideTheTableAreIgnored()
{
    AnalogTab tab;
    readBoard(tab);
    for (int row : {-1, 8}) {
        tab.setComSettings(row, kAbsent);
        tab.changeComSettings(row, kAbsent);
        tab.setComData(row, {"1"});
        QCOMPARE(tab.getComSettings(row) + tab.getComData(row), QStringList());
        QCOMPARE(tab.checkComChannel(row), 0);
        QVERIFY(!tab.isComChannelEnabled(row) && tab.lkValue(row) == 0.0);
    }
    QVERIFY(!tab.isComSettingsChanged());
    tab.setComSettings(0, {}); // an empty list turns the row off
    QCOMPARE(tab.getComSettings(0).value(0), QStringLiteral("0"));
}

void TestAnalogTab::typedReadingGoesToTheChecks()
{
    AnalogTab tab;
    readBoard(tab);
    Table t{tab};
    t.value(0)->setText(QStringLiteral("9999999999")); // ten digits, beyond the 32-bit counter
    const WritePreflight::Steps steps = tab.writePreflight({});
    QCOMPARE(steps.size(), 1);
    QCOMPARE(steps.first().text, QStringLiteral("Неверная конфигурация для 1 канала! Показания "
                                                "должны быть от 0 до 4294967295"));
}

QTEST_MAIN(TestAnalogTab)
#include "tst_analogtab.moc"
