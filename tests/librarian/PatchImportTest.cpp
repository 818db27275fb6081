// Import of single sounds and bank files: the reader over file bytes, and the
// editor's import commands storing into the transfer slot.
#include "LibrarianEditorFixture.h"
#include "PatchImport.h"

namespace {

using namespace librarytest;

std::string nameBytes(const Bytes& dump)
{
    return std::string(dump.begin() + 120, dump.begin() + 134);
}

TEST(PatchImportReader, OlderSingleIsConvertedAndNamedFromItsFileName)
{
    const auto sounds = patchimport::readSingleSounds(olderDump(76), "/x/Warm Pad.syx", true);
    ASSERT_EQ(1u, sounds.size());
    ASSERT_EQ(137u, sounds[0].size());
    EXPECT_EQ(hex("F0 3E 16"), Bytes(sounds[0].begin(), sounds[0].begin() + 3));
    EXPECT_EQ("Warm Pad      ", nameBytes(sounds[0]));
    EXPECT_EQ(0x14, sounds[0][134]);  // INIT
    EXPECT_EQ(0xF7, sounds[0][136]);
}

TEST(PatchImportReader, NamesFromFileNamesAreCutPaddedAndPrintable)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"/x/Twenty Characters!.syx", "Twenty Charact"},
        {"C:\\b\\Pad.v2.syx", "Pad.v2        "},
        {"", "IMPORTEDSINGLE"},
        {"/x/Caf\xC3\xA9\x09.syx", "Caf           "},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.name, patchimport::nameFromFilePath(c.path)) << c.path;
}

TEST(PatchImportReader, OlderDumpOf77BytesIsCutTo76AndNamedFromTheFile)
{
    const auto sounds = patchimport::readSingleSounds(olderDump(78), "/x/Bell.syx", true);
    ASSERT_EQ(1u, sounds.size());
    EXPECT_EQ("Bell          ", nameBytes(sounds[0]));
}

TEST(PatchImportReader, ThreeDumpsInOneFileComeInFileOrder)
{
    const Bytes file = concat({olderDump(92, "FIRST"), olderDump(92, "SECOND"), olderDump(92, "THIRD")});
    const auto sounds = patchimport::readSingleSounds(file, "/x/Three.syx", true);
    ASSERT_EQ(3u, sounds.size());
    EXPECT_EQ("THIRD         ", nameBytes(sounds[2]));
}

TEST(PatchImportReader, CurrentSingleOf137BytesComesBackByteForByte)
{
    const Bytes dump = currentDump(4, "KEEP ME", 7);
    const auto sounds = patchimport::readSingleSounds(dump, "/x/Keep.syx", false);
    ASSERT_EQ(1u, sounds.size());
    EXPECT_EQ(dump, sounds[0]);
}

TEST(PatchImportReader, WrongModelShortAndUnterminatedMessagesGiveNothing)
{
    const Bytes whole = currentDump(1, "CUT");
    const Bytes unterminated(whole.begin(), whole.end() - 1);
    const Bytes cases[] = {olderDump(76), hex("F0 3E 0B 00 01 F7"), unterminated, Bytes {0x3E}, Bytes {}};
    for (const Bytes& file : cases)
        EXPECT_TRUE(patchimport::readSingleSounds(file, "/x/a.syx", false).empty());
    EXPECT_TRUE(patchimport::readSingleSounds(olderDump(75 - 1), "/x/a.syx", true).empty());
}

// ---- Through the editor's menus ----

class ImportTest : public LibrarianEditorTest {};

TEST_F(ImportTest, SingleImportStoresEverySoundInTurnAndMarksTheBankUnsaved)
{
    writeFile(data.root + "/Outside/Three.syx",
        concat({olderDump(92, "FIRST"), olderDump(92, "SECOND"), olderDump(92, "THIRD")}));
    const std::multiset<std::string> before = soundsOnDisk(data.root);
    headless->QueueFilePanelAnswer(data.root + "/Outside/Three.syx");
    rightClickChoosing(0, 7, "Import../Zelto 1 Single Patch");
    EXPECT_EQ("THIRD         ", upperSlot(7).name);
    EXPECT_EQ("PAD ", upperSlot(7).category);  // a named older dump keeps its category
    EXPECT_TRUE(markedUnsaved());
    EXPECT_EQ(before, soundsOnDisk(data.root));  // in memory until saved
}

TEST_F(ImportTest, CurrentModelImportOfOlderSoundsStoresNothingAndStaysSaved)
{
    writeFile(data.root + "/Outside/Old.syx", olderDump(76));
    const std::multiset<std::string> disk = soundsOnDisk(data.root);
    const Bytes before = upperBytes(7);
    headless->QueueFilePanelAnswer(data.root + "/Outside/Old.syx");
    rightClickChoosing(0, 7, "Import../Zelto 2 Single Patch");
    EXPECT_EQ(before, upperBytes(7));
    EXPECT_FALSE(markedUnsaved());
    EXPECT_EQ(disk, soundsOnDisk(data.root));
}

TEST_F(ImportTest, CurrentSingleImportStoresTheFileBytes)
{
    const Bytes dump = currentDump(9, "FROM FILE", 4);
    writeFile(data.root + "/Outside/One.syx", dump);
    headless->QueueFilePanelAnswer(data.root + "/Outside/One.syx");
    rightClickChoosing(0, 3, "Import../Zelto 2 Single Patch");
    EXPECT_EQ(dump, upperBytes(3));
    EXPECT_EQ("FROM FILE     ", upperSlot(3).name);
}

TEST_F(ImportTest, SetCategoryRewritesTheCategoryByteOfTheSelectedSlotOnly)
{
    rightClickChoosing(0, 5, "Set Category/Bass");
    EXPECT_EQ("BASS", upperSlot(5).category);
    EXPECT_EQ(0x03, upperBytes(5)[134]);
    EXPECT_TRUE(markedUnsaved());
    expectDiskUnchanged();
}

TEST_F(ImportTest, SetCategoryOnAnEmptyOrShortSlotDoesNothing)
{
    PatchFile& bank = *library->bankFiles[0];
    bank.patches[5] = LibrarianPatch();
    bank.patches[6].messages[0].bytes.resize(133);
    for (int slot : {5, 6})
        rightClickChoosing(0, slot, "Set Category/Bass");
    EXPECT_TRUE(bank.patches[5].messages.empty());
    EXPECT_EQ(133u, bank.patches[6].messages[0].bytes.size());
    EXPECT_FALSE(markedUnsaved());
}

TEST_F(ImportTest, BankImportCopiesTheFileByteForByteIntoTheLibraryFolder)
{
    const Bytes bank = concat(currentDumps(100, "GAMMA "));
    writeFile(data.root + "/Outside/Gamma.syx", bank);
    writeFile(data.patches() + "/Gamma.syx", hex("00 01"));  // replaced
    headless->QueueFilePanelAnswer(data.root + "/Outside/Gamma.syx");
    headless->QueueMenuAnswer("Import.../1");
    IMouseMod left(true);
    editor->bankEditPopupMenu->OnMouseDown(0, 0, &left);
    EXPECT_EQ(bank, readFile(data.patches() + "/Gamma.syx"));
    EXPECT_EQ(diskBefore.size() + 200, soundsOnDisk(data.root).size());  // the outside file and its copy
}

}  // namespace
