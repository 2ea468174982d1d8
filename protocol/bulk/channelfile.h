#pragma once

// The channel configuration file: a semicolon-separated UTF-8 text with one header line and
// one 14-field line per present channel. Turns channel rows into lines and lines back into
// the lists the channel tables take; knows nothing about widgets.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace ChannelFile {

constexpr int kFieldCount = 14;

enum Field {
    KindField,          // "A" or "D"
    ChannelField,       // 1-based within its table
    DeviceField,        // position in the table's device list, or "#" and a code no list names
    InputField,         // analog input type or meter protocol position
    SerialField,
    MultiplierField,
    DividerField,
    LkField,
    StField,
    ReadingField,
    AddressField,
    PasswordField,
    KtField,
    ObjectField,
};

QString headerLine();
QString fileFilter();

// "A;n;position;input;serial;multiplier;divider;LK;ST;reading;;;;object" from the eight
// texts of an analog row (device code, input, serial, multiplier, divider, LK, ST, object).
QString analogLine(int channel, int devicePosition, const QStringList &settings,
                   const QString &reading);
// "D;n;position;protocol;serial;;;;;readings;address;password;KT;object" from the seven texts
// of a digital row (index, device code, protocol, address, password, KT, object).
QString digitalLine(int channel, int devicePosition, const QStringList &settings,
                    const QString &serial, const QString &readings, const QString &address);

// The device column names a position in the table's list; a device no list names (a newer
// firmware's type) travels as "#" and its wire code, which a position would switch off.
QString deviceField(int devicePosition, int deviceCode);
// The wire code a device column names, `codeAt` turning a position below `positions` into
// one; -1 when the column names no position and no code the record field can hold.
int deviceCode(const QString &field, int positions, int (*codeAt)(int));

// Whether a built line reads back as one line of 14 fields: a ";" or a line break inside a
// serial number or password would split it, and the import would skip that channel.
bool readsBack(const QString &line);

// Whole file content for the given channel lines, header first, lines ended by "\n".
QByteArray content(const QStringList &lines);
// Writes atomically: an existing file is replaced only when the whole content was written.
// In a folder where no new file can be made but the file itself may be written, it is
// written in place instead.
bool save(const QString &path, const QStringList &lines, QString *errorText = nullptr);
// What the engineer is told when a settings file cannot be opened or written.
QString openFailedText(const QString &path);
QString saveFailedText();

struct Line {
    bool analog = false;
    int row = -1;        // 0-based; -1 when the channel field is not an integer
    QStringList fields;  // exactly 14, trailing line feed removed from the last
};

struct Parsed {
    QList<Line> lines;
    int skipped = 0;     // lines that fit neither ";" nor "," or name no channel kind
};

// Reads a file's content; the first line is a header and is dropped unread.
Parsed parse(const QByteArray &content);

// The file's column of each entry of the analog settings list (AnalogRecord::SettingsType to
// SettingsObject) and of the digital one (DigitalRecord::SetDeviceType to SetObject). The
// device column holds a list position, where the lists carry the wire code.
inline constexpr int kAnalogColumns[] = {DeviceField,  InputField, SerialField, MultiplierField,
                                         DividerField, LkField,    StField,     ObjectField};
inline constexpr int kDigitalColumns[] = {DeviceField,   InputField, AddressField,
                                          PasswordField, KtField,    ObjectField};

// The eight-entry list for the analog table; temperature thresholds are stored as the
// unsigned 32-bit pattern of the signed tenths, as the controller keeps them.
QStringList analogSettings(const Line &line, int deviceCode);
// The six-entry list for the digital table: device code, protocol, address, password, KT, object.
QStringList digitalSettings(const Line &line, int deviceCode);

} // namespace ChannelFile
