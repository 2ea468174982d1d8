// "История настроек" on a real history (SQLite, and PostgreSQL when scripts/test gives one):
// the list, the filter, the comparison and when a version may be laid into the tabs, all
// answered from the store's thread (the restore itself: tst_road_history).

#include "store/historystore.h"
#include "ui/history/historywindow.h"
#include "ui/journal/trafficwindow.h"
#include "ui/dialog/tabdialog.h"
#include "../../store/testdatabase.h"

#include <QLabel>
#include <QtTest>

#include <QJsonArray>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>

namespace {

const QString kSerial = QStringLiteral("T3-0421-0077");

QJsonObject document(const QString &serial, int port)
{
    return QJsonObject{
        {"format", 1},
        {"controller", QJsonObject{{"serialNumber", serial}, {"firmwareVersion", "1.4.2"},
                                   {"serverIp", "10.0.0.1"}, {"serverPort", port}}},
        {"analog", QJsonArray{QJsonObject{{"channel", 1}, {"multiplier", 1}, {"reading", 5.0}}}},
    };
}

} // namespace

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir dir;

private slots:
    void findCompareRestore_data() { TestDatabase::addBackendRows(); }

    void findCompareRestore()
    {
        HISTORY_OR_SKIP(uri, dir);
        HistoryLocation where;
        QString error;
        QVERIFY(HistoryLocation::parse(uri, &where, &error));
        {
            HistoryStore store;
            QVERIFY(store.open(where));
            for (const auto &[serial, port] : {std::pair{kSerial, 80}, std::pair{kSerial, 8081},
                                               std::pair{QStringLiteral("T3-0000-0001"), 80}}) {
                const QJsonObject d = document(serial, port);
                QCOMPARE(store.store(SnapshotMeta::forDocument(d, SnapshotMeta::Read), d),
                         HistoryStore::Ok);
            }
        }
        HistoryWindow window;
        window.setLocation(where);
        window.showWindow();
        auto *controllers = window.findChild<QTableView *>("controllersTable");
        auto *versions = window.findChild<QTableWidget *>("versionsTable");
        auto *diff = window.findChild<QPlainTextEdit *>("diffView");
        auto *restore = window.findChild<QPushButton *>("restoreButton");
        QVERIFY(controllers && versions && diff && restore);
        QCOMPARE(restore->text(), QString("Загрузить в таблицы"));
        QTRY_COMPARE(controllers->model()->rowCount(), 2);

        // The fleet's controllers that send to port 8081.
        window.findChild<QLineEdit *>("filterEdit")->setText("8081");
        QTRY_COMPARE(controllers->model()->rowCount(), 1);
        controllers->selectRow(0);
        QTRY_COMPARE(versions->rowCount(), 2);
        QCOMPARE(versions->item(0, 0)->text(), QString("2")); // newest first
        versions->selectAll();
        QTRY_VERIFY(diff->toPlainText().contains("Контроллер: Порт: 80 → 8081"));

        // Restore: only into the connected controller, once its tabs were read.
        versions->selectRow(1);
        QVERIFY(!restore->isEnabled());
        window.setConnectedController(kSerial, false);
        QVERIFY(!restore->isEnabled());
        window.setConnectedController("T3-0000-0001", true);
        QVERIFY(!restore->isEnabled());
        window.setConnectedController(kSerial, true);
        QVERIFY(restore->isEnabled());
    }

    // The window says it on its status line and in the journal, and goes on.
    void unusableHistorySaysSo()
    {
        QFile blocker(dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        HistoryLocation where;
        where.file = blocker.fileName() + "/history.sqlite";
        TabDialog dialog;
        dialog.setHistoryLocation(where);
        dialog.history()->storeSnapshot(document(kSerial, 80), SnapshotMeta::Read);
        const auto *status = dialog.findChild<QLabel *>("statusLabel");
        QTRY_VERIFY_WITH_TIMEOUT(status->text().startsWith("История настроек недоступна"), 10000);
        QVERIFY(dialog.trafficJournal()->text().contains("История настроек недоступна"));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
