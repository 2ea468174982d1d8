#pragma once

// The export and import sequence of the channel file over the channel tables' rows: which
// rows go to the file and in which order, what stops an export, which lines of a file reach
// which row. The window only asks for the file's name and shows the outcome.

#include "protocol/bulk/channelfile.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace ChannelExchange {

// One row of a channel table as the export sees it.
struct ExportRow {
    bool valid = true;   // the row check passes
    bool present = true; // the controller has the channel
    QStringList settings; // the row's list for ChannelFile::analogLine or digitalLine
    QString reading;      // analog: the reading; digital: the meter's serial number
    QString readings;     // digital: the readings text
};

struct Export {
    QStringList lines;
    QString error; // empty when the file may be written
};

// Every row is checked before anything is written, so a refused export leaves an existing
// file exactly as it was. `analogCount` numbers the digital channels for the engineer.
Export exportLines(const QList<ExportRow> &analog, const QList<ExportRow> &digital,
                   int analogCount);

struct Import {
    QList<QPair<int, QStringList>> analog;  // row, settings list for the analog table
    QList<QPair<int, QStringList>> digital; // row, settings list for the digital table
    int skipped = 0;
};

// A line for a channel outside the table, or one the controller said it lacks, would bring
// that row back to life and have the next write address a channel that is not there: it is
// skipped like a damaged line.
Import importLines(const ChannelFile::Parsed &parsed, const QList<bool> &analogPresent,
                   const QList<bool> &digitalPresent);

} // namespace ChannelExchange
