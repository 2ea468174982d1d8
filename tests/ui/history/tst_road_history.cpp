// A wrong write undone from "История настроек" against the simulated controller, on SQLite
// and on the PostgreSQL server scripts/test starts: read, change, write, lay the version the
// reads stored into the tabs, write again, and the controller holds what it held before.

#include "../roadsupport.h"
#include "../../store/testdatabase.h"
#include "ui/history/historywindow.h"

#include <QTableView>

class TestRoadHistory : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void undoWrite_data() { TestDatabase::addBackendRows(); }

    void undoWrite()
    {
        HISTORY_OR_SKIP(uri, dir);
        HistoryLocation where;
        QString error;
        QVERIFY(HistoryLocation::parse(uri, &where, &error));
        Road road;
        road.dialog->setHistoryLocation(where);
        HistoryWindow *history = road.dialog->history();
        QSignalSpy stored(history, &HistoryWindow::snapshotStored);
        const auto held = [&road] {
            return road.sim->withModel([](ControllerModel &m) { return m.heldRecords(); });
        };
        const QByteArray before = held();

        // Each complete read stores what the session read so far: version 3 holds all tabs.
        QVERIFY(road.started && road.readTabs({0, 1, 2}));
        QTRY_COMPARE(stored.count(), 3);
        road.showTab(0);
        Road::typeOver(road.find<QLineEdit>("apiGetEdit"), "/wrong");
        road.prompts.answers = QList<bool>(8, true); // keep PSM on, accept the contact sensor's LK
        QVERIFY(road.click("writeSettingsButton"));
        road.showTab(1);
        road.cell("analogTable", 0, AnalogTab::ObjectColumn)->setText("77");
        QVERIFY(road.click("writeSettingsButton"));
        QTRY_COMPARE(stored.count(), 5);
        QVERIFY(held() != before);

        QVERIFY(road.button("historyButton")->isEnabled());
        road.button("historyButton")->click();
        QVERIFY(history->isVisible());
        QCOMPARE(history->objectName(), QString("historyWindow"));
        auto *controllers = history->findChild<QTableView *>("controllersTable");
        auto *versions = history->findChild<QTableWidget *>("versionsTable");
        QTRY_COMPARE(controllers->model()->rowCount(), 1);
        controllers->selectRow(0);
        QTRY_COMPARE(versions->rowCount(), 5);
        QCOMPARE(versions->item(0, 2)->text(), QString("запись"));
        versions->selectRow(2); // newest first: version 3
        QCOMPARE(versions->item(2, 0)->text(), QString("3"));
        history->findChild<QPushButton *>("restoreButton")->click();
        QTRY_COMPARE(road.find<QLineEdit>("apiGetEdit")->text(), QString("/sensor/get"));
        // Shown as changes until written; the meters' counters go as the controller has them.
        auto *analog = road.dialog->findChild<AnalogTab *>();
        QVERIFY(analog->hasChanges() && road.dialog->findChild<SettingsTab *>()->hasChanges());
        QCOMPARE(analog->getComWriteData(0), QStringList{QString()});

        QVERIFY(road.click("writeSettingsButton"));
        road.showTab(0);
        QVERIFY(road.click("writeSettingsButton"));
        QCOMPARE(held().toHex(' '), before.toHex(' '));
        QTRY_COMPARE(stored.count(), 7);
        QTRY_COMPARE(versions->rowCount(), 7);
        for (int row : {0, 1})
            QCOMPARE(versions->item(row, 2)->text(), QString("восстановление"));
    }
};

QTEST_MAIN(TestRoadHistory)
#include "tst_road_history.moc"
