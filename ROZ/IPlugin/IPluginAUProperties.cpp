// Properties of the Audio Unit binding: reading (GetPropertyInfo and
// GetProperty share one routine) and writing. Both run under the plug-in
// mutex, taken by the component entry.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "IPluginAU.h"
#include "dfx/CFAUPreset.h"
#include "platform/Gestalt.h"

namespace {

constexpr UInt32 kSizeOfPointer = sizeof(void*);
constexpr int kMaxIDNameBytes = 54;
// Hosts find Cocoa views from this system version on.
constexpr int32_t kFirstCocoaViewSystemVersion = 0x1050;

int32_t systemVersion()
{
    int32_t version = 0;
    return Gestalt(gestaltSystemVersion, &version) == noErr ? version : 0;
}

bool isGlobal(AudioUnitScope scope) { return scope == kAudioUnitScope_Global; }
bool isGlobalOrInput(AudioUnitScope scope) { return isGlobal(scope) || scope == kAudioUnitScope_Input; }

CFStringRef newString(const char* text) { return CFStringCreateWithCString(nullptr, text ? text : "", kCFStringEncodingUTF8); }

// Records an answer's size and writability; the value is written by the caller
// only when data is given.
ComponentResult answer(UInt32* dataSize, Boolean* writeable, UInt32 size, bool canWrite = false)
{
    *dataSize = size;
    *writeable = canWrite;
    return noErr;
}

// The same for a plain value, written when data is given.
template <typename T>
ComponentResult answerValue(UInt32* dataSize, Boolean* writeable, void* data, T value, bool canWrite = false)
{
    answer(dataSize, writeable, sizeof(T), canWrite);
    if (data)
        *static_cast<T*>(data) = value;
    return noErr;
}

// Properties that exist in the global scope only.
bool isGlobalOnly(AudioUnitPropertyID propID)
{
    switch (propID) {
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
    case kAudioUnitProperty_SupportedNumChannels:
    case kAudioUnitProperty_MaximumFramesPerSlice:
    case kAudioUnitProperty_BypassEffect:
    case kAudioUnitProperty_LastRenderError:
    case kAudioUnitProperty_HostCallbacks:
    case kAudioUnitProperty_ParameterInfo:
    case kAudioUnitProperty_ParameterValueStrings:
    case kMusicDeviceProperty_InstrumentCount:
        return true;
    default:
        return false;
    }
}

// The value size a writable property needs; 0 for the ones that cannot be set.
UInt32 setValueSize(AudioUnitPropertyID propID)
{
    switch (propID) {
    case kAudioUnitProperty_ClassInfo: return kSizeOfPointer;
    case kAudioUnitProperty_MakeConnection: return sizeof(AudioUnitConnection);
    case kAudioUnitProperty_SampleRate: return sizeof(Float64);
    case kAudioUnitProperty_StreamFormat: return sizeof(AudioStreamBasicDescription);
    case kAudioUnitProperty_MaximumFramesPerSlice: return sizeof(UInt32);
    case kAudioUnitProperty_BypassEffect: return sizeof(UInt32);
    case kAudioUnitProperty_SetRenderCallback: return sizeof(AURenderCallbackStruct);
    case kAudioUnitProperty_HostCallbacks: return sizeof(HostCallbackInfo);
    case kAudioUnitProperty_CurrentPreset: return sizeof(AUPreset);
    case kAudioUnitProperty_PresentPreset: return sizeof(AUPreset);
    case kAudioUnitProperty_OfflineRender: return sizeof(UInt32);
    case kAudioUnitProperty_AUHostIdentifier: return sizeof(AUHostIdentifier);
    default: return 0;
    }
}

AudioChannelLayoutTag layoutTagFor(int nChannels)
{
    if (nChannels == 1)
        return kAudioChannelLayoutTag_Mono;
    if (nChannels == 2)
        return kAudioChannelLayoutTag_Stereo;
    return kAudioChannelLayoutTag_Unknown;
}

}  // namespace

ComponentResult IPluginAU::GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32* dataSize, Boolean* writeable, void* data)
{
    UInt32 sizeIgnored = 0;
    Boolean writeIgnored = false;
    if (!dataSize)
        dataSize = &sizeIgnored;
    if (!writeable)
        writeable = &writeIgnored;
    *writeable = false;
    if (isGlobalOnly(propID) && !isGlobal(scope))
        return kAudioUnitErr_InvalidProperty;

    bool handled = false;
    ComponentResult result = GetGlobalProperty(propID, scope, element, dataSize, writeable, data, &handled);
    if (!handled)
        result = GetParameterProperty(propID, scope, element, dataSize, data, &handled);
    if (!handled)
        result = GetBusProperty(propID, scope, element, dataSize, writeable, data, &handled);
    return handled ? result : kAudioUnitErr_InvalidProperty;
}

ComponentResult IPluginAU::GetGlobalProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                             AudioUnitElement element, UInt32* dataSize, Boolean* writeable,
                                             void* data, bool* handled)
{
    *handled = true;
    switch (propID) {
    case kAudioUnitProperty_ClassInfo:
        answer(dataSize, writeable, kSizeOfPointer, true);
        return data ? GetState(static_cast<CFPropertyListRef*>(data)) : noErr;
    case kAudioUnitProperty_SampleRate:
        return answerValue<Float64>(dataSize, writeable, data, GetSampleRate(), true);
    case kAudioUnitProperty_FastDispatch: {
        void* proc = nullptr;
        if (element == kAudioUnitRenderSelect)
            proc = reinterpret_cast<void*>(&RenderProc);
        else if (element == kAudioUnitSetParameterSelect)
            proc = reinterpret_cast<void*>(&SetParamProc);
        else if (element == kAudioUnitGetParameterSelect)
            proc = reinterpret_cast<void*>(&GetParamProc);
        else
            return kAudioUnitErr_InvalidElement;
        return answerValue(dataSize, writeable, data, proc);
    }
    case kAudioUnitProperty_Latency:
    case kAudioUnitProperty_TailTime:
        return answerValue<Float64>(dataSize, writeable, data, GetLatency() / GetSampleRate());
    case kAudioUnitProperty_SupportedNumChannels: {
        answer(dataSize, writeable, static_cast<UInt32>(sizeof(AUChannelInfo) * NChannelIO()));
        auto* info = static_cast<AUChannelInfo*>(data);
        for (int i = 0; data && i < NChannelIO(); ++i) {
            int nIn = 0, nOut = 0;
            GetChannelIO(i, &nIn, &nOut);
            info[i].inChannels = static_cast<SInt16>(nIn);
            info[i].outChannels = static_cast<SInt16>(nOut);
        }
        return noErr;
    }
    case kAudioUnitProperty_MaximumFramesPerSlice:
        return answerValue(dataSize, writeable, data, static_cast<UInt32>(GetBlockSize()), true);
    case kAudioUnitProperty_GetUIComponentList:
        if (!GetGUI())
            return kAudioUnitErr_InvalidProperty;
        return answerValue(dataSize, writeable, data,
                           ComponentDescription{kAudioUnitCarbonViewComponentType, static_cast<OSType>(GetUniqueID()),
                                                static_cast<OSType>(GetMfrID()), 0, 0});
    case kAudioUnitProperty_AudioChannelLayout:
        return kAudioUnitErr_InvalidPropertyValue;
    case kAudioUnitProperty_BypassEffect:
        return answerValue<UInt32>(dataSize, writeable, data, IsBypassed() ? 1 : 0, true);
    case kAudioUnitProperty_LastRenderError:
        return answerValue<OSStatus>(dataSize, writeable, data, noErr);
    case kAudioUnitProperty_FactoryPresets: {
        answer(dataSize, writeable, kSizeOfPointer);
        if (!data)
            return noErr;
        CFArrayRef presets = MakeFactoryPresetArray();
        if (!presets)
            return coreFoundationUnknownErr;
        *static_cast<CFArrayRef*>(data) = presets;
        return noErr;
    }
    case kAudioUnitProperty_HostCallbacks:
        return answer(dataSize, writeable, sizeof(HostCallbackInfo), true);
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        answer(dataSize, writeable, sizeof(AUPreset), true);
        if (data) {
            auto* preset = static_cast<AUPreset*>(data);
            preset->presetNumber = GetCurrentPresetIdx();
            preset->presetName = newString(GetPresetName(GetCurrentPresetIdx()));
        }
        return noErr;
    case kAudioUnitProperty_CocoaUI:
        if (!GetGUI() || systemVersion() < kFirstCocoaViewSystemVersion)
            return kAudioUnitErr_InvalidProperty;
        answer(dataSize, writeable, sizeof(AudioUnitCocoaViewInfo));
        return data ? GetCocoaViewInfo(static_cast<AudioUnitCocoaViewInfo*>(data)) : noErr;
    case kMusicDeviceProperty_InstrumentCount:
        if (!IsInst())
            return kAudioUnitErr_InvalidProperty;
        return answerValue<UInt32>(dataSize, writeable, data, 1);
    default:
        *handled = false;
        return kAudioUnitErr_InvalidProperty;
    }
}

ComponentResult IPluginAU::GetParameterProperty(AudioUnitPropertyID propID, AudioUnitScope scope,
                                                AudioUnitElement element, UInt32* dataSize, void* data,
                                                bool* handled)
{
    *handled = true;
    const UInt32 nAutomatable = static_cast<UInt32>(std::max(NAutomatableParams(), 0));
    switch (propID) {
    case kAudioUnitProperty_ParameterList:
        *dataSize = isGlobal(scope) ? nAutomatable * sizeof(AudioUnitParameterID) : 0;
        for (UInt32 i = 0; data && isGlobal(scope) && i < nAutomatable; ++i)
            static_cast<AudioUnitParameterID*>(data)[i] = i;
        return noErr;
    case kAudioUnitProperty_ParameterInfo:
        if (element >= nAutomatable)
            return kAudioUnitErr_InvalidElement;
        *dataSize = sizeof(AudioUnitParameterInfo);
        return data ? GetParamInfo(element, static_cast<AudioUnitParameterInfo*>(data)) : noErr;
    case kAudioUnitProperty_ParameterValueStrings: {
        if (element >= nAutomatable)
            return kAudioUnitErr_InvalidElement;
        IParam* param = GetParam(static_cast<int>(element));
        const int nTexts = param->GetNDisplayTexts();
        if (nTexts == 0) {
            *dataSize = 0;
            return kAudioUnitErr_InvalidProperty;
        }
        *dataSize = kSizeOfPointer;
        if (data) {
            CFMutableArrayRef texts = CFArrayCreateMutable(nullptr, nTexts, &kCFTypeArrayCallBacks);
            for (int i = 0; i < nTexts; ++i) {
                CFStringRef text = newString(param->GetDisplayTextAtIdx(i).c_str());
                CFArrayAppendValue(texts, text);
                CFRelease(text);
            }
            *static_cast<CFArrayRef*>(data) = texts;
        }
        return noErr;
    }
    case kAudioUnitProperty_ParameterStringFromValue:
        *dataSize = sizeof(AudioUnitParameterStringFromValue);
        return isGlobal(scope) && data ? GetStringFromValue(static_cast<AudioUnitParameterStringFromValue*>(data))
                                       : noErr;
    case kAudioUnitProperty_ParameterIDName:
        *dataSize = sizeof(AudioUnitParameterIDName);
        return isGlobal(scope) && data ? GetParamIDName(static_cast<AudioUnitParameterIDName*>(data)) : noErr;
    case kAudioUnitProperty_ParameterClumpName:
        *dataSize = sizeof(AudioUnitParameterNameInfo);
        return isGlobal(scope) && data ? GetClumpName(static_cast<AudioUnitParameterNameInfo*>(data)) : noErr;
    case kAudioUnitProperty_ParameterValueFromString:
        *dataSize = sizeof(AudioUnitParameterValueFromString);
        return isGlobal(scope) && data ? GetValueFromString(static_cast<AudioUnitParameterValueFromString*>(data))
                                       : noErr;
    default:
        *handled = false;
        return kAudioUnitErr_InvalidProperty;
    }
}

ComponentResult IPluginAU::GetBusProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                          UInt32* dataSize, Boolean* writeable, void* data, bool* handled)
{
    *handled = true;
    switch (propID) {
    case kAudioUnitProperty_MakeConnection:
        if (!isGlobalOrInput(scope))
            return kAudioUnitErr_InvalidProperty;
        return answer(dataSize, writeable, sizeof(AudioUnitConnection), true);
    case kAudioUnitProperty_StreamFormat: {
        BusChannels* bus = GetBus(scope, element);
        if (!bus)
            return kAudioUnitErr_InvalidProperty;
        answer(dataSize, writeable, sizeof(AudioStreamBasicDescription), true);
        if (data)
            FillStreamFormat(bus, static_cast<AudioStreamBasicDescription*>(data));
        return noErr;
    }
    case kAudioUnitProperty_ElementCount: {
        UInt32 count = 0;
        if (isGlobal(scope))
            count = 1;
        else if (scope == kAudioUnitScope_Input)
            count = static_cast<UInt32>(NInputBuses());
        else if (scope == kAudioUnitScope_Output)
            count = static_cast<UInt32>(NOutputBuses());
        return answerValue(dataSize, writeable, data, count);
    }
    case kAudioUnitProperty_SetRenderCallback:
        if (!isGlobalOrInput(scope))
            return kAudioUnitErr_InvalidProperty;
        if (element >= static_cast<UInt32>(NInputBuses()))
            return kAudioUnitErr_InvalidProperty;
        return answer(dataSize, writeable, sizeof(AURenderCallbackStruct), true);
    case kAudioUnitProperty_ElementName:
        if (!data)
            return kAudioUnitErr_InvalidProperty;
        answer(dataSize, writeable, kSizeOfPointer);
        return GetElementName(scope, element, data);
    case kAudioUnitProperty_SupportedChannelLayoutTags: {
        if (!IsInst() || NOutputBuses() == 1)
            return kAudioUnitErr_InvalidProperty;
        if (!data) {
            const bool offered = scope == kAudioUnitScope_Output ||
                                 (scope == kAudioUnitScope_Input && NInputBuses() > 0);
            return offered ? answer(dataSize, writeable, sizeof(AudioChannelLayoutTag), true)
                           : kAudioUnitErr_InvalidProperty;
        }
        BusChannels* bus = mOutBuses.Get(element < 0x7fffffffu ? static_cast<int>(element) : -1);
        if (!bus)
            return kAudioUnitErr_InvalidElement;
        answer(dataSize, writeable, sizeof(AudioChannelLayoutTag));
        *static_cast<AudioChannelLayoutTag*>(data) = layoutTagFor(bus->mNPlugChannels);
        return noErr;
    }
    default:
        *handled = false;
        return kAudioUnitErr_InvalidProperty;
    }
}

// ---- Property values

void IPluginAU::FillStreamFormat(const BusChannels* bus, AudioStreamBasicDescription* format) const
{
    *format = MakeDefaultASBD(GetSampleRate(), bus->mNHostChannels >= 0 ? bus->mNHostChannels : bus->mNPlugChannels,
                              false);
}

AudioStreamBasicDescription MakeDefaultASBD(double sampleRate, int nChannels, bool interleaved)
{
    const UInt32 sampleBytes = sizeof(Float32);
    const UInt32 channels = static_cast<UInt32>(std::max(nChannels, 0));
    AudioStreamBasicDescription format{};
    format.mSampleRate = sampleRate;
    format.mFormatID = kAudioFormatLinearPCM;
    format.mFormatFlags = kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked;
    if (!interleaved)
        format.mFormatFlags |= kAudioFormatFlagIsNonInterleaved;
    format.mBytesPerFrame = interleaved ? sampleBytes * channels : sampleBytes;
    format.mBytesPerPacket = format.mBytesPerFrame;
    format.mFramesPerPacket = 1;
    format.mChannelsPerFrame = channels;
    format.mBitsPerChannel = 8 * sampleBytes;
    return format;
}

int IPluginAU::GetParamGroupClumpID(const char* groupName)
{
    for (int i = mParamGroups.GetSize() - 1; i >= 0; --i) {
        if (std::strcmp(mParamGroups.Get(i)->Get(), groupName) == 0)
            return i + 1;
    }
    mParamGroups.Add(new ROZ_String(groupName));
    return mParamGroups.GetSize();
}

ComponentResult IPluginAU::GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* info)
{
    IParam* param = GetParam(static_cast<int>(element));
    *info = AudioUnitParameterInfo{};
    const char* name = param->GetNameForHost();
    // Cut to the record's fixed field.
    const size_t nameBytes = std::min(std::strlen(name), sizeof info->name - 1);
    std::memcpy(info->name, name, nameBytes);
    info->name[nameBytes] = '\0';
    info->cfNameString = newString(name);
    info->flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_HasCFNameString |
                  kAudioUnitParameterFlag_CFNameRelease | kAudioUnitParameterFlag_IsWritable;
    switch (param->Type()) {
    case IParam::kTypeInt:
    case IParam::kTypeEnum:
        info->unit = kAudioUnitParameterUnit_Indexed;
        break;
    case IParam::kTypeBool:
        info->unit = kAudioUnitParameterUnit_Boolean;
        break;
    default: {
        const char* label = param->GetLabelForHost();
        if (label && *label) {
            info->unit = kAudioUnitParameterUnit_CustomUnit;
            info->unitName = newString(label);
        } else {
            info->unit = kAudioUnitParameterUnit_Generic;
        }
        break;
    }
    }
    double minValue = 0.0, maxValue = 0.0;
    param->GetBounds(&minValue, &maxValue);
    info->minValue = static_cast<AudioUnitParameterValue>(minValue);
    info->maxValue = static_cast<AudioUnitParameterValue>(maxValue);
    info->defaultValue = static_cast<AudioUnitParameterValue>(param->Value());
    const char* group = param->GetParamGroupForHost();
    if (group && *group) {
        info->clumpID = static_cast<UInt32>(GetParamGroupClumpID(group));
        info->flags |= kAudioUnitParameterFlag_HasClump;
    }
    return noErr;
}

ComponentResult IPluginAU::GetElementName(AudioUnitScope scope, AudioUnitElement element, void* data)
{
    const int idx = element < 0x7fffffffu ? static_cast<int>(element) : -1;
    const char* label = nullptr;
    if (scope == kAudioUnitScope_Output) {
        if (idx < 0 || idx >= NOutputBuses())
            return kAudioUnitErr_InvalidElement;
        label = GetOutputBusLabel(idx);
    } else if (scope == kAudioUnitScope_Input) {
        if (idx < 0 || idx > 1 || idx >= NInputBuses())
            return kAudioUnitErr_InvalidElement;
        label = GetInputBusLabel(idx);
    } else {
        return kAudioUnitErr_InvalidScope;
    }
    *static_cast<CFStringRef*>(data) = newString(label);
    return noErr;
}

ComponentResult IPluginAU::GetStringFromValue(AudioUnitParameterStringFromValue* request)
{
    IParam* param = ParamFromID(request->inParamID);
    if (!param)
        return kAudioUnitErr_InvalidElement;
    const double value = request->inValue ? *request->inValue : param->Value();
    param->GetDisplayForHost(value, false, mParamDisplayStr, true, sizeof mParamDisplayStr);
    request->outString = newString(mParamDisplayStr);
    return noErr;
}

ComponentResult IPluginAU::GetParamIDName(AudioUnitParameterIDName* request)
{
    IParam* param = ParamFromID(request->inID);
    if (!param)
        return kAudioUnitErr_InvalidElement;
    char name[kMaxIDNameBytes + 1];
    const char* fullName = param->GetNameForHost();
    if (request->inDesiredLength == kAudioUnitParameterName_Full) {
        request->outName = newString(fullName);
        return noErr;
    }
    const int length = std::max(0, std::min(static_cast<int>(request->inDesiredLength), kMaxIDNameBytes));
    std::snprintf(name, static_cast<size_t>(length) + 1, "%s", fullName);
    request->outName = newString(name);
    return noErr;
}

ComponentResult IPluginAU::GetClumpName(AudioUnitParameterNameInfo* request)
{
    if (static_cast<SInt32>(request->inID) < 1)
        return kAudioUnitErr_InvalidPropertyValue;
    ROZ_String* group = mParamGroups.Get(static_cast<int>(request->inID) - 1);
    request->outName = group ? newString(group->Get()) : nullptr;
    return noErr;
}

ComponentResult IPluginAU::GetValueFromString(AudioUnitParameterValueFromString* request)
{
    IParam* param = ParamFromID(request->inParamID);
    if (!param)
        return kAudioUnitErr_InvalidElement;
    const char* text = CFStringGetCStringPtr(request->inString, kCFStringEncodingUTF8);
    if (!text)
        text = "";
    if (param->GetNDisplayTexts() > 0) {
        int value = 0;
        if (param->MapDisplayText(text, &value))
            request->outValue = static_cast<AudioUnitParameterValue>(value);
        return noErr;
    }
    double value = std::atof(text);
    if (param->GetNegateDisplay())
        value = -value;
    request->outValue = static_cast<AudioUnitParameterValue>(value);
    return noErr;
}

ComponentResult IPluginAU::GetCocoaViewInfo(AudioUnitCocoaViewInfo* info)
{
    CFStringRef identifier = newString(mOSXBundleID.Get());
    CFBundleRef bundle = CFBundleGetBundleWithIdentifier(identifier);
    CFRelease(identifier);
    CFURLRef url = CFBundleCopyBundleURL(bundle);
    if (!url)
        return kAudioUnitErr_InvalidProperty;
    info->mCocoaAUViewBundleLocation = url;
    info->mCocoaAUViewClass[0] = newString(mCocoaViewFactoryClassName.Get());
    return noErr;
}

CFArrayRef IPluginAU::MakeFactoryPresetArray()
{
    CFMutableArrayRef presets = CFArrayCreateMutable(nullptr, NPresets(), &kCFAUPresetArrayCallBacks);
    if (!presets)
        return nullptr;
    for (int i = 0; i < NPresets(); ++i) {
        CFStringRef name = newString(GetPresetName(i));
        CFAUPresetRef preset = CFAUPresetCreate(nullptr, i, name);
        CFRelease(name);
        if (preset) {
            CFArrayAppendValue(presets, preset);
            CFAUPresetRelease(preset);
        }
    }
    return presets;
}

// ---- Writing

ComponentResult IPluginAU::SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                       UInt32 dataSize, const void* data)
{
    const ComponentResult result = ApplyProperty(propID, scope, element, dataSize, data);
    // After the change, so a listener that reads the property sees the new value.
    CallPropertyListeners(propID, scope, element);
    return result;
}

ComponentResult IPluginAU::ApplyProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                         UInt32 dataSize, const void* data)
{
    if (propID == kAudioUnitProperty_HostCallbacks && !isGlobal(scope))
        return kAudioUnitErr_InvalidProperty;
    const UInt32 minimumSize = setValueSize(propID);
    if (minimumSize > 0 && (!data || dataSize < minimumSize))
        return kAudioUnitErr_InvalidPropertyValue;
    switch (propID) {
    case kAudioUnitProperty_ClassInfo:
        return SetState(*static_cast<const CFPropertyListRef*>(data));
    case kAudioUnitProperty_MakeConnection:
        return MakeConnection(scope, static_cast<const AudioUnitConnection*>(data));
    case kAudioUnitProperty_SampleRate:
        SetSampleRate(*static_cast<const Float64*>(data));
        Reset();
        return noErr;
    case kAudioUnitProperty_StreamFormat:
        return SetStreamFormat(scope, element, static_cast<const AudioStreamBasicDescription*>(data));
    case kAudioUnitProperty_MaximumFramesPerSlice: {
        const int maxFrames = static_cast<int>(std::min<UInt32>(*static_cast<const UInt32*>(data), 0x7fffffffu));
        SetBlockSize(maxFrames);
        Reset();
        // A size the scratch memories could not take was not applied.
        return GetBlockSize() == maxFrames ? ComponentResult(noErr) : ComponentResult(kAudioUnitErr_InvalidPropertyValue);
    }
    case kAudioUnitProperty_BypassEffect: {
        const bool bypass = *static_cast<const UInt32*>(data) != 0;
        mIsBypassed = bypass;
        OnActivate(!bypass);
        Reset();
        return noErr;
    }
    case kAudioUnitProperty_SetRenderCallback:
        return SetRenderCallback(scope, element, static_cast<const AURenderCallbackStruct*>(data));
    case kAudioUnitProperty_HostCallbacks:
        mHostCallbacks = *static_cast<const HostCallbackInfo*>(data);
        return noErr;
    case kAudioUnitProperty_CurrentPreset:
    case kAudioUnitProperty_PresentPreset:
        RestorePreset(static_cast<const AUPreset*>(data)->presetNumber);
        return noErr;
    case kAudioUnitProperty_OfflineRender:
        mIsOffline = *static_cast<const UInt32*>(data) != 0;
        return noErr;
    case kAudioUnitProperty_AUHostIdentifier:
        return SetHostIdentifier(static_cast<const AUHostIdentifier*>(data));
    default:
        return kAudioUnitErr_InvalidProperty;
    }
}

ComponentResult IPluginAU::MakeConnection(AudioUnitScope scope, const AudioUnitConnection* connection)
{
    if (!isGlobalOrInput(scope) || connection->destInputNumber >= static_cast<UInt32>(NInputBuses()))
        return kAudioUnitErr_InvalidProperty;
    const int inputIdx = static_cast<int>(connection->destInputNumber);
    InputBusConnection* record = mInBusConnections.Get(inputIdx);
    *record = InputBusConnection();
    ComponentResult result = noErr;
    if (AudioUnit source = connection->sourceAudioUnit) {
        AudioStreamBasicDescription format{};
        UInt32 size = sizeof format;
        result = AudioUnitGetProperty(source, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output,
                                      connection->sourceOutputNumber, &format, &size);
        if (result == noErr)
            result = SetStreamFormat(kAudioUnitScope_Input, connection->destInputNumber, &format);
        if (result == noErr) {
            record->mUpstreamUnit = source;
            record->mUpstreamBusIdx = static_cast<int>(connection->sourceOutputNumber);
            AudioUnitRenderProc proc = nullptr;
            UInt32 procSize = sizeof proc;
            if (AudioUnitGetProperty(source, kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global,
                                     kAudioUnitRenderSelect, &proc, &procSize) == noErr && proc) {
                record->mUpstreamRenderProc = proc;
                record->mUpstreamPlug = GetComponentInstanceStorage(source);
            }
        } else {
            result = kAudioUnitErr_InvalidProperty;
        }
    }
    AssessInputConnections();
    return result;
}

ComponentResult IPluginAU::SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                             const AURenderCallbackStruct* callback)
{
    if (scope != kAudioUnitScope_Input || element >= static_cast<UInt32>(NInputBuses()))
        return kAudioUnitErr_InvalidProperty;
    InputBusConnection* record = mInBusConnections.Get(static_cast<int>(element));
    *record = InputBusConnection();
    if (callback->inputProc)
        record->mUpstreamRenderCallback = *callback;
    AssessInputConnections();
    return noErr;
}

ComponentResult IPluginAU::SetHostIdentifier(const AUHostIdentifier* identifier)
{
    const char* name = CFStringGetCStringPtr(identifier->hostName, kCFStringEncodingUTF8);
    const int minorAndBug = identifier->hostVersion.minorAndBugRev;
    const int version = identifier->hostVersion.majorRev * 65536 + (minorAndBug >> 4) * 256 + (minorAndBug & 0x0f);
    SetHost(name ? name : "", version);
    OnHostIdentified();
    return noErr;
}

ComponentResult IPluginAU::SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                           const AudioStreamBasicDescription* format)
{
    BusChannels* bus = GetBus(scope, element);
    if (!bus)
        return kAudioUnitErr_InvalidProperty;
    bus->mNHostChannels = 0;
    const int nChannels = static_cast<int>(std::min<UInt32>(format->mChannelsPerFrame, 0x7fffu));
    const bool accepted = nChannels > 0 && CheckLegalIO(scope, static_cast<int>(element), nChannels) &&
                          format->mFormatID == kAudioFormatLinearPCM &&
                          (format->mFormatFlags & (kAudioFormatFlagIsFloat | kAudioFormatFlagIsPacked)) != 0;
    if (accepted) {
        bus->mNHostChannels = nChannels;
        if (format->mSampleRate > 0.0)
            SetSampleRate(format->mSampleRate);
    }
    AssessInputConnections();
    return accepted ? ComponentResult(noErr) : ComponentResult(kAudioUnitErr_InvalidProperty);
}
