// The sample-ordered queue of outgoing short messages.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "IMidiQueue.h"

namespace {

void AddCC(IMidiQueue& queue, int offset, int value)
{
    IMidiMsg msg(offset, 0xB0, 1, static_cast<uint8_t>(value));
    ASSERT_TRUE(queue.Add(&msg));
}

// Drains everything due at or before lastFrame; returns {offset, data2} pairs.
std::vector<std::pair<int, int>> DrainUpTo(IMidiQueue& queue, int lastFrame)
{
    std::vector<std::pair<int, int>> out;
    IMidiQueue::DrainLock drain(queue);
    EXPECT_TRUE(drain.Acquired());
    while (!queue.Empty() && queue.Peek()->mOffset <= lastFrame) {
        out.emplace_back(queue.Peek()->mOffset, queue.Peek()->mData2);
        queue.Remove();
    }
    return out;
}

}  // namespace

TEST(MidiQueue, FullQueueGrowsByOneStepOrCompactsWhatWasConsumedAndLosesNothing)
{
    IMidiQueue queue(1024);
    for (int i = 0; i < 1024; ++i) AddCC(queue, i, 0);
    DrainUpTo(queue, 9);
    AddCC(queue, 5000, 0);
    EXPECT_EQ(std::pair(queue.GetSize(), queue.ToDo()), std::pair(1024, 1015));  // compacted
    for (int i = 0; i < 10; ++i) AddCC(queue, 6000, 0);
    // Full with nothing consumed: grown. Resized never below what is waiting, in multiples of 512.
    EXPECT_EQ((std::vector<int> {queue.GetSize(), queue.ToDo(), queue.Resize(100), queue.Resize(2049), queue.ToDo()}),
              (std::vector<int> {2048, 1025, 1536, 2560, 1025}));
}

TEST(MidiQueue, EqualOffsetsKeepArrivalOrderAndTheEndOfBlockMovesWaitingOffsetsIntoTheNextBlock)
{
    IMidiQueue queue;
    for (const auto& [offset, value] : {std::pair(10, 1), {5, 2}, {5, 3}, {10, 4}, {0, 5}, {600, 6}})
        AddCC(queue, offset, value);
    EXPECT_EQ(DrainUpTo(queue, 511), (std::vector<std::pair<int, int>>{{0, 5}, {5, 2}, {5, 3}, {10, 1}, {10, 4}}));
    {
        IMidiQueue::DrainLock drain(queue);
        queue.Flush(512);
    }
    EXPECT_EQ(DrainUpTo(queue, 511), (std::vector<std::pair<int, int>>{{88, 6}}));
}

TEST(MidiQueue, DrainDoesNotWaitWhileAnotherThreadHoldsTheQueue)
{
    IMidiQueue queue;
    AddCC(queue, 0, 1);
    // This thread's hold stands in for a writer in the middle of an Add.
    IMidiQueue::DrainLock first(queue);
    ASSERT_TRUE(first.Acquired());
    bool acquired = true;
    std::thread([&] {
        IMidiQueue::DrainLock second(queue);
        acquired = second.Acquired();
    }).join();
    EXPECT_FALSE(acquired);
    EXPECT_EQ(queue.ToDo(), 1);
}

TEST(MidiQueue, MessageIsDroppedWhenTheQueueCannotGrowAndTheDrainingThreadNeverGrowsIt)
{
    IMidiQueue cannotGrow(0);
    IMidiMsg note(0, 0x90, 60, 1);
    EXPECT_FALSE(cannotGrow.Add(&note));
    EXPECT_TRUE(cannotGrow.Empty());

    IMidiQueue queue(2);
    AddCC(queue, 0, 1);
    AddCC(queue, 1, 2);
    IMidiQueue::DrainLock drain(queue);
    ASSERT_TRUE(drain.Acquired());
    EXPECT_FALSE(queue.AddWithinCapacity(&note));  // full with nothing consumed: it would have to grow
    queue.Remove();
    EXPECT_TRUE(queue.AddWithinCapacity(&note));  // the consumed place is reused
    EXPECT_EQ(std::pair(2, 60), std::pair(queue.GetSize(), int(queue.Peek()->mData1)));
}
