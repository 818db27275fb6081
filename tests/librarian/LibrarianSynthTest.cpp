// The library and the simulated Zelto 2 in-process, in virtual time: a slot
// sent to the edit buffer (also while the library is released), the number
// menus' messages, and the request job that a library reload waits for.
#include "LibrarianEditorFixture.h"
#include "messaging/WorkerFixture.h"

#include "IGraphics.h"
#include "IPopupMenuControl.h"
#include "platform/HeadlessWindowSystem.h"

namespace {

using namespace librarytest;

// The sound itself: parameters, name and category, without address and checksum.
Bytes body(const Bytes& dump)
{
    return dump.size() < 135 ? Bytes() : Bytes(dump.begin() + 7, dump.begin() + 135);
}

class LibrarySynthTest : public WorkerFixture {
protected:
    void SetUp() override
    {
        for (int i = 0; i < 100; ++i)
            alpha.push_back(validDump(i, "ALPHA " + std::to_string(i + 1), 1 + i % 10));
        writeFile(bankPath(), concat(alpha));
        auto system = std::make_unique<platform::HeadlessWindowSystem>();
        headless = system.get();
        platform::WindowSystem::SetShared(std::move(system));
        WorkerFixture::SetUp();
        library = editor->patchLibrarian;
        editor->patchTypeChanged(0, 0, true);
        editor->GetGUI()->OpenWindow(nullptr);
    }
    void TearDown() override
    {
        WorkerFixture::TearDown();
        platform::WindowSystem::SetShared(nullptr);
    }

    std::string bankPath() const { return data.patches() + "/Alpha.zt2"; }
    const Bytes& synthEditBuffer() const { return editor->synth->Sound({true, 0}); }
    TempDataFolder data;
    std::vector<Bytes> alpha;
    platform::HeadlessWindowSystem* headless = nullptr;
    PatchLibrarian* library = nullptr;
};

TEST_F(LibrarySynthTest, NothingIsSentWithoutOutputForAnEmptySlotOrAStaleBank)
{
    editor->midiOutSet = false;
    editor->sendPatchToDeviceFromLibrarian(3, 0);
    editor->midiOutSet = true;
    library->bankFiles[0]->patches[5] = LibrarianPatch();
    editor->sendPatchToDeviceFromLibrarian(5, 0);
    editor->sendPatchToDeviceFromLibrarian(100, 0);
    library->upperSelection = 9;
    editor->sendPatchToDeviceFromLibrarian(3, 0);
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(0u, editor->sentCount());
}

TEST_F(LibrarySynthTest, TheSendJobKeepsItsOwnCopyWhenTheLibraryIsReleased)
{
    editor->hold();
    editor->sendPatchToDeviceFromLibrarian(3, 0);
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    std::filesystem::remove(bankPath());
    library->initBankFilesOnDiscard(data.patches());  // frees the bank under the job
    ASSERT_TRUE(library->bankFiles.empty());
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(body(alpha[3]), body(synthEditBuffer()));
}

TEST_F(LibrarySynthTest, PushIsDroppedWithoutSideEffectsWhileAJobRunsAndSendsTheSoundOtherwise)
{
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendSinglePatchRequestSysexFromLibrarian(true));
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    choose(*headless, editor->bankEditPopupMenu, "Push Current Data to HW");
    EXPECT_FALSE(editor->patchLoading);  // dropped: the request thread is busy
    editor->release();
    ASSERT_TRUE(requestJobEnded());

    const size_t before = editor->sentCount();
    const uint32_t start = now();
    choose(*headless, editor->bankEditPopupMenu, "Push Current Data to HW");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_FALSE(editor->patchLoading);
    // The global step (1000 ms, then 400) went first, and stays requested for the next sounds.
    EXPECT_EQ(1400u, editor->sent().back().timeMs - start);
    EXPECT_TRUE(editor->globalSendRequested);
    ASSERT_EQ(before + 1, editor->sentCount());
    EXPECT_EQ(137u, editor->sent().back().bytes.size());  // the editor's sound to the edit buffer
}

std::vector<std::string> wire(const std::vector<SimEditor::Sent>& sent, size_t from)
{
    std::vector<std::string> lines;
    for (size_t i = from; i < sent.size(); ++i)
        lines.push_back(zelto2sim::ToHex(sent[i].bytes));
    return lines;
}

TEST_F(LibrarySynthTest, NumberMenusSelectTheHardwareProgramAndAskForItsSound)
{
    editor->GetParam(kCurrentPatch)->Set(4);
    choose(*headless, editor->bankNumberPopupMenu, "Bank P301-400");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(wire(editor->sent(), 0), (std::vector<std::string> {"B0 7B 00", "B0 00 00", "B0 20 03", "C0 04 00",
                                           "F0 3E 16 00 00 7F 00 F7"}));
    EXPECT_EQ(3, editor->paramValue(kCurrentBank));

    const size_t before = editor->sentCount();
    choose(*headless, editor->programNumberPopupMenu, "01-10/Program 10");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(wire(editor->sent(), before), (std::vector<std::string> {"B0 7B 00", "B0 00 00", "B0 20 03",
                                                "C0 09 00", "F0 3E 16 00 00 7F 00 F7"}));
    EXPECT_EQ(9, editor->paramValue(kCurrentPatch));

    const size_t dismissed = editor->sentCount();
    library->transferSlot = 5;
    for (IControl* menu : std::initializer_list<IControl*>{editor->bankNumberPopupMenu,
             editor->programNumberPopupMenu, editor->progBankNamePopupMenu})
        choose(*headless, menu, "none");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_TRUE(dismissed == editor->sentCount() && library->transferSlot == 5);
}

TEST_F(LibrarySynthTest, ProgramMenuInLibraryControlSendsTheSlotAndNoProgramChange)
{
    editor->libraryControl = true;
    editor->programNumberPopupMenu->refreshPatchNames(library, editor.get(), 0);
    choose(*headless, editor->programNumberPopupMenu, "21-30/ALPHA 23      ");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(body(alpha[22]), body(synthEditBuffer()));
    EXPECT_EQ(22, library->transferSlot);
    for (const SimEditor::Sent& sent : editor->sent())
        EXPECT_NE(0xC0, sent.bytes[0] & 0xF0);
}

TEST_F(LibrarySynthTest, ReloadWaitsForTheRunningRequestJob)
{
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendSinglePatchRequestSysexFromLibrarian(true));
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    writeFile(data.patches() + "/Zeta.zt2", concat(currentDumps(100, "ZETA ")));
    editor->patchTypeChanged(0, 0, true);
    EXPECT_EQ(1u, library->bankFiles.size());
    editor->runPendingLibrarianWork();
    EXPECT_EQ(1u, library->bankFiles.size());
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    editor->runPendingLibrarianWork();
    EXPECT_TRUE(library->bankFiles.size() == 2 && editor->pendingReloadKind.load() == -1);
}

}  // namespace
