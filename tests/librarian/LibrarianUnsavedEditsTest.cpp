// Edits of the editing bank made before a request, a close or a project
// recall stay the user's: a cancelled or interrupted request leaves the bank
// as it stood, a whole-bank request waits for Save or DISCARD, a recall leaves
// UNSAVED to the bank in memory. Against the simulated Zelto 2 in-process, in
// virtual time; what is on disk is read back after Save or after closing.
#include "LibrarianEditorFixture.h"

namespace {

using namespace librarytest;

class UnsavedEditsTest : public LibrarianEditorTest {
protected:
    void SetUp() override
    {
        LibrarianEditorTest::SetUp();
        editor->midiOutSet = true;
        editor->GetParam(kCancelDataRequestParam)->InitDouble("cancel", 0, 0, 1, 1);
    }
    // Upper slot 3 takes ALPHA 5 from the lower list: the bank is UNSAVED.
    void editSlotThree()
    {
        rightClickChoosing(1, 4, "Copy");
        rightClickChoosing(0, 2, "Paste");
        ASSERT_TRUE(markedUnsaved());
    }
    // Alpha.zt2 as read at start, with slot 3 holding ALPHA 5 when edited.
    static Bytes alphaBank(bool edited)
    {
        std::vector<Bytes> dumps;
        for (int i = 0; i < 100; ++i)
            dumps.push_back(alphaDump(edited && i == 2 ? 4 : i));
        return concat(dumps);
    }
    Bytes upperBank() const
    {
        std::vector<Bytes> dumps;
        for (int i = 0; i < 100; ++i)
            dumps.push_back(upperBytes(i));
        return concat(dumps);
    }
    // Starts a request from the librarian menu, held once its first message
    // has left; the synth's answer comes with the release.
    void startHeldRequest(const std::string& item, size_t messages = 1)
    {
        const size_t before = editor->sentCount();
        editor->holdAtMessage(before + messages);
        choose(editor->bankEditPopupMenu, "Request Patch Data/" + item);
        ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + messages; }));
    }
    void cancelHeldRequest()
    {
        editor->GetParam(kCancelDataRequestParam)->Set(1);
        editor->OnParamChange(kCancelDataRequestParam);
        editor->release();
        ASSERT_TRUE(requestJobEnded());
    }
    void save()
    {
        choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)");
        EXPECT_EQ("Bank saved!|Alpha.zt2", status());
    }
    std::string recovered() const { return data.root + "/Recovered Banks/Alpha.zt2"; }
};

// A sound the synth sent into slot 8 before CANCEL goes; the edit before the request stays, UNSAVED.
TEST_F(UnsavedEditsTest, ACancelledSoundRequestLeavesTheUnsavedBankAsItStoodBeforeTheRequest)
{
    for (const char* item : {"from Active Slot to Librarian", "from Selected Program Slot & Bank"}) {
        SCOPED_TRACE(item);
        editSlotThree();
        click(0, 7);
        startHeldRequest(item);
        cancelHeldRequest();
        EXPECT_EQ("Data request CANCELLED!", nameLine->GetTextString());
        EXPECT_TRUE(markedUnsaved());
        EXPECT_EQ(alphaBank(true), upperBank());
        save();
        EXPECT_EQ(alphaBank(true), readFile(data.patches() + "/Alpha.zt2"));
        writeFile(data.patches() + "/Alpha.zt2", alphaBank(false));
        editor->OnParamChange(kRefreshFolders);
    }
}

TEST_F(UnsavedEditsTest, ACancelledBankRequestIntoASavedBankLeavesTheFilesSoundsWithUnsavedOut)
{
    startHeldRequest("Patches from 001-100", 10);
    cancelHeldRequest();
    editor->runPendingLibrarianWork();  // the discard's reload, as the next frame runs it
    // An answer the input thread was already handing on when CANCEL went lands in no slot.
    editor->midiMessageManager->libraryRequest.libraryRequestActive = true;
    editor->receive(zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {false, 9}));
    EXPECT_EQ("Data request CANCELLED!", nameLine->GetTextString());
    EXPECT_FALSE(markedUnsaved());
    EXPECT_EQ(alphaBank(false), upperBank());
    expectDiskUnchanged();
}

// The 100 sounds would take every slot; one sound takes the slot chosen, as a paste does.
TEST_F(UnsavedEditsTest, AWholeBankRequestIsRefusedWhileUnsavedAndASoundRequestStillStoresItsSound)
{
    editSlotThree();
    const size_t before = editor->sentCount();
    for (const char* bank : {"Patches from 001-100", "Patches from 401-500"}) {
        choose(editor->bankEditPopupMenu, std::string("Request Patch Data/") + bank);
        EXPECT_EQ("Save bank or Discard changes!|", status()) << bank;
    }
    EXPECT_EQ(before, editor->sentCount());
    click(0, 7);
    choose(editor->bankEditPopupMenu, "Request Patch Data/from Selected Program Slot & Bank");
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() > before; }) && requestJobEnded());
    EXPECT_EQ("Data request completed!", nameLine->GetTextString());
    EXPECT_TRUE(markedUnsaved());
    EXPECT_EQ(std::string(14, ' ').replace(0, 4, "INIT"), upperSlot(7).name.substr(0, 14));
    EXPECT_EQ(alphaDump(4), upperBytes(2));
}

// Closed while a silent synth keeps a sound request waiting: the copy kept holds the edit and nothing of the request.
TEST_F(UnsavedEditsTest, ClosingWhileARequestWaitsKeepsTheBankAsItStoodBeforeTheRequest)
{
    editSlotThree();
    editor->answering = false;
    click(0, 7);
    startHeldRequest("from Selected Program Slot & Bank");
    editor.reset();
    EXPECT_EQ(alphaBank(true), readFile(recovered()));
    EXPECT_EQ(alphaBank(false), readFile(data.patches() + "/Alpha.zt2"));
}

// A project recall leaves UNSAVED to the bank in memory, whatever the state stored; the state keeps what it stored.
TEST_F(UnsavedEditsTest, ARecalledStateLeavesUnsavedAsTheBankInMemoryHasIt)
{
    const auto stateWithUnsaved = [&] {
        ByteChunk chunk;
        editor->SerializeState(&chunk);
        double stored = 0.0;
        chunk.Get(&stored, chunk.Size() - (Zelto2X::kStoredParamCount - kBankEditUnsaved) * 8);
        return std::pair(std::move(chunk), stored);
    };
    auto [savedBefore, storedBefore] = stateWithUnsaved();
    editSlotThree();
    auto [savedUnsaved, storedUnsaved] = stateWithUnsaved();
    EXPECT_EQ(std::pair(0.0, 1.0), std::pair(storedBefore, storedUnsaved));

    EXPECT_LT(0, editor->UnserializeState(&savedBefore, 0));
    EXPECT_TRUE(markedUnsaved());
    editor->OnParamChange(kRefreshFolders);
    EXPECT_EQ("Save bank or Discard changes!|", status());
    editor->GetParam(kDiscardBankData)->Set(1);
    editor->OnParamChange(kDiscardBankData);
    EXPECT_LT(0, editor->UnserializeState(&savedUnsaved, 0));
    EXPECT_FALSE(markedUnsaved());

    editSlotThree();
    EXPECT_LT(0, editor->UnserializeState(&savedBefore, 0));
    editor.reset();
    EXPECT_EQ(alphaBank(true), readFile(recovered()));
}

}  // namespace
