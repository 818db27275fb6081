#pragma once
// The editor plug-in. This part holds what the MIDI messaging paths use of it:
// its state flags, the device ID, the MIDI filters, the incoming entry points,
// the hardware senders and the control-lookup forwards.
//
// Threads: the flags are atomics because the host's threads, the render
// thread, the MIDI input thread and the MIDI workers all read and write them.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "IMidiQueue.h"
#include "IPluginAU.h"
#include "PatchLibrarian.h"
#include "debugger.h"

class ControlLayer;
class IControl;
class ITextControl;
class MIDIMessageManager;
class UIConfigManager;

// The per-type MIDI filters, in the order of their parameters.
enum EMidiFilter {
    kFilterControlChange = 0,
    kFilterProgramChange,
    kFilterNotes,
    kFilterPitchBend,
    kFilterPolyAftertouch,
    kFilterChannelAftertouch,
    kFilterSysEx,
    kMidiFilterCount
};

class Zelto2X : public IPluginAU, public LibrarianHost {
public:
    explicit Zelto2X(IPluginInstanceInfo instanceInfo);
    ~Zelto2X() override;

    // ---- IPluginBase: incoming MIDI ----
    // Host MIDI thread (fromHardware false) or MIDI input thread (true); no lock.
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override;
    void ProcessSysEx(ISysEx* msg, bool fromHardware) override;

    // ---- LibrarianHost (main thread) ----
    void writeLogLine(const std::string& text) override;
    std::string promptForSaveFile(const std::string& defaultName, const std::string& startFolder,
        const std::string& extension) override;
    void setUpperBankNames(const std::string& folderName, const std::string& bankName) override;

    // ---- Sending to the hardware (any thread, no lock) ----
    // Frames, checksums (71 bytes or more) and sends a SysEx message.
    void checksumCheckAndSend(unsigned char* bytes, int size);
    void MIDIOutRoutingSwitch(IMidiMsg* msg);
    void sendMidiMsgAndLog(IMidiMsg* msg);
    void SendProgramChangeCommand(int program, int offset);
    // The channel every message to the hardware uses: kGlobalMidiChannel - 1
    // (0 stays 0). Any thread.
    int deviceChannel() const;
    // The librarian delay in ms (200..500 by kLibSyncTimer, else 100).
    int getTimerValue();

    // ---- Librarian and display glue (Zelto2XLibrarian.cpp) ----
    // Constructor steps: the "PROGRESS" layer with its indicator and cancel
    // buttons, then the bank lists and the librarian popups. Main thread.
    void createProgressOverlay();
    void createLibrarianMenus();
    void DisplayProcessingIndicator(bool show);
    void updateUserInterfaceAndMenus();
    void setLibrarianViewDirty();
    void updatePatchLibrarianView(int list);
    void sendPatchToDeviceFromLibrarian(int slot, int list);
    void displayCategoryName(const std::string& text);
    // Moves the librarian view's selection and the library's transfer slot.
    void selectLibrarianSlot(int slot);
    // The list that holds the librarian view's selection (0 upper, 1 lower).
    int librarianListActive() const;
    // The current sound's name and category as the decoder found them.
    void setCurrentSoundTexts(const std::string& name, const std::string& category);
    std::string currentSoundName() const;
    std::string currentSoundCategory() const;
    // Shows a status line in the status display, when there is one.
    void showStatus(const char* text);

    // ---- Control-lookup forwards (any thread) ----
    IControl* getSysexControl(int a, int b, int c, int d, int sub);
    IControl* getMsbLsbControl(int a, int b, int c, int d, int e);
    IControl* getCCControls(int channel, int cc, int group);
    int getProgramValueByParts(int a, int b, int index);
    void setProgramValueByParts(int a, int b, int index, int value);

    // Parameter value in its own units (0 for a missing index). Any thread.
    double paramValue(int index) const;
    // Stores a value clamped into the parameter's range, telling nobody.
    void setParamValueClamped(int index, double value);
    // Writes a LOG line while the debug switch is on.
    void logDebug(const std::string& text);

    // ---- State ----
    std::atomic<bool> midiOutSet {false};
    std::atomic<bool> patchLoading {false};
    std::atomic<bool> pluginReady {false};
    std::atomic<bool> incomingSysExProcessed {false};
    std::atomic<bool> deviceInitialization {false};  // the global request awaits its dump
    std::atomic<bool> localControl {false};
    std::atomic<bool> trackIncomingMIDI {true};
    std::atomic<bool> toDAWBuffer {false};
    std::atomic<bool> libraryControl {false};  // librarian mode (kControlLibrary == 1)
    std::atomic<bool> dawFilter[kMidiFilterCount];
    std::atomic<bool> hwFilter[kMidiFilterCount];
    std::atomic<int> midiLedOn {0};
    std::atomic<uint32_t> midiLedTime {0};
    std::atomic<int> currentDeviceId {0};
    std::atomic<int> currentDeviceId2 {0};
    std::atomic<int> globalBytes[39];
    // Short messages waiting for their sample offset (toDAWBuffer); the
    // audio thread drains it.
    IMidiQueue midiQueue {IMidiQueue::kDefaultSize};

    // Bank file shown in the upper librarian list (main thread).
    std::string upperBankName;
    std::string upperFolderName;

    // Size of the editor panel before scaling, and the UI scale (0.75, 1.0 or
    // 1.25) every pixel size is multiplied by.
    static constexpr int kEditorWidth = 1500;
    static constexpr int kEditorHeight = 757;
    double guiScale = 1.0;

    bool debugLogEnabled = false;
    std::string logFilePath;
    DebuggerOutput debugOutput;

    UIConfigManager* uiConfig = nullptr;
    PatchLibrarian* patchLibrarian = nullptr;
    MIDIMessageManager* midiMessageManager = nullptr;
    ITextControl* statusText = nullptr;
    ControlLayer* miniMixerLayer = nullptr;
    ControlLayer* arpTempoKnobLayer = nullptr;
    ControlLayer* arpTempoClockLayer = nullptr;

    // ---- MIDI workers: editor state the jobs read (fields of the core and
    // the librarian glue, declared here until those areas land them) ----
    std::atomic<bool> sendClockPointer {false};      // kSendMIDIClockPointer is 1: jobs 11/13 send FA/FC
    std::atomic<bool> sendClockInfo {false};         // kSendMIDIClockInfo is 1: job 12 sends F8
    std::atomic<bool> globalSettingsSent {true};     // job 0's global step has run
    std::atomic<bool> sendGlobalBeforeSound {false}; // job 0 runs the global step every time
    std::atomic<bool> lowerShowsCategories {false};  // lower librarian list shows category banks
    std::atomic<bool> lowerShowsSearch {false};      // ... or search results
    // The "tempoValues" list of the UI configuration (filled at construction).
    std::vector<std::string> tempoValues;
    // Routes the next incoming sound dump to the library (true) or the user
    // interface (false). Any thread.
    void SetLibrarianRequestActive(bool toLibrary);
    // Marks the upper list's bank as changed. Any thread.
    void SetLibrarianStatusUnsaved(bool unsaved);

private:
    void createGraphicsSurface();
    void lightMidiLed();

    mutable std::mutex m_textsMutex;
    std::string m_soundName;
    std::string m_soundCategory;
};
