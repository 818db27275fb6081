// The librarian commands and the sends to the simulated Zelto 2 in-process, in
// virtual time: what each command leaves in the library, the lists, the
// unsaved state, the status display and on the wire; the slot a double click,
// an arrow key or a number menu sends; the send job's own copy, and what
// waits for a running request job or is dropped.
#include "LibrarianEditorFixture.h"

#include <functional>

namespace {

using namespace librarytest;

class LibrarySynthTest : public LibrarianEditorTest {
protected:
    void SetUp() override
    {
        LibrarianEditorTest::SetUp();
        editor->midiOutSet = true;
    }
    // What reached the synth since message `from`: the names of the sound
    // dumps and the program changes, in order.
    std::string wireSince(size_t from) const
    {
        std::string text;
        const auto sent = editor->sent();
        for (size_t i = from; i < sent.size(); ++i) {
            const Bytes& bytes = sent[i].bytes;
            if (bytes.size() == 137)
                text += (text.empty() ? "" : ",") + withoutBlanks(std::string(bytes.begin() + 120, bytes.begin() + 134));
            else if ((bytes[0] & 0xF0) == 0xC0)
                text += (text.empty() ? "PC " : ",PC ") + std::to_string(bytes[1]);
        }
        return text;
    }
    std::vector<std::string> wireSinceMessage(size_t from) const
    {
        const std::vector<std::string> wire = editor->wire();
        return std::vector<std::string>(wire.begin() + long(from), wire.end());
    }
    static std::string withoutBlanks(std::string text) { return text.erase(text.find_last_not_of(' ') + 1); }
    void doubleClick(int list, int slot)
    {
        const auto [x, y] = slotCentre(list, slot);
        IMouseMod left(true);
        graphics()->OnMouseDblClick(x, y, &left);
    }
};

// Each command on the state the rows before left, slot 8 of the upper list selected.
TEST_F(LibrarySynthTest, LibrarianCommandsShowTheirOutcomeInTheListsAndTheStatusAndSendNothing)
{
    for (int param : {kCategorySelection, kOverwriteBank, kRefreshFolders, kDiscardBankData, kControlLibrary})
        editor->GetParam(param)->InitDouble("command", 0, 0, 1, 1, "", "Librarian");  // as the panel's buttons
    click(0, 7);
    editor->GetParam(kPatchName)->SetDisplayText(0, "FROM PANEL");
    editor->GetParam(kCurrentPatch)->Set(7);
    writeFile(data.patches() + "/Gamma.zt2", concat(currentDumps(100, "GAMMA ")));
    diskBefore = soundsOnDisk(data.root);
    const struct {
        int param;
        double n;
        const char* shown;  // upper slot 8 | lower slot 2 | lower bank 0 | UNSAVED | status
    } steps[] = {
        {kCategorySelection, 1, "ALPHA 8|ALPHA 11|ARP  1||-|-"},
        {kOverwriteBank, 0, "ALPHA 8|ALPHA 11|ARP  1||command|0"},
        {kOverwriteBank, 1, "FROM PANEL|ALPHA 11|ARP  1|UNSAVED|Sound stored!|Slot 8: FROM PANEL"},
        {kRefreshFolders, 1, "FROM PANEL|ALPHA 11|ARP  1|UNSAVED|Save bank or Discard changes!|"},
        {kDiscardBankData, 0, "FROM PANEL|ALPHA 11|ARP  1|UNSAVED|Save bank or Discard changes!|"},
        {kDiscardBankData, 1, "ALPHA 8|ALPHA 11|ARP  1||Changes discarded|Alpha.zt2"},
        {kCategorySelection, 0, "ALPHA 8|ALPHA 2|Alpha.zt2||Changes discarded|Alpha.zt2"},
        {kRefreshFolders, 1, "ALPHA 8|ALPHA 2|Alpha.zt2||Library reloaded|3 banks"},
    };
    for (const auto& step : steps) {
        command(step.param, step.n);
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(step.shown, withoutBlanks(view->slotText(0, 7)) + "|" + withoutBlanks(view->slotText(1, 1)) + "|" +
                                  editor->GetParam(kPatchSelectionListLower)->GetDisplayText(0) + "|" +
                                  (markedUnsaved() ? "UNSAVED" : "") + "|" + status())
            << step.param << " " << step.n;
    }
    // Library control: the program menu offers the slots, and the selected slot follows the program.
    editor->GetParam(kCurrentPatch)->Set(42);
    for (const auto& [n, item] : {std::pair{1, "ALPHA 43      "}, {0, "Program 43"}}) {
        command(kControlLibrary, n);
        EXPECT_EQ(item, std::string(editor->programNumberPopupMenu->programRangeMenus[4].GetItemText(2)));
    }
    EXPECT_EQ(std::pair(42, 42), std::pair(view->upperSelectedSlot.load(), library->transferSlot));
    EXPECT_EQ(std::vector<std::string> {}, editor->wire());
    expectDiskUnchanged();
}

// Which sounds reach the synth ("" for none) and where the active slot and
// the program go: the slot of the list the double click or arrow lands on.
TEST_F(LibrarySynthTest, ADoubleClickAnArrowOrTheProgramMenuSendsTheSlotOfTheListItLandsOn)
{
    choose(editor->rightPatchPopupMenu, "Beta.zt2");
    editor->GetParam(kDeviceOutSelection)->Set(1);
    const struct {
        std::function<void()> act;
        const char* sent;
        int active;
    } steps[] = {
        {[&] { doubleClick(0, 3); }, "ALPHA 4", 3},
        {[&] { doubleClick(1, 4); }, "BETA 5", 4},
        {[&] { view->OnKeyDown(0, 0, 2); }, "BETA 6", 5},
        {[&] { click(0, 7), view->OnKeyDown(0, 0, 1); }, "ALPHA 7", 6},
        {[&] { editor->libraryControl = true, choose(editor->programNumberPopupMenu, "21-30/ALPHA 23      "); },
            "ALPHA 23", 22},
        {[&] { editor->GetParam(kDeviceOutSelection)->Set(0), doubleClick(1, 9); }, "", 22},  // no output chosen
        {[&] { editor->midiOutSet = false, editor->sendPatchToDeviceFromLibrarian(3, 0); }, "", 3},
        {[&] { editor->midiOutSet = true, library->bankFiles[0]->patches[5] = LibrarianPatch(); }, "", 3},
        {[&] { editor->sendPatchToDeviceFromLibrarian(5, 0); }, "", 3},  // an empty slot
        {[&] { editor->sendPatchToDeviceFromLibrarian(100, 0); }, "", 3},
        {[&] { library->upperSelection = 9, editor->sendPatchToDeviceFromLibrarian(8, 0); }, "", 3},  // no such bank
    };
    for (const auto& step : steps) {
        const size_t before = editor->sentCount();
        step.act();
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(step.sent, wireSince(before));
        EXPECT_EQ(std::pair(step.active, double(step.active)), std::pair(view->activeSlot.load(), value(kCurrentPatch)))
            << step.sent;
    }
}

TEST_F(LibrarySynthTest, TheSendJobKeepsItsOwnCopyWhenTheLibraryIsReleased)
{
    editor->hold();
    editor->sendPatchToDeviceFromLibrarian(3, 0);
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    std::filesystem::remove(data.patches() + "/Alpha.zt2");
    library->initBankFilesOnDiscard(data.patches());  // frees the bank under the job
    ASSERT_EQ(1u, library->bankFiles.size());
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ("ALPHA 4", wireSince(0));
    const Bytes sent = alphaDump(3), held = editor->synth->Sound({true, 0});
    EXPECT_EQ(Bytes(sent.begin() + 7, sent.begin() + 135), Bytes(held.begin() + 7, held.begin() + 135));
}

TEST_F(LibrarySynthTest, NumberMenusSelectTheHardwareProgramAndAskForItsSound)
{
    editor->GetParam(kCurrentPatch)->Set(4);
    for (const auto& [menu, answer, program] : {std::tuple<IControl*, const char*, int>{editor->bankNumberPopupMenu,
             "Bank P301-400", 4}, {editor->programNumberPopupMenu, "01-10/Program 10", 9}}) {
        const size_t before = editor->sentCount();
        choose(menu, answer);
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(wireSinceMessage(before), (std::vector<std::string> {"B0 7B 00", "B0 00 00", "B0 20 03",
                                                "C0 0" + std::to_string(program) + " 00", "F0 3E 16 00 00 7F 00 F7"}));
        EXPECT_EQ(std::pair(3.0, double(program)), std::pair(value(kCurrentBank), value(kCurrentPatch)));
    }

    const size_t dismissed = editor->sentCount();
    library->transferSlot = 5;
    for (IControl* menu : std::initializer_list<IControl*>{editor->bankNumberPopupMenu,
             editor->programNumberPopupMenu, editor->progBankNamePopupMenu})
        choose(menu, "none");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_TRUE(dismissed == editor->sentCount() && library->transferSlot == 5);
}

// A library reload would free the bank the job stores into; a push would be dropped unseen.
TEST_F(LibrarySynthTest, WhileARequestJobRunsAReloadWaitsForItAndPushIsDroppedWithoutSideEffects)
{
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendSinglePatchRequestSysexFromLibrarian(true));
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    choose(editor->bankEditPopupMenu, "Push Current Data to HW");
    EXPECT_FALSE(editor->patchLoading);
    writeFile(data.patches() + "/Zeta.zt2", concat(currentDumps(100, "ZETA ")));
    editor->patchTypeChanged(0, 0, true);
    editor->runPendingLibrarianWork();
    EXPECT_EQ(2u, library->bankFiles.size());
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    editor->runPendingLibrarianWork();
    EXPECT_TRUE(library->bankFiles.size() == 3 && editor->pendingReloadKind.load() == -1);

    const size_t before = editor->sentCount();
    const uint32_t start = now();
    choose(editor->bankEditPopupMenu, "Push Current Data to HW");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_FALSE(editor->patchLoading);
    // The global step (1000 ms, then 400) went first, and stays requested for the next sounds.
    EXPECT_EQ(1400u, editor->sent().back().timeMs - start);
    EXPECT_TRUE(editor->globalSendRequested);
    ASSERT_EQ(before + 1, editor->sentCount());
    EXPECT_EQ(137u, editor->sent().back().bytes.size());  // the editor's sound to the edit buffer
}

// The reload after an import waits for a running request job; once it ran, the
// first piece of the split copy is the bank edited and the one the status names.
TEST_F(LibrarySynthTest, AnImportDuringARequestJobSelectsTheBankItBecameOnceTheReloadRan)
{
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendSinglePatchRequestSysexFromLibrarian(true));
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    writeFile(data.root + "/Outside/Big.syx", concat(currentDumps(101, "BIG ")));
    headless->QueueFilePanelAnswer(data.root + "/Outside/Big.syx");
    choose(editor->bankEditPopupMenu, "Import.../1");
    editor->runPendingLibrarianWork();
    EXPECT_EQ(2u, library->bankFiles.size());
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    editor->runPendingLibrarianWork();
    const std::string upper = library->bankFiles.at(size_t(library->upperSelection))->fileName;
    EXPECT_EQ("Big Singles 1.zt2|Big Singles 1.zt2|BIG 1         ",
        upper + "|" + editor->upperBankName + "|" + view->slotText(0, 0));
    EXPECT_EQ("Bank imported!|Big Singles 1.zt2", status());
}

}  // namespace
