// A port the plug-in is told open carries every message sent through it, the
// first one and the last one before it closes.
//
// JACK takes a new connection into use at the start of a later process cycle;
// a message handed to the port before that leaves it unconnected. The
// stand-in below holds every process cycle of the plug-in's output client
// until the test has sent (or a moment has passed), so a cycle that began
// before the connection came into use is the one that takes the message
// whenever the port is told open too early. The ports connected to ours read
// what it carries later in the same cycle; the stand-in lingers after the
// library's part of each cycle, so a port that goes before that cycle ends
// takes the message with it.

#include "JackPortFixture.h"

#include <dlfcn.h>
#include <jack/jack.h>

#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

namespace {

struct HeldCycles {
    std::mutex mutex;
    std::condition_variable sent;
    bool holding = false;
    bool messageSent = false;

    void Hold()
    {
        std::lock_guard<std::mutex> lock(mutex);
        holding = true;
        messageSent = false;
    }
    void Sent()
    {
        std::lock_guard<std::mutex> lock(mutex);
        holding = false;
        messageSent = true;
        sent.notify_all();
    }
    // On the output client's process thread.
    void WaitBeforeTheCycle()
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (holding)
            sent.wait_for(lock, std::chrono::milliseconds(10), [&] { return messageSent; });
    }
    void LingerAfterTheLibrary()
    {
        if (lingering)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    std::atomic<bool> lingering {false};
};

HeldCycles cycles;

struct HeldProcess {
    JackProcessCallback library;
    void* argument;
};

int RunHeldProcess(jack_nframes_t frames, void* held)
{
    auto* process = static_cast<HeldProcess*>(held);
    cycles.WaitBeforeTheCycle();
    const int result = process->library(frames, process->argument);
    cycles.LingerAfterTheLibrary();
    return result;
}

}  // namespace

// The library's process callback of an output client of ours runs held (the record lives as long as the process).
extern "C" int jack_set_process_callback(jack_client_t* client, JackProcessCallback callback, void* argument)
{
    static auto* const real = reinterpret_cast<int (*)(jack_client_t*, JackProcessCallback, void*)>(
        dlsym(RTLD_NEXT, "jack_set_process_callback"));
    const char* name = jack_get_client_name(client);
    if (!name || std::strncmp(name, "RtMidi Output Client", std::strlen("RtMidi Output Client")) != 0)
        return real(client, callback, argument);
    return real(client, &RunHeldProcess, new HeldProcess {callback, argument});
}

// Five hundred times: the output closed, chosen again and, at once, a control change sent; each reaches the synth.
TEST_F(JackPortTest, EveryMessageSentAtOnceAfterThePortIsToldOpenReachesTheSynth)
{
    ConnectToSynth();
    cycles.lingering = true;
    constexpr int kOpens = 500;
    std::vector<std::string> expected;
    for (int i = 0; i < kOpens; ++i) {
        int off = 0;
        plug->setExternalMIDIOut(off, "OFF");
        cycles.Hold();
        int out = 1;
        ASSERT_GT(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0) << "open " << i;
        IMidiMsg change(0, 0xB0, 20 + i / 128, i % 128);
        plug->SendMidiMsg(&change);
        cycles.Sent();
        char line[16];
        std::snprintf(line, sizeof line, "B0 %02X %02X", 20 + i / 128, i % 128);
        expected.push_back(line);
    }
    ASSERT_TRUE(synth.WaitForReceived(expected.back()));
    const std::vector<std::string> received = AfterReady(synth.Received());
    std::vector<std::string> lost;
    for (const std::string& message : expected)
        if (std::find(received.begin(), received.end(), message) == received.end())
            lost.push_back(message);
    EXPECT_EQ(std::vector<std::string> {}, lost) << "of " << kOpens;
    EXPECT_EQ(expected.size(), received.size());
}
