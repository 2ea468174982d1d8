// The digital channel table: showing and storing settings, change marks, protocol filter,
// readings, group editing, select-all, the header toggle and the protocol hints.

#include "channels/rs485tab.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QStyle>
#include <QTableWidget>
#include <QtTest>

namespace {

const QColor kBlue = QColor::fromRgbF(0.0f, 0.470588f, 0.843137f, 1.0f);

// Editors of one table row, found as the user sees them.
struct Row {
    RS485Tab &tab;
    int row;

    QTableWidget *table() const { return tab.findChild<QTableWidget *>(QStringLiteral("rs485Table")); }
    template <typename W>
    W *cell(int column) const
    {
        return qobject_cast<W *>(table()->cellWidget(row, column));
    }
    QCheckBox *select() const { return cell<QCheckBox>(RS485Tab::SelectColumn); }
    QComboBox *type() const { return cell<QComboBox>(RS485Tab::TypeColumn); }
    QComboBox *protocol() const { return cell<QComboBox>(RS485Tab::ProtocolColumn); }
    QLineEdit *address() const { return cell<QLineEdit>(RS485Tab::AddressColumn); }
    QLineEdit *password() const { return cell<QLineEdit>(RS485Tab::PasswordColumn); }
    QSpinBox *kt() const { return cell<QSpinBox>(RS485Tab::KtColumn); }
    QLineEdit *object() const { return cell<QLineEdit>(RS485Tab::ObjectColumn); }
    QTableWidgetItem *header() const { return table()->verticalHeaderItem(row); }
    bool markedBlue() const { return header()->background().color() == kBlue; }
    // The six settings as the editors show them.
    QStringList shown() const
    {
        return {QString::number(type()->currentIndex()), QString::number(protocol()->currentIndex()),
                address()->text(), password()->text(), QString::number(kt()->value()),
                object()->text()};
    }
    QList<int> enabledProtocols() const
    {
        auto *model = qobject_cast<QStandardItemModel *>(protocol()->model());
        QList<int> out;
        for (int p = 0; p < model->rowCount(); ++p) {
            if (model->item(p)->isEnabled())
                out.append(p);
        }
        return out;
    }
};

QCheckBox *check(RS485Tab &tab, const char *name)
{
    return tab.findChild<QCheckBox *>(QLatin1String(name));
}

QString hint(RS485Tab &tab)
{
    return tab.findChild<QLabel *>(QStringLiteral("hintLabel"))->text();
}

// Every channel read from the controller as "off", as a freshly configured one reports.
void readAllOff(RS485Tab &tab)
{
    tab.setRsSettingsReaded(true, false);
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        tab.setRsSettings(r, {"0", "0", "0", "", "1", "0"});
}

} // namespace

class TestRs485Tab : public QObject
{
    Q_OBJECT

private slots:
    void storedAndShown_data();
    void storedAndShown();
    void typedKvMatchesStoredNumber();
    void missingChannelIsDisabledAndUnchanged();
    void marksBeforeAndAfterReading();
    void everyEditorMarksItsRow_data();
    void everyEditorMarksItsRow();
    void resetChannels();
    void typeFiltersProtocolsAndKeepsChoice();
    void readings_data();
    void readings();
    void groupObjectSpreadsInOnePass();
    void groupDeviceTypeFiltersEverySelectedRow();
    void groupEditing_data();
    void groupEditing();
    void passwordLimitCutsOnlyTyping();
    void selectAll();
    void headerDoubleClickTogglesTwice();
    void hints_data();
    void hints();
    void indexesOutsideTableAreIgnored();
};

void TestRs485Tab::storedAndShown_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("shown"); // positions, texts and values of the editors
    QTest::addColumn<bool>("changed");

    QTest::newRow("electricity kv1 unchanged") << QStringList{"8", "1", "4194304011", "", "1", "7"}
                                               << QStringList{"1", "1", "kv1", "", "1", "7"} << false;
    QTest::newRow("cold water decimal address, 10-char password")
        << QStringList{"1", "10", "12345", "1234567890", "3", "9999"}
        << QStringList{"4", "10", "12345", "1234567890", "3", "9999"} << false;
    QTest::newRow("code 3 shows position 0, changed") << QStringList{"3", "0", "0", "", "1", "0"}
                                                      << QStringList{"0", "0", "0", "", "1", "0"}
                                                      << true;
    QTest::newRow("KT 0 shows 1, changed") << QStringList{"8", "1", "5", "", "0", "0"}
                                           << QStringList{"1", "1", "5", "", "1", "0"} << true;
}

void TestRs485Tab::storedAndShown()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, shown);
    QFETCH(bool, changed);
    RS485Tab tab;
    readAllOff(tab);
    QVERIFY(!tab.hasChanges());
    tab.setRsSettings(6, list);
    QCOMPARE(Row({tab, 6}).shown(), shown);
    QCOMPARE(tab.isChannelChanged(6), changed);
    QCOMPARE(Row({tab, 6}).markedBlue(), changed);
    QCOMPARE(tab.hasChanges(), changed);
    if (!changed)
        QCOMPARE(tab.channelSettings(6), QStringList{"6"} + list);
    // Showing a list without storing it marks the row; showing the stored one clears it.
    tab.changeRsSettings(6, {"7", "5", "10", "", "1", "0"});
    QVERIFY(tab.isChannelChanged(6));
    tab.changeRsSettings(6, list);
    QCOMPARE(tab.isChannelChanged(6), changed);
}

void TestRs485Tab::typedKvMatchesStoredNumber()
{
    RS485Tab tab;
    readAllOff(tab);
    tab.setRsSettings(3, {"8", "1", "4194304987", "", "1", "0"});
    const Row row{tab, 3};
    QCOMPARE(row.address()->text(), QStringLiteral("kv123"));
    row.address()->selectAll();
    QTest::keyClicks(row.address(), QStringLiteral("kv0000123"));
    QCOMPARE(row.address()->text(), QStringLiteral("kv0000123"));
    QVERIFY(!tab.isChannelChanged(3));
    QCOMPARE(tab.channelSettings(3).value(3), QStringLiteral("4194304987"));
}

void TestRs485Tab::missingChannelIsDisabledAndUnchanged()
{
    RS485Tab tab;
    tab.setRsSettings(9, {"8", "1", "77", "", "2", "5"});
    tab.setRsSettingsReaded(true, false);
    tab.setRsSettings(9, {"255", "0", "0", "", "0", "0"});
    const Row row{tab, 9};
    QVERIFY(!tab.isChannelEnabled(9));
    for (int column = RS485Tab::TypeColumn; column <= RS485Tab::ObjectColumn; ++column)
        QVERIFY(!row.table()->cellWidget(9, column)->isEnabled());
    // The row keeps showing what it showed, and is never counted as changed.
    QCOMPARE(row.address()->text(), QStringLiteral("77"));
    QVERIFY(!tab.isChannelChanged(9));
    QVERIFY(!row.markedBlue());
    // While the dialog is disabled for a command, the row's own state still answers.
    tab.setEnabled(false);
    QVERIFY(tab.isChannelEnabled(8));
    QVERIFY(!tab.isChannelEnabled(9));
    tab.setEnabled(true);

    tab.setRsSettings(9, {"8", "1", "78", "", "1", "0"});
    QVERIFY(tab.isChannelEnabled(9));
    QVERIFY(row.object()->isEnabled());
}

void TestRs485Tab::marksBeforeAndAfterReading()
{
    RS485Tab tab;
    const QString tip = QStringLiteral(
        "Номера каналов, отмеченные синим цветом, означают, что канал изменён (конфигурация "
        "канала в утилите не совпадает с конфигурацией канала в контроллере).\r\nПри нажатии на "
        "\"Записать настройки\", записываются только изменённые каналы.");
    QVERIFY(tab.hasChanges());
    for (int r = 0; r < RS485Tab::kRowCount; ++r) {
        QVERIFY(Row({tab, r}).markedBlue());
        QCOMPARE(Row({tab, r}).header()->foreground().color(), QColor(Qt::white));
        QCOMPARE(Row({tab, r}).header()->toolTip(), tip);
    }
    readAllOff(tab);
    const QPalette palette = QApplication::style()->standardPalette();
    for (int r = 0; r < RS485Tab::kRowCount; ++r) {
        QCOMPARE(Row({tab, r}).header()->background().color(), palette.color(QPalette::Window));
        QCOMPARE(Row({tab, r}).header()->foreground().color(), palette.color(QPalette::WindowText));
    }
    QVERIFY(!tab.hasChanges());
}

void TestRs485Tab::everyEditorMarksItsRow_data()
{
    QTest::addColumn<int>("column");
    QTest::newRow("device type") << int(RS485Tab::TypeColumn);
    QTest::newRow("protocol") << int(RS485Tab::ProtocolColumn);
    QTest::newRow("address") << int(RS485Tab::AddressColumn);
    QTest::newRow("password") << int(RS485Tab::PasswordColumn);
    QTest::newRow("KT") << int(RS485Tab::KtColumn);
    QTest::newRow("object") << int(RS485Tab::ObjectColumn);
}

void TestRs485Tab::everyEditorMarksItsRow()
{
    QFETCH(int, column);
    RS485Tab tab;
    readAllOff(tab);
    const Row row{tab, 8};
    QSignalSpy changedSpy(&tab, &RS485Tab::rsSettingsChanged);
    const auto edit = [&row, column](bool away) {
        switch (column) {
        case RS485Tab::TypeColumn: row.type()->setCurrentIndex(away ? 5 : 0); break;
        case RS485Tab::ProtocolColumn: row.protocol()->setCurrentIndex(away ? 3 : 0); break;
        case RS485Tab::AddressColumn: row.address()->setText(away ? "kv1" : "0"); break;
        case RS485Tab::PasswordColumn: row.password()->setText(away ? "1" : ""); break;
        case RS485Tab::KtColumn: row.kt()->setValue(away ? 2 : 1); break;
        default: row.object()->setText(away ? "1" : "0"); break;
        }
    };
    edit(true);
    QVERIFY(row.markedBlue());
    QCOMPARE(changedSpy.count(), 1);
    edit(false);
    QVERIFY(!row.markedBlue());
    QCOMPARE(changedSpy.count(), 2);
}

void TestRs485Tab::resetChannels()
{
    RS485Tab tab;
    tab.name_rs_channels(4);
    QCOMPARE(Row({tab, 31}).header()->text(), QStringLiteral("36"));
    readAllOff(tab);
    tab.setRsSettings(1, {"255", "0", "0", "", "0", "0"});
    tab.setRsSettings(2, {"8", "9", "247", "73041852", "5", "12"});
    tab.setRsData(2, {"40512377", "1", "2", "3", "4"});
    QVERIFY(tab.isChannelSelected(2));

    QSignalSpy readedSpy(&tab, &RS485Tab::rsSettingsReaded);
    tab.resetChannels();
    QCOMPARE(readedSpy.count(), 1);
    QCOMPARE(readedSpy.first().first().toBool(), false);
    for (int r : {1, 2}) {
        QVERIFY(tab.isChannelEnabled(r));
        QCOMPARE(Row({tab, r}).shown(), (QStringList{"0", "0", "0", "", "1", "0"}));
        QCOMPARE(tab.channelReadings(r), (QStringList{"-", "-,-,-,-"}));
        QVERIFY(!tab.isChannelSelected(r));
    }
    QCOMPARE(Row({tab, 0}).header()->text(), QStringLiteral("9"));
    QCOMPARE(Row({tab, 31}).header()->text(), QStringLiteral("40"));
    QCOMPARE(hint(tab), QString());
}

void TestRs485Tab::typeFiltersProtocolsAndKeepsChoice()
{
    RS485Tab tab;
    const Row row{tab, 20};
    QCOMPARE(row.enabledProtocols(), (QList<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    row.type()->setCurrentIndex(1);
    row.protocol()->setCurrentIndex(1);
    row.address()->setText(QStringLiteral("1"));
    QCOMPARE(tab.checkChannel(20), 0);
    // Heat (Wh) leaves only protocol 5; the chosen 1 stays and the row check objects.
    row.type()->setCurrentIndex(2);
    QCOMPARE(row.enabledProtocols(), QList<int>{5});
    QCOMPARE(row.protocol()->currentIndex(), 1);
    QCOMPARE(tab.checkChannel(20), 1);
    row.address()->clear();
    QCOMPARE(tab.checkChannel(20), 2);
    // Outside group editing, a meter selects its row and "off" clears it.
    QVERIFY(tab.isChannelSelected(20));
    QVERIFY(tab.isMeterChannel(20));
    row.type()->setCurrentIndex(0);
    QVERIFY(!tab.isChannelSelected(20));
    QVERIFY(!tab.isMeterChannel(20));
}

void TestRs485Tab::readings_data()
{
    QTest::addColumn<QStringList>("data");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("meter answered") << QStringList{"40512377", "100", "0", "0", "10000"}
                                    << QStringList{"40512377", "100,0,0,10000"};
    QTest::newRow("empty list") << QStringList{} << QStringList{"Нет связи!", "-,-,-,-"};
    QTest::newRow("empty serial") << QStringList{"", "0", "0", "0", "0"}
                                  << QStringList{"Нет связи!", "-,-,-,-"};
    QTest::newRow("16-character serial shown whole")
        << QStringList{"ABCDEFGHIJKLMNOP", "1", "2", "3", "4"}
        << QStringList{"ABCDEFGHIJKLMNOP", "1,2,3,4"};
}

void TestRs485Tab::readings()
{
    QFETCH(QStringList, data);
    QFETCH(QStringList, shown);
    RS485Tab tab;
    tab.setRsData(5, data);
    QCOMPARE(tab.channelReadings(5), shown);
    QCOMPARE(tab.channelReadings(4), (QStringList{"-", "-,-,-,-"}));
    tab.clearReadings();
    QCOMPARE(tab.channelReadings(5), (QStringList{"-", "-,-,-,-"}));
}

void TestRs485Tab::groupObjectSpreadsInOnePass()
{
    RS485Tab tab;
    readAllOff(tab);
    check(tab, "groupCheck")->setChecked(true);
    for (int r : {2, 3, 7})
        Row({tab, r}).select()->setChecked(true);
    QList<std::shared_ptr<QSignalSpy>> spies;
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        spies.append(std::make_shared<QSignalSpy>(Row({tab, r}).object(), &QLineEdit::textChanged));

    Row({tab, 10}).object()->selectAll();
    QTest::keyClicks(Row({tab, 10}).object(), QStringLiteral("5"));
    for (int r = 0; r < RS485Tab::kRowCount; ++r) {
        const bool touched = r == 2 || r == 3 || r == 7 || r == 10;
        QCOMPARE(Row({tab, r}).object()->text(), touched ? QStringLiteral("5") : QStringLiteral("0"));
        // One pass: each row is set once, the spread never comes back to it.
        QCOMPARE(spies[r]->count(), touched ? 1 : 0);
        QCOMPARE(Row({tab, r}).markedBlue(), touched);
    }
    QVERIFY(!tab.isChannelSelected(10));
}

void TestRs485Tab::groupDeviceTypeFiltersEverySelectedRow()
{
    RS485Tab tab;
    check(tab, "groupCheck")->setChecked(true);
    for (int r : {1, 4})
        Row({tab, r}).select()->setChecked(true);
    Row({tab, 4}).type()->setCurrentIndex(4);
    for (int r : {1, 4}) {
        QCOMPARE(Row({tab, r}).type()->currentIndex(), 4);
        QCOMPARE(Row({tab, r}).enabledProtocols(), (QList<int>{10, 11}));
        QVERIFY(tab.isChannelSelected(r));
    }
    QCOMPARE(Row({tab, 0}).type()->currentIndex(), 0);
    // An edit in an unselected row reaches the selected ones and leaves its own box alone.
    Row({tab, 6}).type()->setCurrentIndex(2);
    QVERIFY(!tab.isChannelSelected(6));
    QCOMPARE(Row({tab, 1}).enabledProtocols(), QList<int>{5});
}

void TestRs485Tab::groupEditing_data()
{
    QTest::addColumn<bool>("group");
    QTest::addColumn<bool>("fromController");
    QTest::newRow("edits spread with group on") << true << false;
    QTest::newRow("rows filled from the controller spread too") << true << true;
    QTest::newRow("nothing spreads with group off") << false << false;
}

void TestRs485Tab::groupEditing()
{
    QFETCH(bool, group);
    QFETCH(bool, fromController);
    RS485Tab tab;
    check(tab, "groupCheck")->setChecked(group);
    for (int r : {2, 30})
        Row({tab, r}).select()->setChecked(true);
    const QStringList values{"3", "7", "kv7", "pw", "200", "4321"};
    if (fromController) {
        tab.setRsSettingsReaded(true, false);
        tab.setRsSettings(0, {"13", "7", "4194304059", "pw", "200", "4321"});
    } else {
        const Row from{tab, 0};
        from.type()->setCurrentIndex(3);
        from.protocol()->setCurrentIndex(7);
        from.address()->setText(QStringLiteral("kv7"));
        from.password()->setText(QStringLiteral("pw"));
        from.kt()->setValue(200);
        from.object()->setText(QStringLiteral("4321"));
    }
    QCOMPARE(Row({tab, 0}).shown(), values);
    const QStringList untouched{"0", "0", "0", "", "1", "0"};
    for (int r : {2, 30})
        QCOMPARE(Row({tab, r}).shown(), group ? values : untouched);
    QCOMPARE(Row({tab, 29}).shown(), untouched);
}

void TestRs485Tab::passwordLimitCutsOnlyTyping()
{
    RS485Tab tab;
    QTest::keyClicks(Row({tab, 0}).password(), QStringLiteral("1234567890"));
    QCOMPARE(Row({tab, 0}).password()->text(), QStringLiteral("123456789"));
    // A longer password from the controller is not cut, nor when it spreads to a group.
    check(tab, "groupCheck")->setChecked(true);
    Row({tab, 9}).select()->setChecked(true);
    tab.setRsSettings(1, {"8", "1", "1", "abcdefghij", "1", "0"});
    QCOMPARE(tab.channelSettings(9).value(4), QStringLiteral("abcdefghij"));
}

void TestRs485Tab::selectAll()
{
    RS485Tab tab;
    QCheckBox *all = check(tab, "selectAllCheck");
    QVERIFY(!all->isChecked());
    QVERIFY(tab.readSelectedOnly());
    QVERIFY(!check(tab, "groupCheck")->isChecked());
    all->setChecked(true);
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        QVERIFY(tab.isChannelSelected(r));
    Row({tab, 3}).select()->setChecked(false);
    QVERIFY(all->isChecked());
    all->setChecked(false);
    for (int r = 0; r < RS485Tab::kRowCount; ++r)
        QVERIFY(!tab.isChannelSelected(r));
}

void TestRs485Tab::headerDoubleClickTogglesTwice()
{
    RS485Tab tab;
    tab.resize(900, 600);
    tab.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tab));
    readAllOff(tab);
    Row({tab, 5}).object()->setText(QStringLiteral("1"));
    QHeaderView *header = Row({tab, 0}).table()->horizontalHeader();
    const auto doubleClick = [header](int section) {
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                           QPoint(header->sectionViewportPosition(section)
                                      + header->sectionSize(section) / 2,
                                  header->height() / 2));
    };
    QSignalSpy readedSpy(&tab, &RS485Tab::rsSettingsReaded);

    doubleClick(RS485Tab::AddressColumn);
    QCOMPARE(readedSpy.count(), 0);
    doubleClick(RS485Tab::SelectColumn);
    QCOMPARE(readedSpy.count(), 1);
    QCOMPARE(readedSpy.last().first().toBool(), false);
    QVERIFY(Row({tab, 4}).markedBlue());
    doubleClick(RS485Tab::SelectColumn);
    QCOMPARE(readedSpy.count(), 2);
    QCOMPARE(readedSpy.last().first().toBool(), true);
    QVERIFY(!Row({tab, 4}).markedBlue());
    QVERIFY(Row({tab, 5}).markedBlue());
}

void TestRs485Tab::hints_data()
{
    QTest::addColumn<int>("protocol");
    QTest::addColumn<QString>("text");
    const QString allDigits = QStringLiteral(
        "⚠ широковещательный не поддерживается, адрес все цифры заводского номера, пароля нет.");
    const QString eightDigits = QStringLiteral(
        "⚠ широковещательный не поддерживается, адрес восемь цифр заводского номера без года, "
        "пароля нет.");
    const QString nineDigits = QStringLiteral(
        "⚠ широковещательный по адресу пусто, адрес последние девять цифр заводского номера, "
        "пароля нет.");
    const QString texts[] = {
        QString(),
        QStringLiteral("⚠ широковещательный по адресу 0, адрес три цифры заводского номера слева "
                       "от знака МИНУС/ПРОБЕЛ, если они более 240, то две цифры, заводской пароль "
                       "582946."),
        QStringLiteral("⚠ широковещательный не поддерживается, адрес шесть цифр заводского номера "
                       "слева от знака МИНУС/ПРОБЕЛ, пароля нет."),
        nineDigits, nineDigits, allDigits, eightDigits, allDigits,
        QStringLiteral("⚠ широковещательный по адресу пусто, адрес все цифры заводского номера "
                       "после символа №, заводской пароль 73041852."),
        QStringLiteral("⚠ широковещательный по адресу 0, адрес фиксированный 247, заводской "
                       "пароль 73041852."),
        allDigits, eightDigits};
    for (int p = 0; p < 12; ++p)
        QTest::newRow(qPrintable(QStringLiteral("protocol %1").arg(p))) << p << texts[p];
}

void TestRs485Tab::hints()
{
    QFETCH(int, protocol);
    QFETCH(QString, text);
    RS485Tab tab;
    const int other = protocol == 9 ? 1 : 9;
    Row({tab, 11}).protocol()->setCurrentIndex(other);
    Row({tab, 11}).protocol()->setCurrentIndex(protocol);
    QCOMPARE(hint(tab), text);
    // The hint follows the row touched last.
    Row({tab, 2}).protocol()->setCurrentIndex(other);
    QVERIFY(hint(tab) != text);
    Row({tab, 11}).password()->setText(QStringLiteral("x"));
    QCOMPARE(hint(tab), text);
}

void TestRs485Tab::indexesOutsideTableAreIgnored()
{
    RS485Tab tab;
    readAllOff(tab);
    for (int index : {-1, 32, 255}) {
        tab.setRsSettings(index, {"8", "1", "1", "", "1", "0"});
        tab.changeRsSettings(index, {"8", "1", "1", "", "1", "0"});
        tab.setRsData(index, {"1", "2", "3", "4", "5"});
        QVERIFY(!tab.isChannelEnabled(index));
        QCOMPARE(tab.channelSettings(index), QStringList());
    }
    QVERIFY(!tab.hasChanges());
    // Short or odd lists read as 0 and never crash.
    tab.setRsSettings(0, {"x"});
    QCOMPARE(tab.channelSettings(0), (QStringList{"0", "0", "0", "", "", "1", "0"}));
    tab.setRsData(0, {"SN"});
    QCOMPARE(tab.channelReadings(0), (QStringList{"SN", ",,,"}));
}

QTEST_MAIN(TestRs485Tab)
#include "tst_rs485tab.moc"
