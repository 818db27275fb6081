// Librarian and window commands: program and bank stepping, slot rename, search and the list selections.
#include <numeric>

#include "EditorCoreSupport.h"
#include "LibrarianViewControl.h"
#include "PatchLibrarian.h"

namespace {

class Commands : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        for (const char* name : {"bank A.syx", "bank B.syx", "bank C.syx"}) {
            auto bank = std::make_unique<PatchFile>();
            bank->fileName = name;
            bank->folderName = "Factory";
            bank->patches.resize(kLibraryBankSize);
            editor->patchLibrarian->bankFiles.push_back(std::move(bank));
        }
        editor->patchLibrarian->upperSelection = 0;
        if (!editor->librarianView) {
            IBitmap none;
            editor->librarianView = new LibrarianViewControl(editor.get(), 0, 0, kLibrarianArea, &none,
                IRECT(0, 0, 1300, 460), editor->patchLibrarian, 1.0);
            editor->GetGUI()->AttachControl(editor->librarianView);
        }
    }
    // The program changes on the wire (the request job may add its own SysEx).
    std::vector<int> programChanges()
    {
        std::vector<int> programs;
        for (const Bytes& message : editor->wire())
            if ((message[0] & 0xF0) == 0xC0)
                programs.push_back(message[1]);
        return programs;
    }
    PatchFile& upperBank() { return *editor->patchLibrarian->bankFiles[0]; }
    static std::string nameBytes(const Bytes& dump) { return std::string(dump.begin() + 120, dump.begin() + 134); }
};

}  // namespace

// Where the steps come round depends on the program menu's range: the configured editor's tests hold those cases.
TEST_F(Commands, HardwareProgramStepsSendTheProgramTheyReachButNotUnderThePartLockOrOnRelease)
{
    const struct {
        int button, press;
        double start;
        int expected;  // -1, -2: no step
    } cases[] = {{kPatchUp, 1, 98, 99}, {kPatchDown, 1, 1, 0}, {kPatchDown, 1, 50, 49},
                 {kPatchDown, 2, 50, 49}, {kPatchUp, 0, 10, -1}, {kPatchDown, 0, 10, -1},
                 {kPatchUp, 1, 10, -2}, {kPatchDown, 1, 10, -2}};  // -2: under the part lock
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << " " << c.press << " from " << c.start);
        editor->clearWire();
        editor->GetParam(kCurrentPatch)->Set(c.start);
        editor->GetParam(kPartLock)->Set(c.expected == -2);
        press(c.button, c.press);
        EXPECT_EQ(value(kCurrentPatch), c.expected < 0 ? c.start : c.expected);
        EXPECT_EQ(programChanges(), c.expected < 0 ? std::vector<int> {} : std::vector<int> {c.expected});
        EXPECT_TRUE(c.expected < 0 || editor->currentProgram == c.expected);
        editor->midiMessageManager->patchRequested = false;
    }
}

TEST_F(Commands, LibraryProgramStepsWrapWithinTheBanksHundredSlots)
{
    editor->libraryControl = true;
    const std::tuple<int, int, int> cases[] = {{kPatchUp, 99, 0}, {kPatchUp, 98, 99}, {kPatchDown, 0, 99}, {kPatchUp, 42, 43}};
    for (const auto& [button, slot, expected] : cases) {
        editor->selectLibrarianSlot(slot);
        editor->clearWire();
        press(button);
        EXPECT_EQ(editor->librarianSelectedSlot(0), expected) << slot;
        EXPECT_EQ(value(kCurrentPatch), expected) << slot;
        EXPECT_EQ(programChanges(), std::vector<int> {expected}) << slot;
    }
}

TEST_F(Commands, RenameStoresTheCleanedNameWithANewChecksumAndNeedsAWholeSound)
{
    upperBank().patches.resize(40);
    upperBank().patches[3].messages.push_back({initDump()});
    upperBank().patches[3].category = "BASS";
    upperBank().patches[1].messages.push_back({Bytes(100, 0x10)});
    const struct {
        int slot;
        const char *entered, *name, *nameBytes;  // null: refused
    } cases[] = {{3, "my pad \xC3\xA9~\x7F long name", "MY PAD   ~  LO", "MY PAD   ~  LO"}, {3, "ab", "AB", "AB            "},
        {1, "ab", nullptr, nullptr}, {-1, "ab", nullptr, nullptr}};
    for (const auto& c : cases) {
        editor->selectLibrarianSlot(c.slot);
        editor->GetParam(kPatchRename)->SetDisplayText(0, c.entered);
        editor->renameHandled = false;
        press(kPatchRename, 0);
        EXPECT_TRUE(editor->renameHandled) << c.entered;
        if (!c.name)
            continue;
        const LibrarianPatch& slot = upperBank().patches[3];
        Bytes expected = initDump();  // the name at bytes 120..133, the checksum over bytes 1..134 after it
        std::copy_n(c.nameBytes, 14, expected.begin() + 120);
        expected[135] = static_cast<uint8_t>(std::accumulate(expected.begin() + 1, expected.begin() + 135, 0) % 128);
        EXPECT_EQ(expected, slot.messages.at(0).bytes) << c.entered;
        EXPECT_EQ(std::string(c.name) + "/BASS", slot.name + "/" + slot.category);
    }
    EXPECT_EQ(100u, upperBank().patches.size());
    EXPECT_EQ(Bytes(100, 0x10), upperBank().patches[1].messages[0].bytes);
    EXPECT_EQ("Slot is empty!", nameLine->GetTextString());
    EXPECT_EQ(value(kBankEditUnsaved), 1.0);
    EXPECT_FALSE(editor->midiMessageManager->libraryRequest.libraryRequestActive);
}

TEST_F(Commands, BankStepsStayWithinTheRealListKeepTheFileNameAndTheUpperOneWaitsForUnsavedChanges)
{
    const std::tuple<int, double, double> cases[] = {{kLibLowerNextBank, 1, 2}, {kLibLowerNextBank, 2, 0},
        {kLibLowerPreviousBank, 0, 2}, {kLibLowerPreviousBank, 2, 1}, {kLibLowerPreviousBank, 150, 2}};
    for (const auto& [button, from, to] : cases) {
        editor->GetParam(kPatchSelectionListLower)->Set(from);
        press(button);
        EXPECT_EQ(value(kPatchSelectionListLower), to) << from;
        EXPECT_EQ(editor->lowerBankName, editor->patchLibrarian->bankFiles[static_cast<size_t>(to)]->fileName);
        EXPECT_EQ(editor->lowerFolderName, "Factory");
    }
    // A list selection outside the banks keeps the names.
    press(kPatchSelectionListLower, 9);
    EXPECT_EQ(editor->lowerBankName, "bank C.syx");
    // The upper bank steps only without unsaved changes.
    editor->GetParam(kBankEditUnsaved)->Set(1);
    press(kLibUpperNextBank);
    EXPECT_EQ(nameLine->GetTextString(), "Save bank or Discard changes!");
    EXPECT_EQ(value(kPatchSelectionListUpper), 0.0);
    editor->GetParam(kBankEditUnsaved)->Set(0);
    editor->bankKindOffset = 2;
    press(kLibUpperNextBank);
    EXPECT_EQ((std::vector<double> {1, 1, 3}), (std::vector<double> {value(kPatchSelectionListUpper),
                  double(editor->patchLibrarian->upperSelection), value(kCurrentOpenPatchBankL)}));
    EXPECT_EQ(editor->upperBankName, "bank B.syx");
}

TEST_F(Commands, SearchAsksForTwoCharactersAndAnEmptyTextLeavesSearchMode)
{
    IParam* search = editor->GetParam(kPatchSearchString);
    for (const char* text : {"x", ""}) {
        editor->lowerShowsSearch = true;
        search->SetDisplayText(0, text);
        press(kPatchSearchString, 0);
        EXPECT_EQ(search->GetDisplayText(0), "search...");
    }
    EXPECT_EQ(nameLine->GetTextString(), "Enter 2 digits or more!");
    EXPECT_FALSE(editor->lowerShowsSearch);  // left by the empty text
    editor->lowerShowsSearch = true;
    search->SetDisplayText(0, "ZZ");
    press(kPatchSearchString, 0);
    EXPECT_EQ("No results - Try another keyword! / Tip: Letter size matters..",
              nameLine->GetTextString() + " / " + valueLine->GetTextString());
}
