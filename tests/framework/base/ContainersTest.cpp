// Shared containers and the recursive mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "heapbuf.h"
#include "mutex.h"
#include "ptrlist.h"
#include "wdlstring.h"

TEST(HeapBuf, FailedGrowthKeepsBlockSizeAndContents)
{
    ROZ_HeapBuf buf(128);
    char* p = static_cast<char*>(buf.Resize(4));
    std::memcpy(p, "abc", 4);
    EXPECT_EQ(buf.Resize(ROZ_HeapBuf::kMaxBytes + 1), p);
    EXPECT_EQ(buf.ResizeOk(ROZ_HeapBuf::kMaxBytes + 1), nullptr);
    EXPECT_EQ(buf.GetSize(), 4);
    EXPECT_STREQ(static_cast<char*>(buf.Get()), "abc");
    EXPECT_EQ(buf.Resize(0), nullptr);
}

namespace {
int gDeleted = 0;
void CountingDeleter(void* p)
{
    ++gDeleted;
    delete static_cast<int*>(p);
}
}  // namespace

TEST(PtrList, GetOutsideTheListIsNullDeleteClosesUpAndEmptySkipsNullItems)
{
    ROZ_PtrList<int> list;
    for (int i = 0; i < 3; ++i) list.Add(new int(i));
    list.Add(nullptr);
    EXPECT_EQ(list.Get(4), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
    list.Delete(0, true);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(*list.Get(0), 1);
    gDeleted = 0;
    list.Empty(true, CountingDeleter);
    EXPECT_EQ(gDeleted, 2);
    EXPECT_EQ(list.GetSize(), 0);
}

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

TEST(Mutex, OwnerMayEnterAgainAndOthersWaitUntilTheLastLeave)
{
    ROZ_Mutex mutex;
    mutex.Enter();
    mutex.Enter();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        ROZ_MutexLock lock(&mutex);
        entered = true;
    });
    mutex.Leave();
    EXPECT_FALSE(entered.load());  // still held once
    mutex.Leave();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(Mutex, LeaveFromANonOwnerDoesNotReleaseIt)
{
    ROZ_Mutex mutex;
    mutex.Enter();
    std::thread([&] { mutex.Leave(); }).join();
    EXPECT_TRUE(mutex.IsOwnedByCurrentThread());
    mutex.Leave();
    EXPECT_FALSE(mutex.IsOwnedByCurrentThread());
}
