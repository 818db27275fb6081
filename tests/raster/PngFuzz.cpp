// Feeds arbitrary bytes to the PNG decoder: it must return null or a bitmap,
// never crash. Chunk checksums are repaired first, so mutations reach the
// decoder instead of stopping at the checksum test.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zuve/zuve_png.h"

namespace {

void repairChecksums(std::vector<uint8_t>& png)
{
    for (size_t pos = 8; pos + 12 <= png.size();) {
        const uint32_t length = uint32_t(png[pos]) << 24 | uint32_t(png[pos + 1]) << 16 | uint32_t(png[pos + 2]) << 8 |
                                png[pos + 3];
        if (length > png.size() - pos - 12)
            return;
        const uint32_t crc = uint32_t(crc32(0, &png[pos + 4], uInt(length + 4)));
        uint8_t* out = &png[pos + 8 + length];
        out[0] = uint8_t(crc >> 24), out[1] = uint8_t(crc >> 16), out[2] = uint8_t(crc >> 8), out[3] = uint8_t(crc);
        pos += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    delete ZUVE_LoadPNGFromMemory(data, size);
    std::vector<uint8_t> repaired(data, data + size);
    repairChecksums(repaired);
    delete ZUVE_LoadPNGFromMemory(repaired.data(), repaired.size());
    return 0;
}
