// Three writer threads and one draining reader share the queue: nothing is
// lost, nothing is torn, each writer's messages leave in order.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "IMidiQueue.h"

TEST(MidiQueueStress, ThreeWritersAndADrainingReaderLoseNothing)
{
    constexpr int kWriters = 3;
    constexpr int kPerWriter = 20000;
    IMidiQueue queue(64);
    std::atomic<int> writersDone{0};
    std::vector<int> lastSeen(kWriters, -1);
    int received = 0, torn = 0, outOfOrder = 0;

    std::thread reader([&] {
        for (;;) {
            const bool finished = writersDone.load() == kWriters;
            IMidiQueue::DrainLock drain(queue);
            if (!drain.Acquired()) {
                std::this_thread::yield();
                continue;
            }
            while (!queue.Empty()) {
                const IMidiMsg msg = *queue.Peek();
                queue.Remove();
                // Each message carries writer, sequence and a check byte.
                const int writer = msg.mStatus & 0x0F, seq = msg.mOffset;
                if (writer >= kWriters || msg.mData1 != (seq & 0x7F) || msg.mData2 != ((seq >> 7) & 0x7F)) {
                    ++torn;
                    continue;
                }
                if (seq <= lastSeen[writer]) ++outOfOrder;
                lastSeen[writer] = seq;
                ++received;
            }
            queue.Flush(0);
            if (finished) break;
        }
    });

    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int seq = 0; seq < kPerWriter; ++seq) {
                // Offsets rise per writer, so order per writer is kept.
                IMidiMsg msg(seq, static_cast<uint8_t>(0xB0 | w), static_cast<uint8_t>(seq & 0x7F),
                             static_cast<uint8_t>((seq >> 7) & 0x7F));
                ASSERT_TRUE(queue.Add(&msg));
            }
            writersDone.fetch_add(1);
        });
    }
    for (std::thread& t : writers) t.join();
    reader.join();

    EXPECT_EQ((std::vector<int> {0, 0, kWriters * kPerWriter}), (std::vector<int> {torn, outOfOrder, received}));
}
