// A parameter change on the GUI path (IPluginBase::SetParameterFromGUI, as a turned knob calls it) with the editor's
// output open on a JACK input port of a private `jackd -d dummy` server (48 kHz, 128-frame periods of 2.67 ms): the
// real editor without a window or configuration, one bound action, the same parameter moving between two values (warm
// cache). Each change is timed alone (the call's cost: its bytes handed to the port layer and the library), then
// followed until the listening client's process cycle gets it (arrival_*_ms, JACK's clock). PlainJackWrite is the
// floor: another client writing the same message with jack_midi_event_write from its own process cycle, the least
// any JACK program can do. The handlers log each change on standard output, which the benchmark silences: read the
// figures with --benchmark_out=FILE --benchmark_out_format=console.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <numeric>
#include <thread>
#include <vector>

#include "ControlAction.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "support/JackMidiProbes.h"
#include "support/JackServer.h"

namespace {

using Clock = std::chrono::steady_clock;

// The server and the listener, once per run.
testsupport::JackMidiListener* listener(std::string* error)
{
    static testsupport::JackServer server;
    static testsupport::JackMidiListener probe;
    static const bool started = server.Start(error) && probe.Start("param-listener", error);
    return started ? &probe : nullptr;
}

struct BoundEditor {
    BoundEditor(int kind, const std::string& port) : action(kind)
    {
        for (int i = 0; i < kNumParams; ++i)
            editor.GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
        action.ccNumber = 74;
        action.msbValue = 1;
        action.lsbControl = 20;
        action.lsbValue = 0;
        for (int v = 0; v < 128; ++v)
            action.sysEx.messages.push_back({0x3E, 0x16, 0x00, 0x41, 0x43, 0x00, 0x20, v});
        editor.GetParam(kFilterCutoff)->SetControlAction(&action);
        editor.getExternalMIDIOutNames();
        int out = 1;
        opened = editor.setExternalMIDIOut(out, port.c_str()) > 0;
        editor.GetParam(kDeviceOutSelection)->Set(out);
        editor.midiOutSet = opened;
        editor.pluginReady = true;
    }
    Zelto2X editor {IPluginInstanceInfo()};
    ControlAction action;
    bool opened = false;
};

// Runs send once an iteration at a moment apart from the JACK cycle, timing the call alone, then waits for its last message at the listener and notes how
// long after the call began it arrived.
void followToPort(benchmark::State& state, testsupport::JackMidiListener& port, size_t messagesEach,
    const std::function<void(int)>& send)
{
    std::vector<double> latencies;
    int n = 0;
    for (auto _ : state) {
        // Changes come at any moment of a period, not just after the listener's cycle.
        std::this_thread::sleep_for(std::chrono::microseconds((n * 7919) % 3000));
        const size_t before = port.Count();
        const jack_time_t sentUs = jack_get_time();
        const Clock::time_point start = Clock::now();
        send(n++);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(1);
        while (port.Count() < before + messagesEach && Clock::now() < giveUp)
            std::this_thread::yield();
        if (port.Count() < before + messagesEach)
            return state.SkipWithError("a message never arrived");
        latencies.push_back(double(port.At(port.Count() - 1).us - sentUs) / 1000.0);
    }
    std::sort(latencies.begin(), latencies.end());
    state.counters["arrival_mean_ms"] = std::accumulate(latencies.begin(), latencies.end(), 0.0) / double(latencies.size());
    state.counters["arrival_p99_ms"] = latencies[latencies.size() * 99 / 100];
    state.counters["period_ms"] = 1000.0 * port.PeriodFrames() / port.SampleRate();
}

}  // namespace

// state.range(0): the action kind (1 CC, 3 NRPN triple, 6 SysEx).
static void GuiChangeToJackPort(benchmark::State& state)
{
    std::string error;
    testsupport::JackMidiListener* port = listener(&error);
    if (!port)
        return state.SkipWithError(error.c_str());
    std::FILE* quiet = std::freopen("/dev/null", "w", stdout);
    BoundEditor bound(static_cast<int>(state.range(0)), port->PortName());
    if (!bound.opened)
        return state.SkipWithError("the editor could not open the listener's port");
    followToPort(state, *port, state.range(0) == 3 ? 3 : 1, [&](int n) {
        bound.editor.SetParameterFromGUI(kFilterCutoff, (n & 1 ? 20.0 : 100.0) / 127.0);
    });
    (void)quiet;
}
BENCHMARK(GuiChangeToJackPort)->Arg(1)->Arg(3)->Arg(6)->Iterations(1000)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

static void PlainJackWrite(benchmark::State& state)
{
    std::string error;
    testsupport::JackMidiListener* port = listener(&error);
    static testsupport::JackMidiSender sender;
    static const bool started = port && sender.Start("plain-sender", &error) &&
                                testsupport::ConnectJackPorts(sender.PortName(), port->PortName());
    if (!started)
        return state.SkipWithError(error.empty() ? "the plain sender could not connect" : error.c_str());
    followToPort(state, *port, 1, [](int n) { sender.Send(0xB0, 74, n & 1 ? 20 : 100); });
}
BENCHMARK(PlainJackWrite)->Iterations(1000)->UseManualTime()->Unit(benchmark::kMicrosecond);
