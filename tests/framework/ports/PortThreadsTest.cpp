// The port layer's threads: senders on several threads at once never
// interleave, and closing the input never waits on a delivery in progress.

#include "JackPortFixture.h"

#include <future>
#include <set>
#include <thread>

TEST_F(JackPortTest, ConcurrentSendersNeverInterleave)
{
    constexpr int kThreads = 4, kMessagesPerThread = 12;
    ConnectToSynth();
    std::vector<std::thread> senders;
    std::set<std::string> allowed;
    for (int t = 0; t < kThreads; ++t) {
        // A 137-byte SysEx message whose every data byte names its thread, and a note.
        std::string dump = "F0";
        for (int i = 0; i < 135; ++i)
            dump += " 0" + std::to_string(t);
        allowed.insert(dump + " F7");
        allowed.insert("9" + std::to_string(t) + " 3C 64");
        senders.emplace_back([this, t] {
            // Even threads send the message framed, odd ones bare.
            std::vector<unsigned char> body(135, static_cast<unsigned char>(t)), framed = body;
            framed.insert(framed.begin(), 0xF0);
            framed.push_back(0xF7);
            for (int i = 0; i < kMessagesPerThread; ++i) {
                t % 2 == 0 ? plug->SendMidiSysex2(framed) : plug->SendMidiSysex(body.data(), int(body.size()));
                IMidiMsg note(0, static_cast<uint8_t>(0x90 + t), 0x3C, 0x64);
                plug->SendMidiMsg(&note);
            }
        });
    }
    for (std::thread& sender : senders)
        sender.join();
    const size_t expected = kThreads * kMessagesPerThread * 2;
    ASSERT_TRUE(WaitForSentAfterReady(expected));
    const std::vector<std::string> got = AfterReady(synth.Received());
    ASSERT_EQ(got.size(), expected);
    for (size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(allowed.count(got[i]), 1u) << "line " << i << ": " << got[i];
}

TEST_F(JackPortTest, ClosingTheInputWhileADeliveryWaitsForThePluginMutexDoesNotHang)
{
    // Shared with the input thread, which may outlive a failed assertion.
    auto entered = std::make_shared<std::promise<void>>();
    std::shared_future<void> hasEntered = entered->get_future().share();
    PortTestPlugin* plugin = plug.get();
    // Installed before the input thread starts, which then only reads it.
    plug->onMidi = [entered, plugin](const IMidiMsg& msg) {
        if (msg.mStatus != 0x90)
            return;
        entered->set_value();
        // As the editor does when a control takes a value from the hardware.
        IMutexLock lock(plugin);
    };
    ConnectToSynth();
    {
        // A parameter change selecting "OFF" runs under the plug-in mutex.
        IMutexLock lock(plug.get());
        synth.Send("90 3C 64");
        ASSERT_EQ(hasEntered.wait_for(kGenerousTimeout), std::future_status::ready);
        int off = 0;
        EXPECT_EQ(plug->setExternalMIDIIn(off, "OFF"), 0);
    }
    EXPECT_TRUE(plug->WaitForMidi(
        [&](const std::vector<ReceivedMidi>& all) { return !AfterReady(all).empty(); }, kGenerousTimeout));
}
