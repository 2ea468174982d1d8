#pragma once

// Simulated controller, firmware update: start (129), parts (130), finish (132).

#include "sim/simanswer.h"

#include <QByteArray>
#include <QMap>

class SimFirmware
{
public:
    static constexpr int kPartSize = 256;

    SimAnswer answer(quint8 cmd, const QByteArray &payload, const SimContext &context);

    // The next `times` requests for part `index` (counted from 0) go unanswered although
    // the part arrives whole, as when the answers are lost on the line.
    void failPart(int index, int times = 3);
    // The finish goes unanswered even when the image is whole and its CRC matches.
    void failFinish(bool fail = true);

    // True after a finish that accepted the image; a new start clears it.
    bool updated() const { return accepted; }
    // The image received since the last start, parts that have not arrived left as zeros.
    QByteArray image() const { return received; }
    quint32 announcedSize() const { return size; }
    quint32 announcedCrc() const { return crc; }
    int partsReceived() const { return int(partsSeen.size()); }
    int badPartCrcs() const { return badCrcs; }

    // The loader's CRC, written from its word-wise definition: CRC-32/MPEG-2, bit by bit,
    // over the data with every group of four bytes reversed and a short tail reversed
    // and padded with zeros.
    static quint32 loaderCrc(const QByteArray &data);

private:
    SimAnswer start(const QByteArray &payload);
    SimAnswer part(const QByteArray &payload);
    SimAnswer finish();
    bool imageComplete() const;

    bool started = false;
    bool accepted = false;
    quint32 size = 0;
    quint32 crc = 0;
    QByteArray received;
    QMap<int, bool> partsSeen;
    QMap<int, int> partFailures; // part index -> answers still to withhold
    bool finishFails = false;
    int badCrcs = 0;
};
