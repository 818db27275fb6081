// A library of 1,000 bank files (100,000 sounds): the scan with its category
// banks, and a search over every sound name.

#include "PatchLibrarian.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int kFiles = 1000;
constexpr int kSoundsPerFile = 100;

std::vector<unsigned char> soundDump(int seed)
{
    std::vector<unsigned char> dump{0xF0, 0x3E, 0x16, 0x00, 0x10, 0x00, 0x00};
    for (int i = 7; i < 120; ++i)
        dump.push_back(static_cast<unsigned char>((seed + i) & 0x7F));
    std::string name = "SOUND " + std::to_string(seed);
    name.resize(14, ' ');
    dump.insert(dump.end(), name.begin(), name.end());
    dump.push_back(static_cast<unsigned char>(seed % 21));
    dump.push_back(0x00);
    dump.push_back(0xF7);
    return dump;
}

// Removes the generated library when the program ends.
struct GeneratedLibrary {
    ~GeneratedLibrary()
    {
        std::error_code ignored;
        if (!root.empty())
            std::filesystem::remove_all(root, ignored);
    }
    std::string root;
};
GeneratedLibrary generated;

// Built once per run; the scan only reads it.
const std::string& libraryFolder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/zelto2x-librarian-bench-XXXXXX";
        const std::string root = mkdtemp(pattern);
        generated.root = root;
        setenv("ZELTO2X_DATA_FOLDER", (root + "/").c_str(), 1);
        const std::string patches = root + "/Patches";
        for (int f = 0; f < kFiles; ++f) {
            const std::string sub = patches + "/Folder " + std::to_string(f / 100);
            std::filesystem::create_directories(sub);
            std::ofstream out(sub + "/Bank " + std::to_string(f) + ".zt2", std::ios::binary);
            for (int s = 0; s < kSoundsPerFile; ++s) {
                const std::vector<unsigned char> dump = soundDump(f * kSoundsPerFile + s);
                out.write(reinterpret_cast<const char*>(dump.data()), static_cast<std::streamsize>(dump.size()));
            }
        }
        return patches;
    }();
    return folder;
}

void BM_ScanWithCategoryBanks(benchmark::State& state)
{
    const std::string& folder = libraryFolder();
    PatchLibrarian library;
    for (auto _ : state)
        library.initBankFilesOnDiscard(folder);
    state.counters["sounds/s"] =
        benchmark::Counter(static_cast<double>(kFiles * kSoundsPerFile), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ScanWithCategoryBanks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchAllNames(benchmark::State& state)
{
    PatchLibrarian library;
    library.loadPatchesFromFilesystem(libraryFolder());
    for (auto _ : state)
        library.createNewSearchPatchFiles("SOUND 99");
    state.counters["sounds/s"] =
        benchmark::Counter(static_cast<double>(kFiles * kSoundsPerFile), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SearchAllNames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
