// The request, send and clock jobs on the manager's worker threads, against
// the in-process simulated synth in virtual time.
#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "IGraphics.h"
#include "LibrarianViewControl.h"
#include "WorkerFixture.h"
#include "e2e/SoundDumpMap.h"

namespace {

using zelto2sim::ToHex;

class WorkerJobs : public WorkerFixture {};

std::vector<size_t> firstSlots(size_t count)
{
    std::vector<size_t> slots(count);
    for (size_t k = 0; k < count; ++k)
        slots[k] = k;
    return slots;
}

}  // namespace

TEST_F(WorkerJobs, AnswerInTheFirstDelayEndsTheRequestAfterOneDelayAndTheClosingWait)
{
    editor->GetParam(kLibSyncTimer)->Set(3);  // 500 ms delays
    ASSERT_TRUE(endedAfter(manager->sendPartRequestSysex(true, 0)));
    // Channel messages flow again.
    EXPECT_EQ(std::tuple(now(), editor->wire(), statusText(), bool(manager->patchRequested)),
        std::tuple(2 * 500u, std::vector<std::string> {"F0 3E 16 00 00 7F 00 F7"}, "Data request completed!", false));
}

TEST_F(WorkerJobs, UnansweredRequestSearchesDeviceIdsAfterTheFifteenthDelayAndTimesOutAfterTheLastAsDoesAnEnquiry)
{
    editor->answering = false;
    ASSERT_TRUE(endedAfter(manager->sendActiveArrangementRequestSysex(true)));
    std::vector<std::pair<uint32_t, int>> sent, expected = {{0, 0}};
    for (const SimEditor::Sent& s : editor->sent())
        sent.push_back({s.timeMs, s.bytes[3]});
    for (int id = 0; id < 127; ++id)  // job 4 probes in half delays, each ID once
        expected.push_back({1500u + 50u * id, id});
    EXPECT_EQ(sent, expected);
    // 21 delays, 127 half-delay probes, the closing half delay.
    EXPECT_EQ(now(), 2100u + 127u * 50u + 50u);
    EXPECT_EQ(statusText(), "CONNECTION TIMED OUT!");
    ASSERT_TRUE(endedAfter(manager->sendDeviceIdEnquiry()));
    EXPECT_EQ(statusText(), "No response from Hardware");
}

TEST_F(WorkerJobs, SynthFallingSilentMidBankTimesOutEachSoundLeftWhileTheOverlayCountsSoundsAndIds)
{
    PatchFile& bank = giveLibraryBank(0);
    editor->answersLeft = 3;
    ASSERT_TRUE(endedAfter(manager->sendAllPatchRequestSysexFromLibrarian(1)));
    EXPECT_EQ(std::tuple(statusText(), bank.patches[2].messages.empty(), bank.patches[3].messages.empty()),
        std::tuple("CONNECTION TIMED OUT!", false, true));
    // Each of the 100 requests counts its sound (bank 1: slot 100 + p), each of 97 searches its 127 IDs.
    std::vector<std::string> expected;
    for (int program = 0; program < 100; ++program) {
        expected.push_back("SOUND " + std::to_string(program + 1) + " / 100");
        for (int id = 1; id <= 127 && program >= 3; ++id)
            expected.push_back("DEVICE ID " + std::to_string(id) + " / 127");
    }
    std::vector<std::string> counted;
    for (const SimEditor::Sent& sent : editor->sent())
        counted.push_back(sent.progress);
    EXPECT_EQ(counted, expected);
    EXPECT_EQ(JobProgress::text(manager->progress.get()), "");
}

// Cancelled once every sound has gone out (in the last sound's pause, or with only empty slots left), a store is complete.
TEST_F(WorkerJobs, CancelFromTheOverlayStopsABankRequestOrStoreAtTheNextSoundLeftToSend)
{
    const struct {
        int job;
        std::vector<size_t> emptySlots;
        size_t heldAt;  // messages sent when CANCEL goes: a store's notes off, then one a sound
        const char* status;
    } rows[] = {{kJobRequestAllPatches, {}, 10, "Data request CANCELLED!"},
        {kJobStoreAllPatches, {}, 10, "Store CANCELLED! 9 of 100 stored"},
        // Slots 1..12 hold the nine sounds sent: the count is of sounds, not of slots passed.
        {kJobStoreAllPatches, {0, 4, 10}, 10, "Store CANCELLED! 9 of 97 stored"},
        // Slots 1..50 empty: from the first sound on, more slots are passed than the bank holds sounds.
        {kJobStoreAllPatches, firstSlots(50), 10, "Store CANCELLED! 9 of 50 stored"},
        {kJobStoreAllPatches, {}, 101, "Data send completed!"},
        {kJobStoreAllPatches, {97, 98, 99}, 98, "Data send completed!"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        editor->showStatus("Data request CANCELLED!");  // an earlier request's outcome
        PatchFile& bank = giveLibraryBank(0);
        bank.patches.assign(100, LibrarianPatch());
        for (LibrarianPatch& slot : bank.patches)
            slot.messages.push_back({zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {true, 0})});
        for (size_t empty : row.emptySlots)
            bank.patches[empty] = LibrarianPatch();
        const size_t before = editor->sentCount();
        editor->holdAtMessage(before + row.heldAt);
        ASSERT_TRUE(row.job == kJobStoreAllPatches ? manager->storeAllPatchesToDeviceFromLibrarian(1, 0)
                                                   : manager->sendAllPatchRequestSysexFromLibrarian(1));
        ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + row.heldAt; }));
        editor->GetParam(kCancelDataRequestParam)->Set(1);
        editor->OnParamChange(kCancelDataRequestParam);
        editor->release();
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(std::pair(editor->sentCount(), statusText()), std::pair(before + row.heldAt, std::string(row.status)));
    }
}

// A chosen port gone (the port watch notes it on the sender) ends a request, which needs both ports, at its next delay
// or device ID, and a bank store, which needs the output alone, at its next sound; a request keeps what it filed, with
// UNSAVED lit. Gone once every sound of a store has gone out (only empty slots left), the port stops nothing.
TEST_F(WorkerJobs, APortGoneEndsARequestAtItsNextDelayOrIdAndABankStoreAtItsNextSound)
{
    const struct {
        int job;
        bool answering;
        size_t heldAt;  // messages sent when the port goes
        bool input;
        const char* status;
        size_t sentAtEnd;
        int filed;  // slots a request filled, else the sounds a store has in its first slots
    } rows[] = {{kJobRequestAllPatches, true, 11, true, "MIDI IN gone! Request ended", 11, 11},
        // A silent synth: the search of sound 1 has asked 19 IDs.
        {kJobRequestAllPatches, false, 20, false, "MIDI OUT gone! Request ended", 20, 0},
        {kJobRequestSinglePatch, true, 1, true, "MIDI IN gone! Request ended", 1, 1},
        {kJobRequestSinglePatch, false, 1, false, "MIDI OUT gone! Request ended", 1, 0},
        // A store's notes off, then one message a sound.
        {kJobStoreAllPatches, true, 11, false, "MIDI OUT gone! 10 of 100 sent", 11, 100},
        {kJobStoreAllPatches, true, 100, false, "MIDI OUT gone! 99 of 100 sent", 100, 100},
        {kJobStoreAllPatches, true, 98, false, "Data send completed!", 98, 97},
        {kJobStoreAllPatches, true, 11, true, "Data send completed!", 101, 100}};
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.heldAt) + (row.input ? " IN " : " OUT ") + row.status);
        PatchFile& bank = giveLibraryBank(0);
        const bool store = row.job == kJobStoreAllPatches;
        for (int k = 0; store && k < row.filed; ++k)
            bank.patches[k].messages.push_back({zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {true, 0})});
        editor->GetParam(kBankEditUnsaved)->Set(0);
        editor->answering = row.answering;
        const size_t before = editor->sentCount();
        editor->holdAtMessage(before + row.heldAt);
        ASSERT_TRUE(store ? manager->storeAllPatchesToDeviceFromLibrarian(1, 0)
                : row.job == kJobRequestAllPatches ? manager->sendAllPatchRequestSysexFromLibrarian(1)
                                                   : manager->sendSinglePatchRequestSysexFromLibrarian(false));
        ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + row.heldAt; }));
        manager->sender->notePortGone(row.input);
        editor->release();
        ASSERT_TRUE(requestJobEnded());
        const long filled = std::count_if(bank.patches.begin(), bank.patches.end(),
            [](const LibrarianPatch& slot) { return !slot.messages.empty(); });
        EXPECT_EQ(std::tuple(editor->sentCount() - before, statusText(), value(kBankEditUnsaved) == 1.0,
                      JobProgress::text(manager->progress.get())),
            std::tuple(row.sentAtEnd, std::string(row.status), !store && row.filed > 0, std::string()));
        EXPECT_EQ(filled, row.filed);
    }
}

TEST_F(WorkerJobs, DeviceIdSearchAsksDeviceZeroTwiceAndThenEachIdUntilTheSynthAnswers)
{
    editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(3);
    ASSERT_TRUE(endedAfter(manager->sendDeviceIdEnquiry()));
    EXPECT_EQ(editor->wire(), (std::vector<std::string> {"F0 3E 16 00 04 F7", "F0 3E 16 00 04 F7", "F0 3E 16 01 04 F7",
                          "F0 3E 16 02 04 F7", "F0 3E 16 03 04 F7"}));
    EXPECT_EQ(std::tuple(int(editor->currentDeviceId), statusText(), bool(editor->deviceInitialization)),
        std::tuple(3, "Plug-in is ready to go!", false));
}

TEST_F(WorkerJobs, JobOnABusyWorkerIsDroppedAndCancelEndsTheRunningOneWithoutASuccessText)
{
    // A silent synth, and the job held after its first message.
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendActiveArrangementRequestSysex(true));
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    manager->libraryRequest.libraryRequestActive = false;
    EXPECT_FALSE(manager->sendSinglePatchRequestSysexFromLibrarian(true));
    EXPECT_TRUE(manager->libraryRequest.libraryRequestActive) << "the record is still prepared";
    EXPECT_EQ(manager->lastJob().code, 4);
    manager->sender->cancelRequested = true;
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(std::pair(statusText(), editor->sentCount()),
        std::pair(std::string("Data request CANCELLED!"), size_t(1)));

    editor->hold();
    ASSERT_TRUE(manager->sendDeviceIdEnquiry());
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 2; }));
    manager->sender->cancelRequested = true;
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(std::pair(statusText(), bool(editor->deviceInitialization)),
        std::pair(std::string("Data request CANCELLED!"), false));
}

TEST_F(WorkerJobs, ReplyToASlotRequestIsTakenInEitherAddressFormAndAReplyForAnotherSlotIsNot)
{
    for (zelto2sim::ReplyForm form : {zelto2sim::ReplyForm::Slot, zelto2sim::ReplyForm::BankProgram}) {
        editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
        editor->synth->SetReplyForm(form);
        zelto2sim::Bytes sound = zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {false, 130});
        sound[120] = 'Q';
        editor->synth->LoadSounds({sound});
        PatchFile& bank = giveLibraryBank(30);
        editor->GetParam(kCurrentBank)->Set(1);
        ASSERT_TRUE(endedAfter(manager->sendSinglePatchRequestSysexFromLibrarian(false)));
        ASSERT_EQ(bank.patches[30].messages.size(), 1u);
        EXPECT_EQ(std::tuple(editor->wire().back(), bank.patches[30].name.substr(0, 4), statusText()),
            std::tuple("F0 3E 16 00 00 01 02 F7", "QNIT", "Data request completed!"));
    }
    PatchFile& bank = giveLibraryBank(30);
    manager->expectReply(1, 30);
    editor->SetLibrarianRequestActive(true);
    editor->receive(zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {false, 131}));
    EXPECT_TRUE(bank.patches[30].messages.empty() && !editor->incomingSysExProcessed);
}

TEST_F(WorkerJobs, TransferSlotOutsideTheBankStartsNothing)
{
    for (int slot : {-1, 100}) {
        giveLibraryBank(slot);
        EXPECT_FALSE(manager->sendSinglePatchRequestSysexFromLibrarian(false) || manager->initClassicPatch()
            || manager->sendArrangementToDevice(true, false)) << slot;
    }
    giveLibraryBank(99);
    EXPECT_TRUE(manager->initClassicPatch());
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(editor->patchLibrarian->bankFiles.back()->patches[99].name, "INIT          ");
}

TEST_F(WorkerJobs, LibrarySoundSendIsNotesOffThenTheDumpThenLoadedIntoTheEditor)
{
    LibrarianPatch slot;
    zelto2sim::Bytes sound = zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 5, {false, 130});
    sound[49] = 0x33;  // filter cutoff
    slot.messages.push_back({sound});
    editor->GetParam(kGlobalDeviceID)->Set(2);
    editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(2);
    ASSERT_TRUE(endedAfter(manager->sendPatchToDeviceFromLibrarian(slot)));
    const std::vector<std::string> wire = editor->wire();
    ASSERT_EQ(wire.size(), 2u);
    // Device 2's edit buffer, 50 ms after the notes off.
    EXPECT_EQ(std::tuple(wire[0] + " " + wire[1].substr(0, 20), editor->sent()[1].timeMs, value(kFilterCutoff),
                  statusText(), bool(editor->patchLoading)),
        std::tuple("B0 7B 00 F0 3E 16 02 10 7F 00", 50u, 0x33, "Data send completed!", false));
}

TEST_F(WorkerJobs, BankStoreSkipsEmptyAndShortSlotsAndUsesTheLowerListRule)
{
    PatchLibrarian* library = editor->patchLibrarian;
    giveLibraryBank(0);
    library->categoryFiles.push_back(std::make_unique<PatchFile>());
    library->categoryFiles.back()->patches.resize(3);
    library->categoryFiles.back()->patches[0].messages.push_back({zelto2sim::InitSound()});
    library->categoryFiles.back()->patches[1].messages.push_back({zelto2sim::Bytes(100, 0x10)});
    library->menuSelection = 0;
    editor->lowerListedKind = 1;  // the lower list lists the category banks
    editor->currentDeviceId = 4;
    IBitmap none;
    editor->librarianView = new LibrarianViewControl(editor.get(), 0, 0, kLibrarianArea, &none, IRECT(), library, 1.0);
    editor->GetGUI()->AttachControl(editor->librarianView);
    editor->librarianView->lowerSelectedSlot = 5;
    editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(4);
    ASSERT_TRUE(endedAfter(manager->storeAllPatchesToDeviceFromLibrarian(2, 1)));
    const std::vector<SimEditor::Sent> sent = editor->sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(editor->synth->Sound({false, 200}), sent[1].bytes);
    // The list stored from follows.
    EXPECT_EQ(std::tuple(ToHex(sent[1].bytes).substr(0, 20), sent[1].progress,
                  editor->librarianView->lowerSelectedSlot.load(), statusText()),
        std::tuple("F0 3E 16 04 10 01 48", "SOUND 1 / 100", 0, "Data send completed!"));
}

TEST_F(WorkerJobs, ClockStartAndStopFollowTheirSwitchAndTheLoopStopsRestartsAndNeedsATempo)
{
    for (bool pointer : {false, true}) {
        editor->sendClockPointer = pointer;
        ASSERT_TRUE(manager->startMIDIClockOutput());
        ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
        ASSERT_TRUE(manager->stopMIDIClockOutput());
        ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
    }
    EXPECT_EQ(editor->wire(), (std::vector<std::string> {"FA", "FC"}));

    auto clockBytes = [&] {
        const auto lines = editor->wire();
        return std::count(lines.begin(), lines.end(), "F8");
    };
    editor->sendClockInfo = true;
    // 300 runs the loop twice, each run ended by its reset; 0 starts no clock.
    for (const char* tempo : {"300", "300", "0"}) {
        SCOPED_TRACE(tempo);
        const auto before = clockBytes();
        editor->tempoValues = {tempo};
        manager->resetContinuousClock(false);
        ASSERT_TRUE(manager->sendContinuousMIDIClock());
        if (tempo[0] != '0') {
            ASSERT_TRUE(waitFor([&] { return clockBytes() >= before + 3; }));
            EXPECT_TRUE(manager->startMIDIClockOutput()) << "the start/stop worker is free while the clock runs";
            ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
            manager->resetContinuousClock(true);
        }
        ASSERT_TRUE(waitFor([&] { return manager->clockThreadIdle(); }));
        EXPECT_EQ(clockBytes() == before, tempo[0] == '0');
    }
}

// The clock loop on a test's time: every look at the time costs 10 us and every wake-up comes 40 us late, yet the
// thousandth wake-up is 999 intervals after the first (a deadline taken from the time after a send drifts every tick).
TEST_F(WorkerJobs, ClockDeadlinesStayOnTheirGridHoweverLateTheLoopWakes)
{
    using namespace std::chrono;
    struct LateTime : MIDIMessageSender::ClockTime {
        steady_clock::time_point now() override { return time += microseconds(10); }
        void sleepUntil(steady_clock::time_point wakeUp) override
        {
            wakeUps.push_back(wakeUp);
            time = std::max(time, wakeUp) + microseconds(40);
            sender->resetContinuousClock(wakeUps.size() == 1000);
        }
        MIDIMessageSender* sender;
        steady_clock::time_point time {};
        std::vector<steady_clock::time_point> wakeUps;
    } late;
    late.sender = manager->sender.get();
    editor->sendClockInfo = true;
    editor->tempoValues = {"120"};
    manager->sender->clockTime = &late;
    manager->resetContinuousClock(false);
    std::atomic<bool> ended {false};
    std::thread guard([&] {  // a loop that keeps to the real clock fails instead of running on
        for (auto giveUp = steady_clock::now() + seconds(10); !ended && steady_clock::now() < giveUp;)
            std::this_thread::sleep_for(milliseconds(5));
        manager->resetContinuousClock(true);
    });
    manager->sender->sendContinuousMIDIClock(0);
    ended = true;
    guard.join();
    manager->sender->clockTime = nullptr;
    ASSERT_EQ(late.wakeUps.size(), 1000u);
    EXPECT_EQ(late.wakeUps.back() - late.wakeUps.front(), 999 * nanoseconds(60'000'000'000LL / (120 * 24)));
}

TEST_F(WorkerJobs, WholeSoundJobRunsTheGlobalStepOnlyWhenDueAndFeedsTheLibraryWithoutSending)
{
    // To the library?, global settings before the sound?, the starter's "settings sent" (not the editor's
    // flag), when the dump goes out (-1: nothing reaches the hardware), how long the job takes.
    const std::tuple<bool, bool, bool, int, uint32_t> rows[] = {
        {false, false, true, 0, 200}, {false, true, true, 1400, 1600}, {false, false, false, 1400, 1600},
        {true, true, false, -1, 0}};
    editor->GetParam(kPatchName)->SetDisplayText(0, "my sound");
    editor->GetParam(kArpClock)->Set(5);  // the synth holds it one up
    editor->GetParam(kOscillator2Semitone)->Set(-3);
    for (const auto& [toLibrary, globalBefore, settingsSent, sentAtMs, totalMs] : rows) {
        SCOPED_TRACE(sentAtMs);
        giveLibraryBank(7);
        editor->globalSettingsSent = true;
        editor->globalSendRequested = globalBefore;
        const uint32_t start = now();
        const size_t before = editor->sentCount();
        MIDIJob job;
        job.jobCode = kJobSendArrangement;
        job.arrangementToLibrary = toLibrary;
        job.globalSettingsSent = settingsSent;
        if (toLibrary)
            job.route = MIDIJobRoute::Library;
        ASSERT_TRUE(endedAfter(manager->startJob(job)));
        EXPECT_EQ(now() - start, totalMs);
        const std::vector<SimEditor::Sent> sent = editor->sent();
        ASSERT_EQ(sent.size(), before + (toLibrary ? 0 : 1));
        if (toLibrary) {
            EXPECT_EQ(editor->patchLibrarian->bankFiles.back()->patches[7].name, "MY SOUND      ");
        } else {
            EXPECT_EQ(sent.back().timeMs - start, static_cast<uint32_t>(sentAtMs));
            EXPECT_EQ(sent.back().bytes.size(), 137u);
            EXPECT_EQ(sent.back().bytes[135], zelto2sim::Checksum(sent.back().bytes));
            // What the synth now holds reads back as the panel.
            for (const auto& [param, value] : e2e::PanelValuesOf(editor->synth->Sound({true, 0})))
                EXPECT_EQ(value, editor->paramValue(param)) << "parameter " << param;
        }
    }
}

// A job that meets the busy request worker is not lost: the newest whole sound goes out once the running send ends,
// a request runs when the worker is free, and a program change drops an edit that waited before it (that sound is
// gone from the synth; sending it would put it into the new program).
TEST_F(WorkerJobs, JobsMeetingARunningSendWaitForItTheNewestSoundOnlyAndAProgramChangeDropsTheEditBeforeIt)
{
    auto setStep = [&](double event) {
        editor->GetParam(kPatternStep01Event)->Set(event);
        editor->OnParamChange(kPatternStep01Event);
    };
    auto programChange = [&] {
        IMidiMsg program(0, 0xC0, 5, 0);
        manager->ProcessMidiMsgFromDevice(&program);
    };
    auto requestPressed = [&] {
        editor->GetParam(kRequestTempData)->Set(1);
        editor->OnParamChange(kRequestTempData);
    };
    const std::string request = "F0 3E 16 00 00 7F 00 F7";
    const struct {
        const char* during;
        std::function<void()> act;
        std::vector<std::string> after;  // what follows the running send: "step N" for a whole sound
    } rows[] = {
        {"two more step edits", [&] { setStep(8), setStep(9); }, {"step 9"}},
        {"a program change from the synth", programChange, {request}},
        {"REQUEST pressed", requestPressed, {request}},
        {"an edit, then a program change", [&] { setStep(9), programChange(); }, {request}},
        // The program's sound replaces the edit in the panel too: the send that waited sends what the panel shows.
        {"a program change, then an edit", [&] { programChange(), setStep(9); }, {request, "step 7"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.during);
        editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
        const size_t before = editor->sentCount();
        editor->hold();
        setStep(7);
        ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + 1; }));
        row.act();
        editor->release();
        ASSERT_TRUE(waitFor([&] { return manager->requestThreadIdle() && manager->queuedJobCount() == 0; }));
        std::vector<std::string> after;
        for (const SimEditor::Sent& sent : editor->sent())
            after.push_back(sent.bytes.size() == 137 ? "step " + std::to_string(sent.bytes[97]) : ToHex(sent.bytes));
        after.erase(after.begin(), after.begin() + static_cast<long>(before + 1));
        EXPECT_EQ(after, row.after);
    }

    // Presses that still cannot wait say so: the librarian's requests, an output chosen (its enquiry).
    giveLibraryBank(0);
    const size_t before = editor->sentCount();
    editor->hold();
    setStep(7);
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == before + 1; }));
    for (const std::function<void()>& press : std::vector<std::function<void()>> {[&] { editor->libRequestEditBuffer(); },
             [&] { editor->libRequestSound(false); }, [&] { editor->libRequestBank(0); },
             [&] { editor->sendSysExInitialization(); }}) {
        editor->showStatus("-");
        press();
        EXPECT_EQ(statusText(), "Please wait!");
    }
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(editor->sentCount(), before + 1) << "the send alone";
}

// A library request that times out hands the synth's SysEx back: its knob messages move their controls again.
TEST_F(WorkerJobs, LibraryRequestThatTimesOutLeavesTheSynthsKnobMessagesToTheirControls)
{
    giveLibraryBank(4);
    editor->answering = false;
    TestControl* cutoff = bindSysEx(kFilterCutoff, 0x01, 0x31);
    ASSERT_TRUE(endedAfter(manager->sendSinglePatchRequestSysexFromLibrarian(false)));
    ASSERT_EQ(statusText(), "CONNECTION TIMED OUT!");
    sendSysEx(bytesOf("F0 3E 16 58 41 01 31 40 00 F7"));
    EXPECT_EQ(cutoff->moves.size(), 1u);
}

// What the editor stores or loads itself goes straight into the slot or the parameters: the SysEx filter, which holds
// back what the synth sends, does not swallow it, and no status claims a store that did not happen.
TEST_F(WorkerJobs, SoundsTheEditorStoresOrLoadsItselfPassTheSysExFilterAndAStoreWithoutABankSaysSo)
{
    editor->hwFilter[kFilterSysEx] = true;
    editor->GetParam(kPatchName)->SetDisplayText(0, "mine");
    LibrarianPatch slot;
    zelto2sim::Bytes sound = zelto2sim::InitSound();
    sound[49] = 0x33;  // filter cutoff
    slot.messages.push_back({sound});
    const struct {
        const char* job;
        std::function<bool()> start;
        const char* status;
        std::string slotName;  // "-": the slot stays empty
        double cutoff;
    } rows[] = {
        {"current sound to the slot", [&] { return manager->sendArrangementToDevice(true, false); }, "Sound stored!",
            "MINE          ", 0},
        {"slot initialized", [&] { return manager->initClassicPatch(); }, "Slot initialized!", "INIT          ", 0},
        {"slot sent and loaded", [&] { return manager->sendPatchToDeviceFromLibrarian(slot); },
            "Data send completed!", "-", 0x33},
        {"no bank", [&] { return editor->patchLibrarian->upperSelection = 99, manager->initClassicPatch(); },
            "Nothing stored!", "-", 0x33},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.job);
        PatchFile& bank = giveLibraryBank(7);
        ASSERT_TRUE(endedAfter(row.start()));
        const LibrarianPatch& stored = bank.patches[7];
        EXPECT_EQ(std::tuple(statusText(), stored.messages.empty() ? "-" : stored.name, value(kFilterCutoff)),
            std::tuple(row.status, row.slotName, row.cutoff));
    }
}
