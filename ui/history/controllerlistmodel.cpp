#include "ui/history/controllerlistmodel.h"

#include <algorithm>

void ControllerListModel::setControllers(const QList<ControllerEntry> &list)
{
    beginResetModel();
    controllers = list;
    endResetModel();
}

QString ControllerListModel::serialAt(int row) const
{
    return row >= 0 && row < controllers.size() ? controllers.at(row).serial : QString();
}

int ControllerListModel::rowOf(const QString &serial) const
{
    // The list comes ordered by serial number.
    const auto it = std::lower_bound(
        controllers.begin(), controllers.end(), serial,
        [](const ControllerEntry &c, const QString &s) { return c.serial < s; });
    return it != controllers.end() && it->serial == serial ? int(it - controllers.begin()) : -1;
}

int ControllerListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(controllers.size());
}

int ControllerListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ControllerListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= controllers.size())
        return QVariant();
    const ControllerEntry &c = controllers.at(index.row());
    switch (index.column()) {
    case SerialColumn:
        return c.serial;
    case LastSeenColumn:
        return c.lastSeen.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
    case FirmwareColumn:
        return c.firmware;
    case ServerColumn:
        return c.server;
    default:
        return QVariant();
    }
}

QVariant ControllerListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SerialColumn:
        return tr("Серийный номер");
    case LastSeenColumn:
        return tr("Последний раз");
    case FirmwareColumn:
        return tr("Прошивка");
    case ServerColumn:
        return tr("Адрес сервера");
    default:
        return QVariant();
    }
}
