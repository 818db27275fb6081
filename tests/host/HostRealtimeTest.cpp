// The host library rendering in real time on its own thread beside the control thread's calls (ThreadSanitizer).
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "PluginHost.h"

TEST(HostLibrary, RealtimeRenderingGoesOnWhileTheControlThreadWorks)
{
    host::PluginHost pluginHost;
    const host::HostStatus loaded = pluginHost.loadBundle(PLACEHOLDER_BUNDLE);
    ASSERT_TRUE(loaded.ok()) << loaded.text;
    pluginHost.startRealtime();
    pluginHost.setPlaying(true);
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(pluginHost.setParameter(i % 8, static_cast<float>(i % 100)).ok());
        ASSERT_TRUE(pluginHost.queueMidi({0x90, 60, static_cast<uint8_t>(i % 128)}, i % 512).ok());
        float value = 0.0f;
        ASSERT_TRUE(pluginHost.getParameter(i % 8, &value).ok());
        EXPECT_FLOAT_EQ(static_cast<float>(i % 100), value);
    }
    // Rendering must have started; wait for a block rather than for a time.
    const uint64_t before = pluginHost.blocksRendered();
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);  // a hang guard only
    while (pluginHost.blocksRendered() < before + 2 && std::chrono::steady_clock::now() < giveUp)
        std::this_thread::yield();
    EXPECT_GE(pluginHost.blocksRendered(), before + 2);
    pluginHost.stopRealtime();
    EXPECT_GT(pluginHost.beatPosition(), 0.0);
    pluginHost.close();
}
