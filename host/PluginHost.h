#pragma once
// A small music host: loads a plug-in bundle's module, opens its Audio Unit,
// gives it a stream format, a block size and the host callbacks (tempo, beat,
// time signature, transport), renders it block by block or at real-time pace,
// delivers host MIDI at sample offsets through the MIDI-event and SysEx
// selectors, and saves and loads its class-info state as ".aupreset" files.
//
// Threads: one control thread (the program's main thread or a test) makes
// every call unless a comment says otherwise; the optional real-time render
// thread belongs to this object.

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/AUCocoaUIBase.h"
#include "platform/AudioUnit.h"

namespace host {

// A result for the script's answer line: code 0 is success.
struct HostStatus {
    OSStatus code = 0;
    std::string text;
    bool ok() const { return code == 0; }
    static HostStatus Ok(std::string t = std::string()) { return HostStatus{0, std::move(t)}; }
    static HostStatus Error(OSStatus c, std::string t) { return HostStatus{c, std::move(t)}; }
};

// Host-side codes for failures that never reach the plug-in.
enum : OSStatus {
    kHostErrNotOpen = -1,
    kHostErrNoDisplay = -2,  // window mode without a display to show the window on
    kHostErrBadArgument = -50,
    kHostErrFile = -43,
    kHostErrNotState = -10851,
};

class PluginHost {
public:
    struct Settings {
        double sampleRate = 44100.0;
        int blockFrames = 512;
        double tempo = 120.0;  // 0 makes the host report no tempo
        int timeSigNumerator = 4;
        int timeSigDenominator = 4;
        std::string entryName = "Zelto2X_Entry";
        ComponentDescription description{kAudioUnitType_MusicDevice, FourCC("kz6m"), FourCC("Vnt1"), 0, 0};
        std::string name = "Zelto2X Editor";
    };

    PluginHost();
    explicit PluginHost(Settings settings);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Finds the entry in the bundle's module and opens the component;
    // then sets the formats, block size and callbacks and initialises it.
    HostStatus loadBundle(const std::string& bundlePath);
    // The same with an entry linked into this program (tests).
    HostStatus loadEntry(ComponentRoutine entry);
    // Stops rendering, uninitialises and closes the component.
    void close();
    bool isOpen() const { return mUnit != nullptr; }
    AudioUnit unit() const { return mUnit; }
    const Settings& settings() const { return mSettings; }

    // ---- Parameters (through the component entry)
    HostStatus getParameter(int idx, float* value);
    HostStatus setParameter(int idx, float value);
    // Sets parameter idx to the value the plug-in gives for text (for a menu
    // parameter the entry whose name is text), as a host's generic editor does.
    HostStatus setParameterText(int idx, const std::string& text);

    // ---- Transport, read by the plug-in through the host callbacks. Any thread.
    void setTempo(double bpm);
    void setPlaying(bool playing);
    void setTimeSignature(int numerator, int denominator);
    double beatPosition() const { return mBeat.load(); }
    double samplePosition() const { return mSampleTime.load(); }

    // ---- MIDI: a short message (1 to 3 bytes) or a SysEx (starts with
    // 0xF0), delivered before the next rendered block at offset (short
    // messages only; clamped into the block). Any thread.
    HostStatus queueMidi(const std::vector<uint8_t>& bytes, int offset = 0);

    // ---- Rendering
    // n blocks now, on the calling thread.
    HostStatus renderBlocks(int n);
    // Real-time pace on a thread of this object, until stopRealtime().
    void startRealtime();
    void stopRealtime();
    bool isRealtime() const { return mRealtimeThread.joinable(); }
    uint64_t blocksRendered() const { return mBlocksRendered.load(); }
    // Frame count of the last block's first output channel, for checks.
    const std::vector<float>& outputChannel(int channel) const { return mOutput[channel & 1]; }

    // ---- State
    HostStatus saveState(const std::string& path);
    HostStatus loadState(const std::string& path);

    // ---- Views: asks the plug-in for its Cocoa view factory and a view
    // (null when it offers none). The factory lives until close(). Main thread.
    void* openCocoaView();

    // Parameter events the plug-in sent to the host (begin, change, end). Any thread.
    int eventCount(AudioUnitEventType type) const;

private:
    struct PendingMidi {
        std::vector<uint8_t> bytes;
        int offset;
    };

    HostStatus open(Component component);
    HostStatus prepare();
    OSStatus renderOneBlock();
    void deliverMidi();
    void realtimeLoop();

    static OSStatus beatAndTempo(void* self, Float64* beat, Float64* tempo);
    static OSStatus musicalTimeLocation(void* self, UInt32* deltaToNextBeat, Float32* numerator,
                                        UInt32* denominator, Float64* downBeat);
    static OSStatus transportState(void* self, Boolean* playing, Boolean* changed, Float64* samplePos,
                                   Boolean* cycling, Float64* cycleStart, Float64* cycleEnd);
    static void receiveEvent(void* self, const AudioUnitEvent* event);

    Settings mSettings;
    Component mComponent = nullptr;
    AudioUnit mUnit = nullptr;
    AudioUnitRenderProc mRenderProc = nullptr;
    void* mRenderStorage = nullptr;
    std::unique_ptr<AUCocoaUIBase> mViewFactory;

    std::atomic<double> mTempo{120.0};
    std::atomic<bool> mPlaying{false};
    std::atomic<bool> mTransportChanged{false};
    std::atomic<int> mTimeSigNumerator{4};
    std::atomic<int> mTimeSigDenominator{4};
    std::atomic<double> mSampleTime{0.0};
    std::atomic<double> mBeat{0.0};

    std::mutex mMidiLock;
    std::vector<PendingMidi> mPendingMidi;

    std::mutex mRenderLock;  // one block at a time, from either thread
    std::vector<float> mOutput[2];
    std::atomic<uint64_t> mBlocksRendered{0};
    std::atomic<bool> mRealtimeRunning{false};
    std::thread mRealtimeThread;

    mutable std::mutex mEventLock;
    int mEventCounts[4] = {0, 0, 0, 0};
};

}  // namespace host
