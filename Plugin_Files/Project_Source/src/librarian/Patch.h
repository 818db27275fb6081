#pragma once
// The editor's current-patch record: the bytes and texts of the sound being
// edited, written into and read from the project state. The editor owns it and
// touches it on the main thread and under the plug-in lock.

#include "IPluginStructs.h"

#include <string>
#include <vector>

struct Patch {
    static constexpr int kTextCount = 5;

    ByteChunk data;
    std::vector<std::string> texts = std::vector<std::string>(kTextCount, "- INIT -");
};
