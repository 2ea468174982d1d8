// Feeds arbitrary bytes to the channel file reader, as a damaged, foreign or hand-edited
// file could hold them, and every line it accepts to the conversions an import applies on
// its way into the tables; any crash, sanitizer report or broken invariant aborts the run.

#include "bulk/channelfile.h"
#include "channels/analogrecord.h"
#include "channels/analogrules.h"
#include "channels/digitalrules.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

using ChannelFile::Line;

constexpr int kAnalogListSize = 8;
constexpr int kDigitalListSize = 6;
constexpr int kAnalogLkEntry = 5;
constexpr int kAnalogStEntry = 6;
constexpr int kDigitalDevicePositions = 6;
constexpr double kTenthsPerUnit = 10.0;

// Codes an import can hand on: the one the device position maps to, the temperature code
// whose thresholds are converted, and raw codes a broken table could pass (the position
// itself, a byte of the input).
QList<int> codesFor(const Line &line, int mappedCode, quint8 inputByte)
{
    return {mappedCode, AnalogRecord::kTemperature, AnalogRecord::kPressure,
            line.fields.value(ChannelFile::DeviceField).toInt(), int(inputByte)};
}

void importAnalog(const Line &line, quint8 inputByte)
{
    const int position = line.fields.value(ChannelFile::DeviceField).toInt();
    const int mapped = AnalogRecord::codeForPosition(position);
    for (int code : codesFor(line, mapped, inputByte)) {
        const QStringList list = ChannelFile::analogSettings(line, code);
        FUZZ_REQUIRE(list.size() == kAnalogListSize);
        FUZZ_REQUIRE(list.first() == QString::number(code));
        const int shownPosition = AnalogRecord::positionForCode(code);
        FUZZ_REQUIRE(shownPosition >= 0 && shownPosition < AnalogRecord::kDevicePositions);
        const double lk = AnalogRules::thresholdShown(list[kAnalogLkEntry], code);
        AnalogRules::thresholdShown(list[kAnalogStEntry], code);
        if (code != AnalogRecord::kTemperature)
            continue;
        // A temperature threshold travels as the bit pattern of signed tenths: whatever
        // fits the controller's 16 bits must come back into the table unchanged.
        bool ok = false;
        const int tenths = line.fields.value(ChannelFile::LkField).toInt(&ok);
        if (ok && tenths >= -32768 && tenths <= 32767)
            FUZZ_REQUIRE(lk == tenths / kTenthsPerUnit);
        if (!ok)
            FUZZ_REQUIRE(lk == 0);
    }
}

void importDigital(const Line &line, quint8 inputByte)
{
    const QStringList &fields = line.fields;
    const int position = fields.value(ChannelFile::DeviceField).toInt();
    const int mapped = DigitalRules::codeForDevicePosition(position);
    const bool known = position >= 0 && position < kDigitalDevicePositions;
    FUZZ_REQUIRE(DigitalRules::devicePositionForCode(mapped) == (known ? position : 0));
    const int protocol = fields.value(ChannelFile::InputField).toInt();
    const QString address = fields.value(ChannelFile::AddressField);
    for (int code : codesFor(line, mapped, inputByte)) {
        const QStringList list = ChannelFile::digitalSettings(line, code);
        FUZZ_REQUIRE(list.size() == kDigitalListSize);
        FUZZ_REQUIRE(list.first() == QString::number(code));
        DigitalRules::isProtocolAllowed(code, protocol);
    }
    const int check = DigitalRules::checkChannel(position, protocol, address);
    FUZZ_REQUIRE(check >= DigitalRules::ChannelValid && check <= DigitalRules::ChannelBadAddress);
    quint32 value = 0;
    DigitalRules::parseAddress(DigitalRules::addressToNumber(address), &value);
    DigitalRules::numberToAddress(address);
    DigitalRules::passwordFits(fields.value(ChannelFile::PasswordField));
}

// A line survives writing back and reading again only when nothing in it is a separator
// or a line end the reader would strip.
bool survivesRewrite(const Line &line)
{
    for (const QString &field : line.fields) {
        if (field.contains(QLatin1Char(';')) || field.contains(QLatin1Char('\n')))
            return false;
    }
    return !line.fields.last().endsWith(QLatin1Char('\r'));
}

// Whatever the reader accepted, written back with ";" and read again, gives the same lines.
void rewriteAndRead(const ChannelFile::Parsed &parsed)
{
    QList<Line> kept;
    QStringList texts;
    for (const Line &line : parsed.lines) {
        if (!survivesRewrite(line))
            continue;
        kept.append(line);
        texts.append(line.fields.join(QLatin1Char(';')));
    }
    const ChannelFile::Parsed again = ChannelFile::parse(ChannelFile::content(texts));
    FUZZ_REQUIRE(again.skipped == 0);
    FUZZ_REQUIRE(again.lines.size() == kept.size());
    for (int i = 0; i < kept.size(); ++i) {
        FUZZ_REQUIRE(again.lines[i].analog == kept[i].analog);
        FUZZ_REQUIRE(again.lines[i].row == kept[i].row);
        FUZZ_REQUIRE(again.lines[i].fields == kept[i].fields);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::quietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // The caller's exact-size buffer, so that a read past the file's end is caught.
    const QByteArray content = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                       qsizetype(size));
    const ChannelFile::Parsed parsed = ChannelFile::parse(content);
    const qsizetype lineCount = content.count('\n') + 1;
    FUZZ_REQUIRE(parsed.skipped >= 0);
    FUZZ_REQUIRE(parsed.lines.size() + parsed.skipped <= qMax<qsizetype>(lineCount - 1, 0));
    for (int i = 0; i < parsed.lines.size(); ++i) {
        const Line &line = parsed.lines[i];
        FUZZ_REQUIRE(line.fields.size() == ChannelFile::kFieldCount);
        const QString &kind = line.fields.first();
        FUZZ_REQUIRE(kind == (line.analog ? QLatin1String("A") : QLatin1String("D")));
        FUZZ_REQUIRE(!line.fields.last().endsWith(QLatin1Char('\n')));
        const quint8 inputByte = size > 0 ? data[std::size_t(i) % size] : 0;
        if (line.analog)
            importAnalog(line, inputByte);
        else
            importDigital(line, inputByte);
    }
    rewriteAndRead(parsed);
    return 0;
}
