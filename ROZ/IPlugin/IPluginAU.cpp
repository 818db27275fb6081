// Construction, buses, host queries and notifications, class-info state.
#include "IPluginAU.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>

#include "IGraphics.h"

namespace {

// Plug-ins of this module that are alive; the view entries check it before
// touching a plug-in the host may already have closed.
std::mutex& livePlugsLock()
{
    static std::mutex lock;
    return lock;
}

std::set<const IPluginAU*>& livePlugs()
{
    static std::set<const IPluginAU*> plugs;
    return plugs;
}

constexpr int kDefaultBlockSize = 1024;
constexpr int kMaxStateNameBytes = 63;

}  // namespace

const char* IPluginAU::AUInputTypeStr(int type)
{
    switch (type) {
    case eDirectFastProc: return "DirectFastProc";
    case eDirectNoFastProc: return "DirectNoFastProc";
    case eRenderCallback: return "RenderCallback";
    default: return "NotConnected";
    }
}

IPluginAU::IPluginAU(IPluginInstanceInfo, int nParams, const char* channelIOStr, int nPresets,
                     const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                     int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst,
                     int)
    : IPluginBase(nParams, channelIOStr, nPresets, effectName, productName, mfrName, vendorVersion, uniqueID, mfrID,
                  latency, plugDoesMidi, plugDoesChunks, plugIsInst, kAPIAU)
{
    std::memset(mParamDisplayStr, 0, sizeof mParamDisplayStr);
    std::lock_guard<std::mutex> guard(livePlugsLock());
    livePlugs().insert(this);
}

void IPluginAU::initialize(IPluginInstanceInfo instanceInfo, int nAutomatableParams, int nTotalParams,
                           const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
                           const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency,
                           bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans)
{
    IPluginBase::initialize(nAutomatableParams, nTotalParams, channelIOStr, nPresets, effectName, productName,
                            mfrName, vendorVersion, uniqueID, mfrID, latency, plugDoesMidi, plugDoesChunks,
                            plugIsInst);
    ClearHostCallbacks();
    std::memset(mParamDisplayStr, 0, sizeof mParamDisplayStr);
    mOSXBundleID.Set(instanceInfo.mOSXBundleID.Get());
    mCocoaViewFactoryClassName.Set(instanceInfo.mCocoaViewFactoryClassName.Get());
    MakeBuses(NInChannels(), NOutChannels(), plugScChans);
    AssessInputConnections();
    SetBlockSize(kDefaultBlockSize);
}

IPluginAU::~IPluginAU()
{
    {
        std::lock_guard<std::mutex> guard(livePlugsLock());
        livePlugs().erase(this);
    }
    mRenderNotify.Empty(true);
    mInBuses.Empty(true);
    mOutBuses.Empty(true);
    mInBusConnections.Empty(true);
    mPropertyListeners.Empty(true);
    mParamGroups.Empty(true);
}

bool IPluginAU::IsLivePlug(const IPluginAU* plug)
{
    std::lock_guard<std::mutex> guard(livePlugsLock());
    return plug && livePlugs().count(plug) > 0;
}

void IPluginAU::ClearHostCallbacks()
{
    mHostCallbacks = HostCallbackInfo{};
}

// ---- Buses

void IPluginAU::MakeBuses(int nInputs, int nOutputs, int nSideChain)
{
    auto addInputBus = [this](const char* label, int nChannels, int startIdx) {
        auto* bus = new BusChannels;
        bus->mNPlugChannels = nChannels;
        bus->mPlugChannelStartIdx = startIdx;
        SetInputBusLabel(mInBuses.GetSize(), label);
        mInBuses.Add(bus);
        mInBusConnections.Add(new InputBusConnection);
    };
    if (nSideChain > 0 && nInputs > 0) {
        addInputBus("main input", nInputs - nSideChain, 0);
        addInputBus("aux input", nSideChain, nInputs - nSideChain);
    } else if (nInputs > 0) {
        addInputBus("input", nInputs, 0);
    }

    if (IsInst()) {
        for (int start = 0, busIdx = 0; start < nOutputs; start += 2, ++busIdx) {
            auto* bus = new BusChannels;
            bus->mNPlugChannels = std::min(nOutputs - start, 2);
            bus->mPlugChannelStartIdx = start;
            char label[32];
            std::snprintf(label, sizeof label, "output %i", busIdx + 1);
            SetOutputBusLabel(busIdx, label);
            mOutBuses.Add(bus);
        }
    } else if (nOutputs > 0) {
        auto* bus = new BusChannels;
        bus->mNPlugChannels = nOutputs;
        SetOutputBusLabel(0, "output");
        mOutBuses.Add(bus);
    }
}

IPluginAU::BusChannels* IPluginAU::GetBus(AudioUnitScope scope, AudioUnitElement busIdx)
{
    const int idx = busIdx > 0x7fffffffu ? -1 : static_cast<int>(busIdx);
    if (scope == kAudioUnitScope_Input)
        return mInBuses.Get(idx);
    if (scope == kAudioUnitScope_Output || scope == kAudioUnitScope_Global)
        return mOutBuses.Get(idx);
    return nullptr;
}

IParam* IPluginAU::ParamFromID(AudioUnitParameterID paramID) const
{
    return paramID < static_cast<UInt32>(NParams()) ? GetParam(static_cast<int>(paramID)) : nullptr;
}

int IPluginAU::NHostChannelsConnected(ROZ_PtrList<BusChannels>* buses, int excludeIdx)
{
    bool anyConnected = false;
    int total = 0;
    for (int i = 0; i < buses->GetSize(); ++i) {
        const int n = buses->Get(i)->mNHostChannels;
        if (i != excludeIdx && n >= 0) {
            total += n;
            anyConnected = true;
        }
    }
    return anyConnected ? total : -1;
}

bool IPluginAU::CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels)
{
    if (scope == kAudioUnitScope_Input) {
        const int nIn = std::max(NHostChannelsConnected(&mInBuses, busIdx), 0) + nChannels;
        const int nOut = mActive ? NHostChannelsConnected(&mOutBuses) : -1;
        return LegalIO(nIn, nOut);
    }
    const int nIn = mActive ? NHostChannelsConnected(&mInBuses) : -1;
    const int nOut = std::max(NHostChannelsConnected(&mOutBuses, busIdx), 0) + nChannels;
    return LegalIO(nIn, nOut);
}

void IPluginAU::AssessInputConnections()
{
    IMutexLock lock(this);
    SetInputChannelConnections(0, NInChannels(), false);
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        BusChannels* bus = mInBuses.Get(i);
        InputBusConnection* connection = mInBusConnections.Get(i);
        if (connection->mUpstreamRenderProc && connection->mUpstreamPlug)
            connection->mInputType = eDirectFastProc;
        else if (connection->mUpstreamUnit)
            connection->mInputType = eDirectNoFastProc;
        else if (connection->mUpstreamRenderCallback.inputProc)
            connection->mInputType = eRenderCallback;
        else
            connection->mInputType = eNotConnected;

        bus->mConnected = connection->mInputType != eNotConnected;
        if (!bus->mConnected)
            continue;
        if (bus->mNHostChannels < 0)
            bus->mNHostChannels = bus->mNPlugChannels;
        const int nConnected = std::min(bus->mNHostChannels, bus->mNPlugChannels);
        SetInputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
        SetInputChannelConnections(bus->mPlugChannelStartIdx + nConnected, bus->mNPlugChannels - nConnected, false);
    }
}

namespace {

// Sizes and zeroes a scratch memory for nChannels x nFrames floats; false when
// it cannot hold that many (it then keeps what it had).
bool sizeScratch(ROZ_TypedBuf<float>* scratch, int nChannels, int nFrames)
{
    const long long count = static_cast<long long>(std::max(nChannels, 0)) * nFrames;
    if (count > INT_MAX)
        return false;
    float* memory = scratch->Resize(static_cast<int>(count));
    if (scratch->GetSize() != count)
        return false;
    if (memory)
        std::memset(memory, 0, sizeof(float) * static_cast<size_t>(count));
    return true;
}

}  // namespace

void IPluginAU::SetBlockSize(int blockSize)
{
    const int nFrames = std::max(blockSize, 0);
    // A size the scratch memories cannot hold keeps the previous one, so the
    // render check never lets a block run past them.
    if (!sizeScratch(&mInScratchBuf, NInChannels(), nFrames) || !sizeScratch(&mOutScratchBuf, NOutChannels(), nFrames))
        return;
    IPluginBase::SetBlockSize(blockSize);
}

// ---- Host queries

namespace {

// What each host callback answers.
struct BeatAndTempo {
    Float64 beat = 0.0, tempo = 0.0;
};
struct TransportState {
    Boolean playing = false, changed = false, cycling = false;
    Float64 samplePos = 0.0, cycleStart = 0.0, cycleEnd = 0.0;
};
struct MusicalTimeLocation {
    UInt32 deltaToNextBeat = 0, denominator = 0;
    Float32 numerator = 0.0f;
    Float64 downBeat = 0.0;
};

// Calls one host callback; false when the host gave none.
template <typename Callback, typename... Out>
bool callHost(Callback callback, void* hostUserData, Out*... out)
{
    if (!callback)
        return false;
    callback(hostUserData, out...);
    return true;
}

bool queryBeatAndTempo(const HostCallbackInfo& host, BeatAndTempo* out)
{
    return callHost(host.beatAndTempoProc, host.hostUserData, &out->beat, &out->tempo);
}

bool queryTransportState(const HostCallbackInfo& host, TransportState* out)
{
    return callHost(host.transportStateProc, host.hostUserData, &out->playing, &out->changed, &out->samplePos,
                    &out->cycling, &out->cycleStart, &out->cycleEnd);
}

bool queryMusicalTimeLocation(const HostCallbackInfo& host, MusicalTimeLocation* out)
{
    return callHost(host.musicalTimeLocationProc, host.hostUserData, &out->deltaToNextBeat, &out->numerator,
                    &out->denominator, &out->downBeat);
}

}  // namespace

double IPluginAU::GetTempo()
{
    BeatAndTempo now;
    if (queryBeatAndTempo(mHostCallbacks, &now) && now.tempo > 0.0)
        mTempo.store(now.tempo, std::memory_order_relaxed);
    return mTempo.load(std::memory_order_relaxed);
}

int IPluginAU::GetSamplePos()
{
    TransportState transport;
    if (!queryTransportState(mHostCallbacks, &transport))
        return 0;
    return static_cast<int>(transport.samplePos + 0.5);
}

void IPluginAU::GetTimeSig(int* numerator, int* denominator)
{
    MusicalTimeLocation location;
    if (!queryMusicalTimeLocation(mHostCallbacks, &location))
        return;
    if (numerator)
        *numerator = static_cast<int>(location.numerator);
    if (denominator)
        *denominator = static_cast<int>(location.denominator);
}

void IPluginAU::GetTime(ITimeInfo* timeInfo)
{
    if (!timeInfo)
        return;
    BeatAndTempo now;
    if (queryBeatAndTempo(mHostCallbacks, &now)) {
        if (now.tempo > 0.0)
            timeInfo->mTempo = now.tempo;
        if (now.beat > 0.0)
            timeInfo->mPPQPos = now.beat;
    }
    TransportState transport;
    if (queryTransportState(mHostCallbacks, &transport)) {
        if (transport.samplePos > 0.0)
            timeInfo->mSamplePos = transport.samplePos;
        if (transport.cycleStart > 0.0)
            timeInfo->mCycleStart = transport.cycleStart;
        if (transport.cycleEnd > 0.0)
            timeInfo->mCycleEnd = transport.cycleEnd;
        timeInfo->mTransportIsRunning = transport.playing;
        timeInfo->mTransportLoopEnabled = transport.cycling;
    }
    MusicalTimeLocation location;
    if (queryMusicalTimeLocation(mHostCallbacks, &location)) {
        timeInfo->mNumerator = static_cast<int>(location.numerator);
        timeInfo->mDenominator = static_cast<int>(location.denominator);
        if (location.downBeat > 0.0)
            timeInfo->mLastBar = location.downBeat;
    }
}

EHost IPluginAU::GetHost()
{
    if (mHost == kHostUninit) {
        CFStringRef identifier = CFBundleGetIdentifier(CFBundleGetMainBundle());
        const char* name = CFStringGetCStringPtr(identifier, kCFStringEncodingUTF8);
        SetHost(name ? name : "", 0);
        if (mHost == kHostUninit)
            SetHost("", 0);
    }
    return mHost;
}

void IPluginAU::HostSpecificInit()
{
    GetHost();
    OnHostIdentified();
}

void IPluginAU::ResizeGraphics(int, int)
{
    if (GetGUI())
        OnWindowResize();
}

void IPluginAU::SetLatency(int samples)
{
    IPluginBase::SetLatency(samples);
    // After the change, so a listener that reads the latency sees the new value.
    CallPropertyListeners(kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0);
}

// ---- Notifications to the host

void IPluginAU::CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement)
{
    for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        PropertyListener* listener = mPropertyListeners.Get(i);
        if (listener->mPropID == propID)
            listener->mListenerProc(listener->mProcArgs, mCI, propID, scope, 0);
    }
}

void IPluginAU::SendAUEvent(AudioUnitEventType type, int paramIdx)
{
    AudioUnitEvent event{};
    event.mEventType = type;
    event.mArgument.mParameter.mAudioUnit = mCI;
    event.mArgument.mParameter.mParameterID = static_cast<AudioUnitParameterID>(paramIdx);
    event.mArgument.mParameter.mScope = kAudioUnitScope_Global;
    event.mArgument.mParameter.mElement = 0;
    AUEventListenerNotify(nullptr, nullptr, &event);
}

void IPluginAU::BeginInformHostOfParamChange(int idx)
{
    SendAUEvent(kAudioUnitEvent_BeginParameterChangeGesture, idx);
}

void IPluginAU::InformHostOfParamChange(int idx, double)
{
    SendAUEvent(kAudioUnitEvent_ParameterValueChange, idx);
}

void IPluginAU::EndInformHostOfParamChange(int idx)
{
    SendAUEvent(kAudioUnitEvent_EndParameterChangeGesture, idx);
}

void IPluginAU::InformHostOfProgramChange()
{
    CallPropertyListeners(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Global, 0);
}

// ---- Class-info state

namespace {

void setNumber(CFMutableDictionaryRef dict, const char* key, SInt32 value)
{
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &value);
    CFDictionarySetValue(dict, CFStringMakeConstant(key), number);
    CFRelease(number);
}

bool getNumber(CFDictionaryRef dict, const char* key, SInt32* value)
{
    CFNumberRef number = static_cast<CFNumberRef>(CFDictionaryGetValue(dict, CFStringMakeConstant(key)));
    return CFGetTypeID(number) == CFNumberGetTypeID() && CFNumberGetValue(number, kCFNumberSInt32Type, value);
}

}  // namespace

ComponentResult IPluginAU::GetState(CFPropertyListRef* plist)
{
    ComponentDescription description;
    const OSErr err = GetComponentInfo(GetComponentOfInstance(mCI), &description, nullptr, nullptr, nullptr);
    if (err != noErr)
        return err;

    CFMutableDictionaryRef dict =
        CFDictionaryCreateMutable(nullptr, 0, &kCFTypeDictionaryKeyCallBacks, &kCFTypeDictionaryValueCallBacks);
    setNumber(dict, "version", GetEffectVersion(false));
    setNumber(dict, "type", static_cast<SInt32>(description.componentType));
    setNumber(dict, "subtype", static_cast<SInt32>(description.componentSubType));
    setNumber(dict, "manufacturer", static_cast<SInt32>(description.componentManufacturer));
    CFStringRef name = CFStringCreateWithCString(nullptr, GetPresetName(GetCurrentPresetIdx()), kCFStringEncodingUTF8);
    CFDictionarySetValue(dict, CFSTR("name"), name);
    CFRelease(name);

    ByteChunk chunk;
    if (SerializeState(&chunk)) {
        CFDataRef data = CFDataCreate(nullptr, chunk.GetBytes(), chunk.Size());
        CFDictionarySetValue(dict, CFSTR("data"), data);
        CFRelease(data);
    }
    *plist = dict;
    return noErr;
}

ComponentResult IPluginAU::SetState(CFPropertyListRef plist)
{
    ComponentDescription description;
    const OSErr err = GetComponentInfo(GetComponentOfInstance(mCI), &description, nullptr, nullptr, nullptr);
    if (err != noErr)
        return err;

    CFDictionaryRef dict = static_cast<CFDictionaryRef>(plist);
    if (CFGetTypeID(dict) != CFDictionaryGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
    SInt32 version = 0, type = 0, subtype = 0, manufacturer = 0;
    CFStringRef nameRef = static_cast<CFStringRef>(CFDictionaryGetValue(dict, CFSTR("name")));
    CFDataRef dataRef = static_cast<CFDataRef>(CFDictionaryGetValue(dict, CFSTR("data")));
    if (!getNumber(dict, "version", &version) || !getNumber(dict, "type", &type) ||
        !getNumber(dict, "subtype", &subtype) || !getNumber(dict, "manufacturer", &manufacturer) ||
        CFGetTypeID(nameRef) != CFStringGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;
    if (static_cast<OSType>(type) != description.componentType ||
        static_cast<OSType>(subtype) != description.componentSubType ||
        static_cast<OSType>(manufacturer) != description.componentManufacturer)
        return kAudioUnitErr_InvalidPropertyValue;
    // Checked before anything changes, so a refused state leaves the plug-in as it was.
    if (CFGetTypeID(dataRef) != CFDataGetTypeID())
        return kAudioUnitErr_InvalidPropertyValue;

    char name[kMaxStateNameBytes + 1];
    const char* fullName = CFStringGetCStringPtr(nameRef, kCFStringEncodingUTF8);
    std::snprintf(name, sizeof name, "%s", fullName ? fullName : "");

    ByteChunk chunk;
    if (chunk.PutBytes(CFDataGetBytePtr(dataRef), static_cast<int>(CFDataGetLength(dataRef))) < 0 &&
        CFDataGetLength(dataRef) > 0)
        return kAudioUnitErr_InvalidPropertyValue;

    // A plug-in that checks its state whole is never asked to put an old state
    // back: replaying one could redo what reading it does (resend a sound).
    const int checkedEnd = CheckState(&chunk, 0);
    if (checkedEnd != kStateUnchecked) {
        if (checkedEnd <= 0)
            return kAudioUnitErr_InvalidPropertyValue;
        // The named preset only becomes the current one: the state read next
        // replaces whatever reading the preset would have set.
        for (int i = 0; i < NPresets(); ++i) {
            if (std::strcmp(GetPresetName(i), name) == 0) {
                mCurrentPresetIdx = i;
                break;
            }
        }
        const int readEnd = UnserializeState(&chunk, 0);
        RedrawParamControls();
        return readEnd > 0 ? ComponentResult(noErr) : ComponentResult(kAudioUnitErr_InvalidPropertyValue);
    }

    ByteChunk previous;
    const bool havePrevious = SerializeState(&previous);
    const int previousPreset = GetCurrentPresetIdx();
    RestorePreset(name);
    if (!ReadStateChunk(&chunk)) {
        // The plug-in read part of it; put back what it had.
        if (havePrevious)
            UnserializeState(&previous, 0);
        mCurrentPresetIdx = previousPreset;
        RedrawParamControls();
        return kAudioUnitErr_InvalidPropertyValue;
    }
    RedrawParamControls();
    return noErr;
}

bool IPluginAU::ReadStateChunk(ByteChunk* chunk)
{
    // A state counts only when the plug-in read all of it.
    const int position = UnserializeState(chunk, 0);
    return position > 0 && position == chunk->Size();
}

// ---- Sending to the hardware port (the port layer of the base does the work)

bool IPluginAU::SendMidiVST(IMidiMsg*) { return false; }

bool IPluginAU::SendMidiMsg(IMidiMsg* msg) { return sendMidiMsgToHardware(msg); }

bool IPluginAU::TrySendMidiMsg(IMidiMsg* msg) { return trySendMidiMsgToHardware(msg); }

bool IPluginAU::SendMidiSysex(unsigned char* data, int size) { return sendSysexToHardware(data, size); }

bool IPluginAU::SendPatchSysex(unsigned char* data, int size) { return sendBytesToHardware(data, size); }

bool IPluginAU::SendMidiSysex2(std::vector<unsigned char> bytes)
{
    return sendBytesToHardware(bytes.data(), static_cast<int>(bytes.size()));
}
