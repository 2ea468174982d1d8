// The digital channel table: showing and storing settings, change marks, protocol filter,
// readings, group editing, select-all, the header toggle and the protocol hints.

#include "ui/channels/rs485tab.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QTableWidget>
#include <QtTest>

namespace {

const QColor kBlue = QColor::fromRgbF(0.0f, 0.470588f, 0.843137f, 1.0f);
const QStringList kNoReadings{"-", "-,-,-,-"};

// Editors of one table row, found as the user sees them.
struct Row {
    RS485Tab &tab;
    int row;

    QTableWidget *table() const { return tab.findChild<QTableWidget *>(QStringLiteral("rs485Table")); }
    template <typename W>
    W *cell(int column) const { return qobject_cast<W *>(table()->cellWidget(row, column)); }
    QCheckBox *select() const { return cell<QCheckBox>(RS485Tab::SelectColumn); }
    QComboBox *type() const { return cell<QComboBox>(RS485Tab::TypeColumn); }
    QComboBox *protocol() const { return cell<QComboBox>(RS485Tab::ProtocolColumn); }
    QLineEdit *address() const { return cell<QLineEdit>(RS485Tab::AddressColumn); }
    QLineEdit *password() const { return cell<QLineEdit>(RS485Tab::PasswordColumn); }
    QSpinBox *kt() const { return cell<QSpinBox>(RS485Tab::KtColumn); }
    QLineEdit *object() const { return cell<QLineEdit>(RS485Tab::ObjectColumn); }
    bool markedBlue() const { return table()->verticalHeaderItem(row)->background().color() == kBlue; }
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

void setGroup(RS485Tab &tab, bool on, const QList<int> &selected)
{
    tab.findChild<QCheckBox *>(QStringLiteral("groupCheck"))->setChecked(on);
    for (int r : selected)
        Row({tab, r}).select()->setChecked(true);
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
    void everyEditorMarksItsRow();
    void missingChannelsAndReset();
    void typeFiltersProtocolsAndKeepsChoice();
    void passwordLimitCutsOnlyTyping();
    void headerDoubleClickTogglesTwice();
    void hintFollowsTheRowTouchedLast();
    void oddInputIsIgnored();
};

void TestRs485Tab::storedAndShown_data()
{
    QTest::addColumn<QStringList>("list");
    QTest::addColumn<QStringList>("shown"); // positions, texts and values of the editors
    QTest::addColumn<bool>("changed");
    QTest::addColumn<QString>("typed"); // another form of the stored address, typed over it

    QTest::newRow("electricity kv123 unchanged, typed kv0000123")
        << QStringList{"8", "1", "4194304987", "", "1", "7"}
        << QStringList{"1", "1", "kv123", "", "1", "7"} << false << "kv0000123";
    QTest::newRow("cold water decimal address, 10-char password")
        << QStringList{"1", "10", "12345", "1234567890", "3", "9999"}
        << QStringList{"4", "10", "12345", "1234567890", "3", "9999"} << false << "";
    // Codes the lists do not name show no choice (-1) and go back as read.
    QTest::newRow("code 3 shows no device, unchanged") << QStringList{"3", "0", "0", "", "1", "0"}
        << QStringList{"-1", "0", "0", "", "1", "0"} << false << "";
    QTest::newRow("protocol 12 shows no protocol, unchanged") << QStringList{"8", "12", "5", "", "1", "0"}
        << QStringList{"1", "-1", "5", "", "1", "0"} << false << "";
}

void TestRs485Tab::storedAndShown()
{
    QFETCH(QStringList, list);
    QFETCH(QStringList, shown);
    QFETCH(bool, changed);
    QFETCH(QString, typed);
    RS485Tab tab;
    const Row row{tab, 6};
    // Nothing read yet: every row differs from the controller.
    QVERIFY(tab.hasChanges());
    QVERIFY(row.markedBlue());
    readAllOff(tab);
    QVERIFY(!tab.hasChanges());
    tab.setRsSettings(6, list);
    QCOMPARE(row.shown(), shown);
    QCOMPARE(tab.isChannelChanged(6), changed);
    QCOMPARE(row.markedBlue(), changed);
    QCOMPARE(tab.hasChanges(), changed);
    if (!changed)
        QCOMPARE(tab.channelSettings(6), QStringList{"6"} + list);
    // Showing a list without storing it marks the row; showing the stored one clears it.
    tab.changeRsSettings(6, {"7", "5", "10", "", "1", "0"});
    QVERIFY(tab.isChannelChanged(6));
    tab.changeRsSettings(6, list);
    QCOMPARE(tab.isChannelChanged(6), changed);
    if (typed.isEmpty())
        return;
    row.address()->selectAll();
    QTest::keyClicks(row.address(), typed);
    QCOMPARE(row.address()->text(), typed);
    QVERIFY(!tab.isChannelChanged(6));
    QCOMPARE(tab.channelSettings(6).value(3), list.value(2));
}

void TestRs485Tab::everyEditorMarksItsRow()
{
    RS485Tab tab;
    readAllOff(tab);
    QSignalSpy changedSpy(&tab, &RS485Tab::rsSettingsChanged);
    // One editor per row, away from the stored value and back.
    const auto edit = [&tab](bool away) {
        Row({tab, 1}).type()->setCurrentIndex(away ? 5 : 0);
        Row({tab, 2}).protocol()->setCurrentIndex(away ? 3 : 0);
        Row({tab, 3}).address()->setText(away ? "kv1" : "0");
        Row({tab, 4}).password()->setText(away ? "1" : "");
        Row({tab, 5}).kt()->setValue(away ? 2 : 1);
        Row({tab, 6}).object()->setText(away ? "1" : "0");
    };
    edit(true);
    Row({tab, 7}).kt()->setValue(0); // a КТ of 0 is kept as read, never chosen
    for (int r = 0; r < 8; ++r)
        QCOMPARE(Row({tab, r}).markedBlue(), r >= 1 && r <= 6);
    QCOMPARE(changedSpy.count(), 6);
    edit(false);
    for (int r = 1; r <= 6; ++r)
        QVERIFY(!Row({tab, r}).markedBlue());
    QCOMPARE(changedSpy.count(), 12);
}

void TestRs485Tab::missingChannelsAndReset()
{
    RS485Tab tab;
    tab.name_rs_channels(4);
    readAllOff(tab);
    tab.setRsSettings(1, {"8", "1", "77", "", "2", "5"});
    tab.setRsSettings(1, {"255", "0", "0", "", "0", "0"});
    tab.setRsSettings(2, {"255", "0", "0", "", "0", "0"});
    tab.setRsSettings(2, {"8", "9", "247", "73041852", "5", "12"});
    QVERIFY(Row({tab, 2}).object()->isEnabled()); // a channel that reappears is editable again
    // A channel the controller lacks keeps showing what it showed, disabled and never changed.
    QVERIFY(!tab.isChannelEnabled(1));
    for (int column = RS485Tab::TypeColumn; column <= RS485Tab::ObjectColumn; ++column)
        QVERIFY(!Row({tab, 1}).table()->cellWidget(1, column)->isEnabled());
    QCOMPARE(Row({tab, 1}).address()->text(), QStringLiteral("77"));
    QVERIFY(!tab.isChannelChanged(1) && !Row({tab, 1}).markedBlue());
    // While the dialog is disabled for a command, the row's own state still answers.
    tab.setEnabled(false);
    QVERIFY(tab.isChannelEnabled(2) && !tab.isChannelEnabled(1));
    tab.setEnabled(true);
    tab.setRsData(2, {"40512377", "1", "2", "3", "4"});
    QVERIFY(tab.isReadFromController());
    QSignalSpy readedSpy(&tab, &RS485Tab::rsSettingsReaded);
    tab.resetChannels();
    QVERIFY(!tab.isReadFromController()); // the next session may be another controller
    QCOMPARE(readedSpy.count(), 1);
    QCOMPARE(readedSpy.first().first().toBool(), false);
    for (int r : {1, 2}) {
        QVERIFY(tab.isChannelEnabled(r));
        QCOMPARE(Row({tab, r}).shown(), (QStringList{"0", "0", "0", "", "1", "0"}));
        QCOMPARE(tab.channelReadings(r), kNoReadings);
        QVERIFY(!tab.isChannelSelected(r));
    }
    // Numbering goes back to eight analog channels before the digital ones.
    QCOMPARE(Row({tab, 31}).table()->verticalHeaderItem(31)->text(), QStringLiteral("40"));
    QCOMPARE(hint(tab), QString());
}

void TestRs485Tab::typeFiltersProtocolsAndKeepsChoice()
{
    RS485Tab tab;
    const Row row{tab, 20};
    row.type()->setCurrentIndex(1);
    row.protocol()->setCurrentIndex(1);
    row.address()->setText(QStringLiteral("1"));
    QCOMPARE(tab.checkChannel(20), 0);
    // Heat (Wh) leaves only protocol 5; the chosen 1 stays and the row check objects.
    row.type()->setCurrentIndex(2);
    QCOMPARE(row.enabledProtocols(), QList<int>{5});
    QCOMPARE(row.protocol()->currentIndex(), 1);
    QCOMPARE(tab.checkChannel(20), 1);
    // Outside group editing, a meter selects its row and "off" clears it.
    QVERIFY(tab.isChannelSelected(20));
    row.type()->setCurrentIndex(0);
    QVERIFY(!tab.isChannelSelected(20));
    // A type chosen in group editing filters the protocols of the rows it spreads to.
    setGroup(tab, true, {20, 21});
    row.type()->setCurrentIndex(2);
    emit row.type()->activated(2);
    QCOMPARE(Row({tab, 21}).enabledProtocols(), QList<int>{5});
}

void TestRs485Tab::passwordLimitCutsOnlyTyping()
{
    RS485Tab tab;
    QTest::keyClicks(Row({tab, 0}).password(), QStringLiteral("1234567890"));
    QCOMPARE(Row({tab, 0}).password()->text(), QStringLiteral("123456789"));
    // A longer password from the controller is not cut, and a fill does not spread.
    setGroup(tab, true, {9});
    const QStringList longPassword{"8", "1", "1", "abcdefghij", "1", "0"};
    tab.setRsSettings(1, longPassword);
    QCOMPARE(tab.channelSettings(1).value(4), QStringLiteral("abcdefghij"));
    QCOMPARE(tab.channelSettings(9).value(4), QString());

    // A shorter password replacing it is never preceded by a cut one.
    const QLineEdit *read = Row({tab, 1}).password();
    QSignalSpy readSpy(read, &QLineEdit::textChanged);
    tab.setRsSettings(1, {"8", "1", "1", "pw", "1", "0"});
    QCOMPARE(readSpy.count(), 1);
    QCOMPARE(readSpy.first().first().toString(), QStringLiteral("pw"));

    // Once a ten-character password has been shown, typing still stops at nine, and the
    // engineer's edit is what spreads.
    tab.setRsSettings(1, longPassword);
    QLineEdit *edit = Row({tab, 1}).password();
    edit->end(false);
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, QStringLiteral("X"));
    QCOMPARE(edit->text(), QStringLiteral("abcdefghi"));
    QCOMPARE(tab.channelSettings(9).value(4), QStringLiteral("abcdefghi"));
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

void TestRs485Tab::hintFollowsTheRowTouchedLast()
{
    RS485Tab tab;
    const QString factory = QStringLiteral(
        "⚠ широковещательный по адресу 0, адрес фиксированный 247, заводской пароль 73041852.");
    Row({tab, 11}).protocol()->setCurrentIndex(9);
    QCOMPARE(hint(tab), factory);
    Row({tab, 2}).protocol()->setCurrentIndex(1);
    QVERIFY(hint(tab).contains(QStringLiteral("заводской пароль 582946")));
    Row({tab, 11}).password()->setText(QStringLiteral("x"));
    QCOMPARE(hint(tab), factory);
}

void TestRs485Tab::oddInputIsIgnored()
{
    RS485Tab tab;
    readAllOff(tab);
    const QStringList meter{"8", "1", "1", "", "1", "0"};
    for (int index : {-1, 32, 255}) {
        tab.setRsSettings(index, meter);
        tab.changeRsSettings(index, meter);
        tab.setRsData(index, meter);
        QCOMPARE(tab.channelSettings(index), QStringList());
    }
    QVERIFY(!tab.hasChanges());
    // Short or odd lists read as 0 or empty and never crash.
    tab.setRsSettings(0, {"x"});
    QCOMPARE(tab.channelSettings(0), (QStringList{"0", "0", "0", "", "", "1", "0"}));
    tab.setRsData(0, {"SN"});
    QCOMPARE(tab.channelReadings(0), (QStringList{"SN", ",,,"}));
    tab.setRsData(1, {});
    QCOMPARE(tab.channelReadings(1), (QStringList{"Нет связи!", "-,-,-,-"}));
    tab.clearReadings();
    QCOMPARE(tab.channelReadings(0), kNoReadings);
}

QTEST_MAIN(TestRs485Tab)
#include "tst_rs485tab.moc"
