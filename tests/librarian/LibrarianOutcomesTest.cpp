// What the user sees after each librarian action: its outcome on the status
// display, the UNSAVED light and both lists, saving, and the page shown.
#include "LibrarianEditorFixture.h"

#include <functional>

#include "MIDIMessageManager.h"

namespace {

using namespace librarytest;

std::string withoutPadding(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

class OutcomesTest : public LibrarianEditorTest {
protected:
    // A bank menu item that opens a file panel, with the panel's answer queued first.
    void fileMenu(const std::string& answer, const std::string& item)
    {
        headless->QueueFilePanelAnswer(answer);
        choose(editor->bankEditPopupMenu, item);
    }
    void importBank(const std::string& answer) { fileMenu(answer, "Import.../1"); }
    void saveAs(const std::string& answer) { fileMenu(answer, "Save As.../Zelto2X Format (*.zt2)"); }
    void importSound(const std::string& answer)
    {
        headless->QueueFilePanelAnswer(answer);
        rightClickChoosing(0, 7, "Import../Zelto 2 Single Patch");
    }
    void reload() { editor->OnParamChange(kRefreshFolders); }
    std::string upperBank() const { return library->bankFiles.at(size_t(library->upperSelection))->fileName; }
};

TEST_F(OutcomesTest, EveryActionEndsWithItsOutcomeAndNoEarlierTextSurvivesALaterOne)
{
    const std::string outside = data.root + "/Outside/";
    writeFile(outside + "Gamma.syx", concat(currentDumps(100, "GAMMA ")));
    writeFile(outside + "Tiny.syx", currentDump(1, "ONE", 2));
    writeFile(outside + "Old.syx", olderDump(76));
    writeFile(data.patches() + "/Gamma.syx", hex("00 01"));  // kept: the import takes a free name
    const struct {
        std::function<void()> act;
        const char* shown;
    } steps[] = {
        {[&] { importBank(""); }, "Import cancelled|"},
        {[&] { importBank(outside + "Missing.syx"); }, "Import failed!|File cannot be read"},
        {[&] { importBank(outside + "Tiny.syx"); }, "Import failed!|Not a Zelto bank file"},
        {[&] { importBank(outside + "Gamma.syx"); }, "Bank imported!|Gamma (2).syx"},
        {[&] { editor->showStatus("Data request completed!"); }, "Data request completed!|"},
        {[&] { editor->Reset(), editor->showStatus("Plug-in is ready to go!"); }, "Plug-in is ready to go!|"},
        {[&] { importSound(outside + "Old.syx"); }, "Import failed!|No Zelto 2 sound in the file"},
        {[&] { rightClickChoosing(0, 2, "Paste"); }, "Nothing to paste!|Copy a slot on the right first"},
        {[&] { rightClickChoosing(1, 4, "Copy"); }, "Sound copied!|Slot 5: ALPHA 5"},
        {[&] { choose(editor->rightPatchPopupMenu, "Beta.zt2"); }, "Sound copied!|Slot 5: ALPHA 5"},
        {[&] { rightClickChoosing(0, 2, "Paste"); }, "Sound pasted!|Slot 3: ALPHA 5"},
        {[&] { choose(editor->bankEditPopupMenu, "Import.../1"); }, "Save bank or Discard changes!|"},
        {[&] { reload(); }, "Save bank or Discard changes!|"},
        {[&] { rightClickChoosing(0, 2, "Set Category/Bass"); }, "Category set: BASS|Slot 3: ALPHA 5"},
        {[&] { choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)"); }, "Bank saved!|Gamma (2).syx"},
        {[&] { saveAs(""); }, "Save cancelled|"},
        {[&] { reload(); }, "Library reloaded|3 banks"},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(step.shown, status());
    }
    // The imported bank, copied whole, is the one edited, and it was saved with
    // the pasted sound and its category byte Bass, each dump as read with its checksum.
    std::vector<Bytes> expected = currentDumps(100, "GAMMA ");
    expected[2] = currentDump(4, "ALPHA 5", 3);
    EXPECT_EQ("Gamma (2).syx", upperBank());
    EXPECT_EQ(concat(expected), readFile(data.patches() + "/Gamma (2).syx"));
    EXPECT_EQ(hex("00 01"), readFile(data.patches() + "/Gamma.syx"));
    EXPECT_FALSE(markedUnsaved());
}

// An import lands beside a bank of its name, a bank of 101 sounds is edited as
// its first piece, and a damaged file keeps the sounds it could read in file
// order: the status names what the file became and what was left out, and the
// label, the slots and the file Save writes are that bank.
TEST_F(OutcomesTest, AnImportLandsUnderAFreeNameAndTheBankItBecameIsTheOneShownAndSaved)
{
    const std::string outside = data.root + "/Outside/";
    const Bytes alphaBefore = readFile(data.patches() + "/Alpha.zt2");
    Bytes hurt = concat(currentDumps(100, "HURT "));
    std::fill(hurt.begin() + 137 * 9 + 130, hurt.begin() + 137 * 10 + 10, 0x55);  // sounds 10 and 11 garbled
    hurt[137 * 49 + 20] ^= 1;                                                       // sound 50: wrong checksum
    hurt.resize(137 * 99 + 60);                                                     // cut inside sound 100
    writeFile(outside + "Alpha.zt2", concat(currentDumps(100, "OTHER ")));
    writeFile(outside + "Big.syx", concat(currentDumps(101, "BIG ")));
    writeFile(outside + "Hurt.syx", hurt);
    const struct {
        const char *file, *shown, *bank;
        std::vector<std::string> slots;  // slots 1, 10, 98
    } cases[] = {
        {"Alpha.zt2", "Bank imported!|Alpha (2).zt2", "Alpha (2).zt2", {"OTHER 1", "OTHER 10", "OTHER 98"}},
        {"Hurt.syx", "Bank imported! 97 sounds|3 left out, 1 bad checksum", "Hurt.syx",
            {"HURT 1", "HURT 12", "INIT"}},
        {"Big.syx", "Bank imported!|Big Singles 1.zt2", "Big Singles 1.zt2", {"BIG 1", "BIG 10", "BIG 98"}},
    };
    for (const auto& c : cases) {
        importBank(outside + c.file);
        EXPECT_EQ(c.shown, status());
        EXPECT_EQ(std::string(c.bank) + "|" + c.bank, upperBank() + "|" + editor->upperBankName);
        EXPECT_EQ(c.slots, (std::vector<std::string>{withoutPadding(view->slotText(0, 0)),
                               withoutPadding(view->slotText(0, 9)), withoutPadding(view->slotText(0, 97))}));
    }
    // The copy of the damaged file holds its readable sounds as read and the
    // INIT sounds that fill it as they stand, each with the checksum of its bytes.
    std::vector<std::string> heads(97, "00 10 00 00");
    heads.resize(100, "00 10 7F 00");
    EXPECT_EQ(heads, dumpHeads(readFile(data.patches() + "/Hurt.syx")));
    // A sound stored into slot 1 of the split bank and saved goes to its first piece, nowhere else.
    const Bytes betaBefore = readFile(data.patches() + "/Beta.zt2");
    choose(editor->rightPatchPopupMenu, "Alpha.zt2");
    rightClickChoosing(1, 4, "Copy");
    rightClickChoosing(0, 0, "Paste");
    choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)");
    EXPECT_EQ("Bank saved!|Big Singles 1.zt2", status());
    const Bytes piece = readFile(data.patches() + "/Big Singles 1.zt2");
    EXPECT_EQ(alphaDump(4), Bytes(piece.begin(), piece.begin() + 137));
    EXPECT_TRUE(alphaBefore == readFile(data.patches() + "/Alpha.zt2") &&
                betaBefore == readFile(data.patches() + "/Beta.zt2"));
}

// Save of a bank another program changed on disk leaves the file and the
// edits as they are and tells the user how to keep either.
TEST_F(OutcomesTest, SaveOfABankChangedOnDiskKeepsBothAndSaysSo)
{
    rightClickChoosing(1, 9, "Copy");
    rightClickChoosing(0, 0, "Paste");
    Bytes changed = readFile(data.patches() + "/Alpha.zt2");
    changed[137 * 5 + 120] = 'X';
    writeFile(data.patches() + "/Alpha.zt2", changed);
    choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)");
    EXPECT_EQ("Bank changed on disk!|NOT saved: Save As or DISCARD", status());
    EXPECT_EQ(changed, readFile(data.patches() + "/Alpha.zt2"));
    EXPECT_TRUE(markedUnsaved());
    // DISCARD, named there, shows the bank as the other program left it (RELOAD
    // is refused while the bank is unsaved).
    editor->GetParam(kDiscardBankData)->InitDouble("command", 0, 0, 1, 1, "", "Librarian");  // as the panel's button
    editor->GetParam(kDiscardBankData)->Set(1);
    editor->OnParamChange(kDiscardBankData);
    EXPECT_EQ("Changes discarded|Alpha.zt2|" + paddedName("XLPHA 6"), status() + "|" + view->slotText(0, 5));
    EXPECT_FALSE(markedUnsaved());
}

TEST_F(OutcomesTest, WithoutABankNothingIsSavedRequestedOrStoredAndTheUserIsTold)
{
    library->initBankFilesOnDiscard(data.root + "/Nowhere");
    editor->patchTypeChanged(0, 0, false);
    editor->midiOutSet = true;
    library->transferSlot = 7;
    const std::pair<std::function<void()>, const char*> steps[] = {
        {[&] { choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)"); }, "No bank to save!"},
        {[&] { saveAs(data.patches() + "/Empty.zt2"); }, "No bank to save!"},
        {[&] { choose(editor->bankEditPopupMenu, "Request Patch Data/Patches from 001-100"); }, "No bank to fill!"},
        {[&] { choose(editor->bankEditPopupMenu, "Store Patch Data/All Patches to P001-P100"); }, "No bank to send!"},
    };
    for (const auto& [act, shown] : steps) {
        act();
        EXPECT_EQ(std::string(shown) + "|Import a bank first", status());
    }
    EXPECT_TRUE(headless->filePanels.empty() && library->transferSlot == 0);
    EXPECT_TRUE(editor->leftPatchPopupMenu->rootMenu()->GetNItems() == 0 && editor->leftPatchPopupMenu->menus().empty());
    EXPECT_FALSE(editor->midiMessageManager->requestThreadRunning());
    expectDiskUnchanged();
}

TEST_F(OutcomesTest, SaveAsStartsInTheLibraryFolderThenWhereTheUserSavedAndAListedBankIsSelected)
{
    rightClickChoosing(1, 9, "Copy");
    rightClickChoosing(0, 0, "Paste");
    saveAs(data.patches() + "/Copy.zt2");
    EXPECT_EQ(data.patches(), headless->filePanels.back().folder);
    EXPECT_EQ("Bank saved!|Copy.zt2 Copy.zt2|ALPHA 10      ", status() + " " + upperBank() + "|" + view->slotText(0, 0));
    EXPECT_FALSE(markedUnsaved());

    rightClickChoosing(0, 1, "Paste");
    fs::create_directories(data.root + "/Outside");
    saveAs(data.root + "/Outside/Elsewhere.zt2");
    EXPECT_EQ("Bank saved outside library|Elsewhere.zt2", status());
    EXPECT_TRUE(markedUnsaved() && upperBank() == "Copy.zt2" && editor->upperBankName == "Copy.zt2");
    saveAs("");
    EXPECT_EQ(data.root + "/Outside", headless->filePanels.back().folder);
}

TEST_F(OutcomesTest, ReloadRebuildsTheUpperListTextsWhateverTheLowerListShows)
{
    editor->lowerShowsCategories = true;
    writeFile(data.patches() + "/0 First.zt2", concat(currentDumps(100, "FIRST ")));
    reload();
    EXPECT_EQ("0 First.zt2|Alpha.zt2", editor->GetParam(kPatchSelectionListUpper)->GetDisplayText(0) + "|" +
                                           editor->GetParam(kPatchSelectionListUpper)->GetDisplayText(1));
}

TEST_F(OutcomesTest, ASoundArrivingKeepsTheLibraryPageAndTheTabButtonsShowThePageShown)
{
    const int cases[][2] = {{1, 1}, {0, 2}, {3, 2}};  // page shown before, page after
    for (const auto& [before, after] : cases) {
        editor->setFromPlug(kMainTab, before);
        editor->updateUserInterfaceAndMenus();
        EXPECT_EQ(after, value(kMainTab)) << before;
        EXPECT_DOUBLE_EQ(after / 3.0, tabButtons->GetValue()) << before;
    }
}

}  // namespace
