// Feeds arbitrary bytes to the response check and every field decoder, as a controller
// with a broken line or broken firmware could send them; any crash, sanitizer report or
// broken invariant aborts the run.

#include "channels/analogrecord.h"
#include "channels/digitalrecord.h"
#include "firmware/crc32.h"
#include "firmware/firmwarerecord.h"
#include "link/frame.h"
#include "link/sessionrecord.h"
#include "settings/controllerrecord.h"
#include "settings/modemrecord.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QByteArray>
#include <QStringList>

#include <cstddef>
#include <cstdint>

namespace {

constexpr quint32 kFirmwareWords[] = {0x01040000, 0x01040002};
constexpr quint32 kShortLayoutWord = 0x01040000;
constexpr int kCommandCodes = 256;
constexpr int kDigitalReadingsKeptBytes = 42;
constexpr int kAnySize = -1;

// Whole-frame response sizes as the protocol table gives them, kept apart from the code
// under test so that a wrong entry there shows up as a disagreement here.
struct ExpectedResponse {
    int cmd;
    int size;
    int size140;
    int fields; // entries of the decoded list
};

constexpr ExpectedResponse kExpected[] = {
    {1, 14, 14, 1},
    {2, kAnySize, kAnySize, 5},
    {4, 42, 42, 9},
    {8, 29, 29, 6},
    {9, 211, 179, 18},
    {16, 42, 42, 9},
    {32, 29, 29, 6},
    {33, 211, 179, 18},
    {64, kAnySize, kAnySize, 1},
    {128, 14, 10, 0},
    {129, kAnySize, kAnySize, 0},
    {130, kAnySize, kAnySize, 0},
    {131, kAnySize, kAnySize, 0},
    {132, kAnySize, kAnySize, 0},
    {134, 10, 10, 3},
    {135, 10, 10, 0},
    {136, 49, 49, 4},
    {137, 49, 49, 4},
};

const ExpectedResponse *expectedFor(int cmd)
{
    for (const ExpectedResponse &entry : kExpected) {
        if (entry.cmd == cmd)
            return &entry;
    }
    return nullptr;
}

// Acceptance worked out from the frame rules alone: size by command and firmware, start
// byte, and 0xBB XOR every byte before the checksum.
int expectedCheck(const QByteArray &resp, quint32 fwWord)
{
    const int n = int(resp.size());
    if (n < 8)
        return 1;
    const ExpectedResponse *entry = expectedFor(quint8(resp[7]));
    int required = entry ? (fwWord == kShortLayoutWord ? entry->size140 : entry->size) : 0;
    if (required == kAnySize)
        required = n;
    if (n != required || quint8(resp[0]) != 0xAA)
        return 1;
    quint8 sum = 0xBB;
    for (int i = 0; i < n - 1; ++i)
        sum ^= quint8(resp[i]);
    return sum == quint8(resp[n - 1]) ? 0 : 1;
}

void checkResponse(const QByteArray &resp)
{
    for (quint32 fw : kFirmwareWords) {
        const int result = Link::check_response(resp, fw);
        FUZZ_REQUIRE(result == expectedCheck(resp, fw));
    }
}

void decodeEveryCommand(const QByteArray &resp)
{
    for (int cmd = 0; cmd < kCommandCodes; ++cmd) {
        const QStringList fields = Link::decodeResponse(resp, cmd);
        const ExpectedResponse *entry = expectedFor(cmd);
        // The tabs take the lists by position: a frame of any length gives the full list.
        FUZZ_REQUIRE(fields.size() == (entry ? entry->fields : 0));
    }
    // The code reaches decodeResponse as an int: one beyond a byte must not wrap onto a
    // known command.
    FUZZ_REQUIRE(Link::decodeResponse(resp, -1).isEmpty());
    FUZZ_REQUIRE(Link::decodeResponse(resp, kCommandCodes + Link::CmdAnalogReading).isEmpty());
    FUZZ_REQUIRE(Link::decodeResponse(resp, kCommandCodes + Link::CmdAuthorise).isEmpty());
}

void decodeRecords(const QByteArray &resp)
{
    for (quint32 fw : kFirmwareWords)
        FUZZ_REQUIRE(ControllerRecord::decodeSettings(resp, fw).size()
                     == ControllerRecord::EntryCount);
    FUZZ_REQUIRE(ControllerRecord::decodeSettings(resp).size() == ControllerRecord::EntryCount);
    FUZZ_REQUIRE(AnalogRecord::decodeSettings(resp).size() == AnalogRecord::SettingsFieldCount);
    FUZZ_REQUIRE(AnalogRecord::decodeReading(resp).size() == 1);
    FUZZ_REQUIRE(DigitalRecord::decodeSettings(resp).size() == DigitalRecord::SettingsFieldCount);
    FUZZ_REQUIRE(DigitalRecord::decodeReadings(resp).size() == DigitalRecord::ReadingsFieldCount);
    FUZZ_REQUIRE(ModemRecord::decodeSessionData(resp).size() == ModemRecord::EntryCount);
    FUZZ_REQUIRE(SessionRecord::decodeAuthorise(resp).size() == SessionRecord::AuthFieldCount);
}

quint32 bigEndian(const QByteArray &bytes, int offset, int size)
{
    quint32 value = 0;
    for (int i = 0; i < size; ++i)
        value = (value << 8) | quint8(bytes[offset + i]);
    return value;
}

// The field readers at the frame's edges, where an off-by-one would read past it.
void readFieldsAtEdges(const QByteArray &resp)
{
    const int n = int(resp.size());
    const int offsets[] = {-1, 0, 1, 3, 7, 8, n - 5, n - 4, n - 2, n - 1, n, n + 1};
    constexpr int kSizes[] = {-1, 0, 1, 2, 3, 4, 5};
    for (int offset : offsets) {
        for (int size : kSizes) {
            const quint32 value = Link::readNumber(resp, offset, size);
            const bool inside = offset >= 0 && size >= 1 && size <= 4 && offset + size <= n;
            if (inside)
                FUZZ_REQUIRE(value == bigEndian(resp, offset, size));
            else if (offset < 0 || offset >= n || size < 1)
                FUZZ_REQUIRE(value == 0);
            const QString text = Link::readText(resp, offset, size < 1 ? size : size * 8);
            if (offset < 0 || offset >= n || size < 1)
                FUZZ_REQUIRE(text.isEmpty());
        }
    }
    const quint32 word = Link::firmwareWord(resp);
    FUZZ_REQUIRE(word == (n >= 7 ? bigEndian(resp, 3, 4) : 0));
    const QString version = Link::versionText(word);
    FUZZ_REQUIRE(version.count(QLatin1Char('.')) == 2);
    FUZZ_REQUIRE(Link::hardwareVersionText(resp).isEmpty() == (n < 3));
}

// The firmware image is a file supplied with the build: treat these bytes as one.
void readAsFirmwareImage(const QByteArray &image)
{
    const int n = int(image.size());
    const int partSizes[] = {FirmwareRecord::kPartSize, 1 + n % 16,
                             1 + (n > 0 ? quint8(image[n - 1]) : 0)};
    for (int partSize : partSizes) {
        const int parts = FirmwareRecord::partCount(n, partSize);
        FUZZ_REQUIRE(parts == (n > 0 && n % partSize == 0 ? n / partSize : 0));
        FirmwareRecord::imageCrc(image, partSize);
        const int indexes[] = {-1, 0, parts - 1, parts, parts + 1};
        for (int index : indexes) {
            const QByteArray bytes = FirmwareRecord::part(image, index, partSize);
            const bool whole = index >= 0 && qint64(index + 1) * partSize <= n;
            FUZZ_REQUIRE(bytes.size() == (whole ? partSize : 0));
        }
    }
    const quint32 stored = FirmwareRecord::storedCrc(image);
    if (n >= FirmwareRecord::kStoredCrcSize) {
        quint32 littleEndian = 0;
        for (int k = FirmwareRecord::kStoredCrcSize - 1; k >= 0; --k)
            littleEndian = (littleEndian << 8) | quint8(image[n - FirmwareRecord::kStoredCrcSize + k]);
        FUZZ_REQUIRE(stored == littleEndian);
    } else {
        FUZZ_REQUIRE(stored == 0);
    }
    Firmware::crc32(image);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    Fuzz::quietQtMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // Borrow the caller's exact-size buffer instead of copying it: a copy would carry a
    // terminating zero and spare capacity that hide a read one byte past the frame.
    const QByteArray resp = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                    qsizetype(size));
    checkResponse(resp);
    // The exchange keeps only the last 42 bytes of a digital readings answer.
    if (resp.size() > kDigitalReadingsKeptBytes) {
        const qsizetype cut = resp.size() - kDigitalReadingsKeptBytes;
        checkResponse(QByteArray::fromRawData(resp.constData() + cut, kDigitalReadingsKeptBytes));
    }
    decodeEveryCommand(resp);
    decodeRecords(resp);
    readFieldsAtEdges(resp);
    readAsFirmwareImage(resp);
    return 0;
}
