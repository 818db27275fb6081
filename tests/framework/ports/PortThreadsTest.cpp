// The port layer's threads: senders on several threads at once never
// interleave, and closing the input never waits on a delivery in progress.

#include "JackPortFixture.h"
#include "WatchedPorts.h"

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <future>
#include <map>
#include <mutex>
#include <thread>

namespace {

// The synth switched off until the watch has told both ports gone, then on again while a host call holds the plug-in
// mutex: once a look has found the output back, `meanwhile` runs inside that host call, before the watch can apply
// what it found. False when a step did not come.
bool SynthBackWhileAHostCallWaits(PortTestPlugin& plug, testsupport::SimulatedSynth& synth, Watched& watched,
    const std::function<void()>& meanwhile)
{
    watched.watch();
    synth.Stop();
    if (!watched.toldWithin("in 0") || !watched.toldWithin("out 0"))
        return false;
    IMutexLock hostCall(&plug);
    std::string error;
    if (!synth.Start(&error) ||
        !watched.waitFor([&] { return !watched.looks.empty() && watched.looks.back() == std::pair(false, true); }))
        return false;
    meanwhile();
    return true;
}

}  // namespace

// In each round all senders start at once, and every message names its sender and its place, so a message torn, lost,
// sent twice or carrying another sender's bytes shows on the wire without a sanitizer.
TEST_F(JackPortTest, ConcurrentSendersNeverInterleave)
{
    constexpr int kThreads = 4, kRounds = 12, kDumpsPerRound = 16;
    ConnectToSynth();
    const auto hex = [](const std::vector<unsigned char>& bytes) {
        std::string line;
        char cell[4];
        for (unsigned char b : bytes)
            line += (std::snprintf(cell, sizeof cell, line.empty() ? "%02X" : " %02X", b), cell);
        return line;
    };
    std::map<std::string, std::pair<int, int>> place;  // wire line: sender, place in its order
    std::vector<std::vector<std::vector<unsigned char>>> messages(kThreads);
    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kRounds * kDumpsPerRound; ++k) {
            const auto round = static_cast<unsigned char>(k / kDumpsPerRound), i = static_cast<unsigned char>(k % 128);
            std::vector<unsigned char> dump(137, static_cast<unsigned char>(t));
            dump.front() = 0xF0, dump[1] = i, dump[2] = round, dump.back() = 0xF7;
            for (const auto& m : {dump, std::vector<unsigned char> {static_cast<unsigned char>(0x90 + t), i, round}}) {
                place[hex(m)] = {t, static_cast<int>(messages[t].size())};
                messages[t].push_back(m);
            }
        }
    const size_t perRound = kThreads * kDumpsPerRound * 2;
    for (int round = 0; round < kRounds; ++round) {
        std::atomic<int> waiting {kThreads};
        std::vector<std::thread> senders;
        for (int t = 0; t < kThreads; ++t)
            senders.emplace_back([&, t] {
                for (--waiting; waiting > 0;)
                    std::this_thread::yield();
                for (size_t k = round * perRound / kThreads; k < (round + 1) * perRound / kThreads; ++k) {
                    std::vector<unsigned char> m = messages[t][k];
                    IMidiMsg note(0, m[0], m[1], m[2]);
                    // Dumps go out framed and bare by turns: each way has its own path to the port.
                    m.size() == 3 ? plug->SendMidiMsg(&note) : k % 4 == 0 ? plug->SendMidiSysex2(m)
                                                             : plug->SendMidiSysex(m.data() + 1, int(m.size() - 2));
                }
            });
        for (std::thread& sender : senders)
            sender.join();
        ASSERT_TRUE(WaitForSentAfterReady((round + 1) * perRound)) << round;
    }
    const std::vector<std::string> got = AfterReady(synth.Received());
    EXPECT_EQ(got.size(), kRounds * perRound);
    std::vector<int> next(kThreads, 0);
    for (size_t i = 0; i < got.size(); ++i) {
        const auto known = place.find(got[i]);
        ASSERT_NE(known, place.end()) << "line " << i << ": " << got[i];
        EXPECT_EQ(known->second.second, next[known->second.first]++) << "line " << i << ": " << got[i];
    }
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

// The synth switched off and on while another thread sends: the watch tells each chosen port gone, then back, in
// that order, and both ways carry messages again without choosing anything.
TEST_F(JackPortTest, ChosenPortsGoneAndBackAreToldAndOpenedAgainWhileMessagesAreSent)
{
    ConnectToSynth();
    Watched watched {*plug};
    watched.watch();
    std::atomic<bool> sending {true};
    std::thread sender([&] {
        while (sending) {
            IMidiMsg msg(0, 0xB0, 7, 64);
            plug->SendMidiMsg(&msg);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    const std::string in = ToldBack(*plug, synth, true);
    const std::string out = ToldBack(*plug, synth, false);
    synth.Stop();
    EXPECT_TRUE(watched.toldWithin("in 0") && watched.toldWithin("out 0"));
    std::string error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    EXPECT_TRUE(watched.toldWithin(in) && watched.toldWithin(out));
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    EXPECT_TRUE(WaitUntilInputFlows());
    sending = false;
    sender.join();
    std::lock_guard<std::mutex> lock(watched.mutex);
    EXPECT_EQ(4u, watched.changes.size());
}

// A change the watch finds is made and told under the plug-in mutex, as a choice on the main thread is: a port chosen
// OFF while a host call holds that mutex, after a look found the port back, stays closed and is never told back.
TEST_F(JackPortTest, TheWatchChangesPortsUnderThePluginMutexSoAChoiceMadeMeanwhileStands)
{
    ConnectToSynth();
    const std::string in = ToldBack(*plug, synth, true);
    Watched watched {*plug};
    ASSERT_TRUE(SynthBackWhileAHostCallWaits(*plug, synth, watched, [&] {
        int off = 0;
        EXPECT_EQ(0, plug->setExternalMIDIOut(off, "OFF"));
    }));
    EXPECT_TRUE(watched.toldWithin(in));
    std::lock_guard<std::mutex> lock(watched.mutex);
    EXPECT_EQ(3u, watched.changes.size()) << "the output was told back";
    EXPECT_TRUE(watched.allUnderPluginMutex);
    EXPECT_FALSE(plug->OutputOpen());
}

// The same port chosen again while a host call holds the plug-in mutex, after a look found it back from away: the
// watch's news is older than the choice, so the port the user opened stays open and is never told gone.
TEST_F(JackPortTest, ThePortChosenAgainAfterTheWatchFoundItBackStaysOpenAndIsNeverToldGone)
{
    ConnectToSynth();
    const int out = plug->getExternalMIDIOutDevice(synth.InputPortName().c_str());
    Watched watched {*plug};
    ASSERT_TRUE(SynthBackWhileAHostCallWaits(*plug, synth, watched, [&] {
        // The next look at the output waits, so nothing the watch finds later can hide what its news did.
        {
            std::lock_guard<std::mutex> lock(watched.mutex);
            watched.holdOutput = true;
        }
        int index = out;
        EXPECT_EQ(out, plug->setExternalMIDIOut(index, synth.InputPortName().c_str()));
    }));
    ASSERT_TRUE(watched.waitFor([&] { return watched.holding; }));
    EXPECT_TRUE(plug->OutputOpen());
    std::lock_guard<std::mutex> lock(watched.mutex);
    EXPECT_EQ(1, std::count(watched.changes.begin(), watched.changes.end(), "out 0"))
        << "the output was told gone again";
}

// The watch looks at the system's ports without the port lock every send takes: while a look is under way, the
// render thread's send, which never waits, goes out.
TEST_F(JackPortTest, MessagesGoOutWhileTheWatchLooksAtTheSystemsPorts)
{
    ConnectToSynth();
    Watched watched {*plug};
    watched.holdOutput = true;
    watched.watch();
    ASSERT_TRUE(watched.waitFor([&] { return watched.holding; }));
    IMidiMsg volume(0, 0xB0, 7, 99);
    const bool sent = plug->trySendMidiMsgToHardware(&volume);
    watched.release();
    EXPECT_TRUE(sent);
    EXPECT_TRUE(synth.WaitForReceived("B0 07 63"));
}
