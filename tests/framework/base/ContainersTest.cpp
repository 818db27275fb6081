// Shared containers and the recursive mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "mutex.h"
#include "wdlstring.h"

TEST(String, NeverNullHonoursMaxLengthsAndAppendsItselfSafely)
{
    ROZ_String s;
    EXPECT_STREQ(s.Get(), "");
    s.Set("abcdef", 3);
    s.Append("xyz");
    EXPECT_STREQ(s.Get(), "abcxyz");
    s.SetFormatted(5, "%d-%d", 1234, 5678);
    EXPECT_STREQ(s.Get(), "1234-");
    s.Set("0123456789");
    for (int i = 0; i < 6; ++i) s.Append(s.Get());
    EXPECT_EQ(s.GetLength(), 640);
    EXPECT_EQ(std::string(s.Get()).substr(630), "0123456789");
}

TEST(Mutex, OwnerMayEnterAgainOthersWaitUntilTheLastLeaveAndANonOwnersLeaveReleasesNothing)
{
    ROZ_Mutex mutex;
    mutex.Enter();
    mutex.Enter();
    std::thread([&] { mutex.Leave(); }).join();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        ROZ_MutexLock lock(&mutex);
        entered = true;
    });
    mutex.Leave();
    EXPECT_TRUE(mutex.IsOwnedByCurrentThread());
    EXPECT_FALSE(entered.load());
    mutex.Leave();
    other.join();
    EXPECT_TRUE(entered.load());
    EXPECT_FALSE(mutex.IsOwnedByCurrentThread());
}
