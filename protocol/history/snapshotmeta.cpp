#include "protocol/history/snapshotmeta.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSysInfo>

namespace {

struct KindName {
    SnapshotMeta::Kind kind;
    const char *key;
    const char *text;
};

constexpr KindName kKinds[] = {
    {SnapshotMeta::Read, "read", QT_TRANSLATE_NOOP("SnapshotMeta", "чтение")},
    {SnapshotMeta::Write, "write", QT_TRANSLATE_NOOP("SnapshotMeta", "запись")},
    {SnapshotMeta::Restore, "restore", QT_TRANSLATE_NOOP("SnapshotMeta", "восстановление")},
};

QString loginName()
{
    for (const char *variable : {"USER", "LOGNAME", "USERNAME"}) {
        const QString name = qEnvironmentVariable(variable);
        if (!name.isEmpty())
            return name;
    }
    // A service or a container may run without any of them; the home folder bears the name.
    return QFileInfo(QDir::homePath()).fileName();
}

} // namespace

SnapshotMeta SnapshotMeta::forDocument(const QJsonObject &document, Kind kind)
{
    const QJsonObject controller = document.value(QLatin1String("controller")).toObject();
    SnapshotMeta meta;
    meta.serial = controller.value(QLatin1String("serialNumber")).toString();
    meta.hardware = controller.value(QLatin1String("hardwareVersion")).toString();
    meta.firmware = controller.value(QLatin1String("firmwareVersion")).toString();
    meta.takenAt = QDateTime::currentDateTimeUtc();
    meta.kind = kind;
    meta.user = loginName();
    meta.host = QSysInfo::machineHostName();
    return meta;
}

QString SnapshotMeta::kindKey(Kind kind)
{
    return QLatin1String(kKinds[kind].key);
}

SnapshotMeta::Kind SnapshotMeta::kindForKey(const QString &key)
{
    for (const KindName &k : kKinds) {
        if (key == QLatin1String(k.key))
            return k.kind;
    }
    return Read;
}

QString SnapshotMeta::kindText(Kind kind)
{
    return QCoreApplication::translate("SnapshotMeta", kKinds[kind].text);
}
