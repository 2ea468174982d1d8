#pragma once

// The window's channel file (";"-separated, one line per channel) as what it asks of a
// controller: the analog and digital channels it names, settings only.

#include "protocol/document/snapshot.h"

#include <QByteArray>
#include <QString>

namespace ChannelFileInput {

// Whether `content` looks like a channel file rather than a JSON document.
bool isChannelFile(const QByteArray &content);

// False, with a message, for a damaged line, a channel named twice or a value its field cannot
// take: the window would skip such a line, a script must not half-apply a file. Readings and
// meter serial numbers in the file are never written.
bool read(const QByteArray &content, Wanted &wanted, QString *error);

} // namespace ChannelFileInput
