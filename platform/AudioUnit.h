#pragma once
// Stand-in for the Audio Unit (version 2) interface as this plug-in and its
// host use it: selectors and their parameter blocks, property ids, scopes,
// status codes, the records that properties carry, host callbacks and events.
// The record layouts are this project's own; the sizes match what the
// plug-in reports for each property.

#include "platform/ComponentManager.h"
#include "platform/CoreFoundation.h"

#include <cstdint>

typedef uint8_t UInt8;
typedef int16_t SInt16;
typedef uint16_t UInt16;
typedef int32_t SInt32;
typedef uint32_t UInt32;
typedef uint64_t UInt64;
typedef float Float32;
typedef double Float64;

typedef ComponentInstance AudioUnit;
typedef ComponentInstance AudioComponentInstance;
typedef UInt32 AudioUnitPropertyID;
typedef UInt32 AudioUnitScope;
typedef UInt32 AudioUnitElement;
typedef UInt32 AudioUnitParameterID;
typedef Float32 AudioUnitParameterValue;
typedef UInt32 AudioUnitRenderActionFlags;

// ---- Component types and codes
enum : OSType {
    kAudioUnitType_MusicDevice = FourCC("aumu"),
    kAudioUnitCarbonViewComponentType = FourCC("auvw"),
    kAudioFormatLinearPCM = FourCC("lpcm"),
};

// ---- Status codes
enum : OSStatus {
    kAudioUnitErr_InvalidProperty = -10879,
    kAudioUnitErr_InvalidParameter = -10878,
    kAudioUnitErr_InvalidElement = -10877,
    kAudioUnitErr_NoConnection = -10876,
    kAudioUnitErr_FailedInitialization = -10875,
    kAudioUnitErr_TooManyFramesToProcess = -10874,
    kAudioUnitErr_FormatNotSupported = -10868,
    kAudioUnitErr_Uninitialized = -10867,
    kAudioUnitErr_InvalidScope = -10866,
    kAudioUnitErr_PropertyNotWritable = -10865,
    kAudioUnitErr_InvalidPropertyValue = -10851,
    coreFoundationUnknownErr = -4960,
};

// ---- Scopes
enum : AudioUnitScope {
    kAudioUnitScope_Global = 0,
    kAudioUnitScope_Input = 1,
    kAudioUnitScope_Output = 2,
    kAudioUnitScope_Group = 3,
    kAudioUnitScope_Part = 4,
};

// ---- Selectors
enum : int16_t {
    kAudioUnitInitializeSelect = 1,
    kAudioUnitUninitializeSelect = 2,
    kAudioUnitGetPropertyInfoSelect = 3,
    kAudioUnitGetPropertySelect = 4,
    kAudioUnitSetPropertySelect = 5,
    kAudioUnitGetParameterSelect = 6,
    kAudioUnitSetParameterSelect = 7,
    kAudioUnitResetSelect = 9,
    kAudioUnitAddPropertyListenerSelect = 10,
    kAudioUnitRemovePropertyListenerSelect = 11,
    kAudioUnitRenderSelect = 14,
    kAudioUnitAddRenderNotifySelect = 15,
    kAudioUnitRemoveRenderNotifySelect = 16,
    kAudioUnitScheduleParametersSelect = 17,
    kAudioUnitRemovePropertyListenerWithUserDataSelect = 18,
    kMusicDeviceMIDIEventSelect = 257,
    kMusicDeviceSysExSelect = 258,
    kMusicDevicePrepareInstrumentSelect = 259,
    kMusicDeviceReleaseInstrumentSelect = 260,
    kMusicDeviceStartNoteSelect = 261,
    kMusicDeviceStopNoteSelect = 262,
    kAudioUnitCarbonViewCreateSelect = 0x301,
};

// ---- Property ids
enum : AudioUnitPropertyID {
    kAudioUnitProperty_ClassInfo = 0,
    kAudioUnitProperty_MakeConnection = 1,
    kAudioUnitProperty_SampleRate = 2,
    kAudioUnitProperty_ParameterList = 3,
    kAudioUnitProperty_ParameterInfo = 4,
    kAudioUnitProperty_FastDispatch = 5,
    kAudioUnitProperty_CPULoad = 6,
    kAudioUnitProperty_StreamFormat = 8,
    kAudioUnitProperty_ElementCount = 11,
    kAudioUnitProperty_Latency = 12,
    kAudioUnitProperty_SupportedNumChannels = 13,
    kAudioUnitProperty_MaximumFramesPerSlice = 14,
    kAudioUnitProperty_ParameterValueStrings = 16,
    kAudioUnitProperty_GetUIComponentList = 18,
    kAudioUnitProperty_AudioChannelLayout = 19,
    kAudioUnitProperty_TailTime = 20,
    kAudioUnitProperty_BypassEffect = 21,
    kAudioUnitProperty_LastRenderError = 22,
    kAudioUnitProperty_SetRenderCallback = 23,
    kAudioUnitProperty_FactoryPresets = 24,
    kAudioUnitProperty_ContextName = 25,
    kAudioUnitProperty_RenderQuality = 26,
    kAudioUnitProperty_HostCallbacks = 27,
    kAudioUnitProperty_CurrentPreset = 28,
    kAudioUnitProperty_InPlaceProcessing = 29,
    kAudioUnitProperty_ElementName = 30,
    kAudioUnitProperty_CocoaUI = 31,
    kAudioUnitProperty_SupportedChannelLayoutTags = 32,
    kAudioUnitProperty_ParameterStringFromValue = 33,
    kAudioUnitProperty_ParameterIDName = 34,
    kAudioUnitProperty_ParameterClumpName = 35,
    kAudioUnitProperty_PresentPreset = 36,
    kAudioUnitProperty_OfflineRender = 37,
    kAudioUnitProperty_ParameterValueFromString = 38,
    kAudioUnitProperty_AUHostIdentifier = 46,
    kMusicDeviceProperty_InstrumentCount = 1000,
};

// ---- Records carried by properties
struct AudioStreamBasicDescription {
    Float64 mSampleRate;
    UInt32 mFormatID;
    UInt32 mFormatFlags;
    UInt32 mBytesPerPacket;
    UInt32 mFramesPerPacket;
    UInt32 mBytesPerFrame;
    UInt32 mChannelsPerFrame;
    UInt32 mBitsPerChannel;
    UInt32 mReserved;
};
enum : UInt32 {
    kAudioFormatFlagIsFloat = 1,
    kAudioFormatFlagIsPacked = 8,
    kAudioFormatFlagIsNonInterleaved = 32,
};

struct AudioUnitConnection {
    AudioUnit sourceAudioUnit;
    UInt32 sourceOutputNumber;
    UInt32 destInputNumber;
};

typedef UInt32 AudioUnitParameterUnit;
enum : AudioUnitParameterUnit {
    kAudioUnitParameterUnit_Generic = 0,
    kAudioUnitParameterUnit_Indexed = 1,
    kAudioUnitParameterUnit_Boolean = 2,
    kAudioUnitParameterUnit_CustomUnit = 26,
};
enum : UInt32 {
    kAudioUnitParameterFlag_CFNameRelease = 1u << 4,
    kAudioUnitParameterFlag_HasClump = 1u << 20,
    kAudioUnitParameterFlag_HasCFNameString = 1u << 27,
    kAudioUnitParameterFlag_IsElementMeta = 1u << 29,
    kAudioUnitParameterFlag_IsReadable = 1u << 30,
    kAudioUnitParameterFlag_IsWritable = 1u << 31,
};
struct AudioUnitParameterInfo {
    char name[52];
    CFStringRef unitName;
    UInt32 clumpID;
    CFStringRef cfNameString;
    AudioUnitParameterUnit unit;
    AudioUnitParameterValue minValue;
    AudioUnitParameterValue maxValue;
    AudioUnitParameterValue defaultValue;
    UInt32 flags;
};

struct AUChannelInfo {
    SInt16 inChannels;
    SInt16 outChannels;
};

struct AUPreset {
    SInt32 presetNumber;
    CFStringRef presetName;
};

struct AudioUnitCocoaViewInfo {
    CFURLRef mCocoaAUViewBundleLocation;
    CFStringRef mCocoaAUViewClass[1];
};

struct AudioUnitParameterStringFromValue {
    AudioUnitParameterID inParamID;
    const AudioUnitParameterValue* inValue;
    CFStringRef outString;
};
struct AudioUnitParameterIDName {
    AudioUnitParameterID inID;
    SInt32 inDesiredLength;
    CFStringRef outName;
};
struct AudioUnitParameterNameInfo {
    UInt32 inID;
    SInt32 inDesiredLength;
    CFStringRef outName;
};
struct AudioUnitParameterValueFromString {
    AudioUnitParameterID inParamID;
    CFStringRef inString;
    AudioUnitParameterValue outValue;
};
enum : SInt32 { kAudioUnitParameterName_Full = -1 };

struct AUHostIdentifier {
    CFStringRef hostName;
    struct {
        UInt8 majorRev;
        UInt8 minorAndBugRev;
        UInt8 stage;
        UInt8 nonRelRev;
    } hostVersion;
};

typedef UInt32 AudioChannelLayoutTag;
enum : AudioChannelLayoutTag {
    kAudioChannelLayoutTag_Mono = 0x640001,
    kAudioChannelLayoutTag_Stereo = 0x650002,
    kAudioChannelLayoutTag_Unknown = 0xFFFF0000,
};

// ---- Audio buffers and time
struct AudioBuffer {
    UInt32 mNumberChannels;
    UInt32 mDataByteSize;
    void* mData;
};
struct AudioBufferList {
    UInt32 mNumberBuffers;
    AudioBuffer mBuffers[1];
};
struct AudioTimeStamp {
    Float64 mSampleTime;
    UInt64 mHostTime;
    Float64 mRateScalar;
    UInt64 mWordClockTime;
    UInt32 mFlags;
    UInt32 mReserved;
};
enum : UInt32 { kAudioTimeStampSampleTimeValid = 1, kAudioTimeStampHostTimeValid = 2 };
enum : AudioUnitRenderActionFlags {
    kAudioUnitRenderAction_PreRender = 4,
    kAudioUnitRenderAction_PostRender = 8,
};

typedef OSStatus (*AURenderCallback)(void* inRefCon, AudioUnitRenderActionFlags* ioActionFlags,
                                     const AudioTimeStamp* inTimeStamp, UInt32 inBusNumber, UInt32 inNumberFrames,
                                     AudioBufferList* ioData);
struct AURenderCallbackStruct {
    AURenderCallback inputProc;
    void* inputProcRefCon;
};

typedef void (*AudioUnitPropertyListenerProc)(void* inRefCon, AudioUnit inUnit, AudioUnitPropertyID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement);

// Fast-dispatch functions (property 5); the first argument is the instance storage.
typedef OSStatus (*AudioUnitGetParameterProc)(void* inComponentStorage, AudioUnitParameterID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement,
                                              AudioUnitParameterValue* outValue);
typedef OSStatus (*AudioUnitSetParameterProc)(void* inComponentStorage, AudioUnitParameterID inID,
                                              AudioUnitScope inScope, AudioUnitElement inElement,
                                              AudioUnitParameterValue inValue, UInt32 inBufferOffsetInFrames);
typedef OSStatus (*AudioUnitRenderProc)(void* inComponentStorage, AudioUnitRenderActionFlags* ioActionFlags,
                                        const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber,
                                        UInt32 inNumberFrames, AudioBufferList* ioData);

// ---- Host callbacks (property 27)
typedef OSStatus (*HostCallback_GetBeatAndTempo)(void* inHostUserData, Float64* outCurrentBeat,
                                                 Float64* outCurrentTempo);
typedef OSStatus (*HostCallback_GetMusicalTimeLocation)(void* inHostUserData, UInt32* outDeltaSampleOffsetToNextBeat,
                                                        Float32* outTimeSig_Numerator,
                                                        UInt32* outTimeSig_Denominator,
                                                        Float64* outCurrentMeasureDownBeat);
typedef OSStatus (*HostCallback_GetTransportState)(void* inHostUserData, Boolean* outIsPlaying,
                                                   Boolean* outTransportStateChanged,
                                                   Float64* outCurrentSampleInTimeLine, Boolean* outIsCycling,
                                                   Float64* outCycleStartBeat, Float64* outCycleEndBeat);
struct HostCallbackInfo {
    void* hostUserData;
    HostCallback_GetBeatAndTempo beatAndTempoProc;
    HostCallback_GetMusicalTimeLocation musicalTimeLocationProc;
    HostCallback_GetTransportState transportStateProc;
};

// ---- Scheduled parameter events (selector 17)
typedef UInt32 AUParameterEventType;
enum : AUParameterEventType { kParameterEvent_Immediate = 1, kParameterEvent_Ramped = 2 };
struct AudioUnitParameterEvent {
    AudioUnitScope scope;
    AudioUnitElement element;
    AudioUnitParameterID parameter;
    AUParameterEventType eventType;
    union {
        struct {
            SInt32 startBufferOffset;
            UInt32 durationInFrames;
            AudioUnitParameterValue startValue;
            AudioUnitParameterValue endValue;
        } ramp;
        struct {
            UInt32 bufferOffset;
            AudioUnitParameterValue value;
        } immediate;
    } eventValues;
};

// ---- Events to the host (parameter gestures and changes)
typedef UInt32 AudioUnitEventType;
enum : AudioUnitEventType {
    kAudioUnitEvent_ParameterValueChange = 0,
    kAudioUnitEvent_BeginParameterChangeGesture = 1,
    kAudioUnitEvent_EndParameterChangeGesture = 2,
    kAudioUnitEvent_PropertyChange = 3,
};
struct AudioUnitParameter {
    AudioUnit mAudioUnit;
    AudioUnitParameterID mParameterID;
    AudioUnitScope mScope;
    AudioUnitElement mElement;
};
struct AudioUnitEvent {
    AudioUnitEventType mEventType;
    union {
        AudioUnitParameter mParameter;
    } mArgument;
};
typedef void* AUEventListenerRef;
// Hands the event to the sink of the instance the event names (see
// ComponentInstanceRecord). Any thread.
OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void* inSendingObject,
                               const AudioUnitEvent* inEvent);

// ---- Parameter blocks, one per selector
struct AUGetPropertyInfoParams {
    AudioUnitPropertyID inID;
    AudioUnitScope inScope;
    AudioUnitElement inElement;
    UInt32* outDataSize;
    Boolean* outWritable;
};
struct AUGetPropertyParams {
    AudioUnitPropertyID inID;
    AudioUnitScope inScope;
    AudioUnitElement inElement;
    void* outData;
    UInt32* ioDataSize;
};
struct AUSetPropertyParams {
    AudioUnitPropertyID inID;
    AudioUnitScope inScope;
    AudioUnitElement inElement;
    const void* inData;
    UInt32 inDataSize;
};
struct AUGetParameterParams {
    AudioUnitParameterID inID;
    AudioUnitScope inScope;
    AudioUnitElement inElement;
    AudioUnitParameterValue* outValue;
};
struct AUSetParameterParams {
    AudioUnitParameterID inID;
    AudioUnitScope inScope;
    AudioUnitElement inElement;
    AudioUnitParameterValue inValue;
    UInt32 inBufferOffsetInFrames;
};
struct AUResetParams {
    AudioUnitScope inScope;
    AudioUnitElement inElement;
};
struct AUPropertyListenerParams {
    AudioUnitPropertyID inID;
    AudioUnitPropertyListenerProc inProc;
    void* inProcUserData;
};
struct AURenderParams {
    AudioUnitRenderActionFlags* ioActionFlags;
    const AudioTimeStamp* inTimeStamp;
    UInt32 inOutputBusNumber;
    UInt32 inNumberFrames;
    AudioBufferList* ioData;
};
struct AURenderNotifyParams {
    AURenderCallback inProc;
    void* inProcUserData;
};
struct AUScheduleParametersParams {
    const AudioUnitParameterEvent* inParameterEvent;
    UInt32 inNumParamEvents;
};
struct MusicDeviceMIDIEventParams {
    UInt32 inStatus;
    UInt32 inData1;
    UInt32 inData2;
    UInt32 inOffsetSampleFrame;
};
struct MusicDeviceSysExParams {
    const UInt8* inData;
    UInt32 inLength;
};
typedef UInt32 NoteInstanceID;
struct MusicDeviceNoteParams {
    UInt32 argCount;
    Float32 mPitch;
    Float32 mVelocity;
};
struct MusicDeviceStartNoteParams {
    UInt32 inInstrument;
    UInt32 inGroupID;
    NoteInstanceID* outNoteInstanceID;
    UInt32 inOffsetSampleFrame;
    const MusicDeviceNoteParams* inParams;
};
struct MusicDeviceStopNoteParams {
    UInt32 inGroupID;
    NoteInstanceID inNoteInstanceID;
    UInt32 inOffsetSampleFrame;
};
struct Float32Point {
    Float32 x;
    Float32 y;
};
struct AudioUnitCarbonViewCreateParams {
    AudioUnit inEditAudioUnit;
    void* inWindow;
    void* inParentControl;
    const Float32Point* inLocation;
    const Float32Point* inSize;
    void** outControl;
};

// ---- Host-side calls: each sends its selector through the component entry.
// Thread: whichever thread the host uses (render from its render thread).
OSStatus AudioUnitInitialize(AudioUnit unit);
OSStatus AudioUnitUninitialize(AudioUnit unit);
OSStatus AudioUnitGetPropertyInfo(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope,
                                  AudioUnitElement element, UInt32* outDataSize, Boolean* outWritable);
OSStatus AudioUnitGetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              void* outData, UInt32* ioDataSize);
OSStatus AudioUnitSetProperty(AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element,
                              const void* inData, UInt32 inDataSize);
OSStatus AudioUnitGetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue* outValue);
OSStatus AudioUnitSetParameter(AudioUnit unit, AudioUnitParameterID id, AudioUnitScope scope,
                               AudioUnitElement element, AudioUnitParameterValue value, UInt32 bufferOffset);
OSStatus AudioUnitReset(AudioUnit unit, AudioUnitScope scope, AudioUnitElement element);
OSStatus AudioUnitAddPropertyListener(AudioUnit unit, AudioUnitPropertyID id, AudioUnitPropertyListenerProc proc,
                                      void* userData);
OSStatus AudioUnitRemovePropertyListenerWithUserData(AudioUnit unit, AudioUnitPropertyID id,
                                                     AudioUnitPropertyListenerProc proc, void* userData);
OSStatus AudioUnitRender(AudioUnit unit, AudioUnitRenderActionFlags* ioActionFlags, const AudioTimeStamp* timeStamp,
                         UInt32 outputBus, UInt32 frames, AudioBufferList* ioData);
OSStatus AudioUnitScheduleParameters(AudioUnit unit, const AudioUnitParameterEvent* events, UInt32 count);
OSStatus MusicDeviceMIDIEvent(AudioUnit unit, UInt32 status, UInt32 data1, UInt32 data2, UInt32 offsetSampleFrame);
OSStatus MusicDeviceSysEx(AudioUnit unit, const UInt8* data, UInt32 length);
