// The component entry's selector dispatch, the fast-dispatch parameter
// functions and the render path.
#include <algorithm>
#include <climits>

#include "IGraphics.h"
#include "IPluginAU.h"

namespace {

// Buffer lists are built on the stack; no bus of ours has more channels.
constexpr int kMaxBusChannels = 16;

struct StackBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[kMaxBusChannels];
};

AudioBufferList* asBufferList(StackBufferList* list) { return reinterpret_cast<AudioBufferList*>(list); }

bool canDo(int16_t selector)
{
    return (selector >= kAudioUnitInitializeSelect && selector <= kAudioUnitSetParameterSelect) ||
           (selector >= kAudioUnitResetSelect && selector <= 11) ||
           (selector >= kAudioUnitRenderSelect && selector <= kAudioUnitScheduleParametersSelect);
}

template <typename T>
const T* argsAs(const void* args)
{
    return static_cast<const T*>(args);
}

}  // namespace

ComponentResult IPluginAU::IPluginAUEntry(ComponentParameters* params, void* plug)
{
    if (!params)
        return badComponentSelector;
    const int16_t selector = params->what;
    if (selector == kComponentOpenSelect) {
        const auto* args = argsAs<ComponentOpenCloseParams>(params->params);
        if (!args || !args->self)
            return badComponentInstance;
        IPluginAU* created = MakePlug();
        if (!created)
            return badComponentInstance;
        created->mCI = args->self;
        created->HostSpecificInit();
        created->PruneUninitializedPresets();
        SetComponentInstanceStorage(args->self, created);
        return noErr;
    }
    auto* self = static_cast<IPluginAU*>(plug);
    if (!self)
        return badComponentInstance;
    if (selector == kComponentCloseSelect) {
        self->ClearConnections();
        delete self;
        return noErr;
    }
    IMutexLock lock(self);
    return self->Dispatch(selector, params->params);
}

ComponentResult IPluginAU::Dispatch(int16_t selector, const void* args)
{
    constexpr ComponentResult kNoArgs = kAudioUnitErr_InvalidParameter;
    switch (selector) {
    case kComponentCanDoSelect: {
        const auto* canDoArgs = argsAs<ComponentCanDoParams>(args);
        return canDoArgs && canDo(canDoArgs->selector) ? 1 : 0;
    }
    case kComponentVersionSelect:
        return GetEffectVersion(false);
    case kAudioUnitInitializeSelect:
        return DoInitialize();
    case kAudioUnitUninitializeSelect:
        mActive = false;
        OnActivate(false);
        return noErr;
    case kAudioUnitGetPropertyInfoSelect: {
        const auto* a = argsAs<AUGetPropertyInfoParams>(args);
        return a ? GetProperty(a->inID, a->inScope, a->inElement, a->outDataSize, a->outWritable, nullptr) : kNoArgs;
    }
    case kAudioUnitGetPropertySelect: {
        const auto* a = argsAs<AUGetPropertyParams>(args);
        if (!a || !a->outData || !a->ioDataSize)
            return kNoArgs;
        // Never write past the host's buffer.
        UInt32 needed = 0;
        Boolean writable = false;
        const ComponentResult info = GetProperty(a->inID, a->inScope, a->inElement, &needed, &writable, nullptr);
        const UInt32 minimum = info == noErr ? needed : static_cast<UInt32>(sizeof(void*));
        if (*a->ioDataSize < minimum)
            return kAudioUnitErr_InvalidPropertyValue;
        return GetProperty(a->inID, a->inScope, a->inElement, a->ioDataSize, &writable, a->outData);
    }
    case kAudioUnitSetPropertySelect: {
        const auto* a = argsAs<AUSetPropertyParams>(args);
        return a ? SetProperty(a->inID, a->inScope, a->inElement, a->inDataSize, a->inData) : kNoArgs;
    }
    case kAudioUnitGetParameterSelect: {
        const auto* a = argsAs<AUGetParameterParams>(args);
        return a ? GetParamProc(this, a->inID, a->inScope, a->inElement, a->outValue) : kNoArgs;
    }
    case kAudioUnitSetParameterSelect: {
        const auto* a = argsAs<AUSetParameterParams>(args);
        return a ? SetParamProc(this, a->inID, a->inScope, a->inElement, a->inValue, a->inBufferOffsetInFrames)
                 : kNoArgs;
    }
    case kAudioUnitResetSelect:
        Reset();
        return noErr;
    case kAudioUnitAddPropertyListenerSelect:
        return AddPropertyListener(argsAs<AUPropertyListenerParams>(args));
    case kAudioUnitRemovePropertyListenerSelect:
        return RemovePropertyListener(argsAs<AUPropertyListenerParams>(args), false);
    case kAudioUnitRemovePropertyListenerWithUserDataSelect:
        return RemovePropertyListener(argsAs<AUPropertyListenerParams>(args), true);
    case kAudioUnitRenderSelect: {
        const auto* a = argsAs<AURenderParams>(args);
        return a ? RenderProc(this, a->ioActionFlags, a->inTimeStamp, a->inOutputBusNumber, a->inNumberFrames,
                              a->ioData)
                 : kNoArgs;
    }
    case kAudioUnitAddRenderNotifySelect: {
        const auto* a = argsAs<AURenderNotifyParams>(args);
        if (!a || !a->inProc)  // the render thread would call it
            return kNoArgs;
        mRenderNotify.Add(new RenderNotify{a->inProc, a->inProcUserData});
        return noErr;
    }
    case kAudioUnitRemoveRenderNotifySelect: {
        const auto* a = argsAs<AURenderNotifyParams>(args);
        return a ? RemoveRenderNotify(a->inProc) : kNoArgs;
    }
    case kAudioUnitScheduleParametersSelect:
        return ScheduleParameters(argsAs<AUScheduleParametersParams>(args));
    case kMusicDeviceMIDIEventSelect: {
        const auto* a = argsAs<MusicDeviceMIDIEventParams>(args);
        if (!a)
            return kNoArgs;
        IMidiMsg msg(static_cast<int>(a->inOffsetSampleFrame), static_cast<uint8_t>(a->inStatus),
                     static_cast<uint8_t>(a->inData1), static_cast<uint8_t>(a->inData2));
        ProcessMidiMsg(&msg, false);
        return noErr;
    }
    case kMusicDeviceSysExSelect: {
        const auto* a = argsAs<MusicDeviceSysExParams>(args);
        if (!a || (!a->inData && a->inLength > 0) || a->inLength > static_cast<UInt32>(INT_MAX))
            return kNoArgs;
        ISysEx sysex(0, a->inData, static_cast<int>(a->inLength));
        ProcessSysEx(&sysex, false);
        return noErr;
    }
    case kMusicDevicePrepareInstrumentSelect:
    case kMusicDeviceReleaseInstrumentSelect:
    case kMusicDeviceStopNoteSelect:
        return noErr;
    case kMusicDeviceStartNoteSelect:
        return StartNote(argsAs<MusicDeviceStartNoteParams>(args));
    default:
        return badComponentSelector;
    }
}

ComponentResult IPluginAU::DoInitialize()
{
    const int nIn = NHostChannelsConnected(&mInBuses);
    const int nOut = NHostChannelsConnected(&mOutBuses);
    if ((nIn != 0 || nOut != 0) && !LegalIO(nIn, nOut))
        return badComponentSelector;
    mActive = true;
    OnParamReset();
    OnActivate(true);
    return noErr;
}

ComponentResult IPluginAU::AddPropertyListener(const AUPropertyListenerParams* args)
{
    if (!args || !args->inProc)
        return kAudioUnitErr_InvalidParameter;
    for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        const PropertyListener* listener = mPropertyListeners.Get(i);
        if (listener->mPropID == args->inID && listener->mListenerProc == args->inProc)
            return noErr;
    }
    mPropertyListeners.Add(new PropertyListener{args->inID, args->inProc, args->inProcUserData});
    return noErr;
}

ComponentResult IPluginAU::RemovePropertyListener(const AUPropertyListenerParams* args, bool matchUserData)
{
    if (!args)
        return kAudioUnitErr_InvalidParameter;
    for (int i = 0; i < mPropertyListeners.GetSize(); ++i) {
        const PropertyListener* listener = mPropertyListeners.Get(i);
        if (listener->mPropID == args->inID && listener->mListenerProc == args->inProc &&
            (!matchUserData || listener->mProcArgs == args->inProcUserData)) {
            mPropertyListeners.Delete(i, true);
            break;
        }
    }
    return noErr;
}

ComponentResult IPluginAU::RemoveRenderNotify(AURenderCallback func)
{
    for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
        if (mRenderNotify.Get(i)->mFunc == func) {
            mRenderNotify.Delete(i, true);
            break;
        }
    }
    return noErr;
}

ComponentResult IPluginAU::ScheduleParameters(const AUScheduleParametersParams* args)
{
    if (!args || (!args->inParameterEvent && args->inNumParamEvents > 0))
        return kAudioUnitErr_InvalidParameter;
    for (UInt32 i = 0; i < args->inNumParamEvents; ++i) {
        const AudioUnitParameterEvent& event = args->inParameterEvent[i];
        if (event.eventType != kParameterEvent_Immediate)
            continue;
        const OSStatus status = SetParamProc(this, event.parameter, event.scope, event.element,
                                             event.eventValues.immediate.value,
                                             event.eventValues.immediate.bufferOffset);
        if (status != noErr)
            return status;
    }
    return noErr;
}

ComponentResult IPluginAU::StartNote(const MusicDeviceStartNoteParams* args)
{
    if (args && args->outNoteInstanceID && args->inParams)
        *args->outNoteInstanceID = static_cast<NoteInstanceID>(args->inParams->mPitch);
    return noErr;
}

void IPluginAU::ClearConnections()
{
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        BusChannels* bus = mInBuses.Get(i);
        bus->mConnected = false;
        bus->mNHostChannels = -1;
        *mInBusConnections.Get(i) = InputBusConnection();
    }
    for (int i = 0; i < mOutBuses.GetSize(); ++i) {
        mOutBuses.Get(i)->mConnected = false;
        mOutBuses.Get(i)->mNHostChannels = -1;
    }
}

// ---- Parameters

OSStatus IPluginAU::GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement, AudioUnitParameterValue* value)
{
    if (scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidProperty;
    auto* self = static_cast<IPluginAU*>(plug);
    IMutexLock lock(self);
    IParam* param = self->ParamFromID(paramID);
    if (!param)
        return kAudioUnitErr_InvalidElement;
    if (!value)
        return kAudioUnitErr_InvalidParameter;
    *value = static_cast<AudioUnitParameterValue>(param->Value());
    return noErr;
}

OSStatus IPluginAU::SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement, AudioUnitParameterValue value, UInt32)
{
    if (scope != kAudioUnitScope_Global)
        return kAudioUnitErr_InvalidProperty;
    auto* self = static_cast<IPluginAU*>(plug);
    IMutexLock lock(self);
    IParam* param = self->ParamFromID(paramID);
    if (!param)
        return kAudioUnitErr_InvalidElement;
    const int idx = static_cast<int>(paramID);
    param->SetClamped(value);
    if (IGraphics* graphics = self->GetGUI())
        graphics->SetParameterFromPlug(idx, value, false);
    self->OnParamChange(idx);
    return noErr;
}

// ---- Render

void IPluginAU::CallRenderNotifies(AudioUnitRenderActionFlags flag, const AudioTimeStamp* timeStamp, UInt32 busIdx,
                                   UInt32 nFrames, AudioBufferList* list)
{
    for (int i = 0; i < mRenderNotify.GetSize(); ++i) {
        RenderNotify* notify = mRenderNotify.Get(i);
        AudioUnitRenderActionFlags notifyFlags = flag;
        notify->mFunc(notify->mFuncArgs, &notifyFlags, timeStamp, busIdx, nFrames, list);
    }
}

OSStatus IPluginAU::PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames)
{
    float* scratch = mInScratchBuf.Get();
    const int blockSize = GetBlockSize();
    for (int i = 0; i < mInBuses.GetSize(); ++i) {
        BusChannels* bus = mInBuses.Get(i);
        InputBusConnection* connection = mInBusConnections.Get(i);
        if (connection->mInputType == eNotConnected)
            continue;
        const int nChannels = std::min(std::min(bus->mNHostChannels, bus->mNPlugChannels), kMaxBusChannels);
        StackBufferList list{};
        list.mNumberBuffers = static_cast<UInt32>(std::max(nChannels, 0));
        for (int c = 0; c < nChannels; ++c) {
            list.mBuffers[c].mNumberChannels = 1;
            list.mBuffers[c].mDataByteSize = nFrames * sizeof(float);
            list.mBuffers[c].mData = scratch ? scratch + (bus->mPlugChannelStartIdx + c) * blockSize : nullptr;
        }
        AudioUnitRenderActionFlags pullFlags = 0;
        OSStatus status = noErr;
        switch (connection->mInputType) {
        case eDirectFastProc:
            status = connection->mUpstreamRenderProc(connection->mUpstreamPlug, &pullFlags, timeStamp,
                                                     static_cast<UInt32>(connection->mUpstreamBusIdx), nFrames,
                                                     asBufferList(&list));
            break;
        case eDirectNoFastProc:
            status = AudioUnitRender(connection->mUpstreamUnit, &pullFlags, timeStamp,
                                     static_cast<UInt32>(connection->mUpstreamBusIdx), nFrames, asBufferList(&list));
            break;
        default:
            status = connection->mUpstreamRenderCallback.inputProc(
                connection->mUpstreamRenderCallback.inputProcRefCon, &pullFlags, timeStamp, static_cast<UInt32>(i),
                nFrames, asBufferList(&list));
            break;
        }
        if (status != noErr)
            return status;
        float* channels[kMaxBusChannels];
        const int nPulled = std::min(static_cast<int>(list.mNumberBuffers), nChannels);
        for (int c = 0; c < nPulled; ++c)
            channels[c] = static_cast<float*>(list.mBuffers[c].mData);
        AttachInputBuffers(bus->mPlugChannelStartIdx, nPulled, channels, static_cast<int>(nFrames));
    }
    return noErr;
}

void IPluginAU::AttachOutputBus(int busIdx, AudioBufferList* bufferList)
{
    BusChannels* bus = mOutBuses.Get(busIdx);
    const int nBuffers = static_cast<int>(bufferList->mNumberBuffers);
    const int nConnected = std::min(std::min(nBuffers, bus->mNPlugChannels), kMaxBusChannels);
    if (!bus->mConnected || bus->mNHostChannels != nBuffers) {
        SetOutputChannelConnections(bus->mPlugChannelStartIdx, nConnected, true);
        SetOutputChannelConnections(bus->mPlugChannelStartIdx + nConnected, bus->mNPlugChannels - nConnected, false);
        bus->mConnected = true;
    }
    float* scratch = mOutScratchBuf.Get();
    float* channels[kMaxBusChannels];
    for (int c = 0; c < nConnected; ++c) {
        AudioBuffer& buffer = bufferList->mBuffers[c];
        if (!buffer.mData && scratch)
            buffer.mData = scratch + (bus->mPlugChannelStartIdx + c) * GetBlockSize();
        channels[c] = static_cast<float*>(buffer.mData);
    }
    AttachOutputBuffers(bus->mPlugChannelStartIdx, nConnected, channels);
}

bool IPluginAU::IsLastConnectedOutputBus(int busIdx)
{
    for (int j = busIdx + 1; j < mOutBuses.GetSize(); ++j) {
        if (mOutBuses.Get(j)->mConnected)
            return false;
    }
    return true;
}

OSStatus IPluginAU::RenderProc(void* plug, AudioUnitRenderActionFlags*, const AudioTimeStamp* timeStamp,
                               UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* bufferList)
{
    auto* self = static_cast<IPluginAU*>(plug);
    if (!self || !timeStamp || !(timeStamp->mFlags & kAudioTimeStampSampleTimeValid) || !bufferList ||
        outputBusIdx >= static_cast<UInt32>(self->mOutBuses.GetSize()) ||
        nFrames > static_cast<UInt32>(std::max(self->GetBlockSize(), 0)))
        return kAudioUnitErr_InvalidPropertyValue;

    self->CallRenderNotifies(kAudioUnitRenderAction_PreRender, timeStamp, outputBusIdx, nFrames, bufferList);

    if (timeStamp->mSampleTime != self->mLastRenderSampleTime) {
        const OSStatus status = self->PullInputs(timeStamp, nFrames);
        if (status != noErr)
            return status;
        self->mLastRenderSampleTime = timeStamp->mSampleTime;
    }

    const int busIdx = static_cast<int>(outputBusIdx);
    self->AttachOutputBus(busIdx, bufferList);
    if (self->IsLastConnectedOutputBus(busIdx)) {
        for (int j = busIdx + 1; j < self->mOutBuses.GetSize(); ++j) {
            BusChannels* later = self->mOutBuses.Get(j);
            self->SetOutputChannelConnections(later->mPlugChannelStartIdx, later->mNPlugChannels, false);
        }
        if (self->IsBypassed())
            self->PassThroughBuffers(0.0f, static_cast<int>(nFrames));
        else
            self->ProcessBuffers(0.0f, static_cast<int>(nFrames));
    }

    self->CallRenderNotifies(kAudioUnitRenderAction_PostRender, timeStamp, outputBusIdx, nFrames, bufferList);
    return noErr;
}

// A module that makes no plug-in: opening its component fails cleanly. The
// plug-in module defines the real factory, which takes the place of this one.
__attribute__((weak)) IPluginAU* MakePlug()
{
    return nullptr;
}
