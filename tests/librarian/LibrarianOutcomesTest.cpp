// What the user sees after each librarian action: its outcome on the status
// display, the UNSAVED light and both lists, saving, and the page shown.
#include "LibrarianEditorFixture.h"

#include <functional>

#include "MIDIMessageManager.h"

namespace {

using namespace librarytest;

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
    writeFile(data.patches() + "/Gamma.syx", hex("00 01"));  // replaced by the import
    const struct {
        std::function<void()> act;
        const char* shown;
    } steps[] = {
        {[&] { importBank(""); }, "Import cancelled|"},
        {[&] { importBank(outside + "Missing.syx"); }, "Import failed!|File cannot be read"},
        {[&] { importBank(outside + "Tiny.syx"); }, "Import failed!|Not a Zelto bank file"},
        {[&] { importBank(outside + "Gamma.syx"); }, "Bank imported!|Gamma.syx"},
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
        {[&] { choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)"); }, "Bank saved!|Gamma.syx"},
        {[&] { saveAs(""); }, "Save cancelled|"},
        {[&] { reload(); }, "Library reloaded|3 banks"},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(step.shown, status());
    }
    // The imported bank, copied whole, is the one edited, and it was saved with
    // the pasted sound, its category byte Bass and 00 where its checksum was.
    Bytes expected = readFile(outside + "Gamma.syx"), pasted = currentDump(4, "ALPHA 5", 5);
    pasted[134] = 0x03;
    pasted[135] = 0x00;
    std::copy(pasted.begin(), pasted.end(), expected.begin() + 137 * 2);
    EXPECT_EQ("Gamma.syx", upperBank());
    EXPECT_EQ(expected, readFile(data.patches() + "/Gamma.syx"));
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
