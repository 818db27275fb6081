// Fuzz target: any bytes as a file of single sounds, imported as either model.
#include "PatchImport.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    const patchimport::Bytes bytes(data, data + size);
    for (bool olderModel : {true, false})
        for (const patchimport::Bytes& sound : patchimport::readSingleSounds(bytes, "/x/Fuzz.syx", olderModel))
            if (sound.size() != 137 && !(sound.size() > 75 && !olderModel))
                std::abort();  // an older sound always becomes a whole current dump
    return 0;
}
