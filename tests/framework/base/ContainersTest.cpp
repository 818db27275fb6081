// Shared containers and the recursive mutex.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "heapbuf.h"
#include "mutex.h"
#include "ptrlist.h"
#include "wdlstring.h"

TEST(HeapBuf, SmallGranularityGrowsByHalfTheSizeOrTheGranularity)
{
    ROZ_HeapBuf buf(128);
    ASSERT_NE(buf.Resize(100), nullptr);
    EXPECT_EQ(buf.GetSize(), 100);
    EXPECT_EQ(buf.GetCapacity(), 228);  // 100 + max(50, 128)
    buf.Resize(1000);
    EXPECT_EQ(buf.GetCapacity(), 1500);  // 1000 + max(500, 128)
}

TEST(HeapBuf, PageGranularityRoundsCapacityToPagesLessSlack)
{
    ROZ_HeapBuf buf(4096);
    buf.Resize(10);
    EXPECT_EQ(buf.GetCapacity(), 4000);  // ((10 + 4096 + 96) / 4096) * 4096 - 96
    buf.Resize(20000);
    EXPECT_EQ(buf.GetCapacity(), 24480);  // step 10000 cut to 8192: 28288 -> 24576 - 96
}

TEST(HeapBuf, ShrinksOnlyWhenWellBelowCapacityAndZeroGivesNull)
{
    ROZ_HeapBuf buf(128);
    buf.Resize(1000);
    const int capacity = buf.GetCapacity();
    buf.Resize(900);
    EXPECT_EQ(buf.GetCapacity(), capacity);
    buf.Resize(10, false);
    EXPECT_EQ(buf.GetCapacity(), capacity);
    buf.Resize(5, true);
    EXPECT_LT(buf.GetCapacity(), capacity);
    EXPECT_EQ(buf.GetSize(), 5);
    EXPECT_EQ(buf.Resize(0), nullptr);
    EXPECT_EQ(buf.GetSize(), 0);
}

TEST(HeapBuf, FailedGrowthKeepsBlockSizeAndContents)
{
    ROZ_HeapBuf buf(128);
    char* p = static_cast<char*>(buf.Resize(4));
    std::memcpy(p, "abc", 4);
    EXPECT_EQ(buf.Resize(ROZ_HeapBuf::kMaxBytes + 1), p);
    EXPECT_EQ(buf.ResizeOk(ROZ_HeapBuf::kMaxBytes + 1), nullptr);
    EXPECT_EQ(buf.GetSize(), 4);
    EXPECT_STREQ(static_cast<char*>(buf.Get()), "abc");
}

namespace {
int gDeleted = 0;
void CountingDeleter(void* p)
{
    ++gDeleted;
    delete static_cast<int*>(p);
}
}  // namespace

TEST(PtrList, GetOutsideTheListIsNull)
{
    ROZ_PtrList<int> list;
    int a = 1;
    list.Add(&a);
    EXPECT_EQ(list.Get(0), &a);
    EXPECT_EQ(list.Get(1), nullptr);
    EXPECT_EQ(list.Get(-1), nullptr);
}

TEST(PtrList, DeleteClosesUpAndEmptyDeletesThroughTheDeleter)
{
    ROZ_PtrList<int> list;
    for (int i = 0; i < 3; ++i) list.Add(new int(i));
    list.Add(nullptr);
    list.Delete(0, true);
    ASSERT_EQ(list.GetSize(), 3);
    EXPECT_EQ(*list.Get(0), 1);
    gDeleted = 0;
    list.Empty(true, CountingDeleter);
    EXPECT_EQ(gDeleted, 2);  // the null item is skipped
    EXPECT_EQ(list.GetSize(), 0);
}

TEST(String, EmptyStringNeverReturnsNullAndCopiesAreIndependent)
{
    ROZ_String s;
    EXPECT_STREQ(s.Get(), "");
    EXPECT_EQ(s.GetLength(), 0);
    s.Set("");
    EXPECT_STREQ(s.Get(), "");
    s.Set("one");
    ROZ_String copy(s);
    copy.Set("two");
    EXPECT_STREQ(s.Get(), "one");
    EXPECT_STREQ(copy.Get(), "two");
}

TEST(String, SetAppendAndFormatHonourMaxLength)
{
    ROZ_String s;
    s.Set("abcdef", 3);
    EXPECT_STREQ(s.Get(), "abc");
    s.Append("xyz");
    EXPECT_STREQ(s.Get(), "abcxyz");
    s.SetFormatted(5, "%d-%d", 1234, 5678);
    EXPECT_STREQ(s.Get(), "1234-");
    s.Set("short");
    EXPECT_STREQ(s.Get(), "short");
}

TEST(String, AppendingItselfIsSafe)
{
    ROZ_String s("0123456789");
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
