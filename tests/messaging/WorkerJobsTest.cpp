// The request, send and clock jobs on the manager's worker threads, against
// the in-process simulated synth in virtual time.
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "WorkerFixture.h"

namespace {

std::string hex(const zelto2sim::Bytes& bytes)
{
    return zelto2sim::ToHex(bytes);
}

}  // namespace

TEST_F(WorkerFixture, AnswerInTheFirstDelayEndsTheRequestAfterOneDelayAndTheClosingWait)
{
    editor->GetParam(kLibSyncTimer)->Set(3);  // 500 ms delays
    ASSERT_TRUE(manager->sendPartRequestSysex(true, 0));
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(now(), 2 * 500u);
    ASSERT_EQ(editor->sentCount(), 1u);
    EXPECT_EQ(hex(editor->sent().back().bytes), "F0 3E 16 00 00 7F 00 F7");
    EXPECT_EQ(statusText(), "Data request completed!");
    EXPECT_FALSE(manager->patchRequested) << "channel messages flow again";
}

TEST_F(WorkerFixture, UnansweredRequestSearchesDeviceIdsAfterTheFifteenthDelayAndTimesOutAfterTheLast)
{
    editor->answering = false;
    ASSERT_TRUE(manager->sendActiveArrangementRequestSysex(true));
    ASSERT_TRUE(requestJobEnded());
    const std::vector<SimEditor::Sent> sent = editor->sent();
    ASSERT_EQ(sent.size(), 128u);
    EXPECT_EQ(sent[0].timeMs, 0u);
    for (int id = 0; id < 127; ++id) {
        // Job 4 probes in half delays, each ID once.
        EXPECT_EQ(sent[id + 1].timeMs, 1500u + 50u * id);
        EXPECT_EQ(sent[id + 1].bytes[3], id);
    }
    // 21 delays, 127 half-delay probes, the closing half delay.
    EXPECT_EQ(now(), 2100u + 127u * 50u + 50u);
    EXPECT_EQ(statusText(), "CONNECTION TIMED OUT!");
}

TEST_F(WorkerFixture, DeviceIdSearchFindsASynthAtDeviceThree)
{
    editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(3);
    ASSERT_TRUE(manager->sendDeviceIdEnquiry());
    ASSERT_TRUE(requestJobEnded());
    std::vector<std::string> requests;
    for (const SimEditor::Sent& s : editor->sent())
        requests.push_back(hex(s.bytes));
    EXPECT_EQ(requests, (std::vector<std::string> {"F0 3E 16 00 04 F7", "F0 3E 16 00 04 F7", "F0 3E 16 01 04 F7",
                            "F0 3E 16 02 04 F7", "F0 3E 16 03 04 F7"}));
    EXPECT_EQ(editor->currentDeviceId, 3);
    EXPECT_EQ(statusText(), "Plug-in is ready to go!");
    EXPECT_FALSE(editor->deviceInitialization);
}

TEST_F(WorkerFixture, JobOnABusyWorkerIsDroppedAndCancelEndsTheRunningOne)
{
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
    EXPECT_EQ(statusText(), "Data request CANCELLED!");
    EXPECT_EQ(editor->sentCount(), 1u);
}

TEST_F(WorkerFixture, CancelledDeviceEnquiryShowsNoSuccessText)
{
    editor->answering = false;
    editor->hold();
    ASSERT_TRUE(manager->sendDeviceIdEnquiry());
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() == 1; }));
    manager->sender->cancelRequested = true;
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_NE(statusText(), "Plug-in is ready to go!");
    EXPECT_FALSE(editor->deviceInitialization);
}

TEST_F(WorkerFixture, ReplyToASlotRequestIsTakenInEitherAddressForm)
{
    for (zelto2sim::ReplyForm form : {zelto2sim::ReplyForm::Slot, zelto2sim::ReplyForm::BankProgram}) {
        editor->synth = std::make_unique<zelto2sim::Zelto2Synth>(0);
        editor->synth->SetReplyForm(form);
        zelto2sim::Bytes sound = zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {false, 130});
        sound[120] = 'Q';
        editor->synth->LoadSounds({sound});
        PatchFile& bank = giveLibraryBank(30);
        editor->GetParam(kCurrentBank)->Set(1);

        ASSERT_TRUE(manager->sendSinglePatchRequestSysexFromLibrarian(false));
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(hex(editor->sent().back().bytes).substr(0, 23), "F0 3E 16 00 00 01 02 F7");
        ASSERT_EQ(bank.patches[30].messages.size(), 1u);
        EXPECT_EQ(bank.patches[30].name.substr(0, 4), "QNIT");
        EXPECT_EQ(statusText(), "Data request completed!");
    }
}

TEST_F(WorkerFixture, ReplyForAnotherSlotIsNotStored)
{
    PatchFile& bank = giveLibraryBank(30);
    manager->expectReply(1, 30);
    editor->SetLibrarianRequestActive(true);
    zelto2sim::Bytes other = zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 0, {false, 131});
    ISysEx msg(0, other.data(), static_cast<int>(other.size()));
    editor->ProcessSysEx(&msg, true);
    EXPECT_TRUE(bank.patches[30].messages.empty());
    EXPECT_FALSE(editor->incomingSysExProcessed);
}

TEST_F(WorkerFixture, TransferSlotOutsideTheBankStartsNothing)
{
    for (int slot : {-1, 100}) {
        giveLibraryBank(slot);
        EXPECT_FALSE(manager->sendSinglePatchRequestSysexFromLibrarian(false)) << slot;
        EXPECT_FALSE(manager->initClassicPatch()) << slot;
        EXPECT_FALSE(manager->sendArrangementToDevice(true, false)) << slot;
    }
    giveLibraryBank(99);
    EXPECT_TRUE(manager->initClassicPatch());
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(editor->patchLibrarian->bankFiles.back()->patches[99].name, "INIT          ");
}

TEST_F(WorkerFixture, LibrarySoundSendIsNotesOffThenTheDumpThenLoadedIntoTheEditor)
{
    LibrarianPatch slot;
    zelto2sim::Bytes sound = zelto2sim::MakeSoundDump(zelto2sim::InitSound(), 5, {false, 130});
    sound[49] = 0x33;  // filter cutoff
    slot.messages.push_back({sound});
    editor->GetParam(kGlobalDeviceID)->Set(2);
    ASSERT_TRUE(manager->sendPatchToDeviceFromLibrarian(slot));
    ASSERT_TRUE(requestJobEnded());
    const std::vector<SimEditor::Sent> sent = editor->sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(hex(sent[0].bytes), "B0 7B 00");
    EXPECT_EQ(sent[1].timeMs, 50u);
    EXPECT_EQ(hex(zelto2sim::Bytes(sent[1].bytes.begin(), sent[1].bytes.begin() + 7)), "F0 3E 16 02 10 7F 00");
    EXPECT_EQ(sent[1].bytes[135], zelto2sim::Checksum(sent[1].bytes));
    EXPECT_EQ(editor->paramValue(kFilterCutoff), 0x33);
    EXPECT_EQ(statusText(), "Data send completed!");
    EXPECT_FALSE(editor->patchLoading);
}

TEST_F(WorkerFixture, BankStoreSkipsEmptyAndShortSlotsAndUsesTheLowerListRule)
{
    PatchLibrarian* library = editor->patchLibrarian;
    giveLibraryBank(0);
    {
        std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
        library->categoryFiles.push_back(std::make_unique<PatchFile>());
        PatchFile& category = *library->categoryFiles.back();
        category.patches.resize(3);
        category.patches[0].messages.push_back({zelto2sim::InitSound()});
        category.patches[1].messages.push_back({zelto2sim::Bytes(100, 0x10)});
        library->menuSelection = 0;
    }
    editor->lowerShowsCategories = true;
    editor->lowerShowsSearch = true;
    editor->currentDeviceId = 4;
    ASSERT_TRUE(manager->storeAllPatchesToDeviceFromLibrarian(2, 1));
    ASSERT_TRUE(requestJobEnded());
    const std::vector<SimEditor::Sent> sent = editor->sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(hex(zelto2sim::Bytes(sent[1].bytes.begin(), sent[1].bytes.begin() + 7)), "F0 3E 16 04 10 01 48");
    EXPECT_EQ(editor->synth->Sound({false, 200}), sent[1].bytes);
}

TEST_F(WorkerFixture, ClockStartAndStopFollowTheirSwitchAndTheLoopStopsRestartsAndNeedsATempo)
{
    for (bool pointer : {false, true}) {
        editor->sendClockPointer = pointer;
        ASSERT_TRUE(manager->startMIDIClockOutput());
        ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
        ASSERT_TRUE(manager->stopMIDIClockOutput());
        ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
    }
    EXPECT_EQ(editor->sent().size(), 2u);
    EXPECT_EQ(hex(editor->sent().at(0).bytes) + " " + hex(editor->sent().at(1).bytes), "FA FC");

    auto clockBytes = [&] {
        const std::vector<SimEditor::Sent> sent = editor->sent();
        return std::count_if(sent.begin(), sent.end(), [](const SimEditor::Sent& s) { return hex(s.bytes) == "F8"; });
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

TEST_F(WorkerFixture, WholeSoundJobRunsTheGlobalStepOnlyWhenDueAndFeedsTheLibraryWithoutSending)
{
    struct Row {
        bool toLibrary, globalBefore;
        std::optional<bool> settingsSent;
        int sentAtMs;  // -1: nothing reaches the hardware
        uint32_t totalMs;
    };
    const Row rows[] = {
        {false, false, true, 0, 200},
        {false, true, true, 1400, 1600},
        {false, false, false, 1400, 1600},  // the starter's value, not the editor's flag
        {true, true, false, -1, 0},
    };
    editor->GetParam(kPatchName)->SetDisplayText(0, "my sound");
    for (const Row& row : rows) {
        giveLibraryBank(7);
        editor->globalSettingsSent = true;
        editor->sendGlobalBeforeSound = row.globalBefore;
        const uint32_t start = now();
        const size_t before = editor->sentCount();
        MIDIJob job;
        job.jobCode = kJobSendArrangement;
        job.arrangementToLibrary = row.toLibrary;
        job.globalSettingsSent = row.settingsSent;
        if (row.toLibrary)
            job.route = MIDIJobRoute::Library;
        ASSERT_TRUE(manager->startJob(job));
        ASSERT_TRUE(requestJobEnded());
        EXPECT_EQ(now() - start, row.totalMs) << row.sentAtMs;
        const std::vector<SimEditor::Sent> sent = editor->sent();
        if (row.sentAtMs < 0) {
            EXPECT_EQ(sent.size(), before);
            EXPECT_EQ(editor->patchLibrarian->bankFiles.back()->patches[7].name, "MY SOUND      ");
        } else {
            ASSERT_EQ(sent.size(), before + 1);
            EXPECT_EQ(sent.back().timeMs - start, static_cast<uint32_t>(row.sentAtMs));
            EXPECT_EQ(sent.back().bytes.size(), 137u);
            EXPECT_EQ(sent.back().bytes[135], zelto2sim::Checksum(sent.back().bytes));
        }
    }
}
