// Import of single sounds and bank files: the reader over file bytes, and the
// editor's import commands storing into the transfer slot.
#include "LibrarianEditorFixture.h"
#include "IPluginStructs.h"
#include "PatchImport.h"
#include "dovor/timing.h"

namespace {

using namespace librarytest;

// Unnamed sounds take the file's name, cut to 14 printable characters, and INIT (14); a
// short, other-model or unterminated dump gives nothing.
TEST(PatchImportReader, OlderDumpsBecomeWholeDumpsInFileOrderNamedFromTheFileUnlessTheyCarryAName)
{
    const struct {
        Bytes file;
        const char* path;
        std::vector<std::string> names;
    } cases[] = {
        {olderDump(76), "/x/Warm Pad.syx", {"Warm Pad      \x14"}},
        {olderDump(78), "C:\\b\\Caf\xC3\xA9\x09 Twenty Chars!.v2.syx", {"Caf    Twenty \x14"}},  // a byte too many is cut
        {olderDump(77), "", {"IMPORTEDSINGLE\x14"}},
        {concat({olderDump(92, "FIRST"), olderDump(92, "SECOND", 3), olderDump(92, "THIRD")}), "/x/Three.syx",
            {"FIRST         \x09", "SECOND        \x03", "THIRD         \x09"}},
        {concat({olderDump(74), currentDump(1, "OTHER MODEL"), hex("F0 3E 0B 00 10 00 00 01 02")}), "/x/None.syx", {}},
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

// ---- Through the editor's menus ----

class ImportTest : public LibrarianEditorTest {};

// Each step on the bank as the steps before left it; the bank is marked unsaved
// only once a sound was found for it, and nothing reaches the disk.
TEST_F(ImportTest, SingleSoundsAndCategoriesLandInTheSelectedSlotOnlyFromWholeSounds)
{
    writeFile(data.root + "/Outside/Three.syx",
        concat({olderDump(92, "FIRST"), olderDump(92, "SECOND"), olderDump(92, "THIRD")}));
    writeFile(data.root + "/Outside/One.syx", currentDump(9, "FROM FILE", 4));
    writeFile(data.root + "/Outside/Old.syx", olderDump(76));
    PatchFile& bank = *library->bankFiles[0];
    bank.patches[5] = LibrarianPatch();
    bank.patches[6].messages[0].bytes.resize(133);
    const std::multiset<std::string> before = soundsOnDisk(data.root);
    dovor::SteppedClock clock;  // only the category change pauses, 50 ms before the unsaved state
    dovor::SetVirtualClock(&clock);
    const struct {
        const char *file, *item;
        int slot;
        const char* slotText;
        bool unsaved;
    } steps[] = {
        {"Old.syx", "Import../Zelto 2 Single Patch", 7, "ALPHA 8       |MONO|137", false},  // older sounds only
        {nullptr, "Set Category/Bass", 5, "||0", false},
        {nullptr, "Set Category/Bass", 6, "ALPHA 7       |LEAD|133", false},
        {"Three.syx", "Import../Zelto 1 Single Patch", 7, "THIRD         |PAD |137", true},  // the last one kept
        {"One.syx", "Import../Zelto 2 Single Patch", 3, "FROM FILE     |DRUM|137", true},
        {nullptr, "Set Category/Bass", 7, "THIRD         |BASS|137", true},
    };
    for (const auto& step : steps) {
        if (step.file)
            headless->QueueFilePanelAnswer(data.root + "/Outside/" + step.file);
        rightClickChoosing(0, step.slot, step.item);
        EXPECT_EQ(step.slotText, slotText(upperSlot(step.slot))) << step.item << " " << step.slot;
        EXPECT_EQ(step.unsaved, markedUnsaved()) << step.item << " " << step.slot;
    }
    EXPECT_EQ(currentDump(9, "FROM FILE", 4), upperBytes(3));
    EXPECT_EQ(before, soundsOnDisk(data.root));
    EXPECT_EQ(50000, clock.nowMicroseconds());
    dovor::SetVirtualClock(nullptr);
}

// One call takes the next sound from the position and files it into the
// transfer slot; it returns where the next call goes on, -1 at the end.
TEST_F(ImportTest, ReadSysExDataFromPackageFilesOneSoundPerCallAndReturnsWhereToGoOn)
{
    const Bytes file = concat({hex("00 3E 16"), olderDump(92, "FIRST"), hex("77"), olderDump(92, "SECOND")});
    ByteChunk chunk;
    chunk.PutBytes(file.data(), static_cast<int>(file.size()));
    library->transferSlot = 4;
    const std::pair<int, const char*> calls[] = {
        {3, "ALPHA 5       "},   // the current model's byte: passed over
        {96, "FIRST         "},  // past the first dump's F7 and the byte after it
        {189, "SECOND        "},
        {-1, "SECOND        "},
    };
    int position = 0;
    for (const auto& [next, name] : calls) {
        EXPECT_EQ(next, editor->ReadSysExDataFromPackage(&chunk, position, "/x/Pair.syx", true));
        EXPECT_EQ(next, position);
        EXPECT_EQ(name, upperSlot(4).name);
    }
}

}  // namespace
