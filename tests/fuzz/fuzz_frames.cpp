// Feeds arbitrary bytes to the response check and every field decoder, as a controller
// with a broken line or broken firmware could send them, and to the cutting of a firmware
// image into parts; any crash, sanitizer report or broken invariant aborts the run.

#include "protocol/firmware/firmwarerecord.h"
#include "protocol/frame/frame.h"
#include "protocol/settings/controllerrecord.h"
#include "tests/fuzz/fuzzcheck.h"

#include <QMap>

#include <cstddef>
#include <cstdint>

namespace {

// Entries of the decoded list by command. The tabs take the lists by position, so a frame
// of any length gives the full list; every other code, also one beyond a byte that would
// wrap onto a known command, gives none.
const QMap<int, int> kListSizes{{1, 1},  {2, 5},   {4, 9},  {8, 6},    {9, 18},   {16, 9},
                                {32, 6}, {33, 18}, {64, 1}, {134, 3}, {136, 4}, {137, 4}};
// Text fields whose bytes the text cannot give back add their bytes after the list.
const QMap<int, int> kKeptEntries{{4, 1}, {16, 1}, {8, 1}, {32, 1}, {9, 2}, {33, 2}};

void checkFrame(const QByteArray &resp)
{
    for (quint32 fw : {0x01040000u, 0x01040002u}) {
        // Whatever the size rules, nothing passes without the start byte and the checksum:
        // 0xBB XOR every byte before it.
        if (Link::check_response(resp, fw) == 0) {
            quint8 sum = 0xBB;
            for (int i = 0; i < resp.size() - 1; ++i)
                sum ^= quint8(resp[i]);
            FUZZ_REQUIRE(resp.size() >= Link::kHeaderSize && quint8(resp[0]) == 0xAA);
            FUZZ_REQUIRE(sum == quint8(resp.back()));
        }
        const auto size = ControllerRecord::decodeSettings(resp, fw).size();
        FUZZ_REQUIRE(size == ControllerRecord::EntryCount || size == ControllerRecord::ApiSaveKept + 1);
    }
    for (int cmd = -1; cmd <= 256 + Link::CmdModemSessionData; ++cmd) {
        const auto size = Link::decodeResponse(resp, cmd).size();
        FUZZ_REQUIRE(size == kListSizes.value(cmd) || size == kListSizes.value(cmd) + kKeptEntries.value(cmd));
    }
}

// The firmware image is a file supplied with the build: treat these bytes as one.
void cutAsFirmwareImage(const QByteArray &image)
{
    const int n = int(image.size());
    for (int partSize : {FirmwareRecord::kPartSize, 1 + n % 16}) {
        const int parts = FirmwareRecord::partCount(n, partSize);
        FUZZ_REQUIRE(parts == (n > 0 && n % partSize == 0 ? n / partSize : 0));
        FirmwareRecord::imageCrc(image, partSize);
        for (int index : {-1, 0, parts - 1, parts, parts + 1}) {
            const bool whole = index >= 0 && qint64(index + 1) * partSize <= n;
            FUZZ_REQUIRE(FirmwareRecord::part(image, index, partSize).size() == (whole ? partSize : 0));
        }
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
    // Borrow the caller's exact-size buffer instead of copying it: a copy would carry a
    // terminating zero and spare capacity that hide a read one byte past the frame.
    const QByteArray resp = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                    qsizetype(size));
    checkFrame(resp);
    cutAsFirmwareImage(resp);
    return 0;
}
