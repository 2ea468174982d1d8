#pragma once

// What `apply` sends: the records of a file that differ from what was read in this run,
// after the window's write checks. Pure: it sees field lists, never the line.

#include "protocol/document/snapshot.h"

#include <QStringList>

struct ApplyPlan {
    enum Refusal {
        None,
        NotForThisBoard, // the document names what this controller lacks or no editor could set
        Refused,         // a write check refuses, or the sections were not read
    };
    Refusal refusal = None;
    QString refusalText;
    QStringList questions;         // the window's questions for this write, title and text
    QList<QStringList> controller; // the write list of command 33, or none
    QList<QStringList> analog;     // write lists of command 16, changed channels only
    QList<QStringList> digital;    // write lists of command 32, changed channels only
    // For each record above, one line per setting it changes, for the engineer.
    QList<QStringList> controllerChanges;
    QList<QStringList> analogChanges;
    QList<QStringList> digitalChanges;

    bool sendsNothing() const
    {
        return controller.isEmpty() && analog.isEmpty() && digital.isEmpty();
    }
    // Every change line: the controller's, then the analog and the digital channels'.
    QStringList changes() const;
};

namespace ApplyPlanner {

ApplyPlan plan(const Snapshot &read, const Wanted &wanted);

// What the controller holds otherwise than `plan` wrote it, one line per setting; empty
// when everything took. The analog counters run on and are not compared.
QStringList readBackDifferences(const ApplyPlan &plan, const Snapshot &after);

// What was read of an analog channel, as the write list that would send it back unchanged
// (thresholds in the form the table collects them).
QStringList analogWriteList(int index, const QStringList &read);

} // namespace ApplyPlanner
