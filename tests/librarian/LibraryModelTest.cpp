// The library's records: copy rules, categories, storing a received sound into
// the selected slot, also while the library reloads (TSan); category and search
// banks built from the bank files in memory.

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>
#include <atomic>
#include <functional>
#include <thread>
#include <utility>

using namespace librarytest;

TEST(LibraryModel, StoresAReceivedSoundOnlyIntoAUsableTransferSlot)
{
    PatchLibrarian library;
    library.bankFiles.push_back(std::make_unique<PatchFile>());
    const LibrarianPatch received = bankOf({currentDump(3, "RECEIVED", 4)})->patches[0];
    // Slots out of range, a derived bank selected, a selection past the banks: nothing stored.
    for (const auto& [slot, kind, selection] : {std::tuple{-1, 0, 0}, {100, 0, 0}, {42, 1, 0}, {42, 0, 1}}) {
        library.transferSlot = slot;
        library.selectionKind = kind;
        library.upperSelection = selection;
        library.setSysexDatatoSelectedSlot(&received);
    }
    EXPECT_TRUE(library.bankFiles[0]->patches.empty());
    library.upperSelection = 0;
    library.setSysexDatatoSelectedSlot(&received);
    EXPECT_EQ(slotTexts(*library.bankFiles[0], {42, 100}),
              (std::vector<std::string>{paddedName("RECEIVED") + "|DRUM|137", "none"}));
}

// A dump that arrives while the library reloads waits for the reload and lands
// in the bank read anew, not in the one being freed.
TEST(LibraryModel, ASoundArrivingDuringAReloadLandsInTheReloadedBank)
{
    TempDataFolder data;
    writeFile(data.patches() + "/A.zt2", concat(currentDumps(100, "A")));
    struct MidReload : RecordingHost {
        void writeLogLine(const std::string& text) override
        {
            if (duringReload && text.rfind("PATCH LIBRARIAN: loaded file", 0) == 0)
                std::exchange(duringReload, nullptr)();
        }
        std::function<void()> duringReload;
    } host;
    PatchLibrarian library;
    library.setHost(&host);
    library.loadPatchesFromFilesystem(data.patches());
    library.transferSlot = 42;
    const LibrarianPatch received = bankOf({currentDump(3, "R")})->patches[0];
    std::atomic<bool> stored {false};
    std::thread midiInput;
    host.duringReload = [&] {
        midiInput = std::thread([&] { library.setSysexDatatoSelectedSlot(&received), stored = true; });
        // Time for a store that does not wait for the reload to get lost in it.
        for (int ms = 0; ms < 50 && !stored; ++ms)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    };
    library.initBankFilesOnDiscard(data.patches());
    midiInput.join();
    EXPECT_EQ(slotTexts(*library.bankFiles.at(0), {42, 43, 99}),
              (std::vector<std::string>{paddedName("R") + "|BASS|137", paddedName("A44") + "|BASS|137",
                  paddedName("A100") + "|BASS|137"}));
}

TEST(CategoryBanks, GatherOneCategoryFromAllFilesCopyingOnlyFirstMessagesAndEndAFullOneWithAnEmptyBankInTheTree)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(3, "BASS A", 3)));
    library.bankFiles.push_back(bankOf(currentDumps(2, "BASS B", 3)));
    std::vector<Bytes> mixed = currentDumps(2, "BASS C", 3);
    mixed.insert(mixed.end(), {currentDump(1, "PAD", 9), currentDump(2, "I", 20), currentDump(3, "U", 35)});
    library.bankFiles.push_back(bankOf(mixed));
    library.bankFiles[2]->patches[0].messages.push_back(PatchSysexMessage{Bytes{0xF0, 0xF7}});
    library.bankFiles.push_back(bankOf(currentDumps(100, "LEAD", 7)));
    library.createNewCategoryPatchFiles();
    // INIT (20) and 35 have no bank.
    EXPECT_EQ(bankTexts(library.categoryFiles),
              (std::vector<std::string>{"BASS 1|BASS|3|7", "LEAD 1|LEAD|7|100", "PAD  1|PAD |9|1"}));
    EXPECT_EQ(slotText(library.categoryFiles[0]->patches[5]), paddedName("BASS C1") + "|BASS|137");
    EXPECT_EQ(library.categoryFiles[0]->patches[5].messages.size(), 1u);
    ASSERT_EQ(library.categoryFolders.size(), 20u);
    EXPECT_EQ(library.categoryFolders[0]->name + "|" + library.categoryFolders[9]->name, "NONE 1|PAD  1");
    EXPECT_TRUE(library.categoryFolders[0]->subFolders.at(0).files.at(0)->patches.empty());
    const SubFolderFiles& lead = library.categoryFolders[7]->subFolders.at(0);
    ASSERT_EQ(lead.files.size(), 2u);
    EXPECT_EQ(bankText(*lead.files[1]), "LEAD 2|LEAD|7|0");
}

TEST(SearchBanks, MatchCaseSensitivelyAnywhereInTheNameInBanksOfAtMostOneHundred)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf({currentDump(1, "DEEP PAD"), currentDump(2, "PADDLE"), currentDump(3, "BASS")}));
    library.bankFiles.push_back(bankOf(currentDumps(250, "HIT PAD ")));
    library.createNewSearchPatchFiles("pad");
    EXPECT_TRUE(library.searchFiles.empty() && library.searchFolders.empty());
    library.createNewSearchPatchFiles("PAD");
    EXPECT_EQ(bankTexts(library.searchFiles), (std::vector<std::string>{"Search Results 1|Patches|0|100",
        "Search Results 2|Patches|1|100", "Search Results 3|Patches|2|52"}));
    EXPECT_EQ(library.searchFiles[0]->patches[1].name, paddedName("PADDLE"));
    ASSERT_EQ(library.searchFolders.size(), 1u);
    EXPECT_EQ(library.searchFolders[0]->name + " " + std::to_string(library.searchFolders[0]->files.size()), "Patches 3");
    library.bankFiles[1]->patches.resize(198);  // 200 results: the third bank is empty
    library.createNewSearchPatchFiles("PAD");
    ASSERT_EQ(library.searchFiles.size(), 3u);
    EXPECT_TRUE(library.searchFiles[2]->patches.empty());
}
