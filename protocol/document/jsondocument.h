#pragma once

// The JSON document of lumaro-cli: a controller's identification, settings and channels as
// `read` writes them, and the same document, whole or in part, as `apply` takes it.

#include "protocol/document/snapshot.h"

#include <QByteArray>
#include <QString>

namespace JsonDocument {

constexpr int kFormat = 1;

// UTF-8, two-space indents; only the sections the snapshot holds, present channels only.
QByteArray write(const Snapshot &snapshot);

// What a document asks of a controller. False, with a message naming the place, for a
// document that is no JSON, has another format, names an unknown key or holds a value its
// field cannot take. Read-only keys (identification, readings) are accepted and ignored.
bool read(const QByteArray &json, Wanted &wanted, QString *error);

} // namespace JsonDocument
