// Import of single sounds and bank files: the reader over file bytes, and the
// editor's import commands storing into the transfer slot.
#include "LibrarianEditorFixture.h"
#include "PatchImport.h"

namespace {

using namespace librarytest;

TEST(PatchImportReader, OlderDumpsBecomeWholeDumpsInFileOrderNamedFromTheFileUnlessTheyCarryAName)
{
    // Name bytes and category byte of each sound: unnamed ones are INIT (14).
    const struct {
        Bytes file;
        const char* path;
        std::vector<std::string> names;
    } cases[] = {
        {olderDump(76), "/x/Warm Pad.syx", {"Warm Pad      \x14"}},
        {olderDump(78), "/x/Bell.syx", {"Bell          \x14"}},  // one byte too many is cut
        {concat({olderDump(92, "FIRST"), olderDump(92, "SECOND", 3), olderDump(92, "THIRD")}), "/x/Three.syx",
            {"FIRST         \x09", "SECOND        \x03", "THIRD         \x09"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names;
        for (const Bytes& sound : patchimport::readSingleSounds(c.file, c.path, true)) {
            EXPECT_TRUE(sound.size() == 137 && Bytes(sound.begin(), sound.begin() + 3) == hex("F0 3E 16") &&
                        sound[136] == 0xF7);
            names.emplace_back(sound.begin() + 120, sound.begin() + 135);
        }
        EXPECT_EQ(names, c.names) << c.path;
    }
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

TEST(PatchImportReader, WholeCurrentDumpComesBackByteForByteAndWrongModelShortOrUnterminatedOnesGiveNothing)
{
    const Bytes whole = currentDump(1, "KEEP ME", 7);
    EXPECT_EQ(std::vector<Bytes>{whole}, patchimport::readSingleSounds(whole, "/x/Keep.syx", false));
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
    EXPECT_EQ(slotText(upperSlot(7)), "THIRD         |PAD |137");  // a named older dump keeps its category
    EXPECT_TRUE(markedUnsaved());
    EXPECT_EQ(before, soundsOnDisk(data.root));  // in memory until saved
}

TEST_F(ImportTest, CurrentModelImportStoresTheFileBytesAndOlderSoundsNotAtAll)
{
    const Bytes dump = currentDump(9, "FROM FILE", 4);
    writeFile(data.root + "/Outside/One.syx", dump);
    writeFile(data.root + "/Outside/Old.syx", olderDump(76));
    const Bytes before = upperBytes(7);
    headless->QueueFilePanelAnswer(data.root + "/Outside/Old.syx");
    rightClickChoosing(0, 7, "Import../Zelto 2 Single Patch");
    EXPECT_TRUE(before == upperBytes(7) && !markedUnsaved());
    headless->QueueFilePanelAnswer(data.root + "/Outside/One.syx");
    rightClickChoosing(0, 3, "Import../Zelto 2 Single Patch");
    EXPECT_EQ(dump, upperBytes(3));
    EXPECT_EQ("FROM FILE     ", upperSlot(3).name);
}

TEST_F(ImportTest, SetCategoryRewritesTheCategoryByteOfASlotWithAWholeSoundOnly)
{
    PatchFile& bank = *library->bankFiles[0];
    bank.patches[5] = LibrarianPatch();
    bank.patches[6].messages[0].bytes.resize(133);
    for (int slot : {5, 6})
        rightClickChoosing(0, slot, "Set Category/Bass");
    EXPECT_EQ(slotTexts(bank, {5, 6}), (std::vector<std::string>{"||0", "ALPHA 7       |LEAD|133"}));
    EXPECT_FALSE(markedUnsaved());
    rightClickChoosing(0, 7, "Set Category/Bass");
    EXPECT_TRUE(upperSlot(7).category == "BASS" && upperBytes(7)[134] == 0x03);
    EXPECT_TRUE(markedUnsaved());
    expectDiskUnchanged();
}

TEST_F(ImportTest, BankImportCopiesTheFileByteForByteIntoTheLibraryFolder)
{
    const Bytes bank = concat(currentDumps(100, "GAMMA "));
    writeFile(data.root + "/Outside/Gamma.syx", bank);
    writeFile(data.patches() + "/Gamma.syx", hex("00 01"));  // replaced
    headless->QueueFilePanelAnswer(data.root + "/Outside/Gamma.syx");
    choose(editor->bankEditPopupMenu, "Import.../1");
    EXPECT_EQ(bank, readFile(data.patches() + "/Gamma.syx"));
    EXPECT_EQ(diskBefore.size() + 200, soundsOnDisk(data.root).size());  // the outside file and its copy
}

}  // namespace
