// Feeds arbitrary bytes to the PNG decoder: it must return null or a bitmap, never crash.
#include <cstddef>
#include <cstdint>

#include "zuve/zuve_png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    delete ZUVE_LoadPNGFromMemory(data, size);
    return 0;
}
