// The worker threads under contention: starters racing for one worker, and
// start, cancel and destruction while jobs run and MIDI input arrives.
#include <atomic>
#include <memory>
#include <thread>
#include <vector>

#include "WorkerFixture.h"

TEST_F(WorkerFixture, StartersRacingForABusyWorkerStartExactlyOneJob)
{
    editor->answering = false;
    editor->hold();
    std::atomic<int> started {0};
    std::vector<std::thread> starters;
    for (int i = 0; i < 4; ++i)
        starters.emplace_back([&] {
            for (int k = 0; k < 50; ++k)
                started += manager->sendActiveArrangementRequestSysex(true) ? 1 : 0;
        });
    for (std::thread& t : starters)
        t.join();
    EXPECT_EQ(started, 1);
    manager->sender->cancelRequested = true;
    editor->release();
    ASSERT_TRUE(requestJobEnded());
    EXPECT_TRUE(manager->sendActiveArrangementRequestSysex(true)) << "a finished worker starts again";
    manager->sender->cancelRequested = true;
    ASSERT_TRUE(requestJobEnded());
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
