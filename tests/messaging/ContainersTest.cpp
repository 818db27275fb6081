// The control-lookup containers. Their concurrent use is the dispatch-thread test's.
#include <gtest/gtest.h>

#include "CCControlContainer.h"
#include "NRPNControlContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

namespace {

// Containers only file and return the pointers; they never dereference them.
IControl* fakeControl(int n) { return reinterpret_cast<IControl*>(static_cast<uintptr_t>(0x1000 + n * 16)); }

}  // namespace

TEST(Containers, EntriesAreFoundWhereFiledReplacedOnTheSameKeyAndLookupsNeverGrowTheMaps)
{
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, fakeControl(1));
    SysExControlContainer sysex;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    sysex.addToControlMap(address, 0, fakeControl(1));
    sysex.addToControlMap(address, 0, fakeControl(2));
    NRPNControlContainer nrpn;
    nrpn.addToControlMap(1, 2, 3, 4, 0, fakeControl(1));
    patchDataContainer data;
    data.setValue(0, 0, 7, 12);
    data.setValue(0, 0, 7, 13);
    testing::internal::CaptureStdout();  // misses are logged
    EXPECT_EQ(cc.findControl(0, 74, 0), fakeControl(1));
    EXPECT_EQ(cc.findControl(0, 10, 0), nullptr);
    EXPECT_EQ(cc.findControl(3, 74, 0), nullptr);
    EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x10, 0x00, 0), fakeControl(2));
    EXPECT_EQ(sysex.findControl(0x57, 0x41, 0, 2, 0), nullptr);
    EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 0), fakeControl(1));
    EXPECT_EQ(nrpn.findControl(2, 2, 3, 4, 5), nullptr);
    EXPECT_EQ(data.findControl(0, 0, 7), 13);
    EXPECT_EQ(data.findControl(0, 0, 8), 0);  // a missing byte reads as zero
    for (int k = 0; k < 50; ++k) {
        cc.findControl(k, k, k);
        sysex.findControl(0x58, 0x41, k, k, k);
        nrpn.findControl(1, k, k, k, k);
        data.findControl(0, 0, k);
        data.findControl(k, 0, 0);
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cc.size() + sysex.size() + nrpn.size() + data.size(), 4u);
}
