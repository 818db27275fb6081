// The worker jobs' costs: building job 0's sound dump from the real editor's
// parameters (warm cache), and the real editor's continuous MIDI clock at 120
// BPM for 10 s through its JACK output to a listening client on a private
// `jackd -d dummy` server (48 kHz, 128-frame periods of 2.67 ms). Spacing is
// taken twice: where the clock thread hands each F8 to the port (handoff_*),
// and at the frame where the listener's input port gets it (port_*), which
// JACK hands over only at period starts, so its deviations are bounded by one
// period (period_ms), not by the clock. Counters: *_mean_ms (mean spacing),
// *_p99_dev_ms (99th percentile of |spacing - ideal|), mean_dev_ppm (the hand-off
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
        if (bytes.size() == 1 && bytes[0] == 0xF8) {
            timespec cpu;
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
            std::lock_guard<std::mutex> lock(mutex);
            policy = sched_getscheduler(0);
            ticks.push_back(Clock::now());
            cpuNs.push_back(int64_t(cpu.tv_sec) * 1'000'000'000 + cpu.tv_nsec);
        }
        return Zelto2X::SendMidiSysex2(std::move(bytes));
    }
    std::mutex mutex;
    int policy = -1;
    std::vector<Clock::time_point> ticks;
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

// The mean spacing and the 99th percentile of the deviations from the ideal, in ms.
std::pair<double, double> spacing(const std::vector<double>& timesMs, double idealMs)
{
    std::vector<double> deviations;
    for (size_t i = 1; i < timesMs.size(); ++i)
        deviations.push_back(std::abs(timesMs[i] - timesMs[i - 1] - idealMs));
    std::sort(deviations.begin(), deviations.end());
    return {(timesMs.back() - timesMs.front()) / double(timesMs.size() - 1), deviations[deviations.size() * 99 / 100]};
}

static void BM_MidiClockOnJack(benchmark::State& state)
{
    setenv("ZELTO2X_BUILD_DIR", ZELTO2X_BINARY_DIR, 0);
    testsupport::JackServer server;
    testsupport::JackMidiListener listener;
    std::string error;
    if (!server.Start(&error) || !listener.Start("clock-listener", &error))
        return state.SkipWithError(error.c_str());
    std::freopen("/dev/null", "w", stdout);
    StampingEditor editor;
    editor.getExternalMIDIOutNames();
    int out = 1;
    if (editor.setExternalMIDIOut(out, listener.PortName().c_str()) <= 0)
        return state.SkipWithError("cannot open the listener's input");
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
    const auto [handoffMean, handoffP99] = spacing(handoff, ideal);
    const auto [portMean, portP99] = spacing(port, ideal);
    const double cpuMs = static_cast<double>(editor.cpuNs.back() - editor.cpuNs.front()) / 1e6;
    state.counters.insert({{"sched_fifo", editor.policy == SCHED_FIFO ? 1 : 0}, {"ticks", double(handoff.size())},
        {"handoff_mean_ms", handoffMean}, {"handoff_p99_dev_ms", handoffP99},
        {"mean_dev_ppm", (handoffMean - ideal) / ideal * 1e6}, {"port_mean_ms", portMean},
        {"port_p99_dev_ms", portP99}, {"period_ms", 1000.0 * listener.PeriodFrames() / listener.SampleRate()},
        {"cpu_pct", 100.0 * cpuMs / handoff.back()}});
}
BENCHMARK(BM_MidiClockOnJack)->Arg(10)->Iterations(1)->Unit(benchmark::kMillisecond);
