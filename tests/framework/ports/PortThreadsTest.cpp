// The port layer's threads: senders on several threads at once never
// interleave, and closing the input never waits on a delivery in progress.

#include "JackPortFixture.h"

#include <memory>
#include <set>
#include <thread>

namespace {

constexpr int kThreads = 4;
constexpr int kMessagesPerThread = 12;

// A 137-byte SysEx message whose every data byte names its thread.
std::vector<unsigned char> SysExOf(int thread)
{
    std::vector<unsigned char> message(137, static_cast<unsigned char>(thread));
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

}  // namespace

TEST_F(JackPortTest, ConcurrentSendersNeverInterleave)
{
    ConnectToSynth();
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t) {
        senders.emplace_back([this, t] {
            const std::vector<unsigned char> sysex = SysExOf(t);
            for (int i = 0; i < kMessagesPerThread; ++i) {
                if (t % 2 == 0) {
                    plug->SendMidiSysex2(sysex);
                } else {
                    std::vector<unsigned char> body(sysex.begin() + 1, sysex.end() - 1);
                    plug->SendMidiSysex(body.data(), static_cast<int>(body.size()));
                }
                IMidiMsg note(0, static_cast<uint8_t>(0x90 + t), 0x3C, 0x64);
                plug->SendMidiMsg(&note);
            }
        });
    }
    for (std::thread& sender : senders) {
        sender.join();
    }
    const size_t expected = kThreads * kMessagesPerThread * 2;
    ASSERT_TRUE(WaitForSentAfterReady(expected));

    std::set<std::string> allowed;
    for (int t = 0; t < kThreads; ++t) {
        std::vector<uint8_t> sysex = SysExOf(t);
        char note[16];
        std::snprintf(note, sizeof note, "%02X 3C 64", 0x90 + t);
        allowed.insert(note);
        std::string hex;
        for (size_t i = 0; i < sysex.size(); ++i) {
            char pair[4];
            std::snprintf(pair, sizeof pair, i ? " %02X" : "%02X", sysex[i]);
            hex += pair;
        }
        allowed.insert(hex);
    }
    const std::vector<std::string> got = SentAfterReady();
    ASSERT_EQ(got.size(), expected);
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(allowed.count(got[i]), 1u) << "line " << i << ": " << got[i];
    }
}

TEST_F(JackPortTest, ClosingTheInputWhileADeliveryWaitsForThePluginMutexDoesNotHang)
{
    // Shared with the input thread, which may outlive a failed assertion.
    struct Entered {
        std::mutex mutex;
        std::condition_variable changed;
        bool entered = false;
    };
    auto state = std::make_shared<Entered>();
    PortTestPlugin* plugin = plug.get();
    plug->onMidi = [state, plugin](const IMidiMsg& msg) {
        if (msg.mStatus != 0x90) {
            return;
        }
        {
            std::lock_guard<std::mutex> lock(state->mutex);
            state->entered = true;
        }
        state->changed.notify_all();
        // As the editor does when a control takes a value from the hardware.
        IMutexLock lock(plugin);
    };
    // Installed before the input thread starts, which then only reads it.
    ConnectToSynth();
    {
        // A parameter change selecting "OFF" runs under the plug-in mutex.
        IMutexLock lock(plug.get());
        synth.Send("90 3C 64");
        std::unique_lock<std::mutex> waitLock(state->mutex);
        ASSERT_TRUE(state->changed.wait_for(waitLock, kGenerousTimeout, [&] { return state->entered; }));
        waitLock.unlock();
        int off = 0;
        EXPECT_EQ(plug->setExternalMIDIIn(off, "OFF"), 0);
    }
    EXPECT_TRUE(plug->WaitForMidi(
        [&](const std::vector<ReceivedMidi>& all) { return !AfterReady(all).empty(); }, kGenerousTimeout));
}
