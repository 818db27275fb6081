// Edits of the editing bank made before a request, a close or a project
// recall stay the user's: a cancelled or interrupted request leaves the bank
// as it stood, a whole-bank request and the top display's bank menu wait for
// Save or DISCARD, a recall leaves UNSAVED to the bank in memory. An answer
// the synth still owes a request that no longer waits (cancelled, timed out,
// asked twice by the device-ID search) lands nowhere. Against the simulated
// Zelto 2 in-process, in virtual time; what is on disk is read back after
// Save or after closing.
#include "ControlAction.h"
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
    // The synth's memory: a sound of that name at the address.
    void synthHolds(const zelto2sim::SoundAddress& address, const std::string& name)
    {
        editor->synth->Receive(zelto2sim::MakeSoundDump(currentDump(700, name), 0, address));
    }
    std::string slotName(int slot) const { return upperSlot(slot).name.substr(0, upperSlot(slot).name.find("  ")); }
    std::string panelName() const
    {
        const std::string name = editor->GetParam(kPatchName)->GetDisplayText(0);
        return name.substr(0, name.find("  "));
    }
    // A library request for the clicked slot that runs to its end.
    void requestSlot(int slot, const char* item = "from Selected Program Slot & Bank")
    {
        click(0, slot);
        choose(editor->bankEditPopupMenu, std::string("Request Patch Data/") + item);
        ASSERT_TRUE(requestJobEnded());
    }
    void cancelledRequestForSlot(int slot)
    {
        click(0, slot);
        startHeldRequest("from Selected Program Slot & Bank");
        cancelHeldRequest();
        editor->runPendingLibrarianWork();
        EXPECT_EQ("Data request CANCELLED!", nameLine->GetTextString());
    }
    // Right after the requests before it, the panel's REQUEST, or a request into slot 41 from the synth's active
    // slot, gets the sound the synth plays; the other keeps what it had.
    void followUpGetsThePlayingSound(bool panel)
    {
        if (panel)
            ASSERT_TRUE(endedAfter(manager->sendActiveArrangementRequestSysex(true)));
        else
            requestSlot(40, "from Active Slot to Librarian");
        EXPECT_EQ("Data request completed!", nameLine->GetTextString());
        EXPECT_EQ(panel ? "PLAYING NOW" : "ON THE PANEL", panelName());
        EXPECT_EQ(panel ? "ALPHA 41" : "PLAYING NOW", slotName(40));
    }
    // Every late answer handed over, and the bank as on disk again.
    void settle()
    {
        Sleep(60000);
        if (markedUnsaved())
            command(kDiscardBankData, 1);
        editor->runPendingLibrarianWork();
    }

    // The DEVICE ID knob bound as the configuration binds it, one global parameter message a value.
    ControlAction deviceIdKnob {kActionSysEx};
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

// A synth falling silent mid-bank: the request times out, and the sounds that came are the editor's only copy of them.
// UNSAVED guards them as it guards a completed request's: the next whole-bank request and a bank step are refused, and
// closing keeps them in "Recovered Banks".
TEST_F(UnsavedEditsTest, ABankRequestThatTimesOutAfterFilingSoundsLeavesThemUnsavedAndGuarded)
{
    synthHolds({false, 2}, "THIRD");
    editor->answersLeft = 3;
    choose(editor->bankEditPopupMenu, "Request Patch Data/Patches from 001-100");
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() > 0; }) && requestJobEnded());
    EXPECT_EQ("CONNECTION TIMED OUT!", nameLine->GetTextString());
    EXPECT_TRUE(markedUnsaved());
    const size_t sent = editor->sentCount();
    choose(editor->bankEditPopupMenu, "Request Patch Data/Patches from 001-100");
    EXPECT_EQ(std::pair(std::string("Save bank or Discard changes!|"), sent), std::pair(status(), editor->sentCount()));
    command(kLibUpperNextBank, 1);
    EXPECT_EQ(std::pair(std::string("Save bank or Discard changes!|"), 0), std::pair(status(), library->upperSelection));
    editor.reset();
    const Bytes copy = readFile(recovered());
    ASSERT_EQ(copy.size(), 100u * 137u);
    const auto nameAt = [&](size_t slot) { return std::string(copy.begin() + 137 * slot + 120, copy.begin() + 137 * slot + 134); };
    EXPECT_EQ(std::pair(paddedName("THIRD"), paddedName("ALPHA 4")), std::pair(nameAt(2), nameAt(3)));
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

// PROGRAM KEYS USE LIBRARY on: the bank named in the top display would become the editing bank.
TEST_F(UnsavedEditsTest, TheTopDisplaysBankMenuWaitsForSaveAndThenPicksTheBankAndSendsItsSound)
{
    command(kControlLibrary, 1);
    editSlotThree();
    click(0, 7);
    const auto ticks = [&] {
        IPopupMenu* tree = editor->progBankNamePopupMenu->rootMenu();  // a choice builds it anew
        return std::pair(tree->IsItemChecked(0), tree->IsItemChecked(1));
    };
    const auto ticksBefore = ticks();
    const size_t shown = headless->shownMenus.size(), sent = editor->sentCount();
    IMouseMod left(true);
    editor->progBankNamePopupMenu->OnMouseDown(0, 0, &left);
    EXPECT_EQ("Save bank or Discard changes!|", status());
    EXPECT_EQ(shown, headless->shownMenus.size());
    EXPECT_EQ(std::tuple(0, sent, ticksBefore), std::tuple(library->upperSelection, editor->sentCount(), ticks()));
    EXPECT_TRUE(markedUnsaved());
    EXPECT_EQ(alphaBank(true), upperBank());

    save();
    choose(editor->progBankNamePopupMenu, "Beta.zt2");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ("Patches/Beta.zt2", editor->upperFolderName + "/" + editor->upperBankName);
    EXPECT_EQ(std::pair(1, std::pair(false, true)), std::pair(library->upperSelection, ticks()));
    ASSERT_GT(editor->sentCount(), sent);
    const Bytes last = editor->sent().back().bytes;
    EXPECT_EQ(paddedName("BETA 8"), std::string(last.begin() + 120, last.begin() + 134));
}

// The lower list shows the banks to copy sounds from: it steps on while the editing bank waits for Save.
TEST_F(UnsavedEditsTest, WhileUnsavedTheEditingBankStaysAndTheLowerListStillSteps)
{
    editSlotThree();
    command(kLibUpperNextBank, 1);
    EXPECT_EQ("Save bank or Discard changes!", nameLine->GetTextString());
    command(kLibLowerNextBank, 1);
    EXPECT_EQ(std::pair(0, 1), std::pair(library->upperSelection, library->menuSelection));
    EXPECT_EQ(paddedName("BETA 1"), view->slotText(1, 0));
}

// A cancelled request's answer comes while the next request waits: a request for the synth's current sound, one for
// a slot whose address reads as the cancelled one's in the synth's bank-and-program form, or the panel's REQUEST. The
// next request stores (or shows) its own answer; the cancelled slot keeps what it had. A saved and an unsaved bank.
TEST_F(UnsavedEditsTest, AnAnswerToACancelledRequestLandsNowhereAndTheNextRequestGetsItsOwn)
{
    using zelto2sim::ReplyForm;
    editor->GetParam(kCurrentBank)->Set(1);
    synthHolds({false, 101}, "ASKED FIRST");  // bank 1, program 1: 00 65, or 01 01 in bank-and-program form
    synthHolds({false, 129}, "ASKED NEXT");   // bank 1, program 29: 01 01, or 01 1D
    synthHolds({true, 0}, "PLAYING NOW");
    const struct {
        const char* next;  // a library request, or the panel's
        ReplyForm form;
        const char* stored;
    } cases[] = {{"from Active Slot to Librarian", ReplyForm::Slot, "PLAYING NOW"},
        {"from Selected Program Slot & Bank", ReplyForm::BankProgram, "ASKED NEXT"}, {nullptr, ReplyForm::Slot, nullptr}};
    for (const bool unsaved : {false, true})
        for (const auto& next : cases) {
            SCOPED_TRACE(testing::Message() << (unsaved ? "unsaved " : "saved ") << (next.next ? next.next : "REQUEST"));
            if (markedUnsaved())
                command(kDiscardBankData, 1);
            editor->runPendingLibrarianWork();
            if (unsaved)
                editSlotThree();
            editor->GetParam(kPatchName)->SetDisplayText(0, "ON THE PANEL");
            editor->synth->SetReplyForm(next.form);
            editor->answering = false;  // the synth answers late
            click(0, 1);
            startHeldRequest("from Selected Program Slot & Bank");
            cancelHeldRequest();
            editor->runPendingLibrarianWork();
            EXPECT_EQ("Data request CANCELLED!", nameLine->GetTextString());

            editor->answering = true;
            click(0, 29);
            const size_t before = editor->sentCount();
            editor->holdAtMessage(before + 1);
            if (next.next)
                choose(editor->bankEditPopupMenu, std::string("Request Patch Data/") + next.next);
            else
                ASSERT_TRUE(manager->sendActiveArrangementRequestSysex(true));
            ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + 1; }));
            editor->receive(zelto2sim::MakeSoundDump(currentDump(700, "ASKED FIRST"), 0, {false, 101}, next.form));
            editor->release();
            ASSERT_TRUE(requestJobEnded());
            EXPECT_EQ("Data request completed!", nameLine->GetTextString());
            EXPECT_EQ(alphaDump(1), upperBytes(1));
            EXPECT_EQ(unsaved ? alphaDump(4) : alphaDump(2), upperBytes(2));
            if (next.next) {
                EXPECT_EQ(next.stored, slotName(29));
                EXPECT_TRUE(markedUnsaved());
            } else {
                EXPECT_EQ("PLAYING NOW", editor->GetParam(kPatchName)->GetDisplayText(0).substr(0, 11));
                EXPECT_EQ(alphaDump(29), upperBytes(29));
                EXPECT_EQ(unsaved, markedUnsaved());
            }
        }
}

// A sound request noted the bank as it was before it; Save made that copy stale for the bank request after it.
TEST_F(UnsavedEditsTest, ACancelledBankRequestAfterASoundRequestAndSaveLeavesTheSavedBank)
{
    editSlotThree();
    click(0, 7);
    choose(editor->bankEditPopupMenu, "Request Patch Data/from Selected Program Slot & Bank");
    ASSERT_TRUE(requestJobEnded());
    save();
    // The sounds as saved: parameters, name and category (bytes 7 to 134) of each slot.
    const auto sounds = [](const Bytes& bank) {
        std::vector<Bytes> each;
        for (size_t at = 0; at + 137 <= bank.size(); at += 137)
            each.emplace_back(bank.begin() + long(at) + 7, bank.begin() + long(at) + 135);
        return each;
    };
    const std::vector<Bytes> saved = sounds(readFile(data.patches() + "/Alpha.zt2"));
    ASSERT_EQ(sounds(upperBank()), saved);
    startHeldRequest("Patches from 001-100", 10);
    cancelHeldRequest();
    editor->runPendingLibrarianWork();
    EXPECT_FALSE(markedUnsaved());
    EXPECT_EQ(saved, sounds(upperBank()));
    EXPECT_EQ("INIT", slotName(7));
}

// A synth that answers late still answers every request sent to its device ID, in order: those of two or three
// cancelled requests, of one that timed out (the search asked device 0 again), and the second answer of one the
// search asked again before its first came. They come while the next request waits, into another slot or the
// panel's: it stores or shows the synth's current sound, and the earlier slots keep what they had.
TEST_F(UnsavedEditsTest, EveryAnswerOwedToARequestThatNoLongerWaitsLandsNowhereAndTheNextRequestGetsItsOwn)
{
    for (int slot : {10, 20, 30})
        synthHolds({false, slot}, "SYNTH " + std::to_string(slot + 1));
    synthHolds({true, 0}, "PLAYING NOW");
    const struct {
        const char* earlier;
        int lateMs, requests;
        bool cancelled;
        const char* outcome;
    } cases[] = {{"two cancelled", 3000, 2, true, "Data request CANCELLED!"},
        {"three cancelled", 3000, 3, true, "Data request CANCELLED!"},
        {"timed out", 15000, 1, false, "CONNECTION TIMED OUT!"},
        {"answered after the search asked again", 1800, 1, false, "Data request completed!"}};
    for (const auto& c : cases)
        for (const bool panel : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.earlier << (panel ? ", then REQUEST" : ", then slot 41"));
            editor->GetParam(kLibSyncTimer)->Set(4);  // 100 ms
            editor->lateMs = c.lateMs;
            editor->GetParam(kPatchName)->SetDisplayText(0, "ON THE PANEL");
            for (int i = 0; i < c.requests; ++i) {
                if (c.cancelled)
                    cancelledRequestForSlot(10 + 10 * i);
                else
                    requestSlot(10);
                EXPECT_EQ(c.outcome, nameLine->GetTextString());
            }
            editor->GetParam(kLibSyncTimer)->Set(c.lateMs > 8000 ? 3 : 4);  // 500 ms waits for a synth 15 s late
            followUpGetsThePlayingSound(panel);
            for (int i = 0; i < c.requests; ++i)
                EXPECT_EQ(c.lateMs == 1800 ? "SYNTH 11" : "ALPHA " + std::to_string(11 + 10 * i), slotName(10 + 10 * i));
            settle();
        }
}

// The search found the synth at 5 and took its answer; DEVICE ID then set the synth to 0. A request cancelled after
// that owes what it sent to 0, whichever device answered the request before it: its late answer, coming while the
// panel's REQUEST waits, lands nowhere.
TEST_F(UnsavedEditsTest, AfterTheSearchFoundTheSynthAndDeviceIdMovedItACancelledRequestsAnswerLandsNowhere)
{
    synthHolds({false, 10}, "SYNTH 11");
    synthHolds({true, 0}, "PLAYING NOW");
    editor->synth->Receive(bytesOf("F0 3E 16 00 41 02 09 05 00 F7"));  // set to 5 on its own panel
    for (int32_t id = 0; id < 128; ++id)
        deviceIdKnob.sysEx.messages.push_back({0x3E, 0x16, 0x58, 0x41, 0x02, 0x09, id, 0x00});
    editor->GetParam(kGlobalDeviceID)->SetControlAction(&deviceIdKnob);
    editor->GetParam(kDeviceOutSelection)->Set(1);
    ASSERT_TRUE(endedAfter(manager->sendActiveArrangementRequestSysex(true)));
    ASSERT_EQ(5, editor->currentDeviceId);
    command(kGlobalDeviceID, 0);
    ASSERT_EQ(std::pair(0, 0), std::pair(int(editor->synth->DeviceId()), int(editor->currentDeviceId)));

    editor->lateMs = 3000;
    editor->GetParam(kPatchName)->SetDisplayText(0, "ON THE PANEL");
    cancelledRequestForSlot(10);
    followUpGetsThePlayingSound(true);
    EXPECT_EQ("ALPHA 11", slotName(10));
}

// Bank 2, slot 2 reads 01 01 in the bank-and-program form, as slot 30 does in the slot form. The cancelled request's
// answer has come, while nothing waits, while a request the synth leaves unanswered waits, or taken by slot 2 asked for
// again (whose own answers have come since): slot 30 takes its own answer to its first message.
TEST_F(UnsavedEditsTest, OnceACancelledRequestsAnswerHasComeTheSameAddressInTheOtherFormIsTakenWithoutTheSearch)
{
    editor->GetParam(kCurrentBank)->Set(1);
    synthHolds({false, 101}, "ASKED FIRST");
    synthHolds({false, 129}, "ASKED NEXT");
    for (const std::string between : {"nothing waits", "a request waits", "asked again"}) {
        SCOPED_TRACE(between);
        editor->lateMs = 3000;
        cancelledRequestForSlot(1);
        if (between == "a request waits") {
            editor->answering = false;
            EXPECT_TRUE(endedAfter(manager->sendActiveArrangementRequestSysex(true)));
            editor->answering = true;
        } else {
            if (between == "asked again")
                requestSlot(1);
            Sleep(3000);
        }
        editor->lateMs = 0;
        const size_t before = editor->sentCount();
        requestSlot(29);
        EXPECT_EQ("Data request completed!", nameLine->GetTextString());
        EXPECT_EQ(std::pair(std::string("ASKED NEXT"), before + 1), std::pair(slotName(29), editor->sentCount()));
        EXPECT_EQ(between == "asked again" ? "ASKED FIRST" : "ALPHA 2", slotName(1));
        settle();
    }
}

// A request the synth never answered timed out (its note: the request and the search's second ask of device 0). Once
// the synth has answered a later request, the panel's or the device enquiry, it owes nothing more: slot 30, whose
// address reads as the timed-out slot 2's, takes its own answer to its first message.
TEST_F(UnsavedEditsTest, ATimedOutRequestIsOwedNothingOnceTheSynthHasAnsweredALaterOne)
{
    editor->GetParam(kCurrentBank)->Set(1);
    synthHolds({false, 129}, "ASKED NEXT");
    for (const bool enquiry : {false, true}) {
        SCOPED_TRACE(enquiry ? "the device enquiry" : "the panel's REQUEST");
        editor->answering = false;
        requestSlot(1);
        EXPECT_EQ("CONNECTION TIMED OUT!", nameLine->GetTextString());
        editor->answering = true;
        ASSERT_TRUE(endedAfter(enquiry ? manager->sendDeviceIdEnquiry() : manager->sendActiveArrangementRequestSysex(true)));
        const size_t before = editor->sentCount();
        requestSlot(29);
        EXPECT_EQ(std::pair(std::string("ASKED NEXT"), before + 1), std::pair(slotName(29), editor->sentCount()));
        settle();
    }
}

// The synth never answered the cancelled request: asked for again, the sound comes with the answer to the first message.
TEST_F(UnsavedEditsTest, ASoundAskedForAgainAfterACancelWithoutAnswerIsTakenWithoutTheSearch)
{
    editor->GetParam(kCurrentBank)->Set(1);
    synthHolds({false, 101}, "ASKED FIRST");
    editor->answering = false;
    cancelledRequestForSlot(1);
    editor->answering = true;
    const size_t before = editor->sentCount();
    requestSlot(1);
    EXPECT_EQ("Data request completed!", nameLine->GetTextString());
    EXPECT_EQ(std::pair(std::string("ASKED FIRST"), before + 1), std::pair(slotName(1), editor->sentCount()));
}

// Asked for again after a cancel, a sound takes the cancelled request's late answer at once; its own answer, and the
// device-ID search's repeat when it asked device 0 again, are then owed like any other, and so is the answer of every
// other cancelled sound. What is asked next, at once, gets the synth's answer to it.
TEST_F(UnsavedEditsTest, ASoundAskedForAgainAfterACancelLeavesItsOwnAnswerOwedAndTheOtherSoundsNotesStand)
{
    synthHolds({false, 0}, "SYNTH 1");
    synthHolds({false, 20}, "SYNTH 21");
    synthHolds({true, 0}, "PLAYING NOW");
    for (const int lateMs : {1000, 3000})  // the search starts after 1.5 s
        for (const bool alsoSlotOne : {false, true})
            for (const bool panel : {false, true}) {
                SCOPED_TRACE(testing::Message() << lateMs << " ms late" << (alsoSlotOne ? ", slot 1 cancelled too" : "")
                                                << (panel ? ", then REQUEST" : ", then slot 41"));
                editor->lateMs = lateMs;
                editor->GetParam(kPatchName)->SetDisplayText(0, "ON THE PANEL");
                cancelledRequestForSlot(20);
                if (alsoSlotOne)
                    cancelledRequestForSlot(0);
                requestSlot(20);
                EXPECT_EQ("Data request completed!", nameLine->GetTextString());
                EXPECT_EQ("SYNTH 21", slotName(20));
                followUpGetsThePlayingSound(panel);
                EXPECT_EQ("ALPHA 1", slotName(0));
                settle();
            }
}

// Bank 2: slot 30 answers 01 01 in the slot form, which reads as slot 2 in the other form. Slot 30 cancelled and asked
// for again leaves its own answer owed, which slot 2, asked next, does not take.
TEST_F(UnsavedEditsTest, ASoundAskedForAgainAfterACancelLeavesNothingForTheSoundItsAddressAlsoNames)
{
    editor->GetParam(kCurrentBank)->Set(1);
    synthHolds({false, 101}, "SYNTH 102");
    synthHolds({false, 129}, "SYNTH 130");
    editor->lateMs = 3000;
    cancelledRequestForSlot(29);
    requestSlot(29);
    EXPECT_EQ("SYNTH 130", slotName(29));
    requestSlot(1);
    EXPECT_EQ("Data request completed!", nameLine->GetTextString());
    EXPECT_EQ("SYNTH 102", slotName(1));
}

// From sound 129 on, the slot-form answer also reads as a sound of the bank-and-program form: each is still the
// answer its request waits for, so the whole bank comes in one ask each.
TEST_F(UnsavedEditsTest, AWholeBankOfTheSynthsSecondBankComesInWithoutTheSearch)
{
    for (int slot = 100; slot < 200; ++slot)
        synthHolds({false, slot}, "SYNTH " + std::to_string(slot + 1));
    const size_t before = editor->sentCount();
    choose(editor->bankEditPopupMenu, "Request Patch Data/Patches from 101-200");
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ("Data request completed!", nameLine->GetTextString());
    EXPECT_EQ(before + 100, editor->sentCount());
    for (int slot = 0; slot < 100; ++slot)
        EXPECT_EQ("SYNTH " + std::to_string(slot + 101), slotName(slot));
}

// A dump the host sends is not the synth's answer: with SysEx from the host let through, the cancelled slot's late
// answer still lands nowhere.
TEST_F(UnsavedEditsTest, AHostsDumpOfACancelledSoundLeavesTheSynthsLateAnswerOwed)
{
    editor->dawFilter[kFilterSysEx] = false;
    synthHolds({false, 20}, "SYNTH 21");
    synthHolds({true, 0}, "PLAYING NOW");
    editor->lateMs = 3000;
    cancelledRequestForSlot(20);
    editor->receive(zelto2sim::MakeSoundDump(currentDump(700, "FROM HOST"), 0, {false, 20}), false);
    ASSERT_TRUE(endedAfter(manager->sendActiveArrangementRequestSysex(true)));
    EXPECT_EQ("Data request completed!", nameLine->GetTextString());
    EXPECT_EQ("PLAYING NOW", panelName());
}

// The lower list shows the banks, categories and search results to copy sounds from: its menus open while UNSAVED.
TEST_F(UnsavedEditsTest, WhileUnsavedTheLowerListsBankCategoryAndSearchMenusStillOpen)
{
    library->createNewSearchPatchFiles("ALPHA 1");
    editSlotThree();
    const size_t shown = headless->shownMenus.size();
    choose(editor->rightPatchPopupMenu, "Beta.zt2");
    EXPECT_EQ(paddedName("BETA 1"), view->slotText(1, 0));
    for (const bool categories : {true, false}) {
        editor->lowerShowsCategories = categories;
        editor->lowerShowsSearch = !categories;
        editor->patchTypeChanged(0, categories ? 1 : 4, false);
        choose(categories ? static_cast<IControl*>(editor->rightCategoryPopupMenu) : editor->rightSearchPopupMenu,
            categories ? "1/0" : "0");
        const PatchFileList& files = categories ? library->categoryFiles : library->searchFiles;
        ASSERT_LT(size_t(library->menuSelection), files.size()) << categories;
        EXPECT_EQ(files[size_t(library->menuSelection)]->fileName, editor->lowerBankName) << categories;
    }
    EXPECT_EQ(shown + 3, headless->shownMenus.size());
    EXPECT_NE("Save bank or Discard changes!", nameLine->GetTextString());
    EXPECT_TRUE(markedUnsaved());
    EXPECT_EQ(std::pair(0, alphaBank(true)), std::pair(library->upperSelection, upperBank()));
}

}  // namespace
