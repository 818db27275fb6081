// The lock-free queue between the MIDI library's thread and the input thread.

#include <gtest/gtest.h>

#include <thread>

#include "platform/MidiByteRing.h"

using platform::MidiByteRing;
using Message = std::vector<unsigned char>;

TEST(MidiByteRing, KeepsMessagesWholeInArrivalOrderAndRefusesWhatDoesNotFitUntilRead)
{
    MidiByteRing ring(256);
    const Message huge(ring.MaxMessageSize() + 1, 0x01), a(3, 0x90), b(137, 0x10);
    EXPECT_FALSE(ring.Push(0, huge.data(), huge.size()));
    ASSERT_TRUE(ring.Push(1.5, a.data(), a.size()));
    ASSERT_TRUE(ring.Push(2.5, b.data(), b.size()));
    EXPECT_FALSE(ring.Push(0, b.data(), b.size()));
    Message out;
    double stamp = 0;
    auto pop = [&] { return ring.Pop(&stamp, &out) ? std::pair(stamp, out) : std::pair(-1.0, Message()); };
    EXPECT_EQ(pop(), std::pair(1.5, a));
    EXPECT_EQ(pop(), std::pair(2.5, b));
    EXPECT_EQ(pop().first, -1.0);
    ASSERT_TRUE(ring.Push(3.5, b.data(), b.size()));  // wraps around the end of the buffer
    EXPECT_EQ(pop(), std::pair(3.5, b));
}

TEST(MidiByteRing, ProducerAndConsumerThreadsPassEveryMessageIntact)
{
    MidiByteRing ring(1024);
    constexpr int kCount = 20000;
    auto messageOf = [](int i) { return Message(1 + static_cast<size_t>(i % 150), static_cast<uint8_t>(i % 128)); };
    std::thread producer([&] {
        for (int i = 0; i < kCount;) {
            const Message message = messageOf(i);
            if (ring.Push(i, message.data(), message.size()))
                ++i;
            else
                std::this_thread::yield();
        }
    });
    Message out;
    double stamp = 0;
    for (int i = 0; i < kCount;) {
        if (!ring.Pop(&stamp, &out)) {
            std::this_thread::yield();
            continue;
        }
        ASSERT_EQ(stamp, i);
        ASSERT_EQ(out, messageOf(i));
        ++i;
    }
    producer.join();
}
