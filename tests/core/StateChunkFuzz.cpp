// Reads outside bytes as the editor's project state: the whole-chunk check, then, for a chunk it accepts, the
// patch-manager block. Both must stay inside the chunk and agree.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "PatchManager.h"
#include "Zelto2X.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Zelto2X* editor = [] {
        setenv("ZELTO2X_DATA_FOLDER", "/nonexistent-zelto2x-fuzz/", 1);
        return new Zelto2X(IPluginInstanceInfo());
    }();
    static PatchManager manager(editor);
    ByteChunk chunk;
    if (chunk.PutBytes(data, static_cast<int>(size > 1 << 20 ? 1 << 20 : size)) < 0)
        return 0;
    const int end = editor->CheckState(&chunk, 0);
    if (end < 0)
        return 0;
    if (end > chunk.Size())
        std::abort();
    const int blockEnd = manager.loadAllFromChunk(&chunk, 4);
    if (blockEnd < 0 || blockEnd > end)
        std::abort();
    return 0;
}
