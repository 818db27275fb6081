#include "PluginHost.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "PropertyList.h"

namespace host {

namespace {

struct StereoBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[2];
};

HostStatus fromStatus(OSStatus status, const std::string& what)
{
    return status == noErr ? HostStatus::Ok() : HostStatus::Error(status, what);
}

// The whole content of a regular file; false for a folder, a missing file or a
// read error.
bool readWholeFile(const std::string& path, std::vector<uint8_t>* bytes)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream contents;
    contents << in.rdbuf();
    if (in.bad() || contents.bad())
        return false;
    const std::string text = contents.str();
    bytes->assign(text.begin(), text.end());
    return true;
}

}  // namespace

PluginHost::PluginHost() : PluginHost(Settings()) {}

PluginHost::PluginHost(Settings settings) : mSettings(std::move(settings))
{
    mTempo = mSettings.tempo;
    mTimeSigNumerator = mSettings.timeSigNumerator;
    mTimeSigDenominator = mSettings.timeSigDenominator;
    mOutput[0].assign(static_cast<size_t>(mSettings.blockFrames), 0.0f);
    mOutput[1].assign(static_cast<size_t>(mSettings.blockFrames), 0.0f);
}

PluginHost::~PluginHost()
{
    close();
}

HostStatus PluginHost::loadBundle(const std::string& bundlePath)
{
    if (isOpen())
        return HostStatus::Error(kHostErrNotOpen, "a plug-in is already open");
    Component component = nullptr;
    const OSStatus status = RegisterComponentInBundle(bundlePath.c_str(), mSettings.entryName.c_str(),
                                                      mSettings.description, mSettings.name.c_str(), &component);
    if (status != noErr)
        return HostStatus::Error(status, ComponentLoadError());
    return open(component);
}

HostStatus PluginHost::loadEntry(ComponentRoutine entry)
{
    if (isOpen())
        return HostStatus::Error(kHostErrNotOpen, "a plug-in is already open");
    return open(RegisterComponentEntry(entry, mSettings.description, mSettings.name.c_str()));
}

HostStatus PluginHost::open(Component component)
{
    mComponent = component;
    const ComponentResult result = OpenAComponent(component, &mUnit);
    if (result != noErr) {
        UnregisterComponent(mComponent);
        mComponent = nullptr;
        return HostStatus::Error(result, "the component did not open");
    }
    mUnit->eventSink = &PluginHost::receiveEvent;
    mUnit->eventSinkData = this;
    const HostStatus prepared = prepare();
    if (!prepared.ok())
        close();
    return prepared;
}

HostStatus PluginHost::prepare()
{
    AudioStreamBasicDescription format{};
    format.mSampleRate = mSettings.sampleRate;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked | kAudioFormatFlagIsNonInterleaved;
    format.mBytesPerPacket = 4;
    format.mFramesPerPacket = 1;
    format.mBytesPerFrame = 4;
    format.mChannelsPerFrame = 2;
    format.mBitsPerChannel = 32;
    OSStatus status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0,
                                           &format, sizeof format);
    if (status != noErr)
        return HostStatus::Error(status, "output stream format refused");
    const UInt32 maxFrames = static_cast<UInt32>(mSettings.blockFrames);
    status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                                  &maxFrames, sizeof maxFrames);
    if (status != noErr)
        return HostStatus::Error(status, "maximum frames refused");
    HostCallbackInfo callbacks{this, &PluginHost::beatAndTempo, &PluginHost::musicalTimeLocation,
                               &PluginHost::transportState};
    status = AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 0, &callbacks,
                                  sizeof callbacks);
    if (status != noErr)
        return HostStatus::Error(status, "host callbacks refused");
    UInt32 size = sizeof mRenderProc;
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, kAudioUnitRenderSelect,
                             &mRenderProc, &size) != noErr)
        mRenderProc = nullptr;
    mRenderStorage = GetComponentInstanceStorage(mUnit);
    status = AudioUnitInitialize(mUnit);
    return fromStatus(status, "the plug-in did not initialise");
}

void PluginHost::close()
{
    stopRealtime();
    mViewFactory.reset();
    if (mUnit) {
        AudioUnitUninitialize(mUnit);
        CloseComponent(mUnit);
        mUnit = nullptr;
    }
    if (mComponent) {
        UnregisterComponent(mComponent);
        mComponent = nullptr;
    }
    mRenderProc = nullptr;
    mRenderStorage = nullptr;
}

// ---- Parameters

HostStatus PluginHost::getParameter(int idx, float* value)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    if (idx < 0)
        return HostStatus::Error(kHostErrBadArgument, "bad parameter index");
    return fromStatus(AudioUnitGetParameter(mUnit, static_cast<UInt32>(idx), kAudioUnitScope_Global, 0, value),
                      "parameter not readable");
}

HostStatus PluginHost::setParameter(int idx, float value)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    if (idx < 0)
        return HostStatus::Error(kHostErrBadArgument, "bad parameter index");
    return fromStatus(AudioUnitSetParameter(mUnit, static_cast<UInt32>(idx), kAudioUnitScope_Global, 0, value, 0),
                      "parameter not writable");
}

HostStatus PluginHost::setParameterText(int idx, const std::string& text)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    if (idx < 0)
        return HostStatus::Error(kHostErrBadArgument, "bad parameter index");
    AudioUnitParameterValueFromString request{};
    request.inParamID = static_cast<AudioUnitParameterID>(idx);
    request.inString = CFStringCreateWithCString(nullptr, text.c_str(), kCFStringEncodingUTF8);
    // The plug-in leaves the value alone when no entry has that name.
    request.outValue = std::numeric_limits<AudioUnitParameterValue>::quiet_NaN();
    UInt32 size = sizeof request;
    const OSStatus status = AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueFromString,
                                                 kAudioUnitScope_Global, 0, &request, &size);
    CFRelease(request.inString);
    if (status != noErr)
        return HostStatus::Error(status, "parameter has no such value");
    if (std::isnan(request.outValue))
        return HostStatus::Error(kHostErrBadArgument, "parameter " + std::to_string(idx) + " has no entry " + text);
    return setParameter(idx, request.outValue);
}

// ---- Transport

void PluginHost::setTempo(double bpm) { mTempo = bpm; }

void PluginHost::setPlaying(bool playing)
{
    if (mPlaying.exchange(playing) != playing)
        mTransportChanged = true;
}

void PluginHost::setTimeSignature(int numerator, int denominator)
{
    mTimeSigNumerator = numerator;
    mTimeSigDenominator = denominator;
}

OSStatus PluginHost::beatAndTempo(void* self, Float64* beat, Float64* tempo)
{
    auto* host = static_cast<PluginHost*>(self);
    if (beat)
        *beat = host->mBeat.load();
    if (tempo)
        *tempo = host->mTempo.load();
    return noErr;
}

OSStatus PluginHost::musicalTimeLocation(void* self, UInt32* deltaToNextBeat, Float32* numerator,
                                         UInt32* denominator, Float64* downBeat)
{
    auto* host = static_cast<PluginHost*>(self);
    const int beatsPerBar = std::max(host->mTimeSigNumerator.load(), 1);
    if (deltaToNextBeat)
        *deltaToNextBeat = 0;
    if (numerator)
        *numerator = static_cast<Float32>(host->mTimeSigNumerator.load());
    if (denominator)
        *denominator = static_cast<UInt32>(host->mTimeSigDenominator.load());
    if (downBeat)
        *downBeat = std::floor(host->mBeat.load() / beatsPerBar) * beatsPerBar;
    return noErr;
}

OSStatus PluginHost::transportState(void* self, Boolean* playing, Boolean* changed, Float64* samplePos,
                                    Boolean* cycling, Float64* cycleStart, Float64* cycleEnd)
{
    auto* host = static_cast<PluginHost*>(self);
    if (playing)
        *playing = host->mPlaying.load();
    if (changed)
        *changed = host->mTransportChanged.exchange(false);
    if (samplePos)
        *samplePos = host->mSampleTime.load();
    if (cycling)
        *cycling = false;
    if (cycleStart)
        *cycleStart = 0.0;
    if (cycleEnd)
        *cycleEnd = 0.0;
    return noErr;
}

void PluginHost::receiveEvent(void* self, const AudioUnitEvent* event)
{
    auto* host = static_cast<PluginHost*>(self);
    std::lock_guard<std::mutex> guard(host->mEventLock);
    if (event->mEventType < 4)
        ++host->mEventCounts[event->mEventType];
}

int PluginHost::eventCount(AudioUnitEventType type) const
{
    std::lock_guard<std::mutex> guard(mEventLock);
    return type < 4 ? mEventCounts[type] : 0;
}

// ---- MIDI

HostStatus PluginHost::queueMidi(const std::vector<uint8_t>& bytes, int offset)
{
    if (bytes.empty())
        return HostStatus::Error(kHostErrBadArgument, "no MIDI bytes");
    const bool sysex = bytes[0] == 0xF0;
    if (!sysex && (bytes.size() > 3 || bytes[0] < 0x80))
        return HostStatus::Error(kHostErrBadArgument, "a short message is a status byte and up to two data bytes");
    if (offset < 0)
        return HostStatus::Error(kHostErrBadArgument, "negative sample offset");
    std::lock_guard<std::mutex> guard(mMidiLock);
    mPendingMidi.push_back(PendingMidi{bytes, std::min(offset, mSettings.blockFrames - 1)});
    return HostStatus::Ok();
}

void PluginHost::deliverMidi()
{
    std::vector<PendingMidi> due;
    {
        std::lock_guard<std::mutex> guard(mMidiLock);
        due.swap(mPendingMidi);
    }
    for (const PendingMidi& message : due) {
        if (message.bytes[0] == 0xF0) {
            MusicDeviceSysEx(mUnit, message.bytes.data(), static_cast<UInt32>(message.bytes.size()));
            continue;
        }
        const UInt32 data1 = message.bytes.size() > 1 ? message.bytes[1] : 0;
        const UInt32 data2 = message.bytes.size() > 2 ? message.bytes[2] : 0;
        MusicDeviceMIDIEvent(mUnit, message.bytes[0], data1, data2, static_cast<UInt32>(message.offset));
    }
}

// ---- Rendering

OSStatus PluginHost::renderOneBlock()
{
    deliverMidi();
    const UInt32 frames = static_cast<UInt32>(mSettings.blockFrames);
    StereoBufferList list{};
    list.mNumberBuffers = 2;
    for (int c = 0; c < 2; ++c) {
        list.mBuffers[c].mNumberChannels = 1;
        list.mBuffers[c].mDataByteSize = frames * sizeof(float);
        list.mBuffers[c].mData = mOutput[c].data();
    }
    AudioTimeStamp timeStamp{};
    timeStamp.mSampleTime = mSampleTime.load();
    timeStamp.mFlags = kAudioTimeStampSampleTimeValid;
    AudioUnitRenderActionFlags flags = 0;
    auto* bufferList = reinterpret_cast<AudioBufferList*>(&list);
    const OSStatus status = mRenderProc
                                ? mRenderProc(mRenderStorage, &flags, &timeStamp, 0, frames, bufferList)
                                : AudioUnitRender(mUnit, &flags, &timeStamp, 0, frames, bufferList);
    mSampleTime = mSampleTime.load() + frames;
    if (mPlaying.load())
        mBeat = mBeat.load() + frames / mSettings.sampleRate * std::max(mTempo.load(), 0.0) / 60.0;
    ++mBlocksRendered;
    return status;
}

HostStatus PluginHost::renderBlocks(int n)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    if (n < 0)
        return HostStatus::Error(kHostErrBadArgument, "negative block count");
    for (int i = 0; i < n; ++i) {
        std::lock_guard<std::mutex> guard(mRenderLock);
        const OSStatus status = renderOneBlock();
        if (status != noErr)
            return HostStatus::Error(status, "render failed");
    }
    return HostStatus::Ok();
}

void PluginHost::startRealtime()
{
    if (!isOpen() || mRealtimeThread.joinable())
        return;
    mRealtimeRunning = true;
    mRealtimeThread = std::thread(&PluginHost::realtimeLoop, this);
}

void PluginHost::stopRealtime()
{
    mRealtimeRunning = false;
    if (mRealtimeThread.joinable())
        mRealtimeThread.join();
}

void PluginHost::realtimeLoop()
{
    using Clock = std::chrono::steady_clock;
    const auto blockDuration = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(mSettings.blockFrames / mSettings.sampleRate));
    auto next = Clock::now();
    while (mRealtimeRunning.load()) {
        {
            std::lock_guard<std::mutex> guard(mRenderLock);
            renderOneBlock();
        }
        next += blockDuration;
        const auto now = Clock::now();
        if (now - next > std::chrono::seconds(1))
            next = now;  // fell far behind (debugger, suspended machine): start afresh
        std::this_thread::sleep_until(next);
    }
}

// ---- State

HostStatus PluginHost::saveState(const std::string& path)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    CFPropertyListRef state = nullptr;
    UInt32 size = sizeof state;
    const OSStatus status =
        AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, &size);
    if (status != noErr)
        return HostStatus::Error(status, "the plug-in gave no state");
    const std::string xml = WritePropertyList(state);
    CFRelease(state);
    if (xml.empty())
        return HostStatus::Error(kHostErrNotState, "the state is not a property list");
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << xml;
    out.close();
    if (!out)
        return HostStatus::Error(kHostErrFile, "cannot write " + path);
    return HostStatus::Ok(path);
}

HostStatus PluginHost::loadState(const std::string& path)
{
    if (!isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in open");
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, &bytes))
        return HostStatus::Error(kHostErrFile, "cannot read " + path);
    std::string why;
    CFPropertyListRef state = ReadPropertyList(bytes.data(), bytes.size(), &why);
    if (!state)
        return HostStatus::Error(kHostErrNotState, "not a state file: " + why);
    if (CFGetTypeID(state) != CFDictionaryGetTypeID()) {
        CFRelease(state);
        return HostStatus::Error(kHostErrNotState, "not a state file: no dictionary");
    }
    const OSStatus status =
        AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, 0, &state, sizeof state);
    CFRelease(state);
    return fromStatus(status, "the plug-in refused the state");
}

// ---- Views

void* PluginHost::openCocoaView()
{
    if (!isOpen())
        return nullptr;
    AudioUnitCocoaViewInfo info{};
    UInt32 size = sizeof info;
    if (AudioUnitGetProperty(mUnit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &info, &size) != noErr)
        return nullptr;
    const char* className = CFStringGetCStringPtr(info.mCocoaAUViewClass[0], kCFStringEncodingUTF8);
    auto maker = reinterpret_cast<AUCocoaUIClassMaker>(FindComponentSymbol(mComponent, className));
    CFRelease(info.mCocoaAUViewBundleLocation);
    CFRelease(info.mCocoaAUViewClass[0]);
    if (!maker)
        return nullptr;
    mViewFactory.reset(maker());
    return mViewFactory ? mViewFactory->uiViewForAudioUnit(mUnit, 0.0f, 0.0f) : nullptr;
}

}  // namespace host
