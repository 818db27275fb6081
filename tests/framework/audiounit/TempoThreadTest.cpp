// The host tempo asked for by the render thread and the clock worker at once,
// while the host changes it. Built for ThreadSanitizer, which reports any race.
#include <gtest/gtest.h>

#include <thread>

#include "PluginHost.h"
#include "TestPlug.h"

TEST(AudioUnitTempo, TwoThreadsAskingForTheTempoWhileTheHostChangesItAgree)
{
    host::PluginHost host;
    ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
    TestPlug* plug = PlugOf(host.unit());
    auto ask = [plug] {
        for (int i = 0; i < 2000; ++i) {
            const double tempo = plug->GetTempo();
            EXPECT_TRUE(tempo == 120.0 || tempo == 140.0) << tempo;
        }
    };
    std::thread render(ask);
    std::thread clock(ask);
    for (int i = 0; i < 2000; ++i)
        host.setTempo(i % 2 ? 140.0 : 120.0);
    render.join();
    clock.join();
}
