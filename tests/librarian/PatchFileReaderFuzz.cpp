// Fuzz target: any bytes as a bank file, through the reader and the writers,
// and as the note of an interrupted bank replacement.
#include "PatchLibrarian.h"
#include "SourceReplacement.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    PatchLibrarian library;
    PatchFile bank;
    library.loadFromChunk(data, static_cast<int>(size), &bank, 0);
    PatchLibrarian::midiBankBytes(bank, true);
    PatchLibrarian::midiBankBytes(bank, false);
    PatchLibrarian::rawBankBytes(bank);
    for (const LibrarianPatch& slot : bank.patches)
        for (const PatchSysexMessage& message : slot.messages)
            PatchLibrarian::convertPatchToZelto2Format(&message);
    int position = 0;
    while (PatchLibrarian::findByte(data, static_cast<int>(size), position, 0x3E)) {
    }
    sourcereplacement::Plan plan;
    sourcereplacement::readNote(std::string(data, data + size), "/d/", "/d/Patches", plan);
    return 0;
}
