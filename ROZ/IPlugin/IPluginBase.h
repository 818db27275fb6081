#pragma once
// The plug-in object: parameters, presets, channel bookkeeping, the plug-in's
// recursive mutex, host identity and the drawing surface. Its virtual table is
// where the Audio Unit binding (IPluginAU) and the editor meet; keep the slot
// order as it stands.
//
// Construction takes two steps: the constructor only stores identity values;
// initialize() creates the parameters, presets and channels.

#include <mutex>
#include <string>
#include <vector>

#include "Hosts.h"
#include "IParam.h"
#include "IPluginStructs.h"
#include "mutex.h"
#include "ptrlist.h"
#include "wdlstring.h"

class IGraphics;
namespace platform {
class MidiClient;
class MidiInputClient;
class MidiOutputClient;
}  // namespace platform

class IPluginBase {
public:
    static constexpr int kNameLength = 128;  // effect, product and maker names: 127 characters

    // Stores version, ids, latency, the state-chunk and instrument flags and
    // the API; the other arguments are taken by initialize().
    IPluginBase(int nParams, const char* channelIOStr, int nPresets, const char* effectName,
                const char* productName, const char* mfrName, int vendorVersion, int uniqueID, int mfrID,
                int latency, bool plugDoesMidi, bool plugDoesChunks, bool plugIsInst, EAPI plugAPI);

    // ---- Virtual operations, in slot order ----
    virtual ~IPluginBase();

    virtual void Reset();
    // Change callbacks: from the GUI or host, and from the hardware.
    virtual void OnParamChange(int paramIdx);
    virtual void OnParamChange2(int paramIdx);
    virtual void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames);
    virtual void ProcessSingleReplacing(float** inputs, float** outputs, int nFrames);
    virtual void OnGUIOpen() {}
    virtual void OnGUIClose() {}
    virtual void OnIdle() {}
    virtual void OnActivate(bool active);
    // fromHardware: the message came from the hardware input port.
    virtual void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware);
    virtual void ProcessSysEx(ISysEx* msg, bool fromHardware);
    virtual bool MidiNoteName(int noteNumber, char* noteName);
    virtual bool SerializeState(ByteChunk* chunk) { return SerializeParams(chunk); }
    virtual int UnserializeState(ByteChunk* chunk, int startPos) { return UnserializeParams(chunk, startPos); }
    virtual bool CompareState(const unsigned char* incomingState, int startPos);
    virtual void OnWindowResize() {}
    virtual bool HostRequestingAboutBox() { return false; }
    virtual void OnHostIdentified() {}
    virtual void PopupHostContextMenuForParam(int /*paramIdx*/, int /*x*/, int /*y*/) {}
    // Any thread but render; takes the plug-in mutex for the whole run
    // (OnParamChange / OnParamChange2 run under it). A bad index is ignored.
    virtual void SetParameterFromGUI(int idx, double normalizedValue);
    virtual void SetParameterFromGUI2(int idx, double normalizedValue);
    virtual void BeginInformHostOfParamChange(int idx) = 0;
    virtual void InformHostOfParamChange(int idx, double normalizedValue) = 0;
    virtual void EndInformHostOfParamChange(int idx) = 0;
    virtual void InformHostOfProgramChange() = 0;
    virtual bool IsRenderingOffline() { return false; }
    virtual int GetSamplePos() = 0;
    virtual double GetTempo() = 0;
    virtual void GetTimeSig(int* numerator, int* denominator) = 0;
    virtual void GetTime(ITimeInfo* timeInfo) = 0;
    virtual EHost GetHost() { return mHost; }
    virtual EAPI GetAPI() { return mAPI; }
    virtual void ResizeGraphics(int width, int height) = 0;
    // Any thread, no lock: pushes every plain value to the surface.
    virtual void RedrawParamControls();
    virtual void SetLatency(int samples) { mLatency = samples; }
    // Senders to the hardware output port: no lock, any thread. The binding
    // supplies them (the port layer); the base sends nothing.
    virtual bool SendMidiVST(IMidiMsg* msg) = 0;
    virtual bool SendMidiMsg(IMidiMsg* msg) = 0;
    virtual bool SendMidiSysex(unsigned char* data, int size);
    virtual bool SendPatchSysex(unsigned char* data, int size);
    virtual bool SendMidiSysex2(std::vector<unsigned char> bytes);
    virtual void HostSpecificInit() {}
    // Takes the plug-in mutex; from then on the plug-in owns the surface.
    virtual void AttachGraphics(IGraphics* graphics);
    virtual bool SendSysEx(ISysEx* /*msg*/) { return false; }
    virtual void DirtyPTCompareState() {}
    virtual void PresetsChangedByHost() {}
    virtual void SetBlockSize(int blockSize);
    // Host thread, under the plug-in mutex. The end of the state the chunk
    // holds from startPos, or -1 when it would not read whole; changes
    // nothing. kStateUnchecked: the plug-in can tell only by reading it.
    static constexpr int kStateUnchecked = -2;
    virtual int CheckState(ByteChunk* /*chunk*/, int /*startPos*/) { return kStateUnchecked; }
    // Render thread: SendMidiMsg that never waits; false when it could not
    // send now (the binding sends through the port layer's try-lock).
    virtual bool TrySendMidiMsg(IMidiMsg* msg) { return SendMidiMsg(msg); }

    // ---- Construction and set-up ----
    void initialize(int nAutomatableParams, int nTotalParams, const char* channelIOStr, int nPresets,
                    const char* effectName, const char* productName, const char* mfrName, int vendorVersion,
                    int uniqueID, int mfrID, int latency, bool plugDoesMidi, bool plugDoesChunks,
                    bool plugIsInst);
    void addNonAutomateParamCount(int n) { mNonAutomateParamCount = n; }

    // ---- Parameters ----
    // The parameter at idx, or null outside the list. Any thread.
    IParam* GetParam(int idx) const { return mParams.Get(idx); }
    int NParams() const { return mParams.GetSize(); }
    int NAutomatableParams() const { return NParams() - mNonAutomateParamCount; }
    int NNonAutomatableParams() const { return mNonAutomateParamCount; }
    IGraphics* GetGUI() const { return mGraphics; }
    // Host thread (the binding): OnParamChange for every automatable
    // parameter, then Reset.
    void OnParamReset();
    // Takes the plug-in mutex: re-announces every automatable value to the host.
    void DirtyParameters();

    // ---- State ----
    // Take the plug-in mutex. Values are plain doubles, 8 bytes each.
    bool SerializeParams(ByteChunk* chunk);
    int UnserializeParams(ByteChunk* chunk, int startPos);
    bool SerializeNonAutomatedParams(ByteChunk* chunk, int n);
    int UnserializeNonAutomatedParams(ByteChunk* chunk, int startPos, int n);

    // ---- Presets (main or host thread) ----
    int NPresets() const { return mPresets.GetSize(); }
    int GetCurrentPresetIdx() const { return mCurrentPresetIdx; }
    bool MakeDefaultPreset(const char* name = nullptr, int nPresets = 1);
    bool RestorePreset(int idx);
    bool RestorePreset(const char* name);
    const char* GetPresetName(int idx) const;
    void PruneUninitializedPresets();
    void ModifyCurrentPreset(const char* name = nullptr);
    void EnsureDefaultPreset();
    bool SerializePresets(ByteChunk* chunk);
    int UnserializePresets(ByteChunk* chunk, int startPos);

    // ---- Preset makers and dumps (start-up or main thread; take the plug-in mutex) ----
    // Fill the first preset not yet initialised with name and the state these
    // values give, keeping the current values. MakePreset takes one value per
    // parameter in index order, MakePresetFromNamedParams n pairs (int index,
    // value) over the defaults: doubles for double parameters, ints for the
    // others. False when no preset is free or an index is outside the list.
    bool MakePreset(const char* name, ...);
    bool MakePresetFromNamedParams(const char* name, int nParamsNamed, ...);
    bool MakePresetFromChunk(const char* name, ByteChunk* chunk);
    // blob: the base64 text of a state of sizeOfChunk bytes.
    bool MakePresetFromBlob(const char* name, const char* blob, int sizeOfChunk);
    // Append to the file the source line that makes the current state a
    // preset of the current preset's name: the automatable parameters by
    // their enum names, or the state as a base64 blob.
    bool DumpPresetSrcCode(const char* fileName, const char* paramEnumNames[]);
    bool DumpPresetBlob(const char* fileName);

    // ---- VST program (.fxp) and bank (.fxb) files (main thread; take the plug-in mutex) ----
    // Through the surface's file panel, starting in the folder used last;
    // false when cancelled, without a window, or for a file that is not a
    // program or bank of this plug-in (nothing is read from it then).
    bool SaveProgramAsFXP(const char* defaultFileName = nullptr);
    bool SaveBankAsFXB(const char* defaultFileName = nullptr);
    bool LoadProgramFromFXP();
    bool LoadBankFromFXB();
    // The files' bytes: the state chunk ("FPCh", "FBCh") when the plug-in
    // does chunks, else the automatable parameters' normalised values.
    bool MakeFXP(ByteChunk* out);
    bool MakeFXB(ByteChunk* out);
    bool ReadFXP(const ByteChunk& bytes);
    bool ReadFXB(const ByteChunk& bytes);

    // ---- MIDI ----
    // Sends each message through SendMidiMsg; true only when every send did.
    // Any thread, no lock (as SendMidiMsg).
    bool SendMidiMsgs(ROZ_TypedBuf<IMidiMsg>* msgs);

    // ---- Host, API and versions ----
    void SetHost(const char* host, int version);
    int GetHostVersion(bool decimal);
    void GetHostVersionStr(char* str);
    int GetEffectVersion(bool decimal) const;
    void GetEffectVersionStr(char* str) const;
    const char* GetAPIString() const;
    const char* GetArchString() const { return "x64"; }
    static void GetVersionParts(int version, int* major, int* minor, int* revision);
    static int GetDecimalVersion(int version);
    // Writes "v%d.%d.%d", "v%d.%d" or "v%d" (at most kVersionStrLength bytes).
    static void GetVersionStr(int version, char* str);
    static constexpr int kVersionStrLength = 32;

    const char* GetEffectName() const { return mEffectName; }
    const char* GetProductName() const { return mProductName; }
    const char* GetMfrName() const { return mMfrName; }
    int GetUniqueID() const { return mUniqueID; }
    int GetMfrID() const { return mMfrID; }
    int GetLatency() const { return mLatency; }
    bool DoesStateChunks() const { return mStateChunks; }
    bool IsInst() const { return mIsInst; }
    bool IsBypassed() const { return mIsBypassed; }

    // ---- Audio buffers (host render path) ----
    double GetSampleRate() const { return mSampleRate; }
    int GetBlockSize() const { return mBlockSize; }
    void SetSampleRate(double sampleRate) { mSampleRate = sampleRate; }
    double GetSamplesPerBeat();
    int NInChannels() const { return mInChannels.GetSize(); }
    int NOutChannels() const { return mOutChannels.GetSize(); }
    int NChannelIO() const { return mChannelIO.GetSize(); }
    void GetChannelIO(int idx, int* nIn, int* nOut) const;
    bool LegalIO(int nIn, int nOut) const;
    void SetInputChannelConnections(int idx, int n, bool connected);
    void SetOutputChannelConnections(int idx, int n, bool connected);
    bool IsInChannelConnected(int chIdx) const;
    bool IsOutChannelConnected(int chIdx) const;
    void AttachInputBuffers(int idx, int n, double** ppData, int nFrames);
    void AttachInputBuffers(int idx, int n, float** ppData, int nFrames);
    void AttachOutputBuffers(int idx, int n, double** ppData);
    void AttachOutputBuffers(int idx, int n, float** ppData);
    void ProcessBuffers(double sampleType, int nFrames);
    void ProcessBuffers(float sampleType, int nFrames);
    void ProcessBuffersAccumulating(float sampleType, int nFrames);
    void PassThroughBuffers(double sampleType, int nFrames);
    void PassThroughBuffers(float sampleType, int nFrames);
    void SetInputLabel(int idx, const char* label);
    void SetOutputLabel(int idx, const char* label);
    void SetInputBusLabel(int idx, const char* label);
    void SetOutputBusLabel(int idx, const char* label);
    const char* GetInputBusLabel(int idx) const;
    // Disconnects every input and output channel after the first two.
    void LimitToStereoIO();
    // Zeroes every channel's scratch buffer.
    void ZeroScratchBuffers();
    const char* GetOutputBusLabel(int idx) const;

    // ---- The plug-in mutex (recursive) ----
    ROZ_Mutex* GetMutex() { return &mMutex; }
    void Lock() { mMutex.Enter(); }
    void Unlock() { mMutex.Leave(); }

    // ======== Hardware MIDI port layer (IPluginBaseMidiPorts.cpp) ========
    // Selection lists: entry 0 is "OFF", then the system's port names as they
    // were when the list was built (once, on the first call: main thread,
    // start-up). The first call also creates that direction's client.
    std::vector<std::string> getExternalMIDIOutNames();
    std::vector<std::string> getExternalMIDIInNames();
    // Under the plug-in mutex (parameter changes, state recall); takes the
    // port mutex. Opens the port of list entry `name`, found by its name among
    // the system's current ports. Returns the list index now in use and
    // leaves it in index; 0 for "OFF", for a name that is not there and for a
    // failed open, which leaves that direction closed.
    int setExternalMIDIOut(int& index, const char* name);
    int setExternalMIDIIn(int& index, const char* name);
    // List position of name, -1 when absent. Takes the port mutex.
    int getExternalMIDIOutDevice(const char* name);
    int getExternalMIDIInDevice(const char* name);
    // "OFF" 0, "virtual output" / "virtual input" 1, a current system port
    // its list position (port + 1), -1 for anything else.
    int GetMIDIOutPortNumber(const char* name);
    int GetMIDIInPortNumber(const char* name);
    // Replaces the output client by one with a virtual port "From " + name.
    // Takes the port mutex.
    bool initializeVirtualOutput(std::string name);
    // On the port layer's MIDI input thread, no lock: hands each message to
    // ProcessMidiMsg / ProcessSysEx with fromHardware set. That thread runs
    // from the first input list request until DestroyMidiPorts; closing the
    // input stops deliveries without waiting for one in progress (it may be
    // waiting for the plug-in mutex the closer holds).
    static void MIDICallback(double timeStamp, std::vector<unsigned char>* message, void* userData);
    static void processMIDIInput(double timeStamp, std::vector<unsigned char>* message, void* userData);
    // What the binding's SendMidiMsg, SendMidiSysex, SendPatchSysex and
    // SendMidiSysex2 do. Any thread (render, MIDI input, workers, main); each
    // takes the port mutex for one whole message, so messages never
    // interleave and never meet a port being opened or closed (the render
    // thread waits only while another send, an open or a close runs). Always
    // true: without an open port the bytes go nowhere.
    // Status and data 1, and data 2 unless a program change or channel pressure.
    bool sendMidiMsgToHardware(const IMidiMsg* msg);
    // The render thread's send: false, with nothing sent, when another
    // thread holds the port (the caller keeps the message for later).
    bool trySendMidiMsgToHardware(const IMidiMsg* msg);
    // F0, the bytes, F7; bytes that start with F0 go out unchanged.
    bool sendSysexToHardware(const unsigned char* data, int size);
    // The bytes unchanged.
    bool sendBytesToHardware(const unsigned char* data, int size);
    // A port chosen by name (by the user or a recalled project) is kept by
    // name until another is chosen: while it is open and goes away, the
    // watch closes it and tells position 0; while it is away and comes back
    // (under a name of the list), the watch opens it again and tells its list
    // position. Under the plug-in mutex, at the first choice (a later call
    // does nothing): the watch runs on a thread of the port layer from then
    // until DestroyMidiPorts, looking at the system's ports every half
    // second with clients of its own, which this call opens, so a look never
    // holds the port mutex the sends take; the callback runs on that thread
    // under the plug-in mutex (no other lock held), as a choice does.
    // look, when given, is called after each look at a chosen port with
    // whether the port was there (the port tests follow the watch with it).
    using MidiPortChange = void (*)(void* user, bool input, int position, const std::string& name);
    using MidiPortLook = void (*)(void* user, bool input, bool there);
    static constexpr const char* kPortWatchThreadName = "midi port watch";
    void watchExternalMIDIPorts(MidiPortChange callback, void* user, MidiPortLook look = nullptr);
    // The name chosen last for that direction, also while its port is away;
    // empty for "OFF". Any thread; takes the port mutex.
    std::string getExternalMIDIChosenName(bool input);
    // Closes both ports, stops the MIDI input thread and deletes both
    // clients. The editor's destructor calls it first, so that no hardware
    // input reaches a half-destroyed editor; the base destructor calls it
    // again (harmless). Never under the plug-in mutex: it waits for the input
    // thread, which may be waiting for that mutex.
    void DestroyMidiPorts();

protected:
    platform::MidiInputClient* midiIn = nullptr;
    platform::MidiOutputClient* midiOut = nullptr;
    int midiInIndex = 0;
    int midiOutIndex = 0;
    std::vector<std::string> midiInNames;
    std::vector<std::string> midiOutNames;

private:
    // Each takes the direction: true for input, false for output.
    platform::MidiClient* ClientFor(bool input) const;
    std::vector<std::string>& NamesFor(bool input);
    std::vector<std::string> PortList(bool input);
    std::vector<std::string> BuildPortList(bool input);
    int ListedDevice(bool input, const char* name);
    int PortNumber(bool input, const char* name);
    int FindListEntry(const std::vector<std::string>& names, const char* name, size_t limit) const;
    int ReportListEntry(bool input, const char* name, size_t limit);
    int FindSystemPort(platform::MidiClient* client, const std::string& name);
    int OpenListedPort(bool input, int position);
    void CloseMidiPort(bool input);
    // Where the chosen port of a direction is: none chosen, open, away from
    // the system (opened again when it is back), or there but not opened.
    enum class ChosenPort { None, Open, Away, Closed };
    struct Chosen {
        std::string name;
        ChosenPort state = ChosenPort::None;
    };
    Chosen& ChosenFor(bool input) { return input ? chosenIn : chosenOut; }
    // Holds midiPortMutex: what a selection of name ended in (position > 0: open).
    void NoteChosen(bool input, const char* name, int position);
    // A chosen port the watch found gone (it was open) or back (it was away).
    struct PortNews {
        bool input;
        Chosen seen;  // as the look found it chosen
    };
    struct PortWatch;
    // One look of the watch at the chosen ports: its thread, no lock held.
    // The look itself takes no lock that a send takes; a change it finds is
    // made by ApplyPortNews.
    void LookAtChosenPorts(PortWatch& watch);
    // Takes the plug-in mutex, then the port mutex; no other lock held.
    void ApplyPortNews(const std::vector<PortNews>& news);
    void StopPortWatch();
    Chosen chosenIn, chosenOut;
    PortWatch* portWatch = nullptr;
    MidiPortChange portWatchCallback = nullptr;
    MidiPortLook portWatchLook = nullptr;
    void* portWatchUser = nullptr;
    // Sends while holding midiPortMutex; without mayWait, false when the
    // port could not be had at once.
    bool SendLocked(const unsigned char* bytes, size_t size, bool mayWait = true);
    // Serialises every send with the others and with opening and closing.
    std::mutex midiPortMutex;
    std::vector<unsigned char> midiSendBuffer;
    // ======== End of the hardware MIDI port layer ========

protected:
    // ---- Members shared with the binding ----
    int mNonAutomateParamCount = 0;
    ROZ_PtrList<ChannelIO> mChannelIO;
    ROZ_Mutex mMutex;
    char mEffectName[kNameLength];
    char mProductName[kNameLength];
    char mMfrName[kNameLength];
    int mUniqueID;
    int mMfrID;
    int mVersion;
    EAPI mAPI;
    EHost mHost = kHostUninit;
    int mHostVersion = 0;
    bool mStateChunks;
    bool mIsInst;
    bool mIsBypassed = false;
    int mCurrentPresetIdx = 0;
    double mSampleRate = 44100.0;
    int mBlockSize = 0;
    int mLatency;
    ROZ_String mPreviousPath;
    IGraphics* mGraphics = nullptr;
    ROZ_PtrList<IParam> mParams;
    ROZ_PtrList<IPreset> mPresets;
    ROZ_TypedBuf<double*> mInData;
    ROZ_TypedBuf<double*> mOutData;
    ROZ_PtrList<InChannel> mInChannels;
    ROZ_PtrList<OutChannel> mOutChannels;
    ROZ_PtrList<ROZ_String> mInputBusLabels;
    ROZ_PtrList<ROZ_String> mOutputBusLabels;

private:
    bool SetParameterFromGUICommon(int idx, double normalizedValue, bool fromHardware);
    bool SerializeParamRange(ByteChunk* chunk, int first, int count);
    int UnserializeParamRange(ByteChunk* chunk, int startPos, int first, int count);
    void ParseChannelIO(const char* channelIOStr, int* maxIn, int* maxOut);
    void CreateChannels(int nIn, int nOut);
    void SetChannelConnections(bool input, int idx, int n, bool connected);
    void ResizeScratchBuffers(int nFrames);
    IPreset* FirstUninitializedPreset() const;
    bool StoreCurrentState(IPreset* preset);
    bool MakePresetFromValues(const char* name, const std::vector<double>& values);
    bool SaveAs(const char* defaultFileName, const char* extension, bool (IPluginBase::*make)(ByteChunk*));
    bool LoadFrom(const char* extension, bool (IPluginBase::*read)(const ByteChunk&));
    void WriteFloatOutputs(int nFrames, bool accumulate);
};

// Holds the plug-in mutex for a scope (null allowed).
class IMutexLock {
public:
    explicit IMutexLock(IPluginBase* plug) : mLock(plug ? plug->GetMutex() : nullptr) {}

private:
    ROZ_MutexLock mLock;
};
