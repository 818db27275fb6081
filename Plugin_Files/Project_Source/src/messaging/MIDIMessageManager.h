#pragma once
// The editor's MIDI hub: incoming SysEx dispatch and the dump decoders
// (MIDIMessageManagerSysEx.cpp), incoming channel messages with their filters
// (MIDIMessageManagerChannel.cpp), and the record that collects a requested
// sound for the librarian (LibraryPatchRequest.h).
//
// Threads: the incoming paths run on the hardware MIDI input thread or on the
// host's MIDI thread and take no lock of their own. Flags that one thread sets
// and another polls are atomics.

#include <atomic>
#include <cstdint>

#include "LibraryPatchRequest.h"

class Zelto2X;
class PatchManager;
class PatchLibrarian;
class IGraphics;
class IControl;
struct IMidiMsg;
struct ISysEx;

class MIDIMessageManager {
public:
    MIDIMessageManager(Zelto2X* plug, PatchManager* patchManager, PatchLibrarian* patchLibrarian,
        IGraphics* graphics);
    ~MIDIMessageManager();
    MIDIMessageManager(const MIDIMessageManager&) = delete;
    MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

    // ---- Incoming SysEx (MIDI input thread, no lock) ----
    void ProcessSysEx(ISysEx* msg, bool fromHardware);
    // Decodes a sound dump into the parameters (ignores anything else).
    void sysexPartPatchParse(ISysEx* msg);
    // Decodes a global dump into the global parameters (ignores anything else).
    void sysexSettingsParse(ISysEx* msg);
    // The single-parameter steps for a given control (no caller in the editor).
    void processSysExToUI(IControl* control, int value, bool notifyTab, bool, bool suppress);
    void getNormalControl(int b3, int b4, int b5, int b6, int value, bool suppress);
    // Unpacks an 11-byte tap-pattern code into 33 bytes (no caller in the editor).
    static void decodeTapPatternCode(const unsigned char* code, char* out);

    // ---- Incoming channel messages (MIDI input thread / host MIDI thread) ----
    void ProcessMidiMsgFromDevice(IMidiMsg* msg);
    void ProcessMidiMsgFromDAW(IMidiMsg* msg, int offset);
    // Moves the control bound to a control change; returns it, or null.
    IControl* getLegacyCCparam(int cc, int channel, int value, bool notifyTab, bool fromHardware);

    // ---- Jobs ----
    // A sound request for the user interface after a program change (job 5).
    // Dropped while the request thread runs. Any thread.
    bool startSoundRequestJob(int program, int bank);
    bool requestThreadRunning() const { return m_requestThreadRunning.load(); }
    // The last job handed to the request thread (code, program, bank).
    struct JobRecord {
        int code = -1;
        int program = 0;
        int bank = 0;
        bool toUserInterface = false;
    };
    JobRecord lastJob() const;

    // ---- State ----
    Zelto2X* plug;
    PatchManager* patchManager;
    PatchLibrarian* patchLibrarian;
    IGraphics* graphics;
    LibraryPatchRequest libraryRequest;

    std::atomic<bool> patchRequested {false};
    std::atomic<bool> guiUpdatePending {false};
    std::atomic<bool> dataProcessed {false};
    std::atomic<bool> requestProcessedToSlot {false};
    std::atomic<bool> suppressEcho {false};
    std::atomic<bool> controlNotFound {false};
    std::atomic<bool> messageFromHost {false};
    std::atomic<uint32_t> programChangeTime {0};
    // The last pattern-step byte decoded (MIDI input thread writes, any reads).
    std::atomic<int> lastStepEvent {0};
    std::atomic<int> lastStepTime {0};
    std::atomic<int> lastStepGlide {0};

private:
    friend class ManagerParameterSink;
    void adoptDeviceId(int device);
    void completeLibraryRequest(const unsigned char* bytes, int size);
    void applySingleParameter(const unsigned char* bytes);
    void closeSysEx();
    void decodeSoundNameAndCategory(const unsigned char* bytes, int size);
    void storeRawSoundBytes(const unsigned char* bytes, int size);
    void pushParameter(int index, double value);
    void setParameterDirect(int index, double value);
    double parameterValue(int index) const;
    // Moves the control to (value - min) / range of its parameter; false when
    // the control has no parameter or the range is empty.
    bool moveControl(IControl* control, double value);
    // False when the message stops here (filtered or part-locked).
    bool handleProgramChange(int program, bool fromHardware, int offset);
    // Librarian mode: the slot becomes the selection and its sound is sent.
    void selectLibrarySlotAndSend(int program);
    void lightMidiLed(int channel);

    std::atomic<bool> m_requestThreadRunning {false};
    std::atomic<int> m_jobCode {-1};
    std::atomic<int> m_jobProgram {0};
    std::atomic<int> m_jobBank {0};
    std::atomic<bool> m_jobToUserInterface {false};
};
