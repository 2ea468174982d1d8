#pragma once

// Who and what made a snapshot of a controller's settings, beside the document itself.

#include <QDateTime>
#include <QJsonObject>
#include <QString>

struct SnapshotMeta {
    // Stored by key, shown by text; the keys never change, the history outlives a release.
    enum Kind { Read, Write, Restore };

    QString serial;
    QString hardware;
    QString firmware;
    QDateTime takenAt; // UTC
    Kind kind = Read;
    QString user;
    QString host;

    // Identification from the document's controller section, the time now, the login and
    // machine names of this process.
    static SnapshotMeta forDocument(const QJsonObject &document, Kind kind);

    static QString kindKey(Kind kind);
    static Kind kindForKey(const QString &key);
    // "чтение", "запись", "восстановление".
    static QString kindText(Kind kind);
};
