// The Audio Unit binding driven through its component entry by the host library.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "IGraphicsMac.h"
#include "PluginHost.h"
#include "TestPlug.h"
#include "platform/Gestalt.h"

namespace {

using Statuses = std::vector<OSStatus>;
constexpr OSStatus kBadSelector = static_cast<OSStatus>(0x80008002);
constexpr OSStatus kBadValue = kAudioUnitErr_InvalidPropertyValue;
constexpr OSStatus kBadElement = kAudioUnitErr_InvalidElement;
constexpr OSStatus kBadProperty = kAudioUnitErr_InvalidProperty;
constexpr UInt32 kPastEnd = TestPlug::kParams;
constexpr AudioUnitScope kGlobal = kAudioUnitScope_Global;

// The text of a string the caller owns; releases it.
std::string takeText(CFStringRef text)
{
    const std::string copy = text ? CFStringGetCStringPtr(text, kCFStringEncodingUTF8) : "";
    if (text)
        CFRelease(text);
    return copy;
}

struct InputProbe {
    int pulls = 0;
    OSStatus answer = noErr;
};

OSStatus fillInput(void* probe, AudioUnitRenderActionFlags*, const AudioTimeStamp*, UInt32, UInt32 frames,
                   AudioBufferList* list)
{
    ++static_cast<InputProbe*>(probe)->pulls;
    for (UInt32 b = 0; b < list->mNumberBuffers; ++b)
        std::fill_n(static_cast<float*>(list->mBuffers[b].mData), frames, 0.25f * static_cast<float>(b + 1));
    return static_cast<InputProbe*>(probe)->answer;
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
    OSStatus get(AudioUnitPropertyID id, T* value, AudioUnitScope scope = kGlobal, AudioUnitElement element = 0)
    {
        UInt32 size = sizeof *value;
        return AudioUnitGetProperty(unit, id, scope, element, value, &size);
    }
    template <typename T>
    OSStatus set(AudioUnitPropertyID id, const T& value, AudioUnitScope scope = kGlobal, AudioUnitElement element = 0)
    {
        return AudioUnitSetProperty(unit, id, scope, element, &value, sizeof value);
    }
    OSStatus setMaxFrames(UInt32 frames) { return set(kAudioUnitProperty_MaximumFramesPerSlice, frames); }
    OSStatus setInput(InputProbe* probe, AudioUnitElement element = 0)
    {
        return set(kAudioUnitProperty_SetRenderCallback, AURenderCallbackStruct {fillInput, probe},
                   kAudioUnitScope_Input, element);
    }

    // One render call into two host-owned output buffers.
    OSStatus render(UInt32 frames, Float64 sampleTime = 0.0, UInt32 timeFlags = kAudioTimeStampSampleTimeValid)
    {
        std::vector<float> left(frames), right(frames);
        struct { UInt32 n; AudioBuffer b[2]; } list {2, {{1, frames * 4, left.data()}, {1, frames * 4, right.data()}}};
        AudioTimeStamp timeStamp {};
        timeStamp.mSampleTime = sampleTime;
        timeStamp.mFlags = timeFlags;
        AudioUnitRenderActionFlags flags = 0;
        return AudioUnitRender(unit, &flags, &timeStamp, 0, frames, reinterpret_cast<AudioBufferList*>(&list));
    }

    CFMutableDictionaryRef copyState()
    {
        CFPropertyListRef state = nullptr;
        EXPECT_EQ(noErr, get(kAudioUnitProperty_ClassInfo, &state));
        return const_cast<CFMutableDictionaryRef>(static_cast<CFDictionaryRef>(state));
    }
    OSStatus setState(CFDictionaryRef state) { return set(kAudioUnitProperty_ClassInfo, state); }
    // Offers the state with key replaced by value (released here), or removed when value is null.
    OSStatus setStateWith(CFMutableDictionaryRef state, const char* key, CFTypeRef value)
    {
        value ? CFDictionarySetValue(state, CFStringMakeConstant(key), value)
              : CFDictionaryRemoveValue(state, CFStringMakeConstant(key));
        if (value)
            CFRelease(value);
        return setState(state);
    }
    static CFDataRef dataOf(const std::vector<uint8_t>& bytes)
    {
        return CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
    }
    double param(int idx) const { return plug->GetParam(idx)->Value(); }

    host::PluginHost host {host::PluginHost::Settings {44100.0, 512, 0.0}};  // reports no tempo until a test sets one
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

TEST_F(AudioUnitBinding, MidiAndSysExReachTheSynthWithTheirSampleOffsets)
{
    ASSERT_EQ(noErr, MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 12));
    ASSERT_TRUE(host.queueMidi({0xB0, 7, 99}, 20).ok());  // queued: waits for the next block
    ASSERT_EQ(1u, plug->midi.size());
    ASSERT_TRUE(host.renderBlocks(1).ok());
    ASSERT_EQ(2u, plug->midi.size());
    const IMidiMsg& note = plug->midi[0];
    EXPECT_EQ((std::vector<int> {12, 0x90, 60, 100, 0, 20}),
              (std::vector<int> {note.mOffset, note.mStatus, note.mData1, note.mData2, plug->midiFromHardware[0],
                                 plug->midi[1].mOffset}));

    std::vector<UInt8> dump(137, 0x11);
    dump.front() = 0xF0;
    dump.back() = 0xF7;
    ASSERT_EQ(noErr, MusicDeviceSysEx(unit, dump.data(), static_cast<UInt32>(dump.size())));
    // A length no message can have never reaches the plug-in as a negative size.
    EXPECT_EQ(kAudioUnitErr_InvalidParameter, MusicDeviceSysEx(unit, dump.data(), 0x80000000u));
    ASSERT_EQ(1u, plug->sysex.size());
    EXPECT_EQ(std::tuple(0, dump, false),
              std::tuple(plug->sysex[0].offset, plug->sysex[0].bytes, plug->sysex[0].fromHardware));
}

TEST_F(AudioUnitBinding, TextsConvertBothWaysValuesAreClampedAndIdsPastTheEndAreRefusedAndTouchNothing)
{
    const AudioUnitParameterValue two = 2.0f;
    AudioUnitParameterStringFromValue text {TestPlug::kEnumParam, &two, nullptr};
    AudioUnitParameterValueFromString number {TestPlug::kEnumParam, CFSTR("Low"), -1.0f};
    AudioUnitParameterIDName shortName {0, 3, nullptr};
    ASSERT_EQ((Statuses {noErr, noErr, noErr}),
              (Statuses {get(kAudioUnitProperty_ParameterStringFromValue, &text),
                         get(kAudioUnitProperty_ParameterValueFromString, &number),
                         get(kAudioUnitProperty_ParameterIDName, &shortName)}));
    EXPECT_EQ((std::vector<std::string> {"High", "Lev"}), (std::vector<std::string> {takeText(text.outString),
                                                               takeText(shortName.outName)}));
    EXPECT_FLOAT_EQ(1.0f, number.outValue);

    float value = -1.0f;
    ASSERT_TRUE(host.setParameter(1, 500.0f).ok() && host.getParameter(1, &value).ok());
    EXPECT_FLOAT_EQ(100.0f, value);

    AudioUnitParameterEvent events[2] = {};
    events[0].eventType = events[1].eventType = kParameterEvent_Immediate;
    events[0].eventValues.immediate.value = events[1].eventValues.immediate.value = 9.0f;
    events[1].parameter = kPastEnd;
    AudioUnitParameterStringFromValue fromValue {kPastEnd, &two, nullptr};
    AudioUnitParameterIDName idName {kPastEnd, -1, nullptr};
    AudioUnitParameterValueFromString fromString {kPastEnd, CFSTR("12"), 5.0f};
    EXPECT_EQ((Statuses {kBadProperty, kBadElement, kBadElement, kBadElement, kBadElement, kBadElement, kBadElement,
                         kBadElement}),
              (Statuses {AudioUnitGetParameter(unit, 1, kAudioUnitScope_Input, 0, &value),
                         AudioUnitGetParameter(unit, kPastEnd, kGlobal, 0, &value),
                         AudioUnitSetParameter(unit, kPastEnd, kGlobal, 0, 1.0f, 0),
                         AudioUnitSetParameter(unit, 0xFFFFFFFFu, kGlobal, 0, 1.0f, 0),
                         AudioUnitScheduleParameters(unit, events, 2),
                         get(kAudioUnitProperty_ParameterStringFromValue, &fromValue),
                         get(kAudioUnitProperty_ParameterIDName, &idName),
                         get(kAudioUnitProperty_ParameterValueFromString, &fromString)}));
    // Events apply in order until the bad one.
    EXPECT_EQ(std::tuple(9.0, CFStringRef {}, 5.0f), std::tuple(param(0), fromValue.outString, fromString.outValue));
}

TEST_F(AudioUnitBinding, ClassInfoHoldsExactlyTheSixKeysRestoresTheParametersAndIsRefusedForAnotherSubtypeOrAMissingKey)
{
    host.setParameter(2, 33.0f);
    CFMutableDictionaryRef state = copyState();
    ASSERT_EQ(6, CFDictionaryGetCount(state));
    SInt32 subtype = 0;
    CFNumberGetValue(static_cast<CFNumberRef>(CFDictionaryGetValue(state, CFSTR("subtype"))), kCFNumberSInt32Type,
                     &subtype);
    EXPECT_EQ(0x6B7A366D, subtype);
    EXPECT_EQ(8 * TestPlug::kParams,
              CFDataGetLength(static_cast<CFDataRef>(CFDictionaryGetValue(state, CFSTR("data")))));
    host.setParameter(2, 77.0f);
    EXPECT_EQ(noErr, setState(state));
    EXPECT_DOUBLE_EQ(33.0, param(2));

    const SInt32 otherSubtype = 0x41424344;
    EXPECT_EQ(kBadValue, setStateWith(state, "subtype", CFNumberCreate(nullptr, kCFNumberSInt32Type, &otherSubtype)));
    CFRelease(state);
    for (const char* key : {"version", "type", "manufacturer", "name", "data"}) {
        CFMutableDictionaryRef partial = copyState();
        EXPECT_EQ(kBadValue, setStateWith(partial, key, nullptr)) << key;
        CFRelease(partial);
    }
}

// Refused states leave the parameters as they were; a checked one is not even read.
TEST_F(AudioUnitBinding, StateThePlugInCannotReadCompletelyOrChecksAsShortIsRefusedAndLongerOnesLoad)
{
    host.setParameter(0, 10.0f);
    CFMutableDictionaryRef state = copyState();
    const CFDataRef whole = static_cast<CFDataRef>(CFDictionaryGetValue(state, CFSTR("data")));
    std::vector<uint8_t> bytes(CFDataGetBytePtr(whole), CFDataGetBytePtr(whole) + CFDataGetLength(whole));
    host.setParameter(0, 50.0f);
    plug->readOnlyValues = 1;  // stops early
    EXPECT_EQ(kBadValue, setState(state));
    plug->readOnlyValues = -1;
    // Twelve bytes: the reader runs out in the middle of the second value.
    EXPECT_EQ(kBadValue, setStateWith(state, "data", dataOf(std::vector<uint8_t>(12))));
    plug->checksStates = true;
    plug->stateReads = 0;
    EXPECT_EQ(kBadValue, setStateWith(state, "data", dataOf(std::vector<uint8_t>(bytes.begin(), bytes.end() - 1))));
    EXPECT_EQ(std::pair(0, 50.0), std::pair(plug->stateReads, param(0)));
    bytes.insert(bytes.end(), 3, 0);
    EXPECT_EQ(noErr, setStateWith(state, "data", dataOf(bytes)));  // longer than the plug-in reads: the rest is ignored
    EXPECT_EQ(std::pair(1, 10.0), std::pair(plug->stateReads, param(0)));
    CFRelease(state);
}

TEST_F(AudioUnitBinding, OutputZeroStreamFormatIsStereoFloatNonInterleavedAndNeverOverrunsTheHostsBuffer)
{
    AudioStreamBasicDescription format {};
    UInt32 size = sizeof format;
    ASSERT_EQ(noErr,
              AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &format, &size));
    EXPECT_EQ(40u, size);
    const AudioStreamBasicDescription expected {44100.0, FourCC("lpcm"), 0x29, 4, 1, 4, 2, 32, 0};
    EXPECT_EQ(0, std::memcmp(&expected, &format, sizeof format));
    EXPECT_EQ(kBadProperty, get(kAudioUnitProperty_StreamFormat, &format, kAudioUnitScope_Output, 1));

    struct { double firstField; uint8_t guard[32]; } small {};  // room for the first field only, as the size says
    size = sizeof(double);
    EXPECT_EQ(kBadValue,
              AudioUnitGetProperty(unit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 0, &small, &size));
    EXPECT_TRUE(std::all_of(std::begin(small.guard), std::end(small.guard), [](uint8_t byte) { return byte == 0; }));
}

TEST(AudioUnitStreamFormat, DefaultFormatIsFourBytesAFrameOrFourPerChannelWhenInterleaved)
{
    const struct {
        double rate;
        int channels;
        bool interleaved;
        AudioStreamBasicDescription expected;
    } cases[] = {
        {44100.0, 2, false, {44100.0, FourCC("lpcm"), 0x29, 4, 1, 4, 2, 32, 0}},
        {48000.0, 2, true, {48000.0, FourCC("lpcm"), 9, 8, 1, 8, 2, 32, 0}},
        {96000.0, 1, true, {96000.0, FourCC("lpcm"), 9, 4, 1, 4, 1, 32, 0}},
        {44100.0, 6, true, {44100.0, FourCC("lpcm"), 9, 24, 1, 24, 6, 32, 0}},
    };
    for (const auto& c : cases) {
        const AudioStreamBasicDescription format = MakeDefaultASBD(c.rate, c.channels, c.interleaved);
        EXPECT_EQ(0, std::memcmp(&c.expected, &format, sizeof format)) << c.channels << " " << c.interleaved;
    }
}

TEST_F(AudioUnitBinding, CocoaViewIsOfferedFromSystemVersion10_5On)
{
    plug->AttachGraphics(new IGraphicsMac(plug, 20, 10));
    UInt32 size = 0;
    Boolean writable = true;
    auto cocoaViewInfo = [&] {
        return AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kGlobal, 0, &size, &writable);
    };
    EXPECT_EQ(noErr, cocoaViewInfo());  // the system as it reports itself
    EXPECT_EQ((std::pair<UInt32, Boolean>(16, false)), std::pair(size, writable));
    const std::pair<int32_t, OSStatus> cases[] = {{0x1049, kBadProperty}, {0x104F, kBadProperty}, {0x1050, noErr}};
    for (const auto& [version, status] : cases) {
        platform::SetSystemVersionForTesting(version);
        EXPECT_EQ(status, cocoaViewInfo()) << std::hex << version;
    }
    platform::SetSystemVersionForTesting(platform::kReportedSystemVersion);
}

TEST_F(AudioUnitBinding, RenderPullsInputOncePerSampleTimeAndRefusesMoreFramesThanTheMaximumOrOneTheScratchCannotHold)
{
    InputProbe probe;
    UInt32 maxFrames = 0;
    EXPECT_EQ((Statuses {noErr, kBadProperty, kBadValue, noErr, kBadValue, kBadValue}),
              (Statuses {setInput(&probe), setInput(&probe, 1), setMaxFrames(0x7fffffff),
                         get(kAudioUnitProperty_MaximumFramesPerSlice, &maxFrames), render(513), render(16, 0.0, 0)}));
    // The host's earlier size stays; the last render had no valid sample time.
    EXPECT_EQ(std::pair(512u, 0), std::pair(maxFrames, probe.pulls));
    ASSERT_TRUE(host.renderBlocks(2).ok());
    // The base copies input to output.
    EXPECT_EQ(std::tuple(2, 0.25f, 0.5f),
              std::tuple(probe.pulls, host.outputChannel(0)[100], host.outputChannel(1)[511]));
    EXPECT_EQ((Statuses {noErr, noErr}), (Statuses {render(512, 99999.0), render(512, 99999.0)}));
    EXPECT_EQ(3, probe.pulls);  // the same sample time pulls no more input
    probe.answer = -42;
    EXPECT_EQ(-42, render(512, 99999.0 + 512));
}

TEST_F(AudioUnitBinding, TempoIs138UntilTheHostReportsOneAndTransportAndBeatFollowTheHost)
{
    EXPECT_DOUBLE_EQ(138.0, plug->GetTempo());
    host.setTempo(120.0);
    host.setTimeSignature(3, 4);
    host.setPlaying(true);
    ASSERT_TRUE(host.renderBlocks(10).ok());
    ITimeInfo time;
    plug->GetTime(&time);
    EXPECT_EQ((std::vector<double> {1, 120, 3, 4, 5120}),
              (std::vector<double> {double(time.mTransportIsRunning), time.mTempo, double(time.mNumerator),
                                    double(time.mDenominator), double(plug->GetSamplePos())}));
    EXPECT_NEAR(5120.0 / 44100.0 * 2.0, time.mPPQPos, 1e-9);
    host.setPlaying(false);
    for (double reported : {120.0, 0.0}) {
        host.setTempo(reported);
        EXPECT_DOUBLE_EQ(120.0, plug->GetTempo());  // no tempo keeps the last one
    }
    plug->GetTime(&time);
    EXPECT_FALSE(time.mTransportIsRunning);
}

TEST_F(AudioUnitBinding, ElementNamesOutsideTheBusesNullCallbacksAndAnEmptyParameterListOrViewAreRefused)
{
    CFStringRef name = nullptr;
    ASSERT_EQ(noErr, get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Output, 0));
    EXPECT_EQ("output 1", takeText(name));
    UInt32 size = 99;
    Boolean writable = true;
    AudioUnitParameterInfo info;
    EXPECT_EQ((Statuses {noErr, kBadElement, kBadProperty}),
              (Statuses {AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ParameterList, kGlobal, 0, &size, &writable),
                         get(kAudioUnitProperty_ParameterInfo, &info),
                         AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_CocoaUI, kGlobal, 0, &size, &writable)}));
    EXPECT_EQ((std::pair<UInt32, Boolean> {0, false}), std::make_pair(size, writable));  // nothing is automatable
    EXPECT_EQ(nullptr, host.openCocoaView());  // no surface
    EXPECT_EQ((Statuses {kBadElement, kBadElement, kBadElement, kAudioUnitErr_InvalidScope, kBadProperty}),
              (Statuses {get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Input, 1),
                         get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Input, 2),
                         get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Output, 1),
                         get(kAudioUnitProperty_ElementName, &name, kAudioUnitScope_Group, 0),
                         AudioUnitGetPropertyInfo(unit, kAudioUnitProperty_ElementName, kAudioUnitScope_Input, 2, &size,
                                                  &writable)}));
    AURenderNotifyParams notify {nullptr, nullptr};
    // A listener call and a render still run afterwards.
    EXPECT_EQ((Statuses {kAudioUnitErr_InvalidParameter, kAudioUnitErr_InvalidParameter, noErr, noErr}),
              (Statuses {AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, nullptr, nullptr),
                         CallComponentDispatch(unit, kAudioUnitAddRenderNotifySelect, &notify), setMaxFrames(256),
                         render(256)}));
}

TEST_F(AudioUnitBinding, PropertyListenersSeeTheNewValue)
{
    struct Probe {
        int calls = 0;
        UInt32 maxFrames = 0;
        Float64 latency = 0.0;
    } probe;
    // Reads the changed property back from inside the notification.
    const AudioUnitPropertyListenerProc readBack = [](void* data, AudioUnit unit, AudioUnitPropertyID id,
                                                      AudioUnitScope, AudioUnitElement) {
        auto* probe = static_cast<Probe*>(data);
        ++probe->calls;
        const bool latency = id == kAudioUnitProperty_Latency;
        UInt32 size = latency ? sizeof probe->latency : sizeof probe->maxFrames;
        void* value = latency ? static_cast<void*>(&probe->latency) : &probe->maxFrames;
        AudioUnitGetProperty(unit, id, kGlobal, 0, value, &size);
    };
    for (int i = 0; i < 2; ++i)  // the same listener twice: kept once
        ASSERT_EQ(noErr,
                  AudioUnitAddPropertyListener(unit, kAudioUnitProperty_MaximumFramesPerSlice, readBack, &probe));
    setMaxFrames(256);
    EXPECT_EQ((std::pair<int, UInt32> {1, 256}), std::make_pair(probe.calls, probe.maxFrames));
    AudioUnitRemovePropertyListenerWithUserData(unit, kAudioUnitProperty_MaximumFramesPerSlice, readBack, &probe);
    setMaxFrames(512);
    EXPECT_EQ(1, probe.calls);
    // The plug-in's own latency change reaches the host the same way.
    ASSERT_EQ(noErr, AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, readBack, &probe));
    plug->SetLatency(441);
    EXPECT_DOUBLE_EQ(0.01, probe.latency);
}

TEST(AudioUnitParameters, AutomatableParametersAreListedWithTheirInfo)
{
    TestPlug::automatableForNextOpen = 2;
    host::PluginHost host;
    ASSERT_TRUE(host.loadEntry(&IPluginAU::IPluginAUEntry).ok());
    TestPlug::automatableForNextOpen = 0;
    AudioUnitParameterID ids[4] = {9, 9, 9, 9};
    UInt32 size = sizeof ids;
    ASSERT_EQ(noErr, AudioUnitGetProperty(host.unit(), kAudioUnitProperty_ParameterList, kGlobal, 0, ids, &size));
    EXPECT_EQ((std::vector<UInt32> {0, 1}), std::vector<UInt32>(ids, ids + size / sizeof *ids));

    AudioUnitParameterInfo info {};
    size = sizeof info;
    ASSERT_EQ(noErr, AudioUnitGetProperty(host.unit(), kAudioUnitProperty_ParameterInfo, kGlobal, 1, &info, &size));
    EXPECT_STREQ("Level of the first oscillator in the upper layer, i", info.name);  // cut to the fixed field
    EXPECT_EQ(std::tuple(104u, 100.0f, 1u), std::tuple(size, info.maxValue, info.clumpID));
    EXPECT_EQ(kAudioUnitParameterFlag_IsReadable | kAudioUnitParameterFlag_IsWritable |
                  kAudioUnitParameterFlag_HasCFNameString | kAudioUnitParameterFlag_CFNameRelease |
                  kAudioUnitParameterFlag_HasClump,
              info.flags);
    CFRelease(info.cfNameString);
    EXPECT_EQ(kBadElement,
              AudioUnitGetProperty(host.unit(), kAudioUnitProperty_ParameterInfo, kGlobal, 2, &info, &size));
}

TEST_F(AudioUnitBinding, CarbonViewClosedAfterItsAudioUnitTouchesNothing)
{
    Component viewComponent = RegisterComponentEntry(
        &IPluginAU::IPluginAUCarbonViewEntry,
        ComponentDescription {kAudioUnitCarbonViewComponentType, 0x6B7A366D, 0x566E7431, 0, 0}, "view");
    ComponentInstance view = nullptr;
    ASSERT_EQ(noErr, OpenAComponent(viewComponent, &view));
    void* control = nullptr;
    AudioUnitCarbonViewCreateParams create {unit, nullptr, nullptr, nullptr, nullptr, &control};
    EXPECT_EQ(kBadSelector, CallComponentDispatch(view, kAudioUnitCarbonViewCreateSelect, &create));  // no surface
    host.close();
    EXPECT_EQ(noErr, CloseComponent(view));
    UnregisterComponent(viewComponent);
}

}  // namespace
