#pragma once

// One digital channel's settings (commands 8 and 32) and one meter's readings (command 2),
// and the field lists they travel in.

#include "protocol/channels/digitalrecord.h"
#include "protocol/channels/digitalrules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

struct DigitalSettings {
    // What the table's editors take, from the record's fields (the password field is 10 bytes;
    // a longer one the controller reports is shown and kept whole).
    static constexpr int kPasswordMaxChars = DigitalRecord::kPasswordWidth - 1;
    static constexpr int kObjectMax = 65535; // the object field is 16 bits

    // The wire code, also one that no list names: it goes back as it came.
    int deviceCode = 0;
    int protocol = 0;
    // The meter address as its decimal number; the table's kv form is converted at the editor,
    // and a text that is no address is refused by the checks before a write.
    QString address = QStringLiteral("0");
    QString password;
    // The password field's bytes as read, in hex, where the text shown cannot give them back
    // (Link::keptText); they are written while the password still reads as they do.
    QString passwordKept;
    qint64 kt = 1;
    qint64 object = 0;

    bool isPresent() const { return deviceCode != DigitalRules::kMissingChannelCode; }

    // The settings list of setRsSettings; a number that is no number reads as 0.
    static DigitalSettings fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
    // The write list of command 32 for channel `index`, and back.
    static DigitalSettings fromWriteList(const QStringList &entry);
    QStringList toWriteList(int index) const;

    bool operator==(const DigitalSettings &other) const;
    bool operator!=(const DigitalSettings &other) const { return !(*this == other); }
};

// A meter's answer to command 2: its serial number and four readings, as the meter gave them.
struct DigitalReading {
    QString serial;
    QStringList readings;

    static DigitalReading fromFieldList(const QStringList &list);
    QStringList toFieldList() const;
};
