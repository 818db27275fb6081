// The Audio Unit binding driven through its component entry by the host library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>
#include <string>

#include "PluginHost.h"
#include "TestPlug.h"

namespace {

constexpr OSStatus kBadSelector = static_cast<OSStatus>(0x80008002);

// Two host-owned output buffers of a render call.
struct HostBuffers {
    explicit HostBuffers(UInt32 frames)
        : left(frames), right(frames), list{2, {{1, frames * 4, left.data()}, {1, frames * 4, right.data()}}}
    {
    }
    AudioBufferList* get() { return reinterpret_cast<AudioBufferList*>(&list); }

    std::vector<float> left;
    std::vector<float> right;
    struct {
        UInt32 n;
        AudioBuffer b[2];
    } list;
};

// The text of a string the caller owns; releases it.
std::string takeText(CFStringRef text)
{
    const std::string copy = text ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : "";
    if (text)
        CFRelease(text);
    return copy;
}

class AudioUnitBinding : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
        unit = host.unit();
        plug = PlugOf(unit);
    }

    template <typename T>
    OSStatus get(AudioUnitPropertyID id, T* value, AudioUnitScope scope = kAudioUnitScope_Global,
                 AudioUnitElement element = 0)
    {
        UInt32 size = sizeof *value;
        return AudioUnitGetProperty(unit, id, scope, element, value, &size);
    }

    template <typename T>
    OSStatus set(AudioUnitPropertyID id, const T& value, AudioUnitScope scope = kAudioUnitScope_Global,
                 AudioUnitElement element = 0)
    {
        return AudioUnitSetProperty(unit, id, scope, element, &value, sizeof value);
    }

    OSStatus setMaxFrames(UInt32 frames) { return set(kAudioUnitProperty_MaximumFramesPerSlice, frames); }

    OSStatus render(UInt32 frames, Float64 sampleTime = 0.0, UInt32 timeFlags = kAudioTimeStampSampleTimeValid)
    {
        HostBuffers buffers(frames);
        AudioTimeStamp timeStamp{};
        timeStamp.mSampleTime = sampleTime;
        timeStamp.mFlags = timeFlags;
        AudioUnitRenderActionFlags flags = 0;
        return AudioUnitRender(unit, &flags, &timeStamp, 0, frames, buffers.get());
    }

    CFMutableDictionaryRef copyState()
    {
        CFPropertyListRef state = nullptr;
        EXPECT_EQ(noErr, get(kAudioUnitProperty_ClassInfo, &state));
        return const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(state));
    }

    OSStatus setState(CFDictionaryRef state) { return set(kAudioUnitProperty_ClassInfo, state); }

    host::PluginHost host;
    AudioUnit unit = nullptr;
    TestPlug* plug = nullptr;
};

TEST_F(AudioUnitBinding, CanDoAnswersOneOnlyForTheCoreSelectorsAndOthersAreBadSelectors)
{
    auto canDo = [&](int16_t selector) {
        ComponentCanDoParams args {selector};
        return CallComponentDispatch(unit, kComponentCanDoSelect, &args);
    };
    for (int16_t selector : {1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17})
        EXPECT_EQ(1, canDo(selector)) << selector;
    for (int16_t selector : {0, 8, 12, 13, 18, 257, 258, 262})
        EXPECT_EQ(0, canDo(selector)) << selector;
    for (int16_t selector : {0, 8, 12, 13, 19, 263})
        EXPECT_EQ(kBadSelector, CallComponentDispatch(unit, selector, nullptr)) << selector;
    EXPECT_EQ(0x10203, CallComponentDispatch(unit, kComponentVersionSelect, nullptr));
}

TEST_F(AudioUnitBinding, MidiEventReachesTheSynthWithItsSampleOffset)
{
    ASSERT_EQ(noErr, MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 12));
    ASSERT_TRUE(host.queueMidi({0xB0, 7, 99}, 20).ok());  // queued: waits for the next block
    ASSERT_EQ(1u, plug->midi.size());
    const IMidiMsg& note = plug->midi[0];
    EXPECT_EQ((std::vector<int> {12, 0x90, 60, 100}), (std::vector<int> {note.mOffset, note.mStatus, note.mData1, note.mData2}));
    EXPECT_FALSE(plug->midiFromHardware[0]);
    ASSERT_TRUE(host.renderBlocks(1).ok());
    ASSERT_EQ(2u, plug->midi.size());
    EXPECT_EQ(20, plug->midi[1].mOffset);
}

TEST_F(AudioUnitBinding, SysExReachesTheSynthWholeAtOffsetZero)
{
    std::vector<UInt8> dump(137, 0x11);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    ASSERT_EQ(noErr, MusicDeviceSysEx(unit, dump.data(), static_cast<UInt32>(dump.size())));
    ASSERT_EQ(1u, plug->sysex.size());
    EXPECT_EQ(0, plug->sysex[0].offset);
    EXPECT_EQ(dump, plug->sysex[0].bytes);
    EXPECT_FALSE(plug->sysex[0].fromHardware);

    // A length no message can have never reaches the plug-in as a negative size.
    EXPECT_EQ(kAudioUnitErr_InvalidParameter, MusicDeviceSysEx(unit, dump.data(), 0x80000000u));
    EXPECT_EQ(1u, plug->sysex.size());
}

TEST_F(AudioUnitBinding, ParameterListIsEmptyWhenNoParameterIsAutomatableAndThereIsNoViewWithoutASurface)
{
    UInt32 size = 99;
    Boolean writable = true;
    EXPECT_EQ(noErr, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0,
                                              &size, &writable));
    EXPECT_EQ(0u, size);
    EXPECT_FALSE(writable);
    AudioUnitParameterInfo info;
    EXPECT_EQ(kAudioUnitErr_InvalidElement, get(kAudioUnitProperty_ParameterInfo, &info));
    // Nor is there a view without a surface.
    EXPECT_EQ(kAudioUnitErr_InvalidProperty,
              AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kAudioUnitScope_Global, 0, &size, &writable));
    EXPECT_EQ(nullptr, host.openCocoaView());
}

TEST_F(AudioUnitBinding, ValuesAreClampedToTheRangeAndIdsPastTheEndAreRefusedAndTouchNothing)
{
    float value = -1.0f;
    ASSERT_TRUE(host.setParameter(1, 500.0f).ok());
    ASSERT_TRUE(host.getParameter(1, &value).ok());
    EXPECT_FLOAT_EQ(100.0f, value);
    EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitGetParameter(unit, 1, kAudioUnitScope_Input, 0, &value));

    const UInt32 pastEnd = TestPlug::kParams;
    EXPECT_EQ(kAudioUnitErr_InvalidElement, AudioUnitGetParameter(unit, pastEnd, kAudioUnitScope_Global, 0, &value));
    for (UInt32 id : {pastEnd, 0xFFFFFFFFu})
        EXPECT_EQ(kAudioUnitErr_InvalidElement, AudioUnitSetParameter(unit, id, kAudioUnitScope_Global, 0, 1.0f, 0));

    AudioUnitParameterEvent events[2] = {};
    events[0].parameter = 0;
    events[0].eventType = kParameterEvent_Immediate;
    events[0].eventValues.immediate.value = 9.0f;
    events[1] = events[0];
    events[1].parameter = pastEnd;
    EXPECT_EQ(kAudioUnitErr_InvalidElement, AudioUnitScheduleParameters(unit, events, 2));
    EXPECT_DOUBLE_EQ(9.0, plug->GetParam(0)->Value());  // events apply in order until the bad one

    const AudioUnitParameterValue someValue = 1.0f;
    AudioUnitParameterStringFromValue fromValue{pastEnd, &someValue, nullptr};
    EXPECT_EQ(kAudioUnitErr_InvalidElement, get(kAudioUnitProperty_ParameterStringFromValue, &fromValue));
    EXPECT_EQ(nullptr, fromValue.outString);
    AudioUnitParameterIDName idName{pastEnd, -1, nullptr};
    EXPECT_EQ(kAudioUnitErr_InvalidElement, get(kAudioUnitProperty_ParameterIDName, &idName));
    AudioUnitParameterValueFromString fromString{pastEnd, CFSTR("12"), 5.0f};
    EXPECT_EQ(kAudioUnitErr_InvalidElement, get(kAudioUnitProperty_ParameterValueFromString, &fromString));
    EXPECT_FLOAT_EQ(5.0f, fromString.outValue);
}

TEST_F(AudioUnitBinding, ParameterTextsConvertBothWays)
{
    const AudioUnitParameterValue two = 2.0f;
    AudioUnitParameterStringFromValue fromValue{TestPlug::kEnumParam, &two, nullptr};
    ASSERT_EQ(noErr, get(kAudioUnitProperty_ParameterStringFromValue, &fromValue));
    EXPECT_EQ("High", takeText(fromValue.outString));

    AudioUnitParameterValueFromString fromString{TestPlug::kEnumParam, CFSTR("Low"), -1.0f};
    ASSERT_EQ(noErr, get(kAudioUnitProperty_ParameterValueFromString, &fromString));
    EXPECT_FLOAT_EQ(1.0f, fromString.outValue);

    AudioUnitParameterIDName idName{0, 3, nullptr};
    ASSERT_EQ(noErr, get(kAudioUnitProperty_ParameterIDName, &idName));
    EXPECT_EQ("Lev", takeText(idName.outName));
}

TEST_F(AudioUnitBinding, ClassInfoHoldsExactlyTheSixKeysRestoresTheParametersAndIsRefusedForAnotherSubtypeOrAMissingKey)
{
    host.setParameter(2, 33.0f);
    CFMutableDictionaryRef state = copyState();
    ASSERT_EQ(6, CFDictionaryGetCount(state));
    for (const char* key : {"version", "type", "subtype", "manufacturer", "name", "data"})
        EXPECT_NE(nullptr, CFDictionaryGetValue(state, CFStringMakeConstant(key))) << key;
    SInt32 subtype = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, CFSTR("subtype"))), kCFNumberSInt32Type,
                     &subtype);
    EXPECT_EQ(0x6B7A366D, subtype);
    const CFDataRef data = static_cast<CFDataRef>(CFDictionaryGetValue(state, CFSTR("data")));
    EXPECT_EQ(8 * TestPlug::kParams, CFDataGetLength(data));

    host.setParameter(2, 77.0f);
    EXPECT_EQ(noErr, setState(state));
    EXPECT_DOUBLE_EQ(33.0, plug->GetParam(2)->Value());

    const SInt32 otherSubtype = 0x41424344;
    CFNumberRef number = CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype);
    CFDictionarySetValue(state, CFSTR("subtype"), number);
    CFRelease(number);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setState(state));
    CFRelease(state);

    for (const char* key : {"version", "type", "manufacturer", "name", "data"}) {
        CFMutableDictionaryRef partial = copyState();
        CFDictionaryRemoveValue(partial, CFStringMakeConstant(key));
        EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setState(partial)) << key;
        CFRelease(partial);
    }
}

TEST_F(AudioUnitBinding, StateThePlugInCannotReadCompletelyIsRefusedAndChangesNothing)
{
    host.setParameter(0, 10.0f);
    host.setParameter(1, 20.0f);
    CFMutableDictionaryRef state = copyState();
    host.setParameter(0, 50.0f);
    host.setParameter(1, 60.0f);
    auto expectUnchanged = [&] {
        EXPECT_DOUBLE_EQ(50.0, plug->GetParam(0)->Value());
        EXPECT_DOUBLE_EQ(60.0, plug->GetParam(1)->Value());
    };

    plug->readOnlyValues = 1;  // stops early
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setState(state));
    expectUnchanged();
    plug->readOnlyValues = -1;

    const uint8_t shortData[12] = {0};  // one and a half values: the reader runs out
    CFDataRef data = CFDataCreate(nullptr, shortData, sizeof shortData);
    CFDictionarySetValue(state, CFSTR("data"), data);
    CFRelease(data);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setState(state));
    expectUnchanged();
    CFRelease(state);
}

TEST_F(AudioUnitBinding, AStateThePlugInChecksIsRefusedUnreadAndLongerOnesLoad)
{
    plug->checksStates = true;
    host.setParameter(0, 10.0f);
    CFMutableDictionaryRef state = copyState();
    host.setParameter(0, 50.0f);
    const CFDataRef whole = static_cast<CFDataRef>(CFRetain(CFDictionaryGetValue(state, CFSTR("data"))));
    const long size = CFDataGetLength(whole);
    auto setData = [&](long length) {
        std::vector<uint8_t> bytes(static_cast<size_t>(length), 0);
        std::memcpy(bytes.data(), CFDataGetBytePtr(whole), static_cast<size_t>(std::min(length, size)));
        CFDataRef data = CFDataCreate(nullptr, bytes.data(), length);
        CFDictionarySetValue(state, CFSTR("data"), data);
        CFRelease(data);
        return setState(state);
    };
    // Short by one byte: refused, and the old state is never read back in.
    plug->stateReads = 0;
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setData(size - 1));
    EXPECT_EQ(0, plug->stateReads);
    EXPECT_DOUBLE_EQ(50.0, plug->GetParam(0)->Value());
    // Longer than the plug-in reads: the rest is ignored.
    EXPECT_EQ(noErr, setData(size + 3));
    EXPECT_EQ(1, plug->stateReads);
    EXPECT_DOUBLE_EQ(10.0, plug->GetParam(0)->Value());
    CFRelease(whole);
    CFRelease(state);
}

TEST_F(AudioUnitBinding, OutputZeroStreamFormatIsStereoFloatNonInterleaved)
{
    AudioStreamBasicDescription format{};
    UInt32 size = sizeof format;
    ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format,
                                          &size));
    EXPECT_EQ(40u, size);
    const AudioStreamBasicDescription expected{44100.0, FourCC("lpcm"), 0x29, 4, 1, 4, 2, 32, 0};
    EXPECT_EQ(0, std::memcmp(&expected, &format, sizeof format));
    EXPECT_EQ(kAudioUnitErr_InvalidProperty, get(kAudioUnitProperty_StreamFormat, &format, kAudioUnitScope_Output, 1));
}

TEST_F(AudioUnitBinding, PropertyValuesNeverOverrunTheHostsBuffer)
{
    struct {
        double firstField;
        uint8_t guard[32];
    } small{};
    UInt32 size = sizeof(double);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat,
                                                                       kAudioUnitScope_Output, 0, &small, &size));
    for (uint8_t byte : small.guard)
        EXPECT_EQ(0, byte);
}

struct InputProbe {
    int pulls = 0;
    OSStatus answer = noErr;
};

OSStatus fillInput(void* userData, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                   AudioBufferList* list)
{
    auto* probe = static_cast<InputProbe*>(userData);
    ++probe->pulls;
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b) {
        auto* samples = static_cast<float*>(list->mBuffers[b].mData);
        for (UInt32 i = 0; i < frames; ++i)
            samples[i] = 0.25f * static_cast<float>(b + 1);
    }
    return probe->answer;
}

TEST_F(AudioUnitBinding, RenderOfMoreFramesThanTheMaximumOrOneTheScratchMemoryCannotHoldIsRefused)
{
    InputProbe probe;
    ASSERT_EQ(noErr, set(kAudioUnitProperty_SetRenderCallback, AURenderCallbackStruct{fillInput, &probe},
                         kAudioUnitScope_Input));
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, setMaxFrames(0x7fffffff));
    UInt32 maxFrames = 0;
    ASSERT_EQ(noErr, get(kAudioUnitProperty_MaximumFramesPerSlice, &maxFrames));
    EXPECT_EQ(512u, maxFrames);  // the host's earlier size stays

    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, render(513));
    EXPECT_EQ(0, probe.pulls);
    EXPECT_EQ(noErr, render(512));
    EXPECT_EQ(1, probe.pulls);
    EXPECT_EQ(kAudioUnitErr_InvalidPropertyValue, render(16, 0.0, 0));  // no valid sample time
}

TEST_F(AudioUnitBinding, RenderCallbackInputIsPulledOncePerSampleTimeAndReachesTheOutputs)
{
    InputProbe probe;
    const AURenderCallbackStruct callback{fillInput, &probe};
    ASSERT_EQ(noErr, set(kAudioUnitProperty_SetRenderCallback, callback, kAudioUnitScope_Input));
    EXPECT_EQ(kAudioUnitErr_InvalidProperty,
              set(kAudioUnitProperty_SetRenderCallback, callback, kAudioUnitScope_Input, 1));
    ASSERT_TRUE(host.renderBlocks(2).ok());
    EXPECT_EQ(2, probe.pulls);
    EXPECT_FLOAT_EQ(0.25f, host.outputChannel(0)[100]);  // the base copies input to output
    EXPECT_FLOAT_EQ(0.5f, host.outputChannel(1)[511]);

    ASSERT_EQ(noErr, render(512, 99999.0));
    ASSERT_EQ(noErr, render(512, 99999.0));
    EXPECT_EQ(3, probe.pulls);  // the same sample time pulls no more input

    probe.answer = -42;
    EXPECT_EQ(-42, render(512, 99999.0 + 512));
}

TEST(AudioUnitTempo, TempoIs138UntilTheHostReportsOne)
{
    host::PluginHost::Settings silent;
    silent.tempo = 0.0;  // reports no tempo
    host::PluginHost host(silent);
    ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
    TestPlug* plug = PlugOf(host.unit());
    EXPECT_DOUBLE_EQ(138.0, plug->GetTempo());
    host.setTempo(140.0);
    EXPECT_DOUBLE_EQ(140.0, plug->GetTempo());
    host.setTempo(0.0);
    EXPECT_DOUBLE_EQ(140.0, plug->GetTempo());
}

TEST_F(AudioUnitBinding, TransportAndBeatFollowTheHost)
{
    host.setTempo(120.0);
    host.setTimeSignature(3, 4);
    host.setPlaying(true);
    ASSERT_TRUE(host.renderBlocks(10).ok());
    ITimeInfo time;
    plug->GetTime(&time);
    EXPECT_TRUE(time.mTransportIsRunning);
    EXPECT_DOUBLE_EQ(120.0, time.mTempo);
    EXPECT_NEAR(5120.0 / 44100.0 * 2.0, time.mPPQPos, 1e-9);
    EXPECT_EQ(3, time.mNumerator);
    EXPECT_EQ(4, time.mDenominator);
    EXPECT_EQ(5120, plug->GetSamplePos());
    host.setPlaying(false);
    plug->GetTime(&time);
    EXPECT_FALSE(time.mTransportIsRunning);
}

TEST_F(AudioUnitBinding, ElementNamesOutsideTheBusesAreRefused)
{
    CFStringRef name = nullptr;
    ASSERT_EQ(noErr, get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Output, 0));
    EXPECT_EQ("output 1", takeText(name));
    const struct {
        AudioUnitScope scope;
        AudioUnitElement element;
        OSStatus answer;
    } refused[] = {{kAudioUnitScope_Input, 1, kAudioUnitErr_InvalidElement},
                   {kAudioUnitScope_Input, 2, kAudioUnitErr_InvalidElement},
                   {kAudioUnitScope_Output, 1, kAudioUnitErr_InvalidElement},
                   {kAudioUnitScope_Group, 0, kAudioUnitErr_InvalidScope}};
    for (const auto& c : refused)
        EXPECT_EQ(c.answer, get(kAudioUnitProperty_ElementName, &name, c.scope, c.element)) << c.element;
    UInt32 size = 0;
    Boolean writable = false;
    EXPECT_EQ(kAudioUnitErr_InvalidProperty, AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ElementName,
                                                                      kAudioUnitScope_Input, 2, &size, &writable));
}

struct ListenerProbe {
    int calls = 0;
    UInt32 seenMaxFrames = 0;
    Float64 seenLatency = 0.0;
};

void readMaxFrames(void* userData, AudioUnit unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    auto* probe = static_cast<ListenerProbe*>(userData);
    ++probe->calls;
    UInt32 size = sizeof probe->seenMaxFrames;
    AudioUnitGetProperty(unit, kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, 0,
                         &probe->seenMaxFrames, &size);
}

void readLatency(void* userData, AudioUnit unit, AudioUnitPropertyID, AudioUnitScope, AudioUnitElement)
{
    auto* probe = static_cast<ListenerProbe*>(userData);
    UInt32 size = sizeof probe->seenLatency;
    AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &probe->seenLatency, &size);
}

TEST_F(AudioUnitBinding, PropertyListenersSeeTheNewValue)
{
    ListenerProbe probe;
    for (int i = 0; i < 2; ++i)  // the same listener twice: kept once
        ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, readMaxFrames,
                                                      &probe));
    setMaxFrames(256);
    EXPECT_EQ(1, probe.calls);
    EXPECT_EQ(256u, probe.seenMaxFrames);

    AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_MaximumFramesPerSlice, readMaxFrames, &probe);
    setMaxFrames(512);
    EXPECT_EQ(1, probe.calls);

    // The plug-in's own latency change reaches the host the same way.
    ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, readLatency, &probe));
    plug->SetLatency(441);
    EXPECT_DOUBLE_EQ(0.01, probe.seenLatency);
}

TEST_F(AudioUnitBinding, NullCallbacksFromTheHostAreRefused)
{
    EXPECT_EQ(kAudioUnitErr_InvalidParameter,
              AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, nullptr, nullptr));
    AURenderNotifyParams notify{nullptr, nullptr};
    EXPECT_EQ(kAudioUnitErr_InvalidParameter, CallComponentDispatch(unit, kAudioUnitAddRenderNotifySelect, &notify));
    EXPECT_EQ(noErr, setMaxFrames(256));  // a listener call and a render still run
    EXPECT_EQ(noErr, render(256));
}

TEST(AudioUnitParameters, AutomatableParametersAreListedWithTheirInfo)
{
    TestPlug::automatableForNextOpen = 2;
    host::PluginHost host;
    ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
    TestPlug::automatableForNextOpen = 0;
    AudioUnit unit = host.unit();

    AudioUnitParameterID ids[4] = {9, 9, 9, 9};
    UInt32 size = sizeof ids;
    ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, 0, ids,
                                          &size));
    EXPECT_EQ(8u, size);
    EXPECT_EQ(0u, ids[0]);
    EXPECT_EQ(1u, ids[1]);

    AudioUnitParameterInfo info{};
    size = sizeof info;
    ASSERT_EQ(noErr, AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, 1, &info,
                                          &size));
    EXPECT_EQ(104u, size);
    EXPECT_EQ(51u, std::strlen(info.name));  // cut to the fixed field
    EXPECT_EQ(0, std::strncmp("Level of the first oscillator", info.name, 29));
    EXPECT_FLOAT_EQ(100.0f, info.maxValue);
    EXPECT_EQ(1u, info.clumpID);
    const UInt32 flags = kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                         kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease |
                         kAudioUnitParameterFlag_HasClump;
    EXPECT_EQ(flags, info.flags);
    CFRelease(info.cfNameString);

    EXPECT_EQ(kAudioUnitErr_InvalidElement, AudioUnitGetProperty(unit, kAudioUnitProperty_ParameterInfo,
                                                                 kAudioUnitScope_Global, 2, &info, &size));
}

TEST(AudioUnitLifecycle, OpenAndCloseWithoutInitializeCreateAndDeleteThePlugIn)
{
    Component component = RegisterComponentEntry(&IPluginAU::IPluginAUEntry,
                                                 ComponentDescription{kAudioUnitType_MusicDevice, 0x6B7A366D,
                                                                      0x566E7431, 0, 0},
                                                 "test");
    ComponentInstance instance = nullptr;
    ASSERT_EQ(noErr, OpenAComponent(component, &instance));
    TestPlug* plug = PlugOf(instance);
    EXPECT_TRUE(IPluginAU::IsLivePlug(plug));
    EXPECT_EQ(2, plug->NPresets());  // both presets were initialised, none pruned
    EXPECT_EQ(noErr, CloseComponent(instance));
    EXPECT_FALSE(IPluginAU::IsLivePlug(plug));
    UnregisterComponent(component);
}

TEST(AudioUnitLifecycle, CarbonViewClosedAfterItsAudioUnitTouchesNothing)
{
    host::PluginHost host;
    ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
    Component viewComponent = RegisterComponentEntry(
        &IPluginAU::IPluginAUCarbonViewEntry,
        ComponentDescription{kAudioUnitCarbonViewComponentType, 0x6B7A366D, 0x566E7431, 0, 0}, "view");
    ComponentInstance view = nullptr;
    ASSERT_EQ(noErr, OpenAComponent(viewComponent, &view));
    void* control = nullptr;
    AudioUnitCarbonViewCreateParams create{host.unit(), nullptr, nullptr, nullptr, nullptr, &control};
    EXPECT_EQ(kBadSelector, CallComponentDispatch(view, kAudioUnitCarbonViewCreateSelect, &create));  // no surface
    host.close();
    EXPECT_EQ(noErr, CloseComponent(view));
    UnregisterComponent(viewComponent);
}

}  // namespace
