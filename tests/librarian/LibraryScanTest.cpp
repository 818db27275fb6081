// The library scan on temporary data folders. Every scan counts the sounds on
// disk before and after: none may disappear.

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace librarytest;

namespace {

class LibraryScan : public testing::Test {
protected:
    void SetUp() override { library.setHost(&host); }

    void scan()
    {
        const std::multiset<std::string> before = soundsOnDisk(data.root);
        library.loadPatchesFromFilesystem(data.patches());
        const std::multiset<std::string> after = soundsOnDisk(data.root);
        EXPECT_TRUE(std::includes(after.begin(), after.end(), before.begin(), before.end()))
            << "sounds disappeared from disk";
    }

    std::vector<std::string> bankPaths() const
    {
        std::vector<std::string> paths;
        for (const auto& file : library.bankFiles)
            paths.push_back(file->directory + "/" + file->fileName);
        return paths;
    }

    void put(const std::string& relative, int sounds, const std::string& prefix)
    {
        writeFile(data.patches() + "/" + relative, concat(currentDumps(sounds, prefix)));
    }

    int rescans() const { return host.count("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"); }

    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library;
};

}  // namespace

TEST_F(LibraryScan, ReadsSubfoldersFirstUpperCaseBeforeLowerCaseAndTheLibraryFolderLast)
{
    put("b.zt2", 20, "B");
    put("A.zt2", 20, "A");
    put("A.syx", 20, "S");
    put("X/c.syx", 20, "C");
    put("X/A.zt2", 20, "XA");
    scan();
    const std::string p = data.patches();
    EXPECT_EQ(bankPaths(), (std::vector<std::string>{p + "/X/A.zt2", p + "/X/c.syx", p + "/A.syx", p + "/A.zt2",
                                                     p + "/b.zt2"}));
    EXPECT_EQ(library.bankFiles[0]->folderPath, (std::vector<std::string>{"Patches", "X"}));
    EXPECT_EQ(library.bankFiles[3]->folderName, "Patches");
    EXPECT_EQ(host.count("PATCH LIBRARIAN: loaded file " + p + "/A.zt2"), 1);
}

TEST_F(LibraryScan, ReadsByLowerCaseExtensionAndMinimumSizeFollowsLinksWithoutLoopingAndSkipsWhatItCannotRead)
{
    Bytes five = concat(currentDumps(36, "FIVE"));
    five.resize(5000, 0x00);
    writeFile(data.patches() + "/Big.ZT2", five);
    Bytes small = concat(currentDumps(16, "SMALL"));
    small.resize(2200, 0x00);
    writeFile(data.patches() + "/small.zt2", small);
    put("never.zty", 30, "ZTY");
    put("other.txt", 30, "TXT");
    Bytes noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>((i * 37) & 0x7F);
    writeFile(data.patches() + "/Noise.syx", noise);
    fs::create_symlink(data.root + "/missing.zt2", data.patches() + "/Dangling.zt2");
    put("../Elsewhere/Linked.zt2", 20, "L");  // a linked folder that links back
    fs::create_directory_symlink(data.root + "/Elsewhere", data.patches() + "/Link");
    fs::create_directory_symlink(data.patches(), data.patches() + "/Link/Back");
    scan();
    EXPECT_EQ(bankPaths(), (std::vector<std::string>{data.patches() + "/Link/Linked.zt2", data.patches() + "/Big.ZT2"}));
}

TEST_F(LibraryScan, PadsShortBanksWithNamedInitSlotsAndLeavesFullOnesAlone)
{
    put("Full.zt2", 100, "F");
    put("Short.zt2", 37, "S");
    scan();
    ASSERT_EQ(library.bankFiles.size(), 2u);
    EXPECT_EQ(library.bankFiles[0]->patches[99].name, paddedName("F100"));
    const PatchFile& padded = *library.bankFiles[1];
    ASSERT_EQ(padded.patches.size(), 100u);
    EXPECT_EQ(padded.patches[36].name, paddedName("S37"));
    EXPECT_EQ(padded.patches[37].name, "INIT          ");
    EXPECT_EQ(padded.patches[99].category, "NONE");
    EXPECT_FALSE(fs::exists(data.converted()));
}

TEST_F(LibraryScan, SplitsBanksFromTheFirstSoundPastOneBankAndMovesTheSources)
{
    put("Big.syx", 250, "BIG");
    put("Edge.syx", 101, "EDGE");
    scan();
    EXPECT_EQ(host.count("PATCH LIBRARIAN: moved file Big.syx because it is not Zelto 1 standard formatted!"), 1);
    EXPECT_TRUE(fs::exists(data.converted() + "/Big.syx"));
    EXPECT_TRUE(fs::exists(data.converted() + "/Edge.syx"));
    const std::string p = data.patches();
    ASSERT_EQ(bankPaths(), (std::vector<std::string>{p + "/Big Singles 1.zt2", p + "/Big Singles 2.zt2",
                                                     p + "/Big Singles 3.zt2", p + "/Edge Singles 1.zt2",
                                                     p + "/Edge Singles 2.zt2"}));
    EXPECT_EQ(library.bankFiles[1]->patches[0].name, paddedName("BIG101"));
    EXPECT_EQ(library.bankFiles[2]->patches[49].name, paddedName("BIG250"));
    EXPECT_EQ(library.bankFiles[2]->patches[50].name, paddedName("INIT"));
    EXPECT_EQ(library.bankFiles[4]->patches[0].name, paddedName("EDGE101"));
    EXPECT_EQ(library.bankFiles[4]->patches[1].name, paddedName("INIT"));
    EXPECT_EQ(readFile(p + "/Big Singles 3.zt2").size(), 13700u);
    EXPECT_EQ(rescans(), 1);
}

TEST_F(LibraryScan, SplitsALargeOlderModelBankIntoDistinctPieces)
{
    writeFile(data.patches() + "/Vintage.syx", concat(std::vector<Bytes>(150, olderDump(76))));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 2u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Vintage Singles 1.zt2");
    EXPECT_EQ(library.bankFiles[1]->fileName, "Vintage Singles 2.zt2");
    EXPECT_EQ(library.bankFiles[1]->patches[49].name, "SOUND       50");
}

TEST_F(LibraryScan, ConvertsAnOlderModelBankWithoutOverwritingItsSourceAndBuildsCategoriesOnce)
{
    std::vector<Bytes> old;
    for (int i = 0; i < 30; ++i)
        old.push_back(olderDump(92, "OLD" + std::to_string(i), 3));
    const Bytes source = concat(old);
    writeFile(data.patches() + "/Old.zt2", source);
    scan();
    EXPECT_EQ(readFile(data.converted() + "/Old.zt2"), source);
    const Bytes converted = readFile(data.patches() + "/Old.zt2");
    ASSERT_EQ(converted.size(), 13700u);
    EXPECT_EQ(converted[2], 0x16);
    EXPECT_EQ(rescans(), 1);
    ASSERT_EQ(library.bankFiles.size(), 1u);
    EXPECT_EQ(library.bankFiles[0]->patches[0].name, paddedName("OLD0"));
    ASSERT_EQ(library.categoryFolders.size(), 20u);
    const SubFolderFiles& bass = library.categoryFolders[3]->subFolders.at(0);
    ASSERT_EQ(bass.files.size(), 1u);
    EXPECT_EQ(bass.files[0]->patches.size(), 30u);
}

TEST_F(LibraryScan, NeverOverwritesAnExistingFileWithAPiece)
{
    const Bytes mine = concat(currentDumps(20, "MINE"));
    writeFile(data.patches() + "/Big Singles 1.zt2", mine);
    put("Big.syx", 150, "BIG");
    scan();
    EXPECT_EQ(readFile(data.patches() + "/Big Singles 1.zt2"), mine);
    EXPECT_TRUE(fs::exists(data.patches() + "/Big Singles 1 (2).zt2"));
    EXPECT_EQ(library.bankFiles.size(), 3u);
}

TEST_F(LibraryScan, KeepsASourceThatCannotBeMovedAndScansOnlyOnce)
{
    writeFile(data.converted(), Bytes{1});  // a file where the folder should be
    put("Big.syx", 150, "BIG");
    writeFile(data.patches() + "/Old.zt2", concat(std::vector<Bytes>(30, olderDump(92))));
    scan();
    EXPECT_TRUE(fs::exists(data.patches() + "/Big.syx"));
    EXPECT_TRUE(fs::exists(data.patches() + "/Old.zt2"));
    EXPECT_FALSE(fs::exists(data.patches() + "/Big Singles 1.zt2"));
    EXPECT_EQ(rescans(), 0);
    // The sounds are still offered, from memory.
    ASSERT_EQ(library.bankFiles.size(), 3u);
    EXPECT_EQ(library.bankFiles[1]->patches[49].name, paddedName("BIG150"));
    EXPECT_EQ(library.bankFiles[2]->patches[0].messages[0].bytes.size(), 137u);
}

TEST_F(LibraryScan, BuildsSharedFolderNodesWithThePatchesNodeLast)
{
    put("Top.zt2", 20, "T");
    put("A/B/one.zt2", 20, "AB");
    put("A/C/two.zt2", 20, "AC");
    put("A/B/D/deep.zt2", 20, "D");
    put("E/three.zt2", 20, "E");
    scan();
    ASSERT_EQ(library.bankFiles.size(), 5u);
    ASSERT_EQ(library.bankFolders.size(), 3u);
    const FolderFiles& a = *library.bankFolders[0];
    ASSERT_EQ(a.subFolders.size(), 1u);
    EXPECT_TRUE(a.subFolders[0].files.empty());
    ASSERT_EQ(a.subFolders[0].subFolders.size(), 2u);
    EXPECT_EQ(a.subFolders[0].subFolders[0].name, "B");
    EXPECT_EQ(a.subFolders[0].subFolders[0].files.size(), 1u);  // deep.zt2 is in no node
    EXPECT_EQ(a.subFolders[0].subFolders[1].name, "C");
    EXPECT_EQ(library.bankFolders[2]->name, "Patches");
    EXPECT_EQ(library.bankFolders[2]->files.size(), 1u);
}

TEST_F(LibraryScan, LogsAMissingLibraryFolderAndChangesNothing)
{
    library.loadPatchesFromFilesystem(data.root + "/Nowhere");
    EXPECT_EQ(host.count("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."), 1);
    EXPECT_TRUE(library.bankFiles.empty());
    EXPECT_TRUE(library.categoryFolders.empty());
}

TEST_F(LibraryScan, ReloadReplacesListsAndTrees)
{
    put("One.zt2", 20, "ONE");
    scan();
    library.createNewSearchPatchFiles("ONE");
    ASSERT_FALSE(library.searchFiles.empty());
    put("Two.zt2", 20, "TWO");
    library.initBankFilesOnDiscard(data.patches());
    EXPECT_EQ(library.bankFiles.size(), 2u);
    EXPECT_TRUE(library.searchFiles.empty());
    EXPECT_TRUE(library.searchFolders.empty());
    EXPECT_EQ(library.bankFolders.size(), 1u);
    EXPECT_EQ(library.categoryFolders.size(), 20u);
}
