#pragma once

// "История настроек": the controllers the history knows, a filter, the chosen controller's
// versions and what changed between two of them; lays a version into the tabs. Every question
// to the database goes to the store's own thread and comes back by a signal.

#include "protocol/history/snapshotmeta.h"
#include "store/historylocation.h"
#include "store/historystore.h"

#include <QJsonObject>
#include <QThread>
#include <QWidget>

class ControllerListModel;
class HistoryService;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTableWidget;
class QTimer;

class HistoryWindow : public QWidget
{
    Q_OBJECT

public:
    explicit HistoryWindow(QWidget *parent = nullptr);
    ~HistoryWindow() override;

    // Where the history lives; until it is set the window keeps nothing and shows nothing.
    void setLocation(const HistoryLocation &location);
    bool hasLocation() const { return service != nullptr; }
    // The connected controller and whether its three tabs were read in this session: only
    // then can a version of it be laid into the tabs.
    void setConnectedController(const QString &serial, bool tabsRead);

public slots:
    // After a complete read, and after a write the controller answered.
    void storeSnapshot(const QJsonObject &document, SnapshotMeta::Kind kind);
    void showWindow();
    void refresh();

signals:
    // The chosen version's settings for the tabs, as an import lays a file.
    void restoreRequested(const QJsonObject &document);
    // The history cannot be used: for the status line and the journal, once.
    void unavailable(const QString &text);
    // For tests and the dialog: a snapshot went into the history.
    void snapshotStored(const QString &serial, int version, bool added);

    // To the store's thread.
    void requestControllers(const QString &filter, int request);
    void requestVersions(const QString &serial);
    void requestComparison(const QString &serial, int a, int b);
    void requestDocument(const QString &serial, int version);
    void requestStore(const QJsonObject &document, int kind);

private:
    enum VersionColumn { NumberColumn, TimeColumn, KindColumn, UserColumn, SummaryColumn };

    void showControllers(int request, const QList<ControllerEntry> &controllers);
    void showVersions(const QString &serial, const QList<VersionEntry> &versions);
    void showComparison(const QString &serial, int a, int b, const QStringList &lines);
    void documentArrived(const QString &serial, int version, const QJsonObject &document);
    void controllerChosen();
    void versionsChosen();
    void updateRestoreButton();
    QString chosenSerial() const;
    QList<int> chosenVersions() const;

    QThread storeThread;
    HistoryService *service = nullptr;
    QLineEdit *filterEdit = nullptr;
    ControllerListModel *controllerList = nullptr;
    QTableView *controllersTable = nullptr;
    QTableWidget *versionsTable = nullptr;
    QPlainTextEdit *diffView = nullptr;
    QPushButton *restoreButton = nullptr;
    QLabel *stateLabel = nullptr;
    QTimer *filterTimer = nullptr;
    QString versionsSerial;
    QString connectedSerial;
    bool connectedTabsRead = false;
    int lastRequest = 0;
};
