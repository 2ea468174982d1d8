#pragma once

// Compares two settings documents of one controller (the `lumaro-cli read` document) and
// tells the differences in the words of the tabs. Counters and the controller's momentary
// state (battery, lid, power) are readings, not settings: they never count as a change.

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace SettingsDiff {

// The document without readings and state.
QJsonObject settingsOf(const QJsonObject &document);
// The same settings give the same bytes: object keys sorted, no spaces.
QByteArray canonical(const QJsonObject &document);
bool sameSettings(const QJsonObject &a, const QJsonObject &b);
// True when every section `document` holds is in `previous` with the same settings: a read of
// one tab after a read of all three tells nothing new.
bool nothingNew(const QJsonObject &previous, const QJsonObject &document);

// One line per changed field: "Аналоговые каналы, канал 3: Множитель: 1 → 10".
QStringList lines(const QJsonObject &before, const QJsonObject &after);
// One line for a version list: the first change and how many more, over the sections `after`
// holds; `before` empty for the first version of a controller.
QString summary(const QJsonObject &before, const QJsonObject &after);

// Every value of the settings, lower case, one a line: what a filter by text looks in.
QString searchText(const QJsonObject &document);
// "a.b.c.d:port" of the controller section, empty when it was not read.
QString serverAddress(const QJsonObject &document);

} // namespace SettingsDiff
