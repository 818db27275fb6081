// Category banks and search result banks built from the bank files in memory.

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace librarytest;

namespace {

const PatchFile* categoryBank(const PatchLibrarian& library, const std::string& name)
{
    for (const auto& file : library.categoryFiles)
        if (file->fileName == name)
            return file.get();
    return nullptr;
}

}  // namespace

TEST(CategoryBanks, GathersOneCategoryFromAllFilesCopyingOnlyFirstMessages)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(3, "BASS A", 3)));
    library.bankFiles.push_back(bankOf(currentDumps(2, "BASS B", 3)));
    std::vector<Bytes> mixed = currentDumps(2, "BASS C", 3);
    mixed.push_back(currentDump(1, "PAD", 9));
    mixed.push_back(currentDump(2, "I", 20));
    mixed.push_back(currentDump(3, "U", 35));
    library.bankFiles.push_back(bankOf(mixed));
    library.bankFiles[2]->patches[0].messages.push_back(PatchSysexMessage{Bytes{0xF0, 0xF7}});
    library.createNewCategoryPatchFiles();

    const PatchFile* bass = categoryBank(library, "BASS 1");
    ASSERT_NE(bass, nullptr);
    EXPECT_EQ(bass->patches.size(), 7u);
    EXPECT_EQ(bass->folderName, "BASS");
    EXPECT_EQ(bass->number, 3);
    EXPECT_EQ(bass->patches[5].name, paddedName("BASS C1"));
    EXPECT_EQ(bass->patches[5].messages.size(), 1u);
    ASSERT_NE(categoryBank(library, "PAD  1"), nullptr);
    EXPECT_EQ(library.categoryFiles.size(), 2u);  // INIT (20) and 35 have no bank
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
    const PatchFile* lead = categoryBank(library, "LEAD 1");
    ASSERT_NE(lead, nullptr);
    EXPECT_EQ(lead->patches.size(), 100u);
    EXPECT_EQ(categoryBank(library, "LEAD 2"), nullptr);
    const SubFolderFiles& node = library.categoryFolders[7]->subFolders.at(0);
    ASSERT_EQ(node.files.size(), 2u);
    EXPECT_EQ(node.files[1]->fileName, "LEAD 2");
    EXPECT_TRUE(node.files[1]->patches.empty());
}

TEST(SearchBanks, MatchesCaseSensitivelyAnywhereInTheName)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf({currentDump(1, "DEEP PAD"), currentDump(2, "PADDLE"), currentDump(3, "BASS")}));
    library.createNewSearchPatchFiles("pad");
    EXPECT_TRUE(library.searchFiles.empty());
    EXPECT_TRUE(library.searchFolders.empty());
    library.createNewSearchPatchFiles("PAD");
    ASSERT_EQ(library.searchFiles.size(), 1u);
    const PatchFile& results = *library.searchFiles[0];
    EXPECT_EQ(results.fileName, "Search Results 1");
    EXPECT_EQ(results.folderName, "Patches");
    ASSERT_EQ(results.patches.size(), 2u);
    EXPECT_EQ(results.patches[1].name, paddedName("PADDLE"));
    ASSERT_EQ(library.searchFolders.size(), 1u);
    EXPECT_EQ(library.searchFolders[0]->name, "Patches");
}

TEST(SearchBanks, SplitsResultsIntoBanksOfAtMostOneHundred)
{
    PatchLibrarian library;
    library.bankFiles.push_back(bankOf(currentDumps(250, "HIT ")));
    library.createNewSearchPatchFiles("HIT");
    ASSERT_EQ(library.searchFiles.size(), 3u);
    EXPECT_EQ(library.searchFiles[1]->patches.size(), 100u);
    EXPECT_EQ(library.searchFiles[2]->patches.size(), 50u);
    EXPECT_EQ(library.searchFiles[2]->fileName, "Search Results 3");
    EXPECT_EQ(library.searchFiles[2]->number, 2);
    EXPECT_EQ(library.searchFolders.at(0)->files.size(), 3u);

    library.bankFiles[0]->patches.resize(200);
    library.createNewSearchPatchFiles("HIT");
    ASSERT_EQ(library.searchFiles.size(), 3u);
    EXPECT_TRUE(library.searchFiles[2]->patches.empty());
}
