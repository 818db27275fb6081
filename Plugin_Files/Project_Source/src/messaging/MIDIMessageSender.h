#pragma once
// The slow conversations with the hardware: requests with polling, device-ID
// search and time-out, sending and storing sounds, and the MIDI clock. Each
// routine runs on one of the message manager's worker threads and is handed
// its job as a MIDIJob record that belongs to that thread alone, so a start
// on one worker never changes what another worker is doing.
//
// Threads: run() and the routines run on a worker thread. cancelRequested and
// resetContinuousClock are written by the main and audio threads, the ports
// gone by the port watch's thread; every flag here is an atomic. The pure
// builders at the bottom touch nothing but their arguments.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "PatchLibrarian.h"

class Zelto2X;
class PatchManager;
class MIDIMessageManager;

namespace zsysex {
class ParameterSource;
}

// Job codes, as the editor, the librarian and the audio thread start them.
enum MIDIJobCode {
    kJobSendArrangement = 0,        // sound from the parameters to the hardware or a library slot
    kJobSendGlobal = 1,             // the global step on its own
    kJobSendLibraryPatch = 2,       // a library slot to the edit buffer, loaded into the editor
    kJobStoreAllPatches = 3,        // a library bank into a hardware bank
    kJobRequestActiveArrangement = 4,
    kJobRequestPart = 5,            // the edit buffer after a program change
    kJobRequestSinglePatch = 6,     // one sound into the selected library slot
    kJobRequestAllPatches = 7,      // 100 sounds into the library
    kJobInitClassicPatch = 8,       // the INIT sound into the selected library slot
    kJobDeviceIdEnquiry = 9,        // global request after an output is chosen
    kJobNone = 10,
    kJobStartClock = 11,            // MIDI Start
    kJobContinuousClock = 12,       // MIDI timing clock until stopped
    kJobStopClock = 13,             // MIDI Stop
};

// Where the next incoming sound dump goes, set when the job really starts.
enum class MIDIJobRoute : uint8_t { Unchanged, UserInterface, Library };

// One job and its arguments, copied into the worker's own record at start.
struct MIDIJob {
    int jobCode = kJobNone;
    LibrarianPatch libraryPatch;      // job 2: a copy of the slot, so a library reload cannot pull it away
    int storeListSelector = 0;        // job 3: 0 the upper list's bank, else the lower list's
    int storeBank = 0;                // job 3: hardware bank written
    int requestBank = 0;              // job 7
    int program = 0;                  // job 5 (not read by the job)
    bool toUserInterface = true;      // jobs 4 and 5
    bool editBuffer = false;          // job 6
    bool arrangementToLibrary = false;  // job 0
    bool second = false;              // job 0, not read
    double tempo = 120.0;             // job 12, not read
    // Job 0: the editor's globalSettingsSent as the starter saw it; unset
    // reads the editor's flag when the job runs.
    std::optional<bool> globalSettingsSent;

    // Flags set once the worker has really started the job and cleared again
    // when it ends, however it ends. A dropped or failed start touches none.
    MIDIJobRoute route = MIDIJobRoute::Unchanged;
    bool setPatchRequested = false;
    bool setPatchLoading = false;
    bool setDeviceInitialization = false;
};

class MIDIMessageSender {
public:
    MIDIMessageSender(Zelto2X* plug, PatchManager* patchManager, MIDIMessageManager* manager);
    virtual ~MIDIMessageSender();
    MIDIMessageSender(const MIDIMessageSender&) = delete;
    MIDIMessageSender& operator=(const MIDIMessageSender&) = delete;

    // Worker thread: runs one job; codes 10 and outside 0..13 return at once.
    virtual void run(const MIDIJob& job);

    // ---- Requests (request thread) ----
    void sendDeviceIdEnquiry();
    void sendActiveArrangementRequestSysex(bool toUserInterface);
    void sendPartRequestSysex(bool toUserInterface, int program);
    void sendSinglePatchRequestSysex(bool editBuffer);
    void sendAllPatchRequestSysex(int bank);

    // ---- Sending and storing sounds (request thread) ----
    void sendArrangementToDevice(bool arrangementToLibrary, bool second,
        std::optional<bool> globalSettingsSent = std::nullopt);
    void sendGlobalToDevice(int unused);
    void sendPatchToDeviceFromLibrarian(const LibrarianPatch& patch, int, int);
    void storeAllPatchesToDeviceFromLibrarian(int storeBank, int storeListSelector, int);
    void initClassicPatch(bool unused);
    // Step code of pattern step `step` + 1 (step 0..15) from the parameters.
    int GeneratePatternCode(int step);
    // The Zelto 2 sound has no multi settings and no sustain values to
    // send; these keep the sender's interface and give 0.
    int calculateMultiSettings1Values(int) { return 0; }
    int calculateMultiSettings2Values(int) { return 0; }
    int buildSustainValues(int) { return 0; }

    // ---- MIDI clock ----
    void startMIDIClockOutput();   // clock start/stop thread
    void stopMIDIClockOutput();    // clock start/stop thread
    void sendContinuousMIDIClock(int tempo);  // clock thread, until stopped
    // Main or audio thread: true ends a running clock loop at its next turn,
    // false lets the next loop run.
    void resetContinuousClock(bool stop) { clockRunning = !stop; }
    // Where the clock loop reads the time and waits: the monotonic clock,
    // unless a test gives its own before the loop starts.
    struct ClockTime {
        virtual ~ClockTime() = default;
        virtual std::chrono::steady_clock::time_point now() = 0;
        virtual void sleepUntil(std::chrono::steady_clock::time_point wakeUp) = 0;
    };
    ClockTime* clockTime = nullptr;

    // ---- Flags ----
    std::atomic<bool> cancelRequested {false};  // main thread sets it (cancel control)
    std::atomic<bool> timedOut {false};         // request thread
    std::atomic<bool> clockRunning {false};
    // Nanoseconds between two clock bytes of the running loop (clock thread
    // writes, any thread reads).
    std::atomic<int64_t> clockInterval {0};
    // The manager is being destroyed: delays end early and every loop stops.
    std::atomic<bool> shuttingDown {false};

    // The port watch's thread, under the plug-in mutex: a chosen port has
    // gone. Noted until the next request or store begins, so a port back
    // again before the running job looks still ends it: a store (it needs the
    // output) at its next sound, a request (requests go out, answers come in)
    // when either port went, at its next delay.
    void notePortGone(bool input) { (input ? inputPortGone : outputPortGone) = true; }
    std::atomic<bool> inputPortGone {false};
    std::atomic<bool> outputPortGone {false};

    PatchManager* patchManager;
    Zelto2X* plug;

    // ---- Pure builders (any thread; tests and benchmarks use them) ----
    using SoundDump = std::array<uint8_t, 137>;
    // Job 0's dump for the edit buffer: INIT sound, parameter bytes 7..114,
    // device byte, name (first 13 characters, upper case, blanks for
    // anything not printable) and category, checksum at 135.
    static SoundDump buildArrangementDump(const zsysex::ParameterSource& params, const std::string& name,
        int category, int device);
    // Job 2's dump: the slot's sound for the edit buffer of `device`.
    static SoundDump buildEditBufferDump(const std::vector<unsigned char>& slotMessage, int device);
    // Job 3's dump: the slot's sound for `device`, addressed to (bank, program).
    static SoundDump buildStoreDump(const std::vector<unsigned char>& slotMessage, int bank, int program,
        int device);
    // Job 8's dump: the INIT sound for `device`, byte 5 = 0, byte 6 = slot.
    static SoundDump buildInitSlotDump(int device, int slot);
    // Packs a tap pattern of 33 chars (15 base-24 digits as (mod 8, div 8)
    // pairs, then three flags) into 11 bytes of 7 bits, the form that
    // MIDIMessageManager::decodeTapPatternCode reads.
    static constexpr int kTapPatternCodeSize = 11;
    static void GenTapPatternCode(char* out, const char* in);
    // Nanoseconds between clock bytes at `tempo` BPM (24 per quarter note);
    // 0 for a tempo of 0 or less.
    static int64_t clockIntervalNs(int tempo);
    // The clock tempo: the host tempo truncated when kOverrideTempo is 1.0,
    // else the leading number of tempoValues[kArpTempo]; 0 when unusable.
    static int clockTempo(double overrideTempo, double hostTempo, double arpTempoIndex,
        const std::vector<std::string>& tempoValues);
    // How far a cancelled bank store got: the synth holds the sounds sent.
    static std::string cancelledStoreText(int stored, int sounds);
    // How far a bank store got before its output went: the sounds sent.
    static std::string outputGoneStoreText(int sent, int sounds);

private:
    struct RequestPlan;
    // The shared poll cycle of jobs 4 to 7 and 9: the request, the wait for
    // its answer, and the manager told that it no longer waits.
    void pollCycle(const RequestPlan& plan);
    void waitForAnswer(const RequestPlan& plan);
    void searchDeviceIds(const RequestPlan& plan);
    void sendRequest(std::vector<uint8_t> request);
    // Waits ms through the replaceable clock; ends early on shutdown.
    void delay(int ms);
    void showStatus(const char* text);
    void showIndicator(bool show);
    void routeAnswer(bool toLibrary);
    int requestDeviceFromParameter() const;
    void discardBankData();
    void forgetPortsGone();
    bool requestPortGone() const;
    // The status a request ends with: cancelled, a port gone, completed, or
    // the time-out text it showed.
    void showRequestOutcome();
    // The start of every sound request: the indicator, cleared cancel and
    // time-out flags, a user-interface update due; returns the delay in ms.
    int beginRequest();
    // The end of a request into the library: its status; a cancelled one
    // leaves the editing bank as it stood before the request.
    void endLibraryRequest();
    // Stores the dump in the library's transfer slot and says so with done,
    // or says that nothing was stored.
    void storeInTransferSlot(const SoundDump& dump, const char* done);
    void sendClockByte(uint8_t byte);
    // The loop goes on: not stopped, the clock still switched on, no shutdown.
    bool clockStillWanted() const;
    PatchFile* bankFileOfStoreList(int storeListSelector);

    MIDIMessageManager* m_manager;
};
