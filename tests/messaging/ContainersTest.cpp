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

// Runs the lookup with its log lines captured and returns them.
template <typename Lookup>
std::string logOf(Lookup lookup)
{
    testing::internal::CaptureStdout();
    lookup();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Containers, EntriesAreFoundWhereFiledReplacedOnTheSameKeyAndMissesReportOnlyAMissingOuterKey)
{
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, fakeControl(1));
    EXPECT_EQ(cc.findControl(0, 74, 0), fakeControl(1));
    EXPECT_EQ(logOf([&] { EXPECT_EQ(cc.findControl(0, 10, 0), nullptr); }), "");
    EXPECT_EQ(logOf([&] { EXPECT_EQ(cc.findControl(3, 74, 0), nullptr); }), "CCControlContainer : Not found\n");

    SysExControlContainer sysex;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    sysex.addToControlMap(address, 0, fakeControl(1));
    sysex.addToControlMap(address, 0, fakeControl(2));
    EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x10, 0x00, 0), fakeControl(2));
    EXPECT_EQ(logOf([&] { sysex.findControl(0x57, 0x41, 0, 2, 0); }), "SysExControlContainer : Not found\n");

    NRPNControlContainer nrpn;
    nrpn.addToControlMap(1, 2, 3, 4, 0, fakeControl(1));
    EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 0), fakeControl(1));
    EXPECT_EQ(logOf([&] { nrpn.findControl(2, 2, 3, 4, 5); }), "NRPNControlContainer : Not found\n");

    patchDataContainer data;
    data.setValue(0, 0, 7, 12);
    data.setValue(0, 0, 7, 13);
    EXPECT_EQ(data.findControl(0, 0, 7), 13);
    EXPECT_EQ(data.findControl(0, 0, 8), 0);  // a missing byte reads as zero
    EXPECT_EQ(logOf([&] { data.findControl(1, 0, 17); }), "patchDataContainer : Not found\n");

    // Lookups never grow the maps.
    logOf([&] {
        for (int k = 0; k < 50; ++k) {
            cc.findControl(k, k, k);
            sysex.findControl(0x58, 0x41, k, k, k);
            nrpn.findControl(1, k, k, k, k);
            data.findControl(0, 0, k);
            data.findControl(k, 0, 0);
        }
    });
    EXPECT_EQ(cc.size() + sysex.size() + nrpn.size() + data.size(), 4u);
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
