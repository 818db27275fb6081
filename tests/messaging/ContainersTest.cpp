#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "CCControlContainer.h"
#include "NRPNControlContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

namespace {

// Containers only file and return the pointers; they never dereference them.
IControl* fakeControl(int n)
{
    return reinterpret_cast<IControl*>(static_cast<uintptr_t>(0x1000 + n * 16));
}

}  // namespace

// Runs the lookup with its log lines captured and returns them.
template <typename Lookup>
std::string logOf(Lookup lookup)
{
    testing::internal::CaptureStdout();
    lookup();
    return testing::internal::GetCapturedStdout();
}

TEST(Containers, MissAtTheOuterKeyLogsAndAMissFurtherInDoesNot)
{
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, fakeControl(1));
    EXPECT_EQ(logOf([&] { EXPECT_EQ(cc.findControl(0, 10, 0), nullptr); }), "");
    EXPECT_EQ(logOf([&] { EXPECT_EQ(cc.findControl(3, 74, 1), nullptr); }), "CCControlContainer : Not found\n");
    SysExControlContainer sysex;
    EXPECT_EQ(logOf([&] { EXPECT_EQ(sysex.findControl(0x58, 0x41, 0, 2, 0), nullptr); }),
        "SysExControlContainer : Not found\n");
    NRPNControlContainer nrpn;
    EXPECT_EQ(logOf([&] { EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 5), nullptr); }),
        "NRPNControlContainer : Not found\n");
    patchDataContainer data;
    EXPECT_EQ(logOf([&] { EXPECT_EQ(data.findControl(0, 0, 17), 0); }), "patchDataContainer : Not found\n");
}

TEST(Containers, LookupsNeverGrowTheMaps)
{
    CCControlContainer cc;
    SysExControlContainer sysex;
    NRPNControlContainer nrpn;
    patchDataContainer data;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    cc.addToControlMap(0, 74, 0, fakeControl(1));
    sysex.addToControlMap(address, 0, fakeControl(2));
    nrpn.addToControlMap(1, 2, 3, 4, 0, fakeControl(3));
    data.setValue(0, 0, 5, 9);
    logOf([&] {
        for (int k = 0; k < 50; ++k) {
            cc.findControl(k, k, k);
            sysex.findControl(0x58, 0x41, k, k, k);
            nrpn.findControl(1, k, k, k, k);
            data.findControl(0, 0, k);
            data.findControl(k, 0, 0);
        }
    });
    EXPECT_EQ(cc.size(), 1u);
    EXPECT_EQ(sysex.size(), 1u);
    EXPECT_EQ(nrpn.size(), 1u);
    EXPECT_EQ(data.size(), 1u);
}

TEST(Containers, EntriesAreFoundWhereFiledASecondOnTheSameKeyReplacesTheFirstAndMissingBytesReadZero)
{
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, fakeControl(1));
    EXPECT_EQ(cc.findControl(0, 74, 0), fakeControl(1));
    EXPECT_EQ(cc.findControl(0, 75, 0), nullptr);

    SysExControlContainer sysex;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    sysex.addToControlMap(address, 0, fakeControl(1));
    sysex.addToControlMap(address, 0, fakeControl(2));
    EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x10, 0x00, 0), fakeControl(2));
    EXPECT_EQ(sysex.size(), 1u);

    NRPNControlContainer nrpn;
    nrpn.addToControlMap(1, 2, 3, 4, 0, fakeControl(1));
    EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 0), fakeControl(1));

    patchDataContainer data;
    data.setValue(0, 0, 7, 12);
    data.setValue(0, 0, 7, 13);
    EXPECT_EQ(data.findControl(0, 0, 7), 13);
    EXPECT_EQ(data.findControl(0, 0, 8), 0);  // a missing byte reads as zero
}

TEST(Containers, PatchDataCanBeReadWhileAnotherThreadWritesIt)
{
    patchDataContainer data;
    for (int i = 0; i < 135; ++i)
        data.setValue(0, 0, i, 0);
    std::atomic<bool> done {false};
    std::thread writer([&] {
        for (int round = 0; round < 200; ++round)
            for (int i = 0; i < 135; ++i)
                data.setValue(0, 0, i, (i + round) % 128);
        done = true;
    });
    int reads = 0;
    while (!done) {
        const int value = data.findControl(0, 0, reads % 135);
        EXPECT_GE(value, 0);
        EXPECT_LT(value, 128);
        ++reads;
    }
    writer.join();
    EXPECT_EQ(data.size(), 135u);
}
