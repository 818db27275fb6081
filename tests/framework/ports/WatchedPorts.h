#pragma once
// Following the port watch in a test: what it tells and what its looks see,
// also across a stop and restart of the server under the watched ports.

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "PortTestPlugin.h"
#include "support/JackSynthTest.h"

// The change the watch tells once the synth's port of that direction is back at its list position ("in 3", "out 2");
// asked while the port is there.
inline std::string ToldBack(PortTestPlugin& plug, const testsupport::SimulatedSynth& synth, bool input)
{
    const int position = input ? plug.getExternalMIDIInDevice(synth.OutputPortName().c_str())
                               : plug.getExternalMIDIOutDevice(synth.InputPortName().c_str());
    return (input ? "in " : "out ") + std::to_string(position);
}

// What the port watch tells ("in 0", "out 2": direction and list position), whether each came under the plug-in mutex,
// and what its looks at the chosen ports saw; a look at the output can be held until released.
struct Watched {
    explicit Watched(PortTestPlugin& plug) : plug(plug) {}
    // On every way out of a test, the watch ends before what it calls goes.
    ~Watched()
    {
        release();
        plug.DestroyMidiPorts();
    }
    void watch() { plug.watchExternalMIDIPorts(&Watched::told, this, &Watched::looked); }

    static void told(void* self, bool input, int position, const std::string&)
    {
        auto* watched = static_cast<Watched*>(self);
        const bool locked = watched->plug.GetMutex()->IsOwnedByCurrentThread();
        std::lock_guard<std::mutex> lock(watched->mutex);
        watched->changes.push_back(std::string(input ? "in " : "out ") + std::to_string(position));
        watched->allUnderPluginMutex = watched->allUnderPluginMutex && locked;
    }
    static void looked(void* self, bool input, bool there)
    {
        auto* watched = static_cast<Watched*>(self);
        std::unique_lock<std::mutex> lock(watched->mutex);
        watched->looks.push_back({input, there});
        watched->holding = !input && watched->holdOutput;
        watched->changed.notify_all();
        watched->changed.wait(lock, [&] { return input || !watched->holdOutput; });
        watched->holding = false;
    }

    bool toldWithin(const std::string& change)
    {
        return waitFor([&] { return std::count(changes.begin(), changes.end(), change) > 0; });
    }
    // With the mutex held.
    bool waitFor(const std::function<bool()>& done)
    {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, testsupport::kGenerousTimeout, done);
    }
    // Stops the watch at its next look at the output, until release(); false when it gets there too late.
    bool holdAtOutputLook()
    {
        std::unique_lock<std::mutex> lock(mutex);
        holdOutput = true;
        return changed.wait_for(lock, testsupport::kGenerousTimeout, [&] { return holding; });
    }
    void release()
    {
        std::lock_guard<std::mutex> lock(mutex);
        holdOutput = false;
        changed.notify_all();
    }

    PortTestPlugin& plug;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<std::string> changes;
    bool allUnderPluginMutex = true;
    std::vector<std::pair<bool, bool>> looks;  // direction (true: input), port there
    bool holdOutput = false, holding = false;
};

// Stops the server under the watched ports, and the synth with it; true once the watch has told both gone.
inline bool StopTheServerUnder(Watched& watched, testsupport::JackServer& server, testsupport::SimulatedSynth& synth)
{
    server.Stop();
    synth.Stop();
    return watched.toldWithin("in 0") && watched.toldWithin("out 0");
}

// Both chosen ports watched while the server stops and a server of its name comes back with the synth: each is told
// gone, then back at its list position. whileAway runs once both are told gone.
inline void ExpectToldGoneAndBackAcrossAServerRestart(PortTestPlugin& plug, testsupport::JackServer& server,
    testsupport::SimulatedSynth& synth, Watched& watched, const std::function<void()>& whileAway = [] {})
{
    const std::string in = ToldBack(plug, synth, true);
    const std::string out = ToldBack(plug, synth, false);
    ASSERT_TRUE(StopTheServerUnder(watched, server, synth));
    whileAway();
    // The server's readiness probe closes its JACK client as the server comes up; a client of that server opening
    // meanwhile may take the closed one's number and wait for ever on its wake-up word (libjack). The watch, which
    // opens ours again, stands at its look at the output (the input's, just before, found no server to open on) until
    // the server and the synth are up.
    ASSERT_TRUE(watched.holdAtOutputLook());
    std::string error;
    ASSERT_TRUE(server.StartAgain(&error)) << error;
    ASSERT_TRUE(synth.Start(&error)) << error;
    watched.release();
    EXPECT_TRUE(watched.toldWithin(in) && watched.toldWithin(out));
}
