// Replays a fuzz target's corpus once per file, so every normal build checks
// that the inputs that once found faults still pass.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "support/FileBytes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv)
{
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        if (fs::is_regular_file(argv[i]))
            files.emplace_back(argv[i]);
        else if (fs::is_directory(argv[i]))
            for (const auto& entry : fs::recursive_directory_iterator(argv[i]))
                if (entry.is_regular_file())
                    files.push_back(entry.path());
    }
    for (const fs::path& path : files) {
        const std::vector<uint8_t> bytes = testsupport::ReadFileBytes(path);
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    }
    std::printf("replayed %zu inputs\n", files.size());
    return 0;
}
