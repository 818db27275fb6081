#pragma once
// The Audio Unit (version 2) binding: the component entry that creates the
// plug-in and dispatches every selector, the property handlers, the
// fast-dispatch parameter and render functions, the class-info state, host
// callbacks for tempo, beat, time signature and transport, and the
// notifications the plug-in sends to its host.
//
// Sources: IPluginAU.cpp (construction, buses, host queries, state, sending
// to the hardware port), IPluginAUDispatch.cpp (selectors, parameters,
// render), IPluginAUProperties.cpp (properties), IPluginAUView.cpp (view
// entries and the Cocoa view factory).

#include <atomic>

#include "IPluginBase.h"
#include "platform/AudioUnit.h"

// Made by the plug-in module: the editor, built under the module's own lock.
class IPluginAU;
IPluginAU* MakePlug();

// The stream format of n channels of 32-bit linear PCM floats at the sample
// rate: packed and non-interleaved, 4 bytes a frame and a packet (the format
// the binding reports for a bus), or interleaved with 4 x n bytes a frame
// and a packet. Any thread.
AudioStreamBasicDescription MakeDefaultASBD(double sampleRate, int nChannels, bool interleaved);

class IPluginAU : public IPluginBase {
public:
    // How an input bus gets its audio.
    enum EAUInputType {
        eNotConnected = 0,
        eDirectFastProc = 1,
        eDirectNoFastProc = 2,
        eRenderCallback = 3,
    };
    static const char* AUInputTypeStr(int type);

    // Stores the identity values for the Audio Unit API; every member stays
    // empty until initialize().
    IPluginAU(IPluginInstanceInfo instanceInfo, int nParams, const char* channelIOStr, int nPresets,
              const char* effectName, const char* productName, const char* mfrName, int vendorVersion, int uniqueID,
              int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, int plugScChans);

    // Second construction step, called once by the editor's constructor:
    // parameters, presets and channels, then buses and a block size of 1024.
    void initialize(IPluginInstanceInfo instanceInfo, int nAutomatableParams, int nTotalParams,
                    const char* channelIOStr, int nPresets, const char* effectName, const char* productName,
                    const char* mfrName, int vendorVersion, int uniqueID, int mfrID, int latency, bool plugDoesMidi,
                    bool plugDoesChunks, bool plugIsInst, int plugScChans);

    // ---- IPluginBase overrides
    ~IPluginAU() override;
    // Host notifications: on the thread that changed the value, no lock of their own.
    void BeginInformHostOfParamChange(int idx) override;
    void InformHostOfParamChange(int idx, double normalizedValue) override;
    void EndInformHostOfParamChange(int idx) override;
    void InformHostOfProgramChange() override;
    bool IsRenderingOffline() override { return mIsOffline; }
    // Host queries: render thread or host thread, no lock.
    int GetSamplePos() override;
    double GetTempo() override;
    void GetTimeSig(int* numerator, int* denominator) override;
    void GetTime(ITimeInfo* timeInfo) override;
    EHost GetHost() override;
    void ResizeGraphics(int width, int height) override;
    void SetLatency(int samples) override;
    // Senders to the hardware output port: any thread, no lock.
    bool SendMidiVST(IMidiMsg* msg) override;
    bool SendMidiMsg(IMidiMsg* msg) override;
    bool TrySendMidiMsg(IMidiMsg* msg) override;
    bool SendMidiSysex(unsigned char* data, int size) override;
    bool SendPatchSysex(unsigned char* data, int size) override;
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override;
    void HostSpecificInit() override;
    // Host thread under the plug-in mutex: sizes the scratch memories.
    void SetBlockSize(int blockSize) override;

    // ---- Component entries (exported by the module under its own names)
    // Every selector but open and close runs under the plug-in mutex.
    static ComponentResult IPluginAUEntry(ComponentParameters* params, void* plug);
    // Carbon view component; takes no lock.
    static ComponentResult IPluginAUCarbonViewEntry(ComponentParameters* params, void* viewRecord);

    // ---- Fast-dispatch functions (property 5)
    // Host thread; take the plug-in mutex.
    static OSStatus GetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue* value);
    static OSStatus SetParamProc(void* plug, AudioUnitParameterID paramID, AudioUnitScope scope,
                                 AudioUnitElement element, AudioUnitParameterValue value, UInt32 offsetFrames);
    // Render thread; no lock, no allocation.
    static OSStatus RenderProc(void* plug, AudioUnitRenderActionFlags* flags, const AudioTimeStamp* timeStamp,
                               UInt32 outputBusIdx, UInt32 nFrames, AudioBufferList* bufferList);

    // The view a Cocoa view factory gives the host for this plug-in, or null
    // without a drawing surface. Main thread.
    void* OpenCocoaView();
    // True while plug is a live plug-in of this module. Any thread.
    static bool IsLivePlug(const IPluginAU* plug);

    AudioUnit GetComponentInstance() const { return mCI; }
    int NInputBuses() const { return mInBuses.GetSize(); }
    int NOutputBuses() const { return mOutBuses.GetSize(); }

protected:
    struct BusChannels {
        bool mConnected = false;
        int mNHostChannels = -1;
        int mNPlugChannels = 0;
        int mPlugChannelStartIdx = 0;
    };
    struct InputBusConnection {
        void* mUpstreamPlug = nullptr;
        AudioUnit mUpstreamUnit = nullptr;
        int mUpstreamBusIdx = 0;
        AudioUnitRenderProc mUpstreamRenderProc = nullptr;
        AURenderCallbackStruct mUpstreamRenderCallback{};
        EAUInputType mInputType = eNotConnected;
    };
    struct PropertyListener {
        AudioUnitPropertyID mPropID;
        AudioUnitPropertyListenerProc mListenerProc;
        void* mProcArgs;
    };
    struct RenderNotify {
        AURenderCallback mFunc;
        void* mFuncArgs;
    };

private:
    // IPluginAUDispatch.cpp
    ComponentResult Dispatch(int16_t selector, const void* args);
    ComponentResult DoInitialize();
    ComponentResult AddPropertyListener(const AUPropertyListenerParams* args);
    ComponentResult RemovePropertyListener(const AUPropertyListenerParams* args, bool matchUserData);
    ComponentResult RemoveRenderNotify(AURenderCallback func);
    ComponentResult ScheduleParameters(const AUScheduleParametersParams* args);
    ComponentResult StartNote(const MusicDeviceStartNoteParams* args);
    OSStatus PullInputs(const AudioTimeStamp* timeStamp, UInt32 nFrames);
    void AttachOutputBus(int busIdx, AudioBufferList* bufferList);
    bool IsLastConnectedOutputBus(int busIdx);
    void CallRenderNotifies(AudioUnitRenderActionFlags flag, const AudioTimeStamp* timeStamp, UInt32 busIdx,
                            UInt32 nFrames, AudioBufferList* list);
    void ClearConnections();

    // IPluginAUProperties.cpp
    ComponentResult GetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                UInt32* dataSize, Boolean* writeable, void* data);
    ComponentResult GetGlobalProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                      UInt32* dataSize, Boolean* writeable, void* data, bool* handled);
    ComponentResult GetParameterProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                         UInt32* dataSize, void* data, bool* handled);
    ComponentResult GetBusProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                   UInt32* dataSize, Boolean* writeable, void* data, bool* handled);
    ComponentResult SetProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                UInt32 dataSize, const void* data);
    ComponentResult ApplyProperty(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element,
                                  UInt32 dataSize, const void* data);
    ComponentResult GetParamInfo(AudioUnitElement element, AudioUnitParameterInfo* info);
    ComponentResult GetElementName(AudioUnitScope scope, AudioUnitElement element, void* data);
    ComponentResult GetStringFromValue(AudioUnitParameterStringFromValue* request);
    ComponentResult GetParamIDName(AudioUnitParameterIDName* request);
    ComponentResult GetClumpName(AudioUnitParameterNameInfo* request);
    ComponentResult GetValueFromString(AudioUnitParameterValueFromString* request);
    ComponentResult GetCocoaViewInfo(AudioUnitCocoaViewInfo* info);
    CFArrayRef MakeFactoryPresetArray();
    ComponentResult MakeConnection(AudioUnitScope scope, const AudioUnitConnection* connection);
    ComponentResult SetRenderCallback(AudioUnitScope scope, AudioUnitElement element,
                                      const AURenderCallbackStruct* callback);
    ComponentResult SetHostIdentifier(const AUHostIdentifier* identifier);
    ComponentResult SetStreamFormat(AudioUnitScope scope, AudioUnitElement element,
                                    const AudioStreamBasicDescription* format);
    void FillStreamFormat(const BusChannels* bus, AudioStreamBasicDescription* format) const;
    int GetParamGroupClumpID(const char* groupName);

    // IPluginAU.cpp
    void MakeBuses(int nInputs, int nOutputs, int nSideChain);
    BusChannels* GetBus(AudioUnitScope scope, AudioUnitElement busIdx);
    // The parameter a host id names, or null when there is none.
    IParam* ParamFromID(AudioUnitParameterID paramID) const;
    int NHostChannelsConnected(ROZ_PtrList<BusChannels>* buses, int excludeIdx = -1);
    bool CheckLegalIO(AudioUnitScope scope, int busIdx, int nChannels);
    void AssessInputConnections();
    void CallPropertyListeners(AudioUnitPropertyID propID, AudioUnitScope scope, AudioUnitElement element);
    void SendAUEvent(AudioUnitEventType type, int paramIdx);
    ComponentResult GetState(CFPropertyListRef* plist);
    ComponentResult SetState(CFPropertyListRef plist);
    bool ReadStateChunk(ByteChunk* chunk);
    void ClearHostCallbacks();

    ROZ_String mOSXBundleID;
    ROZ_String mCocoaViewFactoryClassName;
    char mParamDisplayStr[55];
    AudioUnit mCI = nullptr;
    bool mActive = false;
    bool mIsOffline = false;
    double mLastRenderSampleTime = -1.0;
    // The clock worker and the render thread both ask for the tempo.
    std::atomic<double> mTempo {138.0};
    HostCallbackInfo mHostCallbacks{};
    ROZ_TypedBuf<float> mInScratchBuf{4096};
    ROZ_TypedBuf<float> mOutScratchBuf{4096};
    ROZ_PtrList<RenderNotify> mRenderNotify;
    ROZ_PtrList<BusChannels> mInBuses;
    ROZ_PtrList<BusChannels> mOutBuses;
    ROZ_PtrList<InputBusConnection> mInBusConnections;
    ROZ_PtrList<PropertyListener> mPropertyListeners;
    // Host group names, in the order the host first asked for them (clump id = index + 1).
    ROZ_PtrList<ROZ_String> mParamGroups;
};
