#pragma once

// The history for a window: a HistoryStore on a thread of its own, asked and answered by
// queued signals, so that a slow or locked database never holds the user interface. Opens
// the history at the first request; a failure is reported once until the history works again.

#include "store/historystore.h"

#include <QObject>

#include <memory>

class HistoryService : public QObject
{
    Q_OBJECT

public:
    explicit HistoryService(const HistoryLocation &location, QObject *parent = nullptr);
    ~HistoryService() override;

public slots:
    void storeSnapshot(const QJsonObject &document, int kind);
    void listControllers(const QString &filter, int request);
    void listVersions(const QString &serial);
    void compareVersions(const QString &serial, int a, int b);
    void fetchDocument(const QString &serial, int version);

signals:
    void stored(const QString &serial, int version, bool added);
    void controllersListed(int request, const QList<ControllerEntry> &controllers);
    void versionsListed(const QString &serial, const QList<VersionEntry> &versions);
    void versionsCompared(const QString &serial, int a, int b, const QStringList &lines);
    void documentFetched(const QString &serial, int version, const QJsonObject &document);
    // The history cannot be opened or used; said once until a request succeeds again.
    void unavailable(const QString &text);

private:
    bool ready();
    bool check(HistoryStore::Status status);

    HistoryLocation location;
    // Made on the service's thread: a connection belongs to the thread that opened it.
    std::unique_ptr<HistoryStore> store;
    bool reported = false;
};
