// MIDI clock output: Start and Stop with the host transport (jobs 11 and 13)
// and the continuous timing clock (job 12), 24 F8 bytes per quarter note.
//
// The clock keeps absolute deadlines on the monotonic clock and advances them
// by the interval, so sends that take time never make it drift. It sleeps to
// just before each deadline and spins only for the last fraction of a
// millisecond, so it holds no core while it runs.
//
// A switch-off is read from the editor's own flags at every tick, not only
// from clockRunning: the audio thread lets the next loop run again within a
// block of the switch-off, long before a sleeping loop would have seen the
// brief "stop".

#include <chrono>
#include <cstdlib>
#include <thread>

#include "MIDIMessageSender.h"
#include "ParameterTable.h"
#include "Zelto2X.h"
#include "debugger.h"

namespace {

using consolelog::log;
using MonotonicClock = std::chrono::steady_clock;

constexpr uint8_t kMidiStart = 0xFA;
constexpr uint8_t kMidiStop = 0xFC;
constexpr uint8_t kTimingClock = 0xF8;
constexpr int kClocksPerQuarterNote = 24;
constexpr int64_t kNanosecondsPerMinute = 60'000'000'000LL;
// Sleep wakes up this early; the rest is spun, for sub-millisecond spacing.
constexpr std::chrono::microseconds kSpinWindow {300};
// After a stall of more than this many intervals (a suspended machine) the
// clock starts afresh instead of sending the missed ticks in a burst.
constexpr int kMaxLateIntervals = 4;

struct SteadyClockTime : MIDIMessageSender::ClockTime {
    MonotonicClock::time_point now() override { return MonotonicClock::now(); }
    void sleepUntil(MonotonicClock::time_point wakeUp) override { std::this_thread::sleep_until(wakeUp); }
};

}  // namespace

int64_t MIDIMessageSender::clockIntervalNs(int tempo)
{
    return tempo > 0 ? kNanosecondsPerMinute / (static_cast<int64_t>(tempo) * kClocksPerQuarterNote) : 0;
}

int MIDIMessageSender::clockTempo(double overrideTempo, double hostTempo, double arpTempoIndex,
    const std::vector<std::string>& tempoValues)
{
    if (overrideTempo == 1.0)
        return hostTempo >= 1.0 && hostTempo < 1e6 ? static_cast<int>(hostTempo) : 0;
    const int index = static_cast<int>(arpTempoIndex);
    if (arpTempoIndex < 0.0 || index >= static_cast<int>(tempoValues.size()))
        return 0;
    return std::atoi(tempoValues[index].c_str());
}

void MIDIMessageSender::sendClockByte(uint8_t byte)
{
    plug->SendMidiSysex2(std::vector<unsigned char>(1, byte));
}

void MIDIMessageSender::startMIDIClockOutput()
{
    if (plug->sendClockPointer)
        sendClockByte(kMidiStart);
}

void MIDIMessageSender::stopMIDIClockOutput()
{
    if (plug->sendClockPointer)
        sendClockByte(kMidiStop);
}

bool MIDIMessageSender::clockStillWanted() const
{
    return clockRunning && plug->sendClockInfo && !shuttingDown;
}

void MIDIMessageSender::sendContinuousMIDIClock(int)
{
    if (!plug->sendClockInfo)
        return;
    const int tempo = clockTempo(plug->paramValue(kOverrideTempo), plug->GetTempo(), plug->paramValue(kArpTempo),
        plug->tempoValues);
    clockInterval = clockIntervalNs(tempo);
    if (clockInterval <= 0) {
        log("MIDI clock not started: no usable tempo\n");
        return;
    }
    const std::chrono::nanoseconds interval(clockInterval.load());
    SteadyClockTime steady;
    ClockTime& time = clockTime ? *clockTime : steady;
    log("MIDI clock started! \n");
    sendClockByte(kTimingClock);
    MonotonicClock::time_point lastClock = time.now();

    while (clockStillWanted()) {
        const MonotonicClock::time_point deadline = lastClock + interval;
        time.sleepUntil(deadline - kSpinWindow);
        while (time.now() < deadline && clockStillWanted())
            std::this_thread::yield();
        if (!clockStillWanted())
            break;
        if (!plug->midiOutSet) {
            clockRunning = false;
            break;
        }
        sendClockByte(kTimingClock);
        lastClock += interval;
        if (time.now() - lastClock > kMaxLateIntervals * interval)
            lastClock = time.now();
    }
}
