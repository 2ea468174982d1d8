#include "protocol/document/snapshot.h"

void Snapshot::setAnalog(const QMap<int, QStringList> &lists)
{
    analog.clear();
    for (auto it = lists.begin(); it != lists.end(); ++it)
        analog.insert(it.key(), AnalogSettings::fromFieldList(it.value()));
}

void Snapshot::setDigital(const QMap<int, QStringList> &lists)
{
    digital.clear();
    for (auto it = lists.begin(); it != lists.end(); ++it)
        digital.insert(it.key(), DigitalSettings::fromFieldList(it.value()));
}
