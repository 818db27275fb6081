// The library scan on temporary data folders. Every scan counts the sounds on
// disk before and after: none may disappear.

#include "LibraryTestSupport.h"
#include "SourceReplacement.h"

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

    // The banks read, relative to the library folder.
    std::vector<std::string> banks() const
    {
        std::vector<std::string> paths;
        for (const auto& file : library.bankFiles)
            paths.push_back((file->directory + "/" + file->fileName).substr(data.patches().size() + 1));
        return paths;
    }
    std::string path(const std::string& relative) const { return data.patches() + "/" + relative; }
    void put(const std::string& relative, int sounds, const std::string& prefix)
    {
        writeFile(path(relative), concat(currentDumps(sounds, prefix)));
    }
    std::string slotName(size_t bank, size_t slot) const { return library.bankFiles.at(bank)->patches.at(slot).name; }
    int rescans() const { return host.count("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN"); }

    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library;
};

using Names = std::vector<std::string>;

}  // namespace

TEST_F(LibraryScan, ReadsSubfoldersFirstUpperCaseBeforeLowerCaseAndTheLibraryFolderLastAndSharesFolderNodes)
{
    for (const char* file : {"b.zt2", "A.zt2", "A.syx", "X/c.syx", "X/A.zt2", "A/B/one.zt2", "A/C/two.zt2",
             "A/B/D/deep.zt2"})
        put(file, 20, "S");
    scan();
    EXPECT_EQ(banks(), (Names{"A/B/one.zt2", "A/B/D/deep.zt2", "A/C/two.zt2", "X/A.zt2", "X/c.syx", "A.syx", "A.zt2",
                           "b.zt2"}));
    EXPECT_EQ(library.bankFiles[3]->folderPath, (Names{"Patches", "X"}));
    EXPECT_EQ(library.bankFiles[6]->folderName, "Patches");
    EXPECT_EQ(host.count("PATCH LIBRARIAN: loaded file " + path("A.zt2")), 1);
    ASSERT_EQ(library.bankFolders.size(), 3u);
    const FolderFiles& a = *library.bankFolders[0];
    ASSERT_TRUE(a.subFolders.size() == 1 && a.subFolders[0].files.empty() && a.subFolders[0].subFolders.size() == 2);
    const std::vector<SubFolderFiles2>& nodes = a.subFolders[0].subFolders;
    EXPECT_EQ(nodes[0].name + std::to_string(nodes[0].files.size()) + nodes[1].name, "B1C");  // deep.zt2 is in no node
    EXPECT_EQ(library.bankFolders[2]->name + " " + std::to_string(library.bankFolders[2]->files.size()), "Patches 3");
}

TEST_F(LibraryScan, ReadsByLowerCaseExtensionAndMinimumSizeFollowsLinksWithoutLoopingAndSkipsWhatItCannotRead)
{
    Bytes five = concat(currentDumps(36, "FIVE")), small = concat(currentDumps(16, "SMALL")), noise(3000);
    five.resize(5000, 0x00);
    small.resize(2200, 0x00);
    for (size_t i = 0; i < noise.size(); ++i)
        noise[i] = static_cast<unsigned char>((i * 37) & 0x7F);
    writeFile(path("Big.ZT2"), five);
    writeFile(path("small.zt2"), small);
    writeFile(path("Noise.syx"), noise);
    put("never.zty", 30, "ZTY");
    put("other.txt", 30, "TXT");
    fs::create_symlink(data.root + "/missing.zt2", path("Dangling.zt2"));
    put("../Elsewhere/Linked.zt2", 20, "L");  // a linked folder that links back
    fs::create_directory_symlink(data.root + "/Elsewhere", path("Link"));
    fs::create_directory_symlink(data.patches(), path("Link/Back"));
    scan();
    EXPECT_EQ(banks(), (Names{"Link/Linked.zt2", "Big.ZT2"}));
}

TEST_F(LibraryScan, SplitsBanksFromTheFirstSoundPastOneBankMovesTheSourcesAndNeverOverwritesAFile)
{
    const Bytes mine = concat(currentDumps(20, "MINE"));
    writeFile(path("Big Singles 1.zt2"), mine);
    put("Big.syx", 250, "BIG");
    put("Edge.syx", 101, "EDGE");
    writeFile(path("Vintage.syx"), concat(std::vector<Bytes>(150, olderDump(76))));
    scan();
    EXPECT_EQ(host.count("PATCH LIBRARIAN: moved file Big.syx because it is not Zelto 1 standard formatted!"), 1);
    for (const char* source : {"/Big.syx", "/Edge.syx", "/Vintage.syx"})
        EXPECT_TRUE(fs::exists(data.converted() + source)) << source;
    ASSERT_EQ(banks(), (Names{"Big Singles 1 (2).zt2", "Big Singles 1.zt2", "Big Singles 2.zt2",
                           "Big Singles 3.zt2", "Edge Singles 1.zt2", "Edge Singles 2.zt2", "Vintage Singles 1.zt2",
                           "Vintage Singles 2.zt2"}));
    EXPECT_EQ(readFile(path("Big Singles 1.zt2")), mine);
    // Older-model pieces are numbered apart.
    EXPECT_EQ((Names{slotName(0, 0), slotName(2, 0), slotName(3, 49), slotName(3, 50), slotName(5, 0), slotName(5, 1),
                  slotName(7, 49)}), (Names{paddedName("BIG1"), paddedName("BIG101"), paddedName("BIG250"),
                  paddedName("INIT"), paddedName("EDGE101"), paddedName("INIT"), "SOUND       50"}));
    EXPECT_EQ(readFile(path("Big Singles 3.zt2")).size(), 13700u);
    EXPECT_EQ(readFile(path("Vintage Singles 1.zt2")).at(2), 0x16);  // converted to the current model
    EXPECT_EQ(rescans(), 1);
}

TEST_F(LibraryScan, KeepsASourceThatCannotBeMovedAndScansOnlyOnceOfferingTheSoundsFromMemory)
{
    writeFile(data.converted(), Bytes{1});  // a file where the folder should be
    put("Big.syx", 150, "BIG");
    writeFile(path("Old.zt2"), concat(std::vector<Bytes>(30, olderDump(92))));
    scan();
    EXPECT_TRUE(fs::exists(path("Big.syx")) && fs::exists(path("Old.zt2")));
    EXPECT_FALSE(fs::exists(path("Big Singles 1.zt2")));
    EXPECT_EQ(rescans(), 0);
    ASSERT_EQ(library.bankFiles.size(), 3u);
    EXPECT_EQ(slotTexts(*library.bankFiles[1], {49}), Names{paddedName("BIG150") + "|BASS|137"});
    EXPECT_EQ(slotTexts(*library.bankFiles[2], {0}), Names{paddedName("OLDSOUND") + "|PAD |137"});
}

TEST_F(LibraryScan, ReloadReplacesListsAndTreesAndAMissingLibraryFolderIsLogged)
{
    put("One.zt2", 20, "ONE");
    scan();
    library.createNewSearchPatchFiles("ONE");
    ASSERT_FALSE(library.searchFiles.empty());
    put("Two.zt2", 20, "TWO");
    library.initBankFilesOnDiscard(data.patches());
    EXPECT_EQ(std::tuple(2u, 1u, 20u, true), std::tuple(library.bankFiles.size(), library.bankFolders.size(),
        library.categoryFolders.size(), library.searchFiles.empty() && library.searchFolders.empty()));
    library.initBankFilesOnDiscard(data.root + "/Nowhere");
    EXPECT_EQ(host.count("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER..."), 1);
    EXPECT_TRUE(library.bankFiles.empty() && library.categoryFolders.empty());
}

TEST(ReplacementNote, ReadsBackWhatItWroteAndRefusesAnyPathOutsideTheLibraryOrConvertedBanks)
{
    const sourcereplacement::Plan plan{"/d/Patches/A/Big.syx", "/d/Converted Banks/Big (2).syx",
                                       {"/d/Patches/A/Big Singles 1.zt2", "/d/Patches/A/Big Singles 2.zt2"}};
    sourcereplacement::Plan read;
    ASSERT_TRUE(sourcereplacement::readNote(noteText(plan, "/d/"), "/d/", "/d/Patches", read));
    EXPECT_EQ(noteText(plan, "/"), noteText(read, "/"));
    const std::string copy = "copy\tConverted Banks/x\n", piece = "piece\tPatches/y\n";
    for (const std::string& text : {"source\tPatches/../x\n" + copy + piece, "source\t/etc/x\n" + copy + piece,
             "source\tPatches/x\ncopy\tPatches/x\n" + piece, "source\tPatches/x\n" + copy + "piece\tPatches\n",
             "source\tPatches/x\n" + copy, "source Patches/x\n" + copy + piece,
             "source\tPatches/x\nsource\tPatches/z\n" + copy + piece, "size\t1\n" + copy + piece})
        EXPECT_FALSE(sourcereplacement::readNote(text, "/d/", "/d/Patches", read)) << text;
}
