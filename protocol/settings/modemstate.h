#pragma once

// The modem's network session as the controller reports it (commands 136 and 137).

#include <QString>
#include <QStringList>

struct ModemState {
    bool sessionRunning = false;
    QString imsi;
    int rssiDb = 0; // signed: -85 dB travels as FF AB
    quint32 cellId = 0;

    // The list of setBC68Data.
    static ModemState fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
};
