// The control-lookup containers; the dispatch tests find controls through them
// and the dispatch-thread test reads one while dumps are decoded.
#include <gtest/gtest.h>

#include "CCControlContainer.h"
#include "NRPNControlContainer.h"
#include "SysExControlContainer.h"
#include "patchDataContainer.h"

TEST(Containers, EntriesAreFoundWhereFiledReplacedOnTheSameKeyAndLookupsNeverGrowTheMaps)
{
    // Containers only file and return the pointers; they never dereference them.
    IControl* const first = reinterpret_cast<IControl*>(uintptr_t {0x1000});
    IControl* const second = reinterpret_cast<IControl*>(uintptr_t {0x2000});
    CCControlContainer cc;
    cc.addToControlMap(0, 74, 0, first);
    SysExControlContainer sysex;
    const unsigned char address[4] = {0x58, 0x41, 0x10, 0x00};
    sysex.addToControlMap(address, 0, first);
    sysex.addToControlMap(address, 0, second);
    NRPNControlContainer nrpn;
    nrpn.addToControlMap(1, 2, 3, 4, 0, first);
    patchDataContainer data;
    data.setValue(0, 0, 7, 12);
    data.setValue(0, 0, 7, 13);
    testing::internal::CaptureStdout();  // misses are logged
    EXPECT_EQ(sysex.findControl(0x58, 0x41, 0x10, 0x00, 0), second);
    EXPECT_EQ(nrpn.findControl(1, 2, 3, 4, 0), first);
    EXPECT_EQ(nrpn.findControl(2, 2, 3, 4, 5), nullptr);
    EXPECT_EQ(data.findControl(0, 0, 7), 13);
    for (int k = 0; k < 50; ++k) {
        cc.findControl(k, k, k);
        sysex.findControl(0x58, 0x41, k, k, k);
        nrpn.findControl(1, k, k, k, k);
        EXPECT_EQ(data.findControl(0, 0, k) + data.findControl(k, 0, 0), k == 7 ? 13 : 0);  // a missing byte reads 0
    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cc.size() + sysex.size() + nrpn.size() + data.size(), 4u);
}
