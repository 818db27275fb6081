// The port layer around what libjack does while JACK clients and ports of the
// process come and go: a port closes only after libjack has told its client of
// the graph changes the server has in hand, and a client the server refuses
// leaves no client of the process for libjack to drop under the plug-in.
//
// libjack walks a client's port list on that client's notification thread
// when it tells of a graph change (its latency pass), while unregistering a
// port takes it from that list on the caller's thread: the stand-ins below
// note each port close the library makes and what the probe's latency pass
// had reached then.

#include "JackPortFixture.h"

#include <dlfcn.h>
#include <jack/jack.h>

#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {

// One latency pass the server makes over every active client, held at the probe until the port layer calls libjack.
struct LatencyPass {
    std::mutex mutex;
    std::condition_variable changed;
    bool armed = false;    // the probe holds the next pass it is told of
    bool holding = false;  // the server waits for the probe
    bool over = false;     // the held pass went on to its second half (playback) at the probe
    bool called = false;   // a port rename or unregister was called since the hold began
    int unregistersBeforeOver = 0;
    // An unregister first waits (a moment at most) for the pass to begin: one
    // that comes while a graph change is still to be told meets its pass.
    bool unregisterMeetsThePass = false;

    void Arm(bool meetThePass = false)
    {
        std::lock_guard<std::mutex> lock(mutex);
        armed = true;
        holding = over = called = false;
        unregistersBeforeOver = 0;
        unregisterMeetsThePass = meetThePass;
    }
    bool WaitUntilHolding()
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, kGenerousTimeout, [&] { return holding; });
    }
    void NotePortCall(bool unregister)
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (unregister && unregisterMeetsThePass)
            changed.wait_for(lock, std::chrono::milliseconds(500), [&] { return !armed; });
        if (unregister && !armed && !over)
            ++unregistersBeforeOver;
        called = true;
        changed.notify_all();
    }
    int told = 0;  // latency passes the probe was told of
    // Waits (a moment at most) until a pass is told after the `since`-th.
    void WaitForPassAfter(int since)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait_for(lock, std::chrono::seconds(2), [&] { return told > since; });
    }
    int Told()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return told;
    }

    // On the probe's notification thread.
    void Told(jack_latency_callback_mode_t mode)
    {
        std::unique_lock<std::mutex> lock(mutex);
        if (mode == JackCaptureLatency) {
            ++told;
            changed.notify_all();
        }
        if (mode == JackCaptureLatency && armed) {
            armed = false;
            holding = true;
            called = false;
            changed.notify_all();
            changed.wait_for(lock, kGenerousTimeout, [&] { return called; });
            holding = false;
        } else if (mode == JackPlaybackLatency && !armed) {
            over = true;
        }
    }
};

LatencyPass pass;

template <class Function>
Function* Real(const char* name)
{
    return reinterpret_cast<Function*>(dlsym(RTLD_NEXT, name));
}

// A JACK client of this test with an idle process cycle (so it is part of the graph) and, for the probe, a latency
// callback that tells `pass`.
jack_client_t* OpenActiveClient(const char* name, bool probe)
{
    jack_client_t* client = jack_client_open(name, JackNoStartServer, nullptr);
    const auto idle = [](jack_nframes_t, void*) { return 0; };
    const auto told = [](jack_latency_callback_mode_t mode, void*) { pass.Told(mode); };
    if (client && (jack_set_process_callback(client, idle, nullptr) != 0
                      || (probe && jack_set_latency_callback(client, told, nullptr) != 0) || jack_activate(client) != 0)) {
        jack_client_close(client);
        client = nullptr;
    }
    return client;
}

}  // namespace

// Stand-ins for the library's calls: each is noted, then passed on to libjack.
extern "C" int jack_port_unregister(jack_client_t* client, jack_port_t* port)
{
    static auto* const real = Real<int(jack_client_t*, jack_port_t*)>("jack_port_unregister");
    pass.NotePortCall(true);
    return real(client, port);
}

// A port another client registers while one of ours opens: set, the next port the plug-in registers (as it opens
// one) comes just after this client's input port "shift".
std::atomic<jack_client_t*> shifter {nullptr};

extern "C" jack_port_t* jack_port_register(jack_client_t* client, const char* name, const char* type,
    unsigned long flags, unsigned long bufferSize)
{
    static auto* const real = Real<jack_port_t*(jack_client_t*, const char*, const char*, unsigned long,
        unsigned long)>("jack_port_register");
    jack_client_t* other = shifter.load();
    if (other && other != client && shifter.compare_exchange_strong(other, nullptr))
        real(other, "shift", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    return real(client, name, type, flags, bufferSize);
}

extern "C" int jack_port_rename(jack_client_t* client, jack_port_t* port, const char* name)
{
    static auto* const real = Real<int(jack_client_t*, jack_port_t*, const char*)>("jack_port_rename");
    pass.NotePortCall(false);
    return real(client, port, name);
}

// Another JACK client of the process (a second editor's, the port watch's) stops just before a port closes: libjack
// tells the port's client of that change while the port goes. Each port goes only once the whole pass is told.
TEST_F(JackPortTest, APortClosingWhileLibjackTellsAGraphChangeGoesOnlyAfterThatChangeIsTold)
{
    ConnectToSynth();
    jack_client_t* probe = OpenActiveClient("zelto2x-latency-probe", true);
    ASSERT_NE(nullptr, probe);
    for (bool input : {true, false}) {
        jack_client_t* other = OpenActiveClient("zelto2x-other", false);
        ASSERT_NE(nullptr, other);
        pass.Arm();
        // On a thread of its own: the server may answer it only after the pass the probe holds.
        std::thread stopping([other] { jack_deactivate(other); });
        const bool holding = pass.WaitUntilHolding();
        int off = 0;
        EXPECT_EQ(0, input ? plug->setExternalMIDIIn(off, "OFF") : plug->setExternalMIDIOut(off, "OFF"));
        stopping.join();
        jack_client_close(other);
        EXPECT_TRUE(holding);
        std::lock_guard<std::mutex> lock(pass.mutex);
        EXPECT_EQ(0, pass.unregistersBeforeOver) << (input ? "input" : "output");
    }
    jack_client_close(probe);
}

// A port closed as soon as it is told open: the server tells the graph change its connection brings once the
// connection is in use, and the port goes only after that whole pass is told.
TEST_F(JackPortTest, APortClosedRightAfterItsOpenGoesOnlyAfterItsConnectionIsTold)
{
    ConnectToSynth();
    jack_client_t* probe = OpenActiveClient("zelto2x-latency-probe", true);
    ASSERT_NE(nullptr, probe);
    for (bool input : {true, false}) {
        // The pass of the port closed here is told first: the one held below is the new connection's.
        const int told = pass.Told();
        int off = 0;
        EXPECT_EQ(0, input ? plug->setExternalMIDIIn(off, "OFF") : plug->setExternalMIDIOut(off, "OFF"));
        pass.WaitForPassAfter(told);
        pass.Arm(true);
        int on = 1;
        EXPECT_GT(input ? plug->setExternalMIDIIn(on, synth.OutputPortName().c_str())
                        : plug->setExternalMIDIOut(on, synth.InputPortName().c_str()),
            0);
        EXPECT_EQ(0, input ? plug->setExternalMIDIIn(off, "OFF") : plug->setExternalMIDIOut(off, "OFF"));
        std::lock_guard<std::mutex> lock(pass.mutex);
        EXPECT_EQ(0, pass.unregistersBeforeOver) << (input ? "input" : "output");
    }
    jack_client_close(probe);
}

// A client with a port but no process callback, connected to one of our ports, makes the server refuse the next
// client the process opens; libjack then drops every client of the process at the open after that. The port layer
// closes its clients before that can happen: the first plug-in's ports then fail as the port layer's own error, a
// second plug-in closes without touching a client libjack dropped, and a third opens and carries MIDI both ways.
TEST_F(JackPortTest, AJackClientTheServerRefusesLeavesNoClientForLibjackToDropUnderThePlugins)
{
    ConnectToSynth();
    testsupport::Subprocess silent;
    testsupport::Subprocess::Options options;
    std::error_code unreadable;
    const std::filesystem::path tests = std::filesystem::read_symlink("/proc/self/exe", unreadable).parent_path();
    options.argv = {(tests / "jack-client-without-process").string(), "zelto2x-no-process", kOurInputPort};
    options.pipeStdin = options.collectStdout = true;
    std::string error;
    ASSERT_TRUE(silent.Start(options, &error)) << error;
    ASSERT_TRUE(silent.Stdout().WaitFor([](const std::string& line) { return line == "ready"; }, kGenerousTimeout));

    auto second = std::make_unique<PortTestPlugin>();
    second->getExternalMIDIInNames();
    second->getExternalMIDIOutNames();
    int in = 1, out = 1;
    EXPECT_EQ(0, plug->setExternalMIDIIn(in, synth.OutputPortName().c_str()));
    EXPECT_EQ(0, plug->setExternalMIDIOut(out, synth.InputPortName().c_str()));
    plug.reset();
    second.reset();
    silent.CloseStdin();
    silent.Stop(SIGTERM, kGenerousTimeout);

    plug = std::make_unique<PortTestPlugin>();
    ConnectToSynth();
}

// JACK numbers its ports by a slot that a new port takes from the lowest one free, so a port registered while ours
// opens may come before the synth's in the list and move it one place on. The port opened is the one chosen by name.
TEST_F(JackPortTest, APortAppearingWhileOursOpensLeavesTheChosenPortConnected)
{
    // Never activated: libjack walks an active client's port list on the client's notification thread at each
    // latency pass, unlocked against a register or unregister of its ports here, and a port unregistered during a
    // pass frees the entry the walk stands on. A client outside the graph is told no latency pass.
    jack_client_t* other = jack_client_open("zelto2x-shifter", JackNoStartServer, nullptr);
    ASSERT_NE(nullptr, other);
    // A slot before the synth's ports, freed again once the synth has registered them.
    StopSynth();
    jack_port_t* placeholder = jack_port_register(other, "placeholder", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    std::string error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    jack_port_unregister(other, placeholder);
    plug->getExternalMIDIOutNames();
    shifter = other;
    int out = 1;
    EXPECT_GT(plug->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
    const char** ports = jack_get_ports(other, nullptr, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput);
    ASSERT_TRUE(ports && ports[0] && ports[1]);
    EXPECT_EQ((std::vector<std::string> {"zelto2x-shifter:shift", synth.InputPortName()}),
        (std::vector<std::string> {ports[0], ports[1]})) << "the port that came while ours opened is not the first";
    jack_free(ports);
    EXPECT_TRUE(WaitUntilOutputFlows(synth));
    shifter = nullptr;  // also where no port of ours was registered to take it
    jack_client_close(other);
}

// Another editor's input port (a client of our input client's name, in a process of its own) is in no list, also in
// the output list built before this editor's input client exists.
TEST_F(JackPortTest, AnotherEditorsInputPortIsLeftOutOfAnOutputListBuiltFirst)
{
    jack_client_t* other = jack_client_open("RtMidi Input Client", JackNoStartServer, nullptr);
    ASSERT_NE(nullptr, other);
    const std::string otherPort = std::string(jack_get_client_name(other)) + ":RtMidi Input";
    ASSERT_NE(nullptr, jack_port_register(other, "RtMidi Input", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0));
    const std::vector<std::string> outputs = plug->getExternalMIDIOutNames();
    EXPECT_EQ(outputs.end(), std::find(outputs.begin(), outputs.end(), otherPort));
    EXPECT_NE(outputs.end(), std::find(outputs.begin(), outputs.end(), synth.InputPortName()));
    jack_client_close(other);
}
