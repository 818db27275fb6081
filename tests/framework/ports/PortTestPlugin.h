#pragma once
// A plug-in for the port tests: the base with its senders wired as the Audio
// Unit binding wires them, recording what reaches ProcessMidiMsg and
// ProcessSysEx so a test can wait for it.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

#include "../QuietHostPlugin.h"
#include "platform/CoreMIDIRtMidi.h"

struct ReceivedMidi {
    IMidiMsg msg;
    bool fromHardware;
};

class PortTestPlugin : public QuietHostPlugin {
public:
    PortTestPlugin()
        : QuietHostPlugin(0, "2-2", 0, "Port Test", "Port Test", "Vantorel", 0x10100, 0x50747374, 0x56616E74, 0, true,
              true, true, kAPIAU)
    {
    }
    ~PortTestPlugin() override { DestroyMidiPorts(); }

    // Runs inside ProcessMidiMsg before the message is recorded.
    std::function<void(const IMidiMsg&)> onMidi;
    // Any thread; the client itself is replaced by nothing the tests do.
    bool OutputOpen() const { return midiOut && midiOut->IsPortOpen(); }

    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override
    {
        if (onMidi)
            onMidi(*msg);
        Record([&] { midi_.push_back({*msg, fromHardware}); });
    }
    void ProcessSysEx(ISysEx* m, bool) override { Record([&] { sysex_.emplace_back(m->mData, m->mData + m->mSize); }); }

    bool WaitForMidi(const std::function<bool(const std::vector<ReceivedMidi>&)>& done,
        std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return done(midi_); });
    }
    std::vector<ReceivedMidi> Midi() { return Copy(midi_); }
    std::vector<std::vector<uint8_t>> SysEx() { return Copy(sysex_); }

    unsigned long DroppedInput() const { return midiIn ? midiIn->DroppedMessages() : 0; }
    // Takes the input client's loss reports instead of standard output; call
    // once the input is open.
    void RecordLossReports() { midiIn->SetLossReport(&PortTestPlugin::OnLossReport, this); }
    // Waits until the losses reported so far add up to at least total, and returns that sum.
    unsigned long WaitForReportedLoss(unsigned long total, std::chrono::milliseconds timeout)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, timeout, [&] { return reportedLoss_ >= total; });
        return reportedLoss_;
    }

    // As the Audio Unit binding implements them.
    bool SendMidiMsg(IMidiMsg* msg) override { return sendMidiMsgToHardware(msg); }
    bool SendMidiSysex(unsigned char* data, int size) override { return sendSysexToHardware(data, size); }
    bool SendPatchSysex(unsigned char* data, int size) override { return sendBytesToHardware(data, size); }
    bool SendMidiSysex2(std::vector<unsigned char> b) override { return sendBytesToHardware(b.data(), int(b.size())); }

private:
    template <typename T>
    T Copy(const T& recorded)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return recorded;
    }
    template <typename Change>
    void Record(const Change& change)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        change();
        changed_.notify_all();
    }
    static void OnLossReport(unsigned long lost, void* self)
    {
        auto* plugin = static_cast<PortTestPlugin*>(self);
        plugin->Record([&] { plugin->reportedLoss_ += lost; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ReceivedMidi> midi_;
    std::vector<std::vector<uint8_t>> sysex_;
    unsigned long reportedLoss_ = 0;
};
