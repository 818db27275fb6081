// Reads outside bytes as a state chunk (parameter values, strings, a preset
// bank) and as VST program and bank files of a plug-in with state chunks and
// of one without. Every read must stay inside the bytes.
#include <cstddef>
#include <cstdint>

#include "TestPlugin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TestPlugin plug(307, 0, "2-2", 2);
    static TestPlugin paramsOnly(3, 3, "2-2", 2, false);
    ByteChunk chunk;
    if (chunk.PutBytes(data, static_cast<int>(size > 1 << 20 ? 1 << 20 : size)) < 0) return 0;

    plug.UnserializeNonAutomatedParams(&chunk, 0, 307);
    ROZ_String text;
    for (int pos = 0; pos >= 0 && pos < chunk.Size();) pos = chunk.GetStr(&text, pos);
    bool flag = false;
    double value = 0.0;
    for (int pos = 0; pos >= 0;) {
        pos = chunk.GetBool(&flag, pos);
        if (pos >= 0) pos = chunk.Get(&value, pos);
    }
    plug.UnserializePresets(&chunk, 0);
    for (TestPlugin* target : {&plug, &paramsOnly}) {
        target->ReadFXP(chunk);
        target->ReadFXB(chunk);
    }
    return 0;
}
