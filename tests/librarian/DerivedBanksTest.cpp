// Category banks and search result banks built from the bank files in memory.

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace librarytest;

namespace {

std::vector<std::string> banks(const PatchFileList& files)
{
    std::vector<std::string> texts;
    for (const auto& file : files)
        texts.push_back(bankText(*file));
    return texts;
}

}  // namespace

TEST(CategoryBanks, GathersOneCategoryFromAllFilesCopyingOnlyFirstMessages)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(3, "BASS A", 3)));
    library.bankFiles.push_back(bankOf(currentDumps(2, "BASS B", 3)));
    std::vector<Bytes> mixed = currentDumps(2, "BASS C", 3);
    mixed.insert(mixed.end(), {currentDump(1, "PAD", 9), currentDump(2, "I", 20), currentDump(3, "U", 35)});
    library.bankFiles.push_back(bankOf(mixed));
    library.bankFiles[2]->patches[0].messages.push_back(PatchSysexMessage{Bytes{0xF0, 0xF7}});
    library.createNewCategoryPatchFiles();
    // INIT (20) and 35 have no bank.
    EXPECT_EQ(banks(library.categoryFiles), (std::vector<std::string>{"BASS 1|BASS|3|7", "PAD  1|PAD |9|1"}));
    EXPECT_EQ(slotText(library.categoryFiles[0]->patches[5]), paddedName("BASS C1") + "|BASS|137");
    EXPECT_EQ(library.categoryFiles[0]->patches[5].messages.size(), 1u);
    ASSERT_EQ(library.categoryFolders.size(), 20u);
    EXPECT_EQ(library.categoryFolders[0]->name, "NONE 1");
    EXPECT_TRUE(library.categoryFolders[0]->subFolders.at(0).files.at(0)->patches.empty());
    EXPECT_EQ(library.categoryFolders[9]->name, "PAD  1");
}

TEST(CategoryBanks, EndsAFullCategoryWithAnEmptyBankOnlyInTheTree)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(100, "LEAD", 7)));
    library.createNewCategoryPatchFiles();
    EXPECT_EQ(banks(library.categoryFiles), std::vector<std::string>{"LEAD 1|LEAD|7|100"});
    const SubFolderFiles& node = library.categoryFolders[7]->subFolders.at(0);
    ASSERT_EQ(node.files.size(), 2u);
    EXPECT_EQ(bankText(*node.files[1]), "LEAD 2|LEAD|7|0");
}

TEST(SearchBanks, MatchesCaseSensitivelyAnywhereInTheName)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf({currentDump(1, "DEEP PAD"), currentDump(2, "PADDLE"), currentDump(3, "BASS")}));
    library.createNewSearchPatchFiles("pad");
    EXPECT_TRUE(library.searchFiles.empty() && library.searchFolders.empty());
    library.createNewSearchPatchFiles("PAD");
    EXPECT_EQ(banks(library.searchFiles), std::vector<std::string>{"Search Results 1|Patches|0|2"});
    EXPECT_EQ(library.searchFiles[0]->patches[1].name, paddedName("PADDLE"));
    ASSERT_EQ(library.searchFolders.size(), 1u);
    EXPECT_EQ(library.searchFolders[0]->name, "Patches");
}

TEST(SearchBanks, SplitsResultsIntoBanksOfAtMostOneHundred)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(250, "HIT ")));
    library.createNewSearchPatchFiles("HIT");
    EXPECT_EQ(banks(library.searchFiles), (std::vector<std::string>{"Search Results 1|Patches|0|100",
        "Search Results 2|Patches|1|100", "Search Results 3|Patches|2|50"}));
    EXPECT_EQ(library.searchFolders.at(0)->files.size(), 3u);
    library.bankFiles[0]->patches.resize(200);
    library.createNewSearchPatchFiles("HIT");
    ASSERT_EQ(library.searchFiles.size(), 3u);
    EXPECT_TRUE(library.searchFiles[2]->patches.empty());
}
