// Librarian and window commands: program and bank stepping, slot rename,
// search and the list selections.
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
};

}  // namespace

TEST_F(Commands, HardwareProgramStepsRunFromZeroTo100AndWrapButNotUnderThePartLockOrOnRelease)
{
    const std::tuple<int, int, double> cases[] = {{kPatchUp, 1, 100}, {kPatchUp, 1, 99}, {kPatchDown, 1, 0},
        {kPatchDown, 1, 50}, {kPatchDown, 2, 50}};
    const int expected[] = {0, 100, 100, 49, 49};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& [button, press_, start] = cases[i];
        editor->clearWire();
        editor->GetParam(kCurrentPatch)->Set(start);
        press(button, press_);
        EXPECT_EQ(value(kCurrentPatch), expected[i]) << i;
        EXPECT_EQ(programChanges(), std::vector<int> {expected[i]}) << i;
        EXPECT_EQ(editor->currentProgram, expected[i]);
        editor->midiMessageManager->patchRequested = false;
    }
    // The part lock and a button's release step nothing.
    editor->clearWire();
    editor->GetParam(kCurrentPatch)->Set(10);
    editor->GetParam(kPartLock)->Set(1);
    press(kPatchUp);
    press(kPatchDown);
    editor->GetParam(kPartLock)->Set(0);
    press(kPatchUp, 0);
    press(kPatchDown, 0);
    EXPECT_EQ(value(kCurrentPatch), 10.0);
    EXPECT_TRUE(programChanges().empty());
}

TEST_F(Commands, LibraryProgramStepsWrapWithinTheBanksHundredSlots)
{
    editor->libraryControl = true;
    const std::tuple<int, int, int> cases[] = {{kPatchUp, 99, 0}, {kPatchDown, 0, 99}, {kPatchUp, 42, 43}};
    for (const auto& [button, slot, expected] : cases) {
        editor->selectLibrarianSlot(slot);
        editor->clearWire();
        press(button);
        EXPECT_EQ(editor->librarianSelectedSlot(0), expected) << slot;
        EXPECT_EQ(value(kCurrentPatch), expected) << slot;
        EXPECT_EQ(programChanges(), std::vector<int> {expected}) << slot;
    }
}

TEST_F(Commands, RenameStoresTheCleanedNameInTheSlotWithANewChecksum)
{
    upperBank().patches.resize(40);
    upperBank().patches[3].messages.push_back({initDump()});
    upperBank().patches[3].category = "BASS";
    editor->selectLibrarianSlot(3);
    editor->GetParam(kPatchRename)->SetDisplayText(0, "my pad \xC3\xA9~\x7F long name");
    editor->renameHandled = false;
    press(kPatchRename, 0);

    ASSERT_EQ(upperBank().patches.size(), 100u);
    const LibrarianPatch& slot = upperBank().patches[3];
    EXPECT_EQ(slot.name, "MY PAD   ~  LO");
    ASSERT_EQ(slot.messages.size(), 1u);
    const Bytes& dump = slot.messages[0].bytes;
    ASSERT_EQ(dump.size(), 137u);
    EXPECT_EQ(std::string(dump.begin() + 120, dump.begin() + 134), "MY PAD   ~  LO");
    EXPECT_EQ(dump[135], std::accumulate(dump.begin() + 1, dump.begin() + 135, 0) % 128);
    EXPECT_EQ(dump[136], 0xF7);
    const Bytes original = initDump();
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 120), Bytes(original.begin(), original.begin() + 120));
    EXPECT_EQ(slot.category, "BASS");
    EXPECT_EQ(value(kBankEditUnsaved), 1.0);
    EXPECT_TRUE(editor->renameHandled);
    EXPECT_FALSE(editor->midiMessageManager->libraryRequest.libraryRequestActive);
}

TEST_F(Commands, ShortNamesArePaddedAndRenamesWithoutASoundOrSlotAreRefused)
{
    upperBank().patches[0].messages.push_back({initDump()});
    upperBank().patches[1].messages.push_back({Bytes(100, 0x10)});
    editor->GetParam(kPatchRename)->SetDisplayText(0, "ab");
    for (int slot : {0, 1, -1}) {
        editor->selectLibrarianSlot(slot);
        editor->renameHandled = false;
        press(kPatchRename, 0);
        EXPECT_TRUE(editor->renameHandled);
    }
    EXPECT_EQ(upperBank().patches[0].name, "AB");
    const Bytes& renamed = upperBank().patches[0].messages[0].bytes;
    EXPECT_EQ(std::string(renamed.begin() + 120, renamed.begin() + 134), "AB            ");
    EXPECT_EQ(upperBank().patches[1].messages[0].bytes, Bytes(100, 0x10));
    EXPECT_EQ(upperBank().patches[1].name, "");
}

TEST_F(Commands, LowerBankStepsStayWithinTheRealListAndKeepTheFileName)
{
    const std::tuple<int, double, double> cases[] = {
        {kLibLowerNextBank, 1, 2}, {kLibLowerNextBank, 2, 0}, {kLibLowerPreviousBank, 0, 2},
        {kLibLowerPreviousBank, 2, 1}, {kLibLowerPreviousBank, 150, 2}};
    for (const auto& [button, from, to] : cases) {
        editor->GetParam(kPatchSelectionListLower)->Set(from);
        press(button);
        EXPECT_EQ(value(kPatchSelectionListLower), to) << from;
        EXPECT_EQ(editor->lowerBankName, editor->patchLibrarian->bankFiles[static_cast<size_t>(to)]->fileName);
        EXPECT_EQ(editor->lowerFolderName, "Factory");
    }
}

TEST_F(Commands, UpperBankStepIsRefusedWhileTheBankHasUnsavedChanges)
{
    editor->GetParam(kBankEditUnsaved)->Set(1);
    press(kLibUpperNextBank);
    EXPECT_EQ(nameLine->GetTextString(), "Save bank or Discard changes!");
    EXPECT_EQ(value(kPatchSelectionListUpper), 0.0);
    editor->GetParam(kBankEditUnsaved)->Set(0);
    editor->bankKindOffset = 2;
    press(kLibUpperNextBank);
    EXPECT_EQ(value(kPatchSelectionListUpper), 1.0);
    EXPECT_EQ(editor->patchLibrarian->upperSelection, 1);
    EXPECT_EQ(value(kCurrentOpenPatchBankL), 3.0);
    EXPECT_EQ(editor->upperBankName, "bank B.syx");
}

TEST_F(Commands, AListSelectionOutsideTheBanksKeepsTheNames)
{
    press(kPatchSelectionListLower, 1);
    press(kPatchSelectionListLower, 9);
    EXPECT_EQ(editor->lowerBankName, "bank B.syx");
}

TEST_F(Commands, SearchAsksForTwoCharactersAndAnEmptyTextLeavesSearchMode)
{
    IParam* search = editor->GetParam(kPatchSearchString);
    editor->lowerShowsSearch = true;
    search->SetDisplayText(0, "");
    press(kPatchSearchString, 0);
    EXPECT_FALSE(editor->lowerShowsSearch);
    EXPECT_EQ(search->GetDisplayText(0), "search...");
    search->SetDisplayText(0, "x");
    press(kPatchSearchString, 0);
    EXPECT_EQ(nameLine->GetTextString(), "Enter 2 digits or more!");
    EXPECT_EQ(search->GetDisplayText(0), "search...");
    editor->lowerShowsSearch = true;
    search->SetDisplayText(0, "ZZ");
    press(kPatchSearchString, 0);
    EXPECT_EQ(nameLine->GetTextString(), "No results - Try another keyword!");
    EXPECT_EQ(valueLine->GetTextString(), "Tip: Letter size matters..");
}
