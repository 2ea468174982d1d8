#pragma once

// The controllers of the history as a table model: a fleet of ten thousand shows at once,
// since the view asks only for the rows on screen.

#include "store/historystore.h"

#include <QAbstractTableModel>

class ControllerListModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { SerialColumn, LastSeenColumn, FirmwareColumn, ServerColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setControllers(const QList<ControllerEntry> &list);
    QString serialAt(int row) const;
    int rowOf(const QString &serial) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<ControllerEntry> controllers;
};
