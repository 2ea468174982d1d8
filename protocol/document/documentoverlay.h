#pragma once

// A stored document's settings laid over what this session read of the same controller, for
// the tabs to show as changes. What the document leaves out stays as read: sections, channels,
// fields, a value its field cannot hold, and always the readings and the identification, which
// belong to the controller and not to a version of its settings.

#include "protocol/document/snapshot.h"

#include <QJsonObject>

namespace DocumentOverlay {

Snapshot overlay(const QJsonObject &document, const Snapshot &read);

} // namespace DocumentOverlay
