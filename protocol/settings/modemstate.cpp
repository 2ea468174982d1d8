#include "protocol/settings/modemstate.h"

#include "protocol/settings/modemrecord.h"

ModemState ModemState::fromFieldList(const QStringList &list)
{
    using namespace ModemRecord;
    ModemState s;
    s.sessionRunning = list.value(SessionRunning).toInt() != 0;
    s.imsi = list.value(Imsi);
    s.rssiDb = list.value(Rssi).toInt();
    s.cellId = list.value(CellId).toUInt();
    return s;
}

QStringList ModemState::toFieldList() const
{
    return {QString::number(sessionRunning ? 1 : 0), imsi, QString::number(rssiDb),
            QString::number(cellId)};
}
