// The lock-free queue between the MIDI library's thread and the input thread.

#include <gtest/gtest.h>

#include <thread>

#include "platform/MidiByteRing.h"

using platform::MidiByteRing;

namespace {
std::vector<unsigned char> MessageOf(size_t size, unsigned char fill)
{
    return std::vector<unsigned char>(size, fill);
}
}  // namespace

TEST(MidiByteRing, KeepsMessagesWholeInArrivalOrderAndRefusesWhatDoesNotFitUntilRead)
{
    MidiByteRing ring(256);
    const auto huge = MessageOf(ring.MaxMessageSize() + 1, 0x01);
    EXPECT_FALSE(ring.Push(0, huge.data(), huge.size()));
    const auto a = MessageOf(3, 0x90);
    const auto b = MessageOf(137, 0x10);
    ASSERT_TRUE(ring.Push(1.5, a.data(), a.size()));
    ASSERT_TRUE(ring.Push(2.5, b.data(), b.size()));
    EXPECT_FALSE(ring.Push(0, b.data(), b.size()));
    std::vector<unsigned char> out;
    double stamp = 0;
    ASSERT_TRUE(ring.Pop(&stamp, &out));
    EXPECT_EQ(out, a);
    EXPECT_EQ(stamp, 1.5);
    ASSERT_TRUE(ring.Pop(&stamp, &out));
    EXPECT_EQ(out, b);
    EXPECT_EQ(stamp, 2.5);
    EXPECT_FALSE(ring.Pop(&stamp, &out));
    // Wraps around the end of the buffer.
    ASSERT_TRUE(ring.Push(3.5, b.data(), b.size()));
    ASSERT_TRUE(ring.Pop(&stamp, &out));
    EXPECT_EQ(out, b);
}

TEST(MidiByteRing, ProducerAndConsumerThreadsPassEveryMessageIntact)
{
    MidiByteRing ring(1024);
    constexpr int kCount = 20000;
    std::thread producer([&] {
        for (int i = 0; i < kCount;) {
            const auto message = MessageOf(1 + static_cast<size_t>(i % 150), static_cast<unsigned char>(i % 128));
            if (ring.Push(i, message.data(), message.size())) {
                ++i;
            } else {
                std::this_thread::yield();
            }
        }
    });
    std::vector<unsigned char> out;
    double stamp = 0;
    for (int i = 0; i < kCount;) {
        if (!ring.Pop(&stamp, &out)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(stamp, i);
        ASSERT_EQ(out, MessageOf(1 + static_cast<size_t>(i % 150), static_cast<unsigned char>(i % 128)));
        ++i;
    }
    producer.join();
}
