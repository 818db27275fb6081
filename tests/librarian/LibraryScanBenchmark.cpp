// A library of 1,000 bank files (100,000 sounds): the scan with its category
// banks, and a search over every sound name.

#include "LibraryTestSupport.h"

#include <benchmark/benchmark.h>

using namespace librarytest;

namespace {

constexpr int kFiles = 1000;
constexpr int kSoundsPerFile = 100;

// Built once per run, 100 banks to a folder, the categories in turn; removed when the program ends.
const std::string& libraryFolder()
{
    static TempDataFolder data;
    static const std::string folder = [] {
        for (int f = 0; f < kFiles; ++f) {
            std::vector<Bytes> sounds;
            for (int s = 0; s < kSoundsPerFile; ++s)
                sounds.push_back(currentDump(f + s, "SOUND " + std::to_string(f * 100 + s), (f + s) % 21));
            writeFile(data.patches() + "/Folder " + std::to_string(f / 100) + "/Bank " + std::to_string(f) + ".zt2",
                      concat(sounds));
        }
        return data.patches();
    }();
    return folder;
}

void countSounds(benchmark::State& state)
{
    state.counters["sounds/s"] =
        benchmark::Counter(static_cast<double>(kFiles * kSoundsPerFile), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_ScanWithCategoryBanks(benchmark::State& state)
{
    PatchLibrarian library;
    for (auto _ : state)
        library.initBankFilesOnDiscard(libraryFolder());
    countSounds(state);
}
BENCHMARK(BM_ScanWithCategoryBanks)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SearchAllNames(benchmark::State& state)
{
    PatchLibrarian library;
    library.loadPatchesFromFilesystem(libraryFolder());
    for (auto _ : state)
        library.createNewSearchPatchFiles("SOUND 99");
    countSounds(state);
}
BENCHMARK(BM_SearchAllNames)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
