#pragma once
// The editor's MIDI hub: incoming SysEx dispatch and the dump decoders
// (MIDIMessageManagerSysEx.cpp), incoming channel messages with their filters
// (MIDIMessageManagerChannel.cpp), the record that collects a requested
// sound for the librarian (LibraryPatchRequest.h), the three worker threads
// that run the sender's jobs with the render thread's job dispatcher
// (MIDIMessageManagerJobs.cpp) and the patch
// randomizer (MIDIMessageManagerRandomizer.cpp).
//
// Threads: the incoming paths run on the hardware MIDI input thread or on the
// host's MIDI thread and take no lock of their own but the short one of the
// answers the synth still owes (OwedAnswers.h). Flags that one thread sets
// and another polls are atomics. Starters may be called from any thread; they
// never block on a running job.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "JobProgress.h"
#include "LibraryPatchRequest.h"
#include "MIDIMessageSender.h"
#include "OwedAnswers.h"

class Zelto2X;
class PatchManager;
class PatchLibrarian;
class IGraphics;
class IControl;
class MIDIWorkerRunnable;
struct IMidiMsg;
struct ISysEx;

class MIDIMessageManager {
public:
    MIDIMessageManager(Zelto2X* plug, PatchManager* patchManager, PatchLibrarian* patchLibrarian,
        IGraphics* graphics);
    // Stops and joins the dispatcher (a post it has not taken is dropped),
    // then cancels the running jobs, stops the clock and joins all three
    // workers before anything is freed. Main thread, once nothing starts jobs any more
    // (the editor closes its MIDI ports first).
    ~MIDIMessageManager();
    MIDIMessageManager(const MIDIMessageManager&) = delete;
    MIDIMessageManager& operator=(const MIDIMessageManager&) = delete;

    // ---- Incoming SysEx (MIDI input thread, no lock) ----
    void ProcessSysEx(ISysEx* msg, bool fromHardware);
    // Decodes a sound dump into the parameters (ignores anything else).
    void sysexPartPatchParse(ISysEx* msg);
    // Decodes a global dump into the global parameters (ignores anything else).
    void sysexSettingsParse(ISysEx* msg);
    // A sound the editor loads itself (a library slot): decoded into the
    // parameters whatever the SysEx filter or a pending request would do with
    // an incoming one, the user interface refreshed. Request thread.
    void loadSoundIntoEditor(const unsigned char* bytes, int size);
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

    // ---- Jobs (MIDIMessageManagerJobs.cpp) ----
    // Every starter: any thread but the render thread, never blocks on a
    // running job. A whole sound for the hardware (job 0) and a request for
    // the user interface (jobs 4 and 5) that meet a busy request worker wait
    // for it (true): only the newest of each kind, in the order they came, and
    // a program change's request drops an edit that waits before it. Any other
    // job on a busy worker is dropped (false); a start that fails is reported
    // and changes nothing (false). The job's flags (MIDIJob::route,
    // setPatchRequested...) are set only once it has started.
    enum class Worker { Request, ClockStartStop, Clock };
    static Worker workerForJob(int jobCode);
    bool startJob(const MIDIJob& job);

    // Job 4: the edit buffer for the user interface (or, with false, the library).
    bool sendActiveArrangementRequestSysex(bool toUserInterface);
    // Job 6. Empties the library request record first, even when dropped.
    bool sendSinglePatchRequestSysexFromLibrarian(bool editBuffer);
    // Job 7 for hardware bank 0..4. Empties the record first, even when dropped.
    bool sendAllPatchRequestSysexFromLibrarian(int bank);
    // Job 5: the edit buffer after a program change, for the user interface.
    bool sendPartRequestSysex(bool toUserInterface, int program);
    // Job 0: the current sound to the hardware, or into the selected library slot.
    bool sendArrangementToDevice(bool arrangementToLibrary, bool second);
    // Job 2: a copy of the slot goes to the edit buffer and into the editor.
    bool sendPatchToDeviceFromLibrarian(const LibrarianPatch& patch);
    // Job 3: the 100 sounds of a library bank into hardware bank storeBank.
    bool storeAllPatchesToDeviceFromLibrarian(int storeBank, int storeListSelector);
    // Job 8: the INIT sound into the selected library slot.
    bool initClassicPatch();
    // Job 9: the global request after an output is chosen (sets the editor's
    // deviceInitialization while it runs).
    bool sendDeviceIdEnquiry();
    // Jobs waiting for the request worker (any thread).
    size_t queuedJobCount() const;
    // Jobs 11, 12 and 13 (the render thread posts them, see postJob).
    bool startMIDIClockOutput();
    bool sendContinuousMIDIClock(double tempo = 120.0);
    bool stopMIDIClockOutput();
    // Main or audio thread: true stops the continuous clock, false lets the next one run.
    void resetContinuousClock(bool stop) { sender->resetContinuousClock(stop); }

    // ---- Jobs the render thread asks for ----
    // A worker start creates a thread, locks and allocates, none of which the
    // render thread may do: it posts the job code (one atomic store and a
    // semaphore post, which neither lock, allocate nor wait), and the
    // manager's dispatcher thread calls the starter. Posted jobs: 4 for the
    // user interface, 11, 12 at 120 BPM and 13.
    enum class PostedJob { None, Waiting, Started, Dropped };
    // The dispatcher runs, waiting, under this name from its start: the
    // manager's construction starts no thread, and the render thread may not
    // start one, so it is started when an output opens (a choice, the port
    // watch) or a state is recalled (again: nothing), and the manager's
    // destruction stops it. Under the plug-in mutex, which orders the starts.
    static constexpr const char* kDispatcherThreadName = "midi jobs";
    void startJobDispatcher();
    // Render thread. False for any other job code, while the job's earlier
    // post still waits for the dispatcher, or without a dispatcher thread.
    bool postJob(int jobCode);
    // Render thread: Started or Dropped (its worker was busy or the start
    // failed) once the dispatcher has tried the posted job, reported once
    // and then None; Waiting until then.
    PostedJob takePostedJob(int jobCode);
    // Render thread: the dispatcher wakes and writes the LOG lines the
    // editor's render thread left (one semaphore post, as postJob).
    void postRenderLogLines();

    bool requestThreadIdle() const { return !workerBusy(Worker::Request); }
    bool clockStartStopThreadIdle() const { return !workerBusy(Worker::ClockStartStop); }
    bool clockThreadIdle() const { return !workerBusy(Worker::Clock); }
    bool requestThreadRunning() const { return workerBusy(Worker::Request); }
    bool workerBusy(Worker worker) const;

    // The last job started on the request thread (code, program, bank). Any
    // thread; a start racing with the call may show fields of both jobs.
    struct JobRecord {
        int code = -1;
        int program = 0;
        int bank = 0;
        bool toUserInterface = false;
    };
    JobRecord lastJob() const;

    // ---- The slot a request waits for (request thread sets, MIDI input reads) ----
    // Replies to a slot request may carry the slot as bank x 100 + program in
    // two 7-bit bytes or as bank and program bytes; both forms are taken.
    // bank -1 waits for the edit buffer, where any address is taken.
    // Request thread, before the request leaves; it also starts counting
    // the request's messages (requestSent) until it stops waiting.
    void expectReply(int bank, int program);
    void clearExpectedReply();
    // True when a sound dump answers the awaited request (or none is awaited);
    // bank and program receive the slot it answers for (-1 for the edit buffer).
    bool takesReply(const unsigned char* bytes, int size, int* bank, int* program) const;
    // Request thread: one message of the waiting request left for device.
    void requestSent(int device) { m_owedAnswers.requestSent(device); }
    // Request thread: the request stops waiting (answered, cancelled or timed
    // out). The answers the synth still owes it land nowhere when they come,
    // also while a later request waits, unless that request asks for the same
    // sound (expectReply).
    void requestStoppedWaiting() { m_owedAnswers.endRequest(); }

    // ---- Single-parameter SysEx (main thread, from the control actions) ----
    // Sends a configured template whose changing byte already holds the value.
    void sendSysexMessage(const std::vector<int>& message);

    // ---- Patch randomizer (MIDIMessageManagerRandomizer.cpp; main thread) ----
    static constexpr int kRandomTableSize = 136;
    // Fills randomTable with 136 bytes of the generator (seeded once).
    void randomGenerator();
    // The fold of randomTable[position] into the range of parameter.
    int randomizer(int parameter, int position);
    // Gives every unlocked sound parameter of bytes 7..114 a folded random value.
    void randomizePatchSettings(int unused);
    // Tests: replaces the generator; each call gives the next raw number.
    void setRandomSource(std::function<uint32_t()> source);
    int randomTable[kRandomTableSize] = {};

    // The one job object; its flags (cancelRequested, clockRunning) are public.
    std::unique_ptr<MIDIMessageSender> sender;
    // The running request job's count for the progress overlay; cleared
    // when the job ends.
    JobProgress progress;

    // ---- State ----
    Zelto2X* plug;
    PatchManager* patchManager;
    PatchLibrarian* patchLibrarian;
    IGraphics* graphics;
    LibraryPatchRequest libraryRequest;
    // The request worker sets it, under the library lock, when a library
    // request is cancelled: an answer still on its way then lands in no
    // slot. A new request to the library clears it.
    std::atomic<bool> libraryAnswersRefused {false};
    void refuseLibraryAnswers();
    // Sounds the running request has filed into the editing bank: the MIDI
    // input thread counts them under the library lock, the request worker
    // zeroes the count as a request begins and reads it at its end.
    std::atomic<int> soundsFiled {0};

    std::atomic<bool> patchRequested {false};
    std::atomic<bool> guiUpdatePending {false};
    std::atomic<bool> dataProcessed {false};
    std::atomic<bool> requestProcessedToSlot {false};
    std::atomic<bool> suppressEcho {false};
    std::atomic<bool> controlNotFound {false};
    std::atomic<bool> messageFromHost {false};
    // A sound dump has been decoded into the parameters since the editor last
    // cleared it: before a whole sound goes out and before a program change
    // asks for its sound (MIDI input thread sets it, main thread clears it).
    std::atomic<bool> dumpReplyFlag {false};
    // Set each time the request worker is started with a job (a waiting job
    // included); nothing in the editor clears it.
    std::atomic<bool> jobStarted {false};
    std::atomic<uint32_t> programChangeTime {0};
    // The last pattern-step byte decoded (MIDI input thread writes, any reads).
    std::atomic<int> lastStepEvent {0};
    std::atomic<int> lastStepTime {0};
    std::atomic<int> lastStepGlide {0};

private:
    friend class ManagerParameterSink;
    void adoptDeviceId(int device);
    void completeLibraryRequest(const unsigned char* bytes, int size);
    // MIDI input thread, for every sound dump: true for an answer the synth
    // owed a request that no longer waits, which is logged and goes no further.
    bool isOwedAnswer(const unsigned char* bytes, int size);
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

    friend class MIDIWorkerRunnable;
    // With the request worker's queue lock held.
    bool queueBehindRunningJob(const MIDIJob& job);
    void noteRequestJobStarted(const MIDIJob& job);
    // A worker whose job has ended: the next waiting job into its record
    // (true), or the worker handed back as finished (false).
    bool takeQueuedJob(MIDIWorkerRunnable& runnable);
    static bool isWholeSoundSend(const MIDIJob& job);
    static bool isUserInterfaceRequest(const MIDIJob& job);
    // Called by a worker thread around its job.
    void beginJobFlags(const MIDIJob& job);
    void endJobFlags(const MIDIJob& job);
    // Folds a table value into a parameter's range (no output).
    int foldIntoRange(int parameter, int value) const;

    // -1 none, -2 the edit buffer, else bank x 128 + program.
    std::atomic<int> m_expectedReply {-1};
    OwedAnswers m_owedAnswers;

    struct Workers;
    std::unique_ptr<Workers> m_workers;
    friend class MIDIJobDispatcher;
    // The dispatcher's call for a posted job code.
    bool startPostedJob(int jobCode);

    // The last request job's record, field by field: the audio thread starts
    // jobs too, and takes no lock.
    std::atomic<int> m_lastJobCode {-1};
    std::atomic<int> m_lastJobProgram {0};
    std::atomic<int> m_lastJobBank {0};
    std::atomic<bool> m_lastJobToUserInterface {false};
    std::function<uint32_t()> m_randomSource;
};
