// Timing services: the real clock and the replaceable one that lets request
// loops of many seconds run in tests without waiting.
#include <gtest/gtest.h>

#include <chrono>

#include "dovor/timing.h"

TEST(Timing, VirtualSleepAdvancesTheClockInsteadOfWaitingZeroMeansOneHundredMicrosecondsAndTheRealClockWaits)
{
    dovor::SteppedClock clock;
    dovor::SetVirtualClock(&clock);
    Sleep(0);
    EXPECT_EQ(clock.nowMicroseconds(), 100);
    for (int poll = 0; poll < 21; ++poll)
        Sleep(500);  // a request loop's twenty-one librarian delays
    EXPECT_EQ(clock.nowMicroseconds(), 100 + 21 * 500000);
    EXPECT_EQ(GetTickCount(), 10500u);
    dovor::SetVirtualClock(nullptr);

    const uint32_t before = GetTickCount();
    const auto wallStart = std::chrono::steady_clock::now();
    Sleep(5);
    EXPECT_GE(std::chrono::steady_clock::now() - wallStart, std::chrono::milliseconds(5));
    EXPECT_GE(uint32_t(GetTickCount() - before), 5u);
}
