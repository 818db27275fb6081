// The worker threads under contention: starters racing for one worker, and
// start, cancel and destruction while jobs run and MIDI input arrives.
#include <atomic>
#include <memory>
#include <thread>
#include <tuple>
#include <vector>

#include "WorkerFixture.h"

// Enquiries are dropped by a busy worker, requests for the panel wait for it: of all racing starts one enquiry runs
// and one request waits.
TEST_F(WorkerFixture, StartersRacingForABusyWorkerStartExactlyOneJobAndQueueOneRequest)
{
    editor->answering = false;
    editor->hold();
    std::atomic<int> started {0}, accepted {0};
    std::vector<std::thread> starters;
    for (int i = 0; i < 4; ++i)
        starters.emplace_back([&, i] {
            for (int k = 0; k < 50; ++k)
                if (i % 2)
                    accepted += manager->sendActiveArrangementRequestSysex(true) ? 1 : 0;
                else
                    started += manager->sendDeviceIdEnquiry() ? 1 : 0;
        });
    for (std::thread& t : starters)
        t.join();
    const MIDIMessageManager::JobRecord first = manager->lastJob();
    EXPECT_EQ(std::tuple(started + (first.code == kJobRequestActiveArrangement), accepted.load(),
                  manager->queuedJobCount()),
        std::tuple(1, 100, size_t(1)));
    manager->sender->cancelRequested = true;
    editor->release();
    ASSERT_TRUE(waitFor([&] { return manager->lastJob().code == kJobRequestActiveArrangement; }));
    manager->sender->cancelRequested = true;
    ASSERT_TRUE(waitFor([&] { return manager->requestThreadIdle() && manager->queuedJobCount() == 0; }));
    EXPECT_TRUE(manager->sendDeviceIdEnquiry()) << "a finished worker starts again";
    manager->sender->cancelRequested = true;
    ASSERT_TRUE(requestJobEnded());
}

// The manager starts no thread when it is built, and a render block starts none: without the dispatcher, which the
// main thread starts when an output opens, the render thread's jobs wait. jobStarted follows the request worker only.
TEST_F(WorkerFixture, ConstructionAndRenderBlocksStartNoThreadUntilTheMainThreadStartsTheDispatcher)
{
    EXPECT_EQ(liveThreads(), threadsBefore);
    editor->requestPending = true;
    editor->sendClockInfo = true;
    editor->ProcessDoubleReplacing(nullptr, nullptr, 64);
    EXPECT_EQ(std::tuple(liveThreads(), bool(manager->jobStarted), bool(editor->requestPending)),
        std::tuple(threadsBefore, false, true));

    editor->sendClockInfo = false;
    manager->startJobDispatcher();
    EXPECT_EQ(liveThreads(), threadsBefore + 1);
    ASSERT_TRUE(waitFor([&] {
        editor->ProcessDoubleReplacing(nullptr, nullptr, 64);
        return manager->jobStarted.load();
    }));
    EXPECT_EQ(manager->lastJob().code, kJobRequestActiveArrangement);
    ASSERT_TRUE(requestJobEnded());
    manager->jobStarted = false;
    ASSERT_TRUE(manager->startMIDIClockOutput());
    ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
    EXPECT_FALSE(manager->jobStarted) << "a clock job is not the request worker's";
}

TEST_F(WorkerFixture, DestructionStopsAndJoinsRunningJobsWhileMidiArrives)
{
    editor->answering = false;
    editor->sendClockInfo = editor->sendClockPointer = true;
    // 20 BPM: the clock sleeps 125 ms between ticks, so a worker left unjoined is still there after the close.
    editor->tempoValues = {"20"};
    giveLibraryBank(0);
    // The clock reads its tempo once, before the incoming sounds change it.
    manager->resetContinuousClock(false);
    EXPECT_TRUE(manager->sendContinuousMIDIClock());
    ASSERT_TRUE(waitFor([&] { return editor->sentCount() > 0; }));

    std::atomic<bool> inputRunning {true};
    std::thread input([&] {
        while (inputRunning) {
            editor->receive(zelto2sim::InitSound());
            IMidiMsg program(0, 0xC0, 3, 0);
            editor->ProcessMidiMsg(&program, true);
            std::this_thread::yield();
        }
    });
    // Ends the input also when an assertion returns early.
    auto stopInput = [&](std::thread* thread) {
        inputRunning = false;
        if (thread->joinable())
            thread->join();
    };
    std::unique_ptr<std::thread, decltype(stopInput)> joinOnReturn(&input, stopInput);

    EXPECT_TRUE(manager->startMIDIClockOutput());
    ASSERT_TRUE(waitFor([&] { return manager->clockStartStopThreadIdle(); }));
    auto bankRequests = [&] {
        size_t count = 0;
        for (const SimEditor::Sent& s : editor->sent())
            count += s.bytes.size() == 8 && s.bytes[5] == 0x00;
        return count;
    };
    for (int round = 0; round < 3; ++round) {
        const size_t before = bankRequests();
        ASSERT_TRUE(waitFor([&] { return manager->sendAllPatchRequestSysexFromLibrarian(0); }));
        // Cancel once the job has begun: it clears the flag when it starts.
        ASSERT_TRUE(waitFor([&] { return bankRequests() > before; }));
        manager->sender->cancelRequested = true;
        ASSERT_TRUE(requestJobEnded());
    }
    ASSERT_TRUE(waitFor([&] { return manager->sendAllPatchRequestSysexFromLibrarian(0); }));
    EXPECT_FALSE(manager->clockThreadIdle());
    joinOnReturn.reset();
    editor.reset();
    EXPECT_EQ(liveThreads(), threadsBefore) << "the request, clock and start/stop workers are all joined";
}
