// The worker jobs' costs: building job 0's sound dump from the real editor's
// parameters (warm cache), and the real editor's continuous MIDI clock at 120
// BPM for 10 s through its JACK output to a listening client on a private
// `jackd -d dummy` server (48 kHz, 128-frame periods of 2.67 ms). The second
// argument adds that many idle JACK ports (half inputs, half outputs) and
// runs the port watch over the chosen output and an input chosen among them,
// so its looks at long port lists meet the ticks. Spacing is taken twice:
// where the clock thread has handed each F8 to the port (handoff_*, stamped
// when the send returns, so a send kept waiting shows), and at the frame
// where the listener's input port gets it (port_*), which JACK hands over only
// at period starts, so its deviations are bounded by one period (period_ms),
// not by the clock. Counters: *_mean_ms (mean spacing), *_p99_dev_ms (99th
// percentile of |spacing - ideal|), handoff_max_dev_ms (the largest),
// send_max_ms (the longest a send of an F8 took), mean_dev_ppm (the hand-off
// mean against the ideal 20.8333 ms, in millionths; the target is within 50),
// cpu_pct (the clock thread's CPU time over its running time), sched_fifo (1
// when the clock thread ran with real-time scheduling).
#include <benchmark/benchmark.h>

#include <sched.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

#include "EditorParameterSource.h"
#include "MIDIMessageManager.h"
#include "MIDIMessageSender.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "support/JackServer.h"
#include "support/JackMidiProbes.h"

namespace {

using Clock = std::chrono::steady_clock;

// Stamps each clock byte on the clock thread, then sends it to the port.
class StampingEditor : public Zelto2X {
public:
    StampingEditor() : Zelto2X(IPluginInstanceInfo()) {}
    ~StampingEditor() override
    {
        delete midiMessageManager;
        midiMessageManager = nullptr;
    }
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override
    {
        if (bytes.size() != 1 || bytes[0] != 0xF8)
            return Zelto2X::SendMidiSysex2(std::move(bytes));
        const Clock::time_point asked = Clock::now();
        const bool sent = Zelto2X::SendMidiSysex2(std::move(bytes));
        const Clock::time_point handed = Clock::now();
        timespec cpu;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
        std::lock_guard<std::mutex> lock(mutex);
        policy = sched_getscheduler(0);
        ticks.push_back(handed);
        sends.push_back(handed - asked);
        cpuNs.push_back(int64_t(cpu.tv_sec) * 1'000'000'000 + cpu.tv_nsec);
        return sent;
    }
    std::mutex mutex;
    int policy = -1;
    std::vector<Clock::time_point> ticks;
    std::vector<Clock::duration> sends;
    std::vector<int64_t> cpuNs;
};

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

static void BM_ArrangementDumpBuild(benchmark::State& state)
{
    std::freopen("/dev/null", "w", stdout);
    Zelto2X editor {IPluginInstanceInfo()};
    const EditorParameterSource params(editor);
    for (auto _ : state)
        benchmark::DoNotOptimize(MIDIMessageSender::buildArrangementDump(params, "Benchmark Sound", 3, 0).data());
}
BENCHMARK(BM_ArrangementDumpBuild);

// The mean spacing, the 99th percentile and the largest of the deviations from the ideal, in ms.
struct Spacing {
    double mean, p99, max;
};
Spacing spacing(const std::vector<double>& timesMs, double idealMs)
{
    std::vector<double> deviations;
    for (size_t i = 1; i < timesMs.size(); ++i)
        deviations.push_back(std::abs(timesMs[i] - timesMs[i - 1] - idealMs));
    std::sort(deviations.begin(), deviations.end());
    return {(timesMs.back() - timesMs.front()) / double(timesMs.size() - 1), deviations[deviations.size() * 99 / 100],
        deviations.back()};
}

static void BM_MidiClockOnJack(benchmark::State& state)
{
    setenv("ZELTO2X_BUILD_DIR", ZELTO2X_BINARY_DIR, 0);
    const int extraPorts = static_cast<int>(state.range(1));
    testsupport::JackServer server;
    testsupport::JackMidiListener listener;
    testsupport::JackPortCrowd crowd;
    std::string error;
    if (!server.Start(&error) || !listener.Start("clock-listener", &error)
        || (extraPorts > 0 && !crowd.Start("port-crowd", extraPorts / 2, extraPorts - extraPorts / 2, &error)))
        return state.SkipWithError(error.c_str());
    std::freopen("/dev/null", "w", stdout);
    StampingEditor editor;
    editor.getExternalMIDIInNames();
    editor.getExternalMIDIOutNames();
    int out = 1;
    if (editor.setExternalMIDIOut(out, listener.PortName().c_str()) <= 0)
        return state.SkipWithError("cannot open the listener's input");
    if (extraPorts > 0) {
        int in = 1;
        if (editor.setExternalMIDIIn(in, crowd.OutputPortName(0).c_str()) <= 0)
            return state.SkipWithError("cannot open a crowd port");
        editor.watchExternalMIDIPorts(nullptr, nullptr);
    }
    editor.midiOutSet = editor.sendClockInfo = true;
    editor.tempoValues = {"120"};
    editor.GetParam(kOverrideTempo)->Set(0.0);
    editor.GetParam(kArpTempo)->Set(0.0);
    MIDIMessageManager& manager = *editor.midiMessageManager;
    for (auto _ : state) {
        manager.resetContinuousClock(false);
        manager.sendContinuousMIDIClock();
        std::this_thread::sleep_for(std::chrono::seconds(state.range(0)));
        manager.resetContinuousClock(true);
        while (!manager.clockThreadIdle())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the last F8 reaches the port

    std::lock_guard<std::mutex> lock(editor.mutex);
    std::vector<double> handoff, port;
    for (const Clock::time_point& tick : editor.ticks)
        handoff.push_back(ms(tick - editor.ticks.front()));
    for (size_t i = 0; i < listener.Count(); ++i)
        if (listener.At(i).status == 0xF8)
            port.push_back(double(listener.At(i).frameUs) / 1000.0);
    if (handoff.size() < 3 || port.size() < 3)
        return state.SkipWithError("too few clock ticks");
    const double ideal = 60000.0 / (120.0 * 24.0);
    const Spacing handoffSpacing = spacing(handoff, ideal);
    const Spacing portSpacing = spacing(port, ideal);
    const double cpuMs = static_cast<double>(editor.cpuNs.back() - editor.cpuNs.front()) / 1e6;
    state.counters.insert({{"sched_fifo", editor.policy == SCHED_FIFO ? 1 : 0}, {"ticks", double(handoff.size())},
        {"handoff_mean_ms", handoffSpacing.mean}, {"handoff_p99_dev_ms", handoffSpacing.p99},
        {"handoff_max_dev_ms", handoffSpacing.max},
        {"send_max_ms", ms(*std::max_element(editor.sends.begin(), editor.sends.end()))},
        {"mean_dev_ppm", (handoffSpacing.mean - ideal) / ideal * 1e6}, {"port_mean_ms", portSpacing.mean},
        {"port_p99_dev_ms", portSpacing.p99}, {"period_ms", 1000.0 * listener.PeriodFrames() / listener.SampleRate()},
        {"cpu_pct", 100.0 * cpuMs / handoff.back()}});
}
// Seconds of clock; idle JACK ports added, the port watch running when there are any.
BENCHMARK(BM_MidiClockOnJack)->Args({10, 0})->Args({10, 80})->Iterations(1)->Unit(benchmark::kMillisecond);
