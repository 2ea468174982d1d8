// Feeds arbitrary bytes to the channel file reader, as a damaged, foreign or hand-edited
// file could hold them, and every line it accepts to the conversions an import applies on
// its way into the tables; any crash, sanitizer report or broken invariant aborts the run.

#include "protocol/bulk/channelfile.h"
#include "protocol/channels/analogrecord.h"
#include "protocol/channels/analogrules.h"
#include "tests/fuzz/fuzzcheck.h"

#include <cstddef>
#include <cstdint>

namespace {

using ChannelFile::Line;

void importAnalog(const Line &line)
{
    const int position = line.fields.value(ChannelFile::DeviceField).toInt();
    for (int code : {AnalogRecord::codeForPosition(position), AnalogRecord::kTemperature}) {
        const QStringList list = ChannelFile::analogSettings(line, code);
        FUZZ_REQUIRE(list.size() == AnalogRecord::SettingsValue); // the settings without the reading
        FUZZ_REQUIRE(list.first() == QString::number(code));
        const double lk = AnalogRules::thresholdShown(list[AnalogRecord::SettingsLk], code);
        if (code != AnalogRecord::kTemperature)
            continue;
        // A temperature threshold travels as the bit pattern of signed tenths: whatever
        // fits the controller's 16 bits must come back into the table unchanged.
        bool ok = false;
        const int tenths = line.fields.value(ChannelFile::LkField).toInt(&ok);
        if (ok && tenths >= -32768 && tenths <= 32767)
            FUZZ_REQUIRE(lk == tenths / 10.0);
        if (!ok)
            FUZZ_REQUIRE(lk == 0);
    }
}

// A line that export would let through (no separator or line end inside a field) reads
// back as itself.
void rewriteAndRead(const Line &line)
{
    const QString text = line.fields.join(QLatin1Char(';'));
    if (!ChannelFile::readsBack(text))
        return;
    const ChannelFile::Parsed again = ChannelFile::parse(ChannelFile::content({text}));
    FUZZ_REQUIRE(again.skipped == 0 && again.lines.size() == 1);
    FUZZ_REQUIRE(again.lines[0].row == line.row && again.lines[0].fields == line.fields);
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
    FUZZ_REQUIRE(parsed.skipped >= 0);
    FUZZ_REQUIRE(parsed.lines.size() + parsed.skipped <= qMax<qsizetype>(content.count('\n'), 0));
    for (const Line &line : parsed.lines) {
        FUZZ_REQUIRE(line.fields.size() == ChannelFile::kFieldCount);
        FUZZ_REQUIRE(line.fields.first() == QLatin1String(line.analog ? "A" : "D"));
        FUZZ_REQUIRE(!line.fields.last().endsWith(QLatin1Char('\n')));
        if (line.analog)
            importAnalog(line);
        rewriteAndRead(line);
    }
    return 0;
}
