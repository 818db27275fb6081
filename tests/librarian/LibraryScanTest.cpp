// The library scan on temporary data folders. Every test counts the sounds on
// disk before and after the scan: none may disappear.

#include "LibraryTestSupport.h"

using namespace librarytest;

namespace {

class LibraryScan : public testing::Test {
protected:
    void SetUp() override { library.setHost(&host); }

    void scan()
    {
        before = soundsOnDisk(data.root);
        library.loadPatchesFromFilesystem(data.patches());
        expectNoSoundLost(before, soundsOnDisk(data.root));
    }

    std::string bankPath(size_t index) const
    {
        const PatchFile& file = *library.bankFiles.at(index);
        return file.directory + "/" + file.fileName;
    }

    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library;
    std::multiset<std::string> before;
};

Bytes bank(int count, const std::string& prefix, int category = 3)
{
    return concat(currentDumps(count, prefix, category));
}

}  // namespace

TEST_F(LibraryScan, ReadsSubfoldersFirstUpperCaseBeforeLowerCaseAndTheLibraryFolderLast)
{
    writeFile(data.patches() + "/b.zt2", bank(20, "B"));
    writeFile(data.patches() + "/A.zt2", bank(20, "A"));
    writeFile(data.patches() + "/X/c.syx", bank(20, "C"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 3u);
    EXPECT_EQ(bankPath(0), data.patches() + "/X/c.syx");
    EXPECT_EQ(bankPath(1), data.patches() + "/A.zt2");
    EXPECT_EQ(bankPath(2), data.patches() + "/b.zt2");
    EXPECT_EQ(library.bankFiles[0]->folderPath, (std::vector<std::string>{"Patches", "X"}));
    EXPECT_EQ(library.bankFiles[1]->folderName, "Patches");
    EXPECT_TRUE(host.logged("PATCH LIBRARIAN: loaded file " + data.patches() + "/A.zt2"));
}

TEST_F(LibraryScan, ReadsByLowerCaseExtensionAndMinimumSizeAndNeverReadsZty)
{
    Bytes five = bank(36, "FIVE");  // 4932 bytes
    five.resize(5000, 0x00);
    writeFile(data.patches() + "/Big.ZT2", five);
    Bytes small = bank(16, "SMALL");  // 2192 bytes
    small.resize(2200, 0x00);
    writeFile(data.patches() + "/small.zt2", small);
    writeFile(data.patches() + "/never.zty", bank(30, "ZTY"));
    writeFile(data.patches() + "/other.txt", bank(30, "TXT"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 1u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Big.ZT2");
    EXPECT_FALSE(host.logged("PATCH LIBRARIAN: loaded file " + data.patches() + "/never.zty"));
}

TEST_F(LibraryScan, PadsABankOf37SoundsWithNamedInitSlots)
{
    writeFile(data.patches() + "/Short.zt2", bank(37, "S"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 1u);
    const PatchFile& file = *library.bankFiles[0];
    ASSERT_EQ(file.patches.size(), 100u);
    EXPECT_EQ(file.patches[36].name, paddedName("S37"));
    for (size_t i = 37; i < 100; ++i) {
        EXPECT_EQ(file.patches[i].name, "INIT          ");
        EXPECT_EQ(file.patches[i].category, "NONE");
    }
}

TEST_F(LibraryScan, LeavesABankOfExactlyOneHundredSoundsAlone)
{
    writeFile(data.patches() + "/Full.zt2", bank(100, "F"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 1u);
    EXPECT_EQ(library.bankFiles[0]->patches[99].name, paddedName("F100"));
    EXPECT_TRUE(fs::exists(data.patches() + "/Full.zt2"));
    EXPECT_FALSE(fs::exists(data.converted()));
}

TEST_F(LibraryScan, SplitsA250SoundBankIntoThreeFilesAndMovesTheSource)
{
    writeFile(data.patches() + "/Big.syx", bank(250, "BIG"));
    scan();
    EXPECT_TRUE(host.logged("PATCH LIBRARIAN: moved file Big.syx because it is not Zelto 1 standard formatted!"));
    EXPECT_TRUE(fs::exists(data.converted() + "/Big.syx"));
    EXPECT_FALSE(fs::exists(data.patches() + "/Big.syx"));
    ASSERT_EQ(library.bankFiles.size(), 3u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Big Singles 1.zt2");
    EXPECT_EQ(library.bankFiles[1]->fileName, "Big Singles 2.zt2");
    EXPECT_EQ(library.bankFiles[2]->fileName, "Big Singles 3.zt2");
    EXPECT_EQ(library.bankFiles[0]->patches[0].name, paddedName("BIG1"));
    EXPECT_EQ(library.bankFiles[1]->patches[0].name, paddedName("BIG101"));
    EXPECT_EQ(library.bankFiles[2]->patches[49].name, paddedName("BIG250"));
    // The filling written to disk is read back by the repeated scan as INIT sounds.
    EXPECT_EQ(library.bankFiles[2]->patches[50].name, paddedName("INIT"));
    EXPECT_EQ(readFile(data.patches() + "/Big Singles 3.zt2").size(), 13700u);
    EXPECT_EQ(host.count("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), 1);
}

TEST_F(LibraryScan, ConvertsAnOlderModelBankWithoutOverwritingItsSource)
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
    EXPECT_EQ(host.count("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), 1);
    ASSERT_EQ(library.bankFiles.size(), 1u);
    EXPECT_EQ(library.bankFiles[0]->patches[0].name, paddedName("OLD0"));
    // Category banks are built once, by the repeated scan.
    ASSERT_EQ(library.categoryFolders.size(), 20u);
    const SubFolderFiles& bass = library.categoryFolders[3]->subFolders.at(0);
    ASSERT_EQ(bass.files.size(), 1u);
    EXPECT_EQ(bass.files[0]->patches.size(), 30u);
}

TEST_F(LibraryScan, SplitsALargeOlderModelBankIntoDistinctPieces)
{
    std::vector<Bytes> old(150, olderDump(76));
    writeFile(data.patches() + "/Vintage.syx", concat(old));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 2u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Vintage Singles 1.zt2");
    EXPECT_EQ(library.bankFiles[1]->fileName, "Vintage Singles 2.zt2");
    EXPECT_EQ(library.bankFiles[1]->patches[49].name, "SOUND       50");
}

TEST_F(LibraryScan, NeverOverwritesAnExistingFileWithAPiece)
{
    const Bytes mine = bank(20, "MINE");
    writeFile(data.patches() + "/Big Singles 1.zt2", mine);
    writeFile(data.patches() + "/Big.syx", bank(150, "BIG"));
    scan();
    EXPECT_EQ(readFile(data.patches() + "/Big Singles 1.zt2"), mine);
    EXPECT_TRUE(fs::exists(data.patches() + "/Big Singles 1 (2).zt2"));
    EXPECT_EQ(library.bankFiles.size(), 3u);
}

TEST_F(LibraryScan, KeepsASourceThatCannotBeMovedAndScansOnlyOnce)
{
    writeFile(data.converted(), Bytes{1});  // a file where the folder should be
    writeFile(data.patches() + "/Big.syx", bank(150, "BIG"));
    writeFile(data.patches() + "/Old.zt2", concat(std::vector<Bytes>(30, olderDump(92))));
    scan();
    EXPECT_TRUE(fs::exists(data.patches() + "/Big.syx"));
    EXPECT_TRUE(fs::exists(data.patches() + "/Old.zt2"));
    EXPECT_FALSE(fs::exists(data.patches() + "/Big Singles 1.zt2"));
    EXPECT_EQ(host.count("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"), 0);
    // The sounds are still offered, from memory.
    ASSERT_EQ(library.bankFiles.size(), 3u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Big Singles 1.zt2");
    EXPECT_EQ(library.bankFiles[1]->patches[49].name, paddedName("BIG150"));
    EXPECT_EQ(library.bankFiles[2]->patches[0].messages[0].bytes.size(), 137u);
}

TEST_F(LibraryScan, SkipsUnreadableFilesAndGoesOn)
{
    Bytes noise(3000);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>((i * 37) & 0x7F);
    writeFile(data.patches() + "/Noise.syx", noise);
    fs::create_symlink(data.root + "/missing.zt2", data.patches() + "/Dangling.zt2");
    writeFile(data.patches() + "/Real.zt2", bank(20, "REAL"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 1u);
    EXPECT_EQ(library.bankFiles[0]->fileName, "Real.zt2");
}

TEST_F(LibraryScan, BuildsSharedFolderNodesWithThePatchesNodeLast)
{
    writeFile(data.patches() + "/Top.zt2", bank(20, "T"));
    writeFile(data.patches() + "/A/B/one.zt2", bank(20, "AB"));
    writeFile(data.patches() + "/A/C/two.zt2", bank(20, "AC"));
    writeFile(data.patches() + "/A/B/D/deep.zt2", bank(20, "D"));
    writeFile(data.patches() + "/E/three.zt2", bank(20, "E"));
    scan();
    ASSERT_EQ(library.bankFiles.size(), 5u);
    ASSERT_EQ(library.bankFolders.size(), 3u);
    const FolderFiles& a = *library.bankFolders[0];
    EXPECT_EQ(a.name, "");
    ASSERT_EQ(a.subFolders.size(), 1u);
    EXPECT_EQ(a.subFolders[0].name, "A");
    EXPECT_TRUE(a.subFolders[0].files.empty());
    ASSERT_EQ(a.subFolders[0].subFolders.size(), 2u);
    EXPECT_EQ(a.subFolders[0].subFolders[0].name, "B");
    EXPECT_EQ(a.subFolders[0].subFolders[0].files.size(), 1u);  // deep.zt2 is in no node
    EXPECT_EQ(a.subFolders[0].subFolders[1].name, "C");
    EXPECT_EQ(library.bankFolders[1]->subFolders[0].name, "E");
    EXPECT_EQ(library.bankFolders[2]->name, "Patches");
    EXPECT_EQ(library.bankFolders[2]->files.size(), 1u);
}

TEST_F(LibraryScan, ListsFilesOfTheSameNameInDifferentFoldersAndExtensions)
{
    writeFile(data.patches() + "/Same.zt2", bank(20, "Z"));
    writeFile(data.patches() + "/Same.syx", bank(20, "S"));
    writeFile(data.patches() + "/Sub/Same.zt2", bank(20, "U"));
    scan();
    EXPECT_EQ(library.bankFiles.size(), 3u);
}

TEST_F(LibraryScan, LogsAMissingLibraryFolderAndChangesNothing)
{
    library.loadPatchesFromFilesystem(data.root + "/Nowhere");
    EXPECT_TRUE(host.logged("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."));
    EXPECT_TRUE(library.bankFiles.empty());
    EXPECT_TRUE(library.categoryFolders.empty());
}

TEST_F(LibraryScan, ReloadReplacesListsAndTrees)
{
    writeFile(data.patches() + "/One.zt2", bank(20, "ONE"));
    scan();
    library.createNewSearchPatchFiles("ONE");
    ASSERT_FALSE(library.searchFiles.empty());
    writeFile(data.patches() + "/Two.zt2", bank(20, "TWO"));
    library.initBankFilesOnDiscard(data.patches());
    EXPECT_EQ(library.bankFiles.size(), 2u);
    EXPECT_TRUE(library.searchFiles.empty());
    EXPECT_TRUE(library.searchFolders.empty());
    EXPECT_EQ(library.bankFolders.size(), 1u);
    EXPECT_EQ(library.categoryFolders.size(), 20u);
}
