#pragma once
// The editor plug-in: one object that the host, the render thread, the MIDI
// input thread, the three MIDI workers and the main thread all meet in.
//
// The declarations are grouped by area, each with the file that holds it:
// the framework bases it implements, the editor core (start-up and state,
// audio thread, routing, parameter changes and views), the MIDI worker jobs,
// the UI configuration's lookups and the librarian glue. Each public
// operation says which threads call it and which lock it takes; shared flags
// are atomics for that reason.

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "IMidiQueue.h"
#include "IPluginAU.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "RenderLog.h"
#include "debugger.h"

class ControlAction;
class IGraphicsMac;
class ControlLayer;
class IControl;
class PatchManager;
class ITextControl;
class MIDIMessageManager;
class UIConfigManager;
// Librarian view and menus
class LibrarianViewControl;
class ProgressIndicator;
class LeftPatchPopupMenu;
class RightPatchPopupMenu;
class RightCategoryPopupMenu;
class RightSearchPopupMenu;
class ProgBankNamePopupMenu;
class BankEditPopupMenu;
class FileEditPopupMenu;
class FileCopyPopupMenu;
class BankNumberPopupMenu;
class ProgramNumberPopupMenu;

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

// Where a whole-sound send (worker job 0) goes and what it carries.
enum class WholeSoundSend {
    ToHardware,               // the editor's sound, global settings as the flag says
    ToLibrary,                // into the librarian's selected slot
    ToHardwareWithoutGlobal,  // this send leaves the global settings out
    RecalledToHardware,       // after a project recall; holds patchLoading while it runs
};

// A surface of that size and frame rate (0: the default) that loads its
// resources from the editor's bundle. Main thread, no lock.
IGraphicsMac* MakeGraphics(IPluginBase* plug, int width, int height, int fps);

class Zelto2X : public IPluginAU, public LibrarianHost {
public:
    explicit Zelto2X(IPluginInstanceInfo instanceInfo);
    ~Zelto2X() override;

    // ======== Framework bases ========

    // ---- IPluginBase: incoming MIDI (Zelto2XRouting.cpp) ----
    // Host MIDI thread (fromHardware false) or MIDI input thread (true); no lock.
    void ProcessMidiMsg(IMidiMsg* msg, bool fromHardware) override;
    void ProcessSysEx(ISysEx* msg, bool fromHardware) override;

    // ---- IPluginBase: parameter changes (Zelto2XParamChange.cpp) ----
    // GUI and host changes (OnParamChange) and values from the hardware
    // (OnParamChange2). Any thread but render; both take the plug-in mutex.
    void OnParamChange(int paramIdx) override;
    void OnParamChange2(int paramIdx) override;

    // ---- IPluginBase: project state (Zelto2XState.cpp; host thread, under the plug-in mutex) ----
    bool SerializeState(ByteChunk* chunk) override;
    int UnserializeState(ByteChunk* chunk, int startPos) override;
    // The end of the whole state at startPos, or -1; applies nothing.
    int CheckState(ByteChunk* chunk, int startPos) override;
    // full false: the short form (header and the 240 stored values).
    bool SerializeState2(ByteChunk* chunk, bool full);
    // Checks the whole chunk first: -1 and nothing changed when it is short
    // or holds a value that is not a number; else recalls it and returns the
    // position after the stored values (bytes after them are not read).
    int UnserializeState2(ByteChunk* chunk, int startPos, bool full);
    // The stored parameters: indexes 0 to 239, whatever the parameter count.
    static constexpr int kStoredParamCount = 240;

    // ---- IPluginBase: audio (Zelto2XAudio.cpp) ----
    // Host thread, under the plug-in mutex.
    void Reset() override;
    // Render thread: takes no lock, allocates nothing and never waits.
    void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

    // ---- IPluginBase: the view (Zelto2X.cpp; main thread, takes the notice lock) ----
    void OnGUIOpen() override;
    void OnGUIClose() override;

    // ---- LibrarianHost (Zelto2X.cpp; main thread) ----
    void writeLogLine(const std::string& text) override;
    std::string promptForSaveFile(const std::string& defaultName, const std::string& startFolder,
        const std::string& extension) override;
    void setUpperBankNames(const std::string& folderName, const std::string& bankName,
                           const std::string& path) override;
    void reportSaveFailure(const std::string& path) override;
    void reportChangedOnDisk(const std::string& path) override;

    // ======== Editor core: start-up, data folder, settings (Zelto2X.cpp, Zelto2XSettings.cpp) ========

    // ---- Data folder (any thread) ----
    const std::string& getDataFolder() const { return dataFolder; }
    std::string getPatchesFolderStr() const { return dataFolder + "Patches"; }
    int getPatchesFolderLength() const { return static_cast<int>(getPatchesFolderStr().size()); }
    // Main thread: the data folder, or with manual the user manual in it.
    void OpenDataDirectory(bool manual);
    // "Timbre <timbre + 1> <name>"; valid until the next call. Main thread.
    const char* getPanelString(int timbre, const std::string& name);

    // ---- UI settings writers (parameter handling, under the plug-in mutex) ----
    void userInterfaceSizeChanged(int value);
    void firstRunExitChanged(double value);

    // ---- Parameters and the debug log (any thread) ----
    // Parameter value in its own units (0 for a missing index).
    double paramValue(int index) const;
    // Stores a value clamped into the parameter's range and shows it on the
    // parameter's controls; runs no handler and tells no host. Any thread but render.
    void setParamValueClamped(int index, double value);
    // Writes a LOG line while the debug switch is on.
    void logDebug(const std::string& text);
    // The message manager's dispatcher thread: writes the LOG lines the
    // render thread left.
    void writeRenderLogLines();

    // ---- Controls and layers (Zelto2X.cpp, Zelto2XViews.cpp) ----
    // The first control bound to the parameter, or null. Any thread, the
    // render thread included: a table filled at start-up, no lock.
    IControl* paramControl(int paramIdx) const;
    ITextControl* paramTextControl(int paramIdx) const;
    // Takes the first control of every parameter from the surface (start-up;
    // again after controls are added). Main thread.
    void rememberControls();
    // A layer by its configuration name, or the editor-made one of that name;
    // null (logged once per name) when there is none. Any thread but render
    // after start-up; takes the lookup mutex.
    ControlLayer* findLayer(const std::string& name);
    // Hide / GrayOut by name or by parameter; missing ones are skipped (and
    // logged once). Any thread but render: they only set flags and dirty marks.
    void showLayer(const char* name, bool show);
    void grayLayer(const char* name, bool gray);
    void showParamControl(int paramIdx, bool show);
    void grayParamControl(int paramIdx, bool gray);

    // ======== Editor core: sending to the hardware and routing (Zelto2XRouting.cpp) ========
    // Any thread but render unless noted; no lock of their own.

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
    // Whether a message built for a parameter change may go to the hardware:
    // never for a value from the hardware, nor for one an incoming hardware
    // message set while local control is on. Any thread.
    bool mayEchoToHardware() const;
    // Turns a parameter value into the action's MIDI. Runs inside the
    // caller's plug-in mutex; sends without a lock.
    void processControlAction(ControlAction* action, int paramIdx, double value);
    // Without an output, "Set MIDI I/O First!" goes to the changes that had
    // something to send: not the device and channel choices, and not a
    // momentary button's press, whose action sends nothing and which tells
    // its own outcome (SEND and REQUEST give the hint through outputOpenOrHint).
    bool hintsMissingOutput(const ControlAction& action, int paramIdx) const;
    // True with an output open; else the hint on the status name line. Any thread.
    bool outputOpenOrHint();
    // The last steps of both handlers: the action's switched layer shows the
    // page of the value, then processControlAction. Inside the plug-in mutex.
    void switchLayerAndAct(ControlAction* action, int paramIdx, double value);
    // Device-ID enquiry after an output was chosen (sleeps 100 ms when sent).
    void sendSysExInitialization();
    // The request worker at the end of that enquiry; answered: the synth's
    // global dump came. Takes the notice lock.
    void deviceEnquiryEnded(bool answered);
    // All Notes Off on the device channel. Handler threads (the render thread
    // has its own path that never waits for the port).
    void AllSoundsOff();
    // All Notes Off, bank select and program change (sleeps 100 ms). Always true.
    bool BankChangeMessage();
    // After a program step with section locks on: waits (bounded, with the
    // plug-in mutex released) for the requested sound, then sends the whole
    // sound back. Handler thread.
    void sendPartDataBackToHardware(int unused = 0);
    void sendPatchAndPatternToDevice(int, bool, bool sendGlobalFirst, bool, bool);

    // ======== Editor core: value display, views and commands (Zelto2XViews.cpp, Zelto2XCommands.cpp) ========
    // Any thread but render (the text controls guard their texts).

    std::string getValueString(double value);
    // Writes the status display's name line and value line (null-safe).
    void showStatusLines(const char* name, const char* value);
    // Shows a status line in the status display, when there is one.
    void showStatus(const char* text);
    void setTextOfParam(int paramIdx, const char* text);
    // Sets a parameter and its controls without running a handler.
    void setFromPlug(int paramIdx, double value);
    // Shows the overlays of the pattern steps beyond the pattern length.
    void DrawPatternOverlayer(int patternLength);
    // The progress indicator with its layer "PROGRESS".
    void showProgressOverlay(bool show);
    void DisplayProcessingIndicator(bool show);
    // Opens a support web page: 0 tickets, 1 downloads, 2 articles. Main thread.
    void OpenHelpTopics(int topic);

    // ======== MIDI workers: job starts (Zelto2XRouting.cpp) ========
    // The render thread only posts its jobs (settleClockJob, settleSoundRequest).

    // Job 0, issued only when its worker thread is idle (a busy thread drops
    // it); true only when the thread really started. Any thread but render.
    bool startWholeSoundJob(WholeSoundSend send);

    // ======== UI configuration: control lookups for the decoders (Zelto2XRouting.cpp) ========
    // Any thread; the maps are filled at start-up and only read after.
    IControl* getSysexControl(int a, int b, int c, int d, int sub);
    IControl* getMsbLsbControl(int a, int b, int c, int d, int e);
    IControl* getCCControls(int channel, int cc, int group);
    int getProgramValueByParts(int a, int b, int index);
    void setProgramValueByParts(int a, int b, int index, int value);

    // ======== Librarian glue (Zelto2XLibrarian*.cpp) ========
    // Main thread unless noted. Library lists are read under libraryLock().

    // ---- Construction steps ----
    // The "PROGRESS" layer with its indicator and cancel buttons, then the
    // bank lists and the librarian popups.
    void createProgressOverlay();
    void createLibrarianMenus();
    // Lets the configuration build the librarian view (before readUIConfig).
    void installLibrarianViewFactory();

    // ---- Lists and menus ----
    // Rescans (reload) or only re-lists the library; kind 0 banks, 1 categories,
    // 4 search results in the lower list. A reload waits while a request job runs.
    void patchTypeChanged(int unused, int kind, bool reload);
    void ResetPatchSelectionMenus();
    // Main thread (each frame and before a librarian menu opens): the menu
    // rebuilds other threads asked for, then a reload that waited for a
    // request job, once the job has ended.
    void runPendingLibrarianWork();
    // Menus are built and shown on the main thread only; from another thread
    // the work waits for runPendingLibrarianWork.
    void onMenuThread(std::function<void()> work);
    void refreshPopUpMenus();
    void showFileEditMenu(int x, int y);
    void showFileCopyMenu(int x, int y);
    void updateUserInterfaceAndMenus();
    void setLibrarianViewDirty();
    void updatePatchLibrarianView(int list);
    // Refills the popup of the upper (0) or lower (1) list, ticking index.
    void refreshListPopup(int list, int index);
    void rebuildMainLibrarianMenu();
    // Makes the bank whose file is at path (with no path: the bank
    // (folderName, fileName)) of the library the upper list's bank, the one
    // label, slots, stores and Save use (after an import, a save); false,
    // nothing changed, when the library holds no such bank.
    bool selectBankByFileName(const std::string& folderName, const std::string& fileName,
        const std::string& path = std::string());
    // The bank file a list shows (0 upper, else lower), or null. Takes libraryLock().
    PatchFile* librarianListBank(int list);
    // The files a list offers: the upper list the bank files, the lower one
    // what patchTypeChanged last listed there. Caller holds libraryLock().
    PatchFileList& librarianListFiles(int list);
    // The one road by which a list changes its bank: the library's selection,
    // the list parameter with its label, the names the menus tick and the
    // view's slots all name the file at index afterwards (an index outside
    // the list: its first file). Any thread but render.
    void selectListBank(int list, int index);
    // Shows the lower list's popup for what it lists, hides the other two.
    void showLowerListMenu();
    // The search field while search is on, else SHOW CATEGORIES, at one spot.
    void showSearchOrCategorySwitch();
    // The display name of a bank file: long names shortened to 47 characters,
    // "~n" and the lower-case extension, never more than 55 characters.
    // prefix and number carry the running count through one rebuild.
    static std::string bankDisplayName(const std::string& fileName, std::string& prefix, int& number);

    // ---- The list view ----
    // Moves the librarian view's selection and the library's transfer slot.
    void selectLibrarianSlot(int slot);
    // The same for the list the bank store reads (0 upper, else lower). Worker thread.
    void selectLibrarianListSlot(int list, int slot);
    // The list that holds the librarian view's selection (0 upper, 1 lower).
    int librarianListActive() const;
    int librarianSelectedSlot(int list);
    void setLibrarianDragEnabled(bool enabled);
    int librarianCurrentProgram();
    void setLibrarianCurrentProgram(int program);
    void clearPendingRename();

    // ---- Texts (any thread: the text controls guard their texts) ----
    void displayText(const std::string& name, const std::string& value, const std::string& cc);
    void displayPatchName(const std::string& text);
    void displayCategoryName(const std::string& text);
    void DisplayLibrarianPatchCategory(int slot, int list);
    // The SLOT CATEGORY box for the view's selected slot, as the list now holds it.
    void showSelectedSlotCategory();
    void updateBankAndProgramMenuNames(bool keepBankMenu);
    // The current sound's name and category as the decoder found them. Any
    // thread; under the texts mutex.
    void setCurrentSoundTexts(const std::string& name, const std::string& category);
    std::string currentSoundName() const;
    std::string currentSoundCategory() const;
    // The sound category box: the word stored for the current sound (a byte
    // above 20 reads "NONE" whatever kCategoryName was clamped to); before any
    // sound, the category menu's first word. Any thread.
    void displayCurrentSoundCategory();

    // ---- Sending and storing (Zelto2XLibrarianSend.cpp) ----
    void sendPatchToDeviceFromLibrarian(int slot, int list);
    // Any thread: the bank store and the two librarian store commands.
    void storeAllPatchesToDeviceFromLibrarian(int bank, int list);
    void SendSingleProgramFromLibrarian(bool unused);
    void SendAllProgramsFromLibrarian(int bank);
    // Any thread: where the next incoming sound dump goes, and the unsaved state.
    void SetLibrarianRequestActive(bool toLibrary);
    void SetLibrarianStatusUnsaved(bool unsaved);
    // A request into the editing bank (jobs 6 and 7, request worker) notes the
    // bank as it finds it. Cancelled, or ended by the editor closing, the
    // request puts an UNSAVED bank back as it stood and says so (true): the
    // edits made before it are the user's, and closing keeps them. A saved
    // bank (false) is left to the discard, which reads it from its file.
    void noteBankBeforeRequest();
    bool restoreUnsavedBankBeforeRequest();
    // Stores a sound into slot transferSlot of the upper bank, padding the bank
    // to 100, then (after pauseMs) marks the bank unsaved, as every transfer
    // does whether or not it filed the sound; false when it filed nothing. Any thread.
    bool storeSoundInTransferSlot(const LibrarianPatch& sound, int pauseMs = 0);
    // What the librarian menus start in the core and the workers (main thread);
    // each is dropped silently while the request thread runs.
    bool libBankChange();                    // bank select and program change for kCurrentBank/kCurrentPatch
    void libRequestEditBuffer();             // the hardware's current sound into the editor
    void libRequestSound(bool editBuffer);   // one sound into the transfer slot
    void libRequestBank(int bank);           // a hardware bank into the upper bank
    void libPushCurrentData();               // the editor's sound (with the global step) to the hardware
    void libCurrentSoundToSlot();            // the editor's sound into the transfer slot
    void libInitSlot();                      // the INIT sound into the transfer slot
    void libRequestProgram(int program);     // job 5 after a program change
    void libOpenHelp(int item);              // 0 data folder, 1 manual, 2..4 the maker's pages

    // ---- Import (Zelto2XLibrarianImport.cpp) ----
    // What a bank import put into the library folder: the path written (empty
    // when nothing was), the sounds it holds, those of the file that were
    // damaged and left out, and whole sounds kept with a wrong checksum.
    struct BankImport {
        std::string path;
        int sounds = 0;
        int leftOut = 0;
        int badChecksums = 0;
    };
    // A bank file copied into the library folder under a name no file has
    // there (a damaged file: the sounds that could be read, in file order);
    // single sounds into the transfer slot; the selected slot's category byte.
    // Each tells its outcome on the status display.
    BankImport saveImportedFile(bool asMidi);
    // "Import...": the copy, the folder refresh, and the bank the copy became
    // (the first piece of a split) selected in the upper list.
    void importBankFile(bool asMidi);
    void ImportSingleZeltoPatches(bool olderModel);
    // The next single sound of chunk from position, completed, converted when
    // olderModel, handed to the transfer slot; the position to go on from, 0
    // or less at the end of the data. Main thread.
    int ReadSysExDataFromPackage(ByteChunk* chunk, int& position, std::string path, bool olderModel);
    // After the reload that follows an import (at once, or once a running job
    // ended): the bank the copy became selected in the upper list and the
    // outcome told. Does nothing without an import waiting. Main thread.
    void finishBankImport();
    void SetCategoryForLibrarianPatch(int code);

    // ---- Library folder and saving (Zelto2XLibrarianFiles.cpp; main thread) ----
    // Start-up: the data folder and "Patches" made when missing, and a library
    // without any bank given "User Bank 1.syx" (100 INIT sounds). False when
    // the folder cannot be made; the constructor then tells the user.
    bool prepareLibraryFolder();
    void createFirstBankWhenEmpty();
    // "Save (Overwrite current bank)" and "Save As..." of the upper list's bank.
    void saveLibraryBank();
    void saveLibraryBankAs(bool asMidi);
    // A librarian outcome on the status display: the name line and the value
    // line (an empty detail clears it). Any thread.
    void showLibrarianResult(const std::string& name, const std::string& detail = "");
    // True, after telling the user, when the list (0 upper) shows no bank.
    bool refuseWithoutBank(int list, const char* text);
    // True, after telling the user, while the upper bank holds unsaved changes.
    bool refuseWhileUnsaved();
    // True, after telling the user, while no MIDI output is open.
    bool refuseWithoutOutput();
    // True, after telling the user, while the request worker runs a job.
    bool refuseWhileBusy();
    // True, after telling the user, without an upper bank and a slot of it to fill.
    bool refuseWithoutUpperSlot();
    // A sound went into the transfer slot (store, INIT): the bank is marked
    // unsaved and the user told what landed where. Any thread.
    void reportSlotStored(const char* what);
    // "Slot 8: WARM PAD", the slot counted from 1 and the name without its padding.
    static std::string slotLabel(int slot, const std::string& name);

    // ======== State ========

    // ---- Flags of the MIDI paths (host, render, MIDI input and worker threads) ----
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

    // ---- Audio thread and the jobs it starts (shared with the host, main,
    // MIDI input and worker threads) ----
    std::atomic<bool> requestPending {false};
    std::atomic<bool> continuousClockStarted {false};
    std::atomic<bool> resetPending {false};
    std::atomic<bool> sendClockPointer {false};
    std::atomic<bool> sendClockInfo {false};
    // Set, job 0 runs the global step before every sound it sends, until the
    // editor clears it ("Push Current Data to HW", recall and the push
    // command set it; storing into the library clears it).
    std::atomic<bool> globalSendRequested {false};
    // The same flag under the name the recall and command code use.
    std::atomic<bool>& sendGlobalBeforeSound = globalSendRequested;
    std::atomic<bool> globalSettingsSent {true};
    std::atomic<int> dawOffset {0};
    // True while the host transport plays; the value display leaves unnamed
    // parameters alone then. The render thread sets it from the host's transport.
    std::atomic<bool> transportRunning {false};
    std::atomic<int> lastTempoValue {0};  // the render thread writes it
    bool transportWasRunning = false;     // render thread only
    bool clockStartSent = false;          // render thread only
    bool tempoSynced = false;             // render thread only
    // The render thread's posted jobs (render thread only): the clock state the
    // transport asks for, the clock job waiting for its outcome, the request.
    bool clockWanted = false;
    int clockJobPosted = 0;
    bool continuousClockPosted = false;
    bool continuousClockUnsettled = false;  // its job may not be running
    bool requestJobPosted = false;
    ITimeInfo timeInfo;                   // render thread only
    double sampleRate = 44100.0;          // Reset, under the plug-in mutex

    // ---- Parameter handlers (any thread but render) ----
    std::atomic<bool> hardwareChangeActive {false};
    std::atomic<bool> sectionLockActive {false};
    std::atomic<int> currentProgram {0};
    std::atomic<bool> renameHandled {true};
    std::atomic<int> bankKindOffset {0};
    // What the lower librarian list shows: a category or the search results
    // (neither: a bank).
    std::atomic<bool> lowerShowsCategories {false};
    std::atomic<bool> lowerShowsSearch {false};
    // What the lower list lists, as patchTypeChanged last filled it: 0 bank
    // files, 1 category banks, 4 search results. Search mode can be on while
    // no results are listed yet; the list, its label and its actions follow this.
    std::atomic<int> lowerListedKind {0};

    // ---- Start-up, data folder and settings (main thread after construction) ----
    // Size of the editor panel before scaling, and the UI scale (0.75, 1.0 or
    // 1.25) every pixel size is multiplied by.
    static constexpr int kEditorWidth = 1500;
    static constexpr int kEditorHeight = 757;
    double guiScale = 1.0;
    bool debugLogEnabled = false;
    std::string logFilePath;
    DebuggerOutput debugOutput;
    std::string dataFolder;
    std::string uiSettingsFilePath;
    std::array<std::string, 5> uiSettings;
    int colorScheme = 0;
    std::string panelString;
    // The last incoming short message printed by compareMIDIdata.
    std::array<int, 3> lastIncomingMessage {};

    // ---- The parts the editor owns (built by the constructor) ----
    UIConfigManager* uiConfig = nullptr;
    PatchLibrarian* patchLibrarian = nullptr;
    MIDIMessageManager* midiMessageManager = nullptr;
    PatchManager* patchManager = nullptr;
    ITextControl* statusText = nullptr;
    ControlLayer* miniMixerLayer = nullptr;
    ControlLayer* arpTempoKnobLayer = nullptr;
    ControlLayer* arpTempoClockLayer = nullptr;
    // The "tempoValues" list of the UI configuration; the clock jobs read it.
    std::vector<std::string> tempoValues;

    // ---- Librarian (main thread unless atomic) ----
    // Bank files shown in the upper and lower lists: the names the folder
    // menus tick, and the path by which a list finds its bank again after a
    // reload or a new listing (empty for a category or search bank, whose
    // names are its own).
    std::string upperBankName;
    std::string upperFolderName;
    std::string upperBankPath;
    std::string lowerBankName;
    std::string lowerFolderName;
    std::string lowerBankPath;
    std::string dialogFolder;               // where the next open panel opens
    std::string saveFolder;                 // where "Save As..." opens; empty: the library folder
    LibrarianViewControl* librarianView = nullptr;
    ControlLayer* progressLayer = nullptr;
    // The progress overlay and its two cancel buttons (librarian, editor).
    IControl* progressIndicator = nullptr;
    IControl* librarianCancelButton = nullptr;
    IControl* editorCancelButton = nullptr;
    IControl* upperListControl = nullptr;
    IControl* lowerListControl = nullptr;
    LeftPatchPopupMenu* leftPatchPopupMenu = nullptr;
    RightPatchPopupMenu* rightPatchPopupMenu = nullptr;
    BankEditPopupMenu* bankEditPopupMenu = nullptr;
    RightCategoryPopupMenu* rightCategoryPopupMenu = nullptr;
    ProgramNumberPopupMenu* programNumberPopupMenu = nullptr;
    BankNumberPopupMenu* bankNumberPopupMenu = nullptr;
    RightSearchPopupMenu* rightSearchPopupMenu = nullptr;
    ProgBankNamePopupMenu* progBankNamePopupMenu = nullptr;
    // The slot menus of the last right click; each replaces (and frees) the previous one.
    struct SlotMenuDeleter {
        void operator()(FileEditPopupMenu* menu) const;
        void operator()(FileCopyPopupMenu* menu) const;
    };
    std::unique_ptr<FileEditPopupMenu, SlotMenuDeleter> fileEditPopupMenu;
    std::unique_ptr<FileCopyPopupMenu, SlotMenuDeleter> fileCopyPopupMenu;
    std::atomic<int> pendingReloadKind {-1};  // a reload waiting for the request job; -1 none

private:
    // ---- Start-up steps (Zelto2X.cpp, Zelto2XSettings.cpp) ----
    void createGraphicsSurface();
    void openDataFolderFiles();
    void buildUserInterface();
    void setInitialValues();
    void readUISettings();
    void rememberLayers();
    void setStartupFilters();
    bool rewriteUISettings(const char* consoleFormat, const std::string& shown);
    // Unsaved bank edits at close (Zelto2X.cpp): the destructor writes the
    // edited bank to "Recovered Banks" in the data folder with a note naming
    // it; a later start reads the note (the copy's file name, empty when there
    // is none to tell) and tells where the copy is once the user can read it,
    // and only then lets the note go, so a copy no view ever showed is told
    // by the start after.
    void keepUnsavedBankEdits();
    std::string readRecoveredBankNote();
    // Shows the copy's notice when the view is open and no device enquiry,
    // whose texts would cover it, runs. Any thread; takes m_noticeMutex, and
    // shows the text after releasing it.
    void tellRecoveredBankWhenSeen();

    // ---- Recall steps (Zelto2XState.cpp) ----
    void reopenPortsByName();
    void deriveFlagsFromParameters();
    void sendRecalledSound();

    // ---- Audio thread steps (Zelto2XAudio.cpp; render thread only) ----
    void followTransport();
    void followHostTempo();
    void drainQueue(int positions);
    void showMidiOutDelay(int positions);
    // False when the port was busy: the reset then waits for the next block.
    bool allNotesOffFromRenderThread();
    void lightLedForOutgoing(const IMidiMsg* msg);
    void setLedOff();
    // Posts the job the clock or the sound request needs and follows the
    // flags with the jobs that really started.
    void settleClockJob();
    void settleContinuousClock();
    void settleSoundRequest();
    // What the MIDI-out delay display shows, and the longest text it takes.
    static constexpr int kMidiOutDelayTextRoom = 32;
    RenderLog m_renderLog;
    int m_shownDelayPositions = -1;
    int m_shownDelayBlock = -1;

    // ---- Routing steps (Zelto2XRouting.cpp) ----
    // Whether All Notes Off goes out now (an output, a ready editor, no
    // device search); both its paths ask. Any thread, no lock.
    bool allNotesOffWanted() const;
    void lightMidiLed();
    // A sound request is still on its way (started or awaiting its dump).
    bool requestBusy() const;

    // ---- Parameter-change cases (Zelto2XParamChange.cpp, Zelto2XCommands.cpp) ----
    // Each returns true when the call stops there (no layer switch, no action).
    bool earlyParamCase(int paramIdx, int n, double& v);
    bool triggerCase(int paramIdx, int n);
    bool paramCase(int paramIdx, int n, double v);
    bool commandCase(int paramIdx, int n);
    // Notes a momentary button's press; true for its release.
    bool takeButtonRelease(int paramIdx, int n);
    // True on the thread that handles a button's release, whose status texts are dropped.
    bool statusHeldByRelease() const;
    bool windowCommandCase(int paramIdx, int n);
    // sectionLockActive and the release button's grey follow the thirteen locks.
    void deriveSectionLockState();
    void selectOutputDevice(int n);
    void selectInputDevice(int n);
    // Whatever opened the output (a choice, the port watch): the render
    // thread's jobs are taken from now on and the synth is asked for its
    // device ID. Under the plug-in mutex.
    void outputPortOpened();
    // A chosen port that did not open (gone, or held by another program) is
    // told on the status display; the menu shows OFF again.
    void reportPortNotOpened(int selectionParam, const std::string& name);
    // From the first port chosen on, the port layer watches the chosen ports.
    void watchChosenPorts();
    // The port layer's watch thread, under the plug-in mutex: a chosen port
    // has gone (position 0: the menu shows OFF, the status display says so,
    // a running request or bank store ends)
    // or is back and open again at position (the menu shows it; an output
    // asks for the synth as a choice of it does).
    static void onChosenPortChange(void* editor, bool input, int position, const std::string& name);
    void chosenPortChanged(bool input, int position, const std::string& name);
    void randomizeSound();
    void stepLibraryBank(int paramIdx);
    // The file and folder name and the path of the bank at index of a list; false when none.
    bool storeListBankNames(int list, int index);
    void setListBankNames(int list, const PatchFile& bank);
    void discardBankChanges();
    // kRefreshFolders: the library read again, the user told how many banks it holds.
    void reloadLibrary();
    // kOverwriteBank ("STORE SOUND"): the editor's sound into the upper list's selected slot.
    void storeSoundInSelectedSlot();
    void renameSelectedSlot();
    bool searchPatches();
    // Runs the search field's text again; true when it found sounds.
    bool searchAgain();
    // Search ended: the prompt back in the field, SHOW CATEGORIES in its
    // place, the lower list back on the bank files.
    void leaveSearch();
    void stepProgram(int direction);
    void finishProgramStep();
    void switchTabWithProgress(int tab);

    // ---- Lookups (Zelto2X.cpp, Zelto2XViews.cpp) ----
    // The control a show, grey or text operation changes; a missing one is
    // logged once. Takes the lookup mutex only when it is missing.
    IControl* controlToChange(int paramIdx);
    std::array<IControl*, kNumParams> m_paramControls {};
    std::array<bool, kNumParams> m_momentaryButtons {};  // parameters a momentary button sets (start-up)
    // The momentary button last pressed (-1 none). Its release runs its
    // handling as any change does but writes nothing to the status display:
    // what the press told there (an outcome, a refusal, a hint) stays
    // readable. Under the plug-in mutex.
    int m_pressedButton = -1;
    // The thread handling a button's release; none when no release runs.
    std::atomic<std::thread::id> m_releaseThread {};
    std::mutex m_lookupMutex;
    std::map<std::string, ControlLayer*> m_layerCache;  // start-up layers, then each one found
    std::set<std::string> m_missingNames;               // layers and controls already logged missing

    // ---- Librarian glue (Zelto2XLibrarian*.cpp) ----
    std::mutex m_pendingMenuMutex;
    std::vector<std::function<void()>> m_pendingMenuWork;
    void setBankDisplayTexts(const std::vector<std::string>& names, const std::vector<int>& params);
    bool startSendSlotJob(const LibrarianPatch& sound);
    // The open panel in dialogFolder; the chosen path, or empty.
    std::string promptForOpenFile(const char* extensions);
    // The file the user chooses, read whole; false when cancelled or unreadable.
    bool readChosenFile(const char* extensions, std::string* path, std::vector<unsigned char>* bytes);
    bool startStoreBankJob(int bank, int list);
    // The kind patchTypeChanged gets for what the lower list shows now.
    int lowerListKind() const;
    // After a save: the unsaved state ends and the library is read again.
    void bankSaved(const std::string& fileName);
    bool m_saveFailed = false;     // set by reportSaveFailure during one save
    int m_singlesHandedOn = 0;     // sounds ReadSysExDataFromPackage filed during one import
    BankImport m_bankImport;       // a bank import waiting for its reload; empty path when none
    std::string m_lastSavePath;    // the last path the save panel gave
    // The value line a status text wrote (a librarian outcome, the greeting);
    // the next status text clears it while it still shows.
    std::string m_statusDetail;
    // The editing bank as the running library request found it (request worker only).
    struct BankBeforeRequest {
        bool unsaved = false;
        std::string path;
        std::vector<LibrarianPatch> patches;  // kept only while unsaved
    };
    BankBeforeRequest m_bankBeforeRequest;
    // What start-up has to tell (name and value line): shown once the editor
    // is ready, and in place of the greeting whenever the host resets it.
    std::pair<std::string, std::string> m_startupProblem;
    // The recovered copy still to tell (empty when none) and what decides when.
    std::mutex m_noticeMutex;
    std::string m_untoldCopy;
    bool m_viewOpen = false;
    bool m_enquiryRunning = false;
    mutable std::mutex m_textsMutex;
    std::string m_soundName;
    std::string m_soundCategory;
};
