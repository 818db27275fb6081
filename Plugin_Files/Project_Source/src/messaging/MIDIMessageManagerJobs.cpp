// The three worker threads, the render thread's job dispatcher and the job
// starters. This is the one file that uses POCO threads: each worker is a
// Poco::Thread with a runnable that owns the worker's job record, so a start
// on one worker never touches the job of another.

#include <Poco/Exception.h>
#include <Poco/Runnable.h>
#include <Poco/Thread.h>

#include <pthread.h>
#include <sched.h>
#include <semaphore.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <exception>
#include <mutex>
#include <thread>

#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "debugger.h"

namespace {

using consolelog::log;

constexpr int kWorkerCount = 3;

// Idle: nothing to join. Starting: claimed, its starter still inside start().
// Busy: running a job. Finished: the job has returned; the thread must be
// joined before reuse. Closed: the manager is going away; no starter can
// claim the worker again.
enum WorkerState : int { kIdle, kStarting, kBusy, kFinished, kClosed };

}  // namespace

// Runs one job on its worker thread and hands the worker back when it ends,
// however it ends.
class MIDIWorkerRunnable : public Poco::Runnable {
public:
    MIDIWorkerRunnable(MIDIMessageManager& manager, bool requestWorker)
        : requestWorker(requestWorker), m_manager(manager)
    {
    }

    void run() override
    {
        if (job.jobCode == kJobContinuousClock)
            raiseToRealTimePriority();
        do {
            runJob();
            // Until its starter has left start(), the thread does not yet count as
            // started: a join then would return at once and leave it unjoined.
            while (state.load() == kStarting)
                std::this_thread::yield();
        } while (m_manager.takeQueuedJob(*this));
    }

    void runJob()
    {
        try {
            m_manager.beginJobFlags(job);
            m_manager.sender->run(job);
        } catch (const std::exception& e) {
            log("MIDI job %i ended by an error: %s\n", job.jobCode, e.what());
        } catch (...) {
            log("MIDI job %i ended by an unknown error\n", job.jobCode);
        }
        m_manager.endJobFlags(job);
    }

    // The clock's ticks should not wait behind busy threads; where the system
    // refuses real-time scheduling the clock runs at normal priority. Only
    // this system thread is changed: the Poco::Thread object keeps its
    // default policy, so a later start never fails over scheduling rights.
    static void raiseToRealTimePriority()
    {
        sched_param param {};
        param.sched_priority = (sched_get_priority_min(SCHED_FIFO) + sched_get_priority_max(SCHED_FIFO)) / 2;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
    }

    // Written by the starter that claimed the worker, before the start, or by
    // the worker itself when it takes a queued job.
    MIDIJob job;
    std::atomic<int> state {kIdle};
    const bool requestWorker;  // only the request worker takes queued jobs

private:
    MIDIMessageManager& m_manager;
};

namespace {

// A starter may have claimed the worker just before closing was set: the
// worker is closed only from idle or finished, in one atomic step, so no
// thread can start after it has been joined. A job started that late sees
// shuttingDown and ends at its next turn.
void closeWorker(MIDIWorkerRunnable& runnable, Poco::Thread& thread)
{
    for (;;) {
        int state = runnable.state.load();
        if (state == kStarting || state == kBusy) {
            // Real time, not the request clock: the late job needs the CPU to end.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        if (runnable.state.compare_exchange_strong(state, kClosed)) {
            if (state == kFinished)
                thread.join();
            return;
        }
    }
}

}  // namespace

// Starts the jobs the render thread posts. A post marks the job's slot and
// posts the semaphore; this thread takes each marked slot in one atomic step,
// calls the starter and leaves the outcome in the slot for the poster. It also
// writes the render thread's LOG lines, which may not wait for the file.
class MIDIJobDispatcher : public Poco::Runnable {
public:
    explicit MIDIJobDispatcher(MIDIMessageManager& manager) : m_manager(manager) { sem_init(&m_wake, 0, 0); }
    ~MIDIJobDispatcher() override { sem_destroy(&m_wake); }
    MIDIJobDispatcher(const MIDIJobDispatcher&) = delete;
    MIDIJobDispatcher& operator=(const MIDIJobDispatcher&) = delete;

    // Without a thread every post is refused, so the poster keeps its own
    // flags and tries again.
    void start()
    {
        if (m_started)
            return;
        m_stopping = false;
        m_running = true;
        try {
            m_thread.start(*this);
            // Named at once, so start-up can be checked to leave only waiting threads behind.
            pthread_setname_np(m_thread.tid(), MIDIMessageManager::kDispatcherThreadName);
            m_started = true;
        } catch (const Poco::Exception& e) {
            m_running = false;
            log("MIDI job dispatcher could not start: %s\n", e.displayText().c_str());
        }
    }

    // A post not yet taken stays unanswered: its poster is gone too.
    void stop()
    {
        m_running = false;
        if (!m_started)
            return;
        m_stopping = true;
        sem_post(&m_wake);
        m_thread.join();
        m_started = false;
    }

    bool post(int jobCode)
    {
        if (!m_running || jobCode < 0 || jobCode >= kSlots)
            return false;
        std::atomic<int>& slot = m_slots[jobCode];
        int state = slot.load();
        do {
            if (state == kPosted || state == kTaken)
                return false;
        } while (!slot.compare_exchange_weak(state, kPosted));
        sem_post(&m_wake);
        return true;
    }

    void wake()
    {
        if (m_running)
            sem_post(&m_wake);
    }

    MIDIMessageManager::PostedJob take(int jobCode)
    {
        using PostedJob = MIDIMessageManager::PostedJob;
        if (jobCode < 0 || jobCode >= kSlots)
            return PostedJob::None;
        std::atomic<int>& slot = m_slots[jobCode];
        int state = slot.load();
        if (state == kPosted || state == kTaken)
            return PostedJob::Waiting;
        // Only the dispatcher moves a taken slot on, so this cannot race.
        slot.store(kFree);
        return state == kStarted ? PostedJob::Started : state == kDropped ? PostedJob::Dropped : PostedJob::None;
    }

    void run() override
    {
        for (;;) {
            if (sem_wait(&m_wake) != 0) {
                if (errno == EINTR)
                    continue;
                log("MIDI job dispatcher stopped: the wait failed (%i)\n", errno);
                m_running = false;
                return;
            }
            if (m_stopping)
                return;
            for (int code = 0; code < kSlots; ++code) {
                int expected = kPosted;
                if (m_slots[code].compare_exchange_strong(expected, kTaken))
                    m_slots[code].store(m_manager.startPostedJob(code) ? kStarted : kDropped);
            }
            if (m_manager.plug)
                m_manager.plug->writeRenderLogLines();
        }
    }

private:
    enum SlotState : int { kFree, kPosted, kTaken, kStarted, kDropped };
    static constexpr int kSlots = kJobStopClock + 1;

    MIDIMessageManager& m_manager;
    std::atomic<int> m_slots[kSlots] {};
    std::atomic<bool> m_running {false};  // posts are taken
    bool m_started = false;               // to join; the manager's constructing and destroying thread only
    std::atomic<bool> m_stopping {false};
    sem_t m_wake;
    Poco::Thread m_thread;
};

struct MIDIMessageManager::Workers {
    explicit Workers(MIDIMessageManager& manager)
        : runnables {MIDIWorkerRunnable(manager, true), MIDIWorkerRunnable(manager, false),
              MIDIWorkerRunnable(manager, false)},
          dispatcher(manager)
    {
    }
    // Request thread, clock start/stop thread, clock thread.
    Poco::Thread threads[kWorkerCount];
    MIDIWorkerRunnable runnables[kWorkerCount];
    std::atomic<bool> closing {false};
    MIDIJobDispatcher dispatcher;
    // A request worker's claim and its hand-back take this lock, so a job
    // queued while it runs is never left behind by a worker that has just
    // found nothing queued.
    std::mutex queueMutex;
    std::vector<MIDIJob> queued;  // request worker only, oldest first
};

MIDIMessageManager::MIDIMessageManager(Zelto2X* plug, PatchManager* patchManager, PatchLibrarian* patchLibrarian,
    IGraphics* graphics)
    : plug(plug), patchManager(patchManager), patchLibrarian(patchLibrarian), graphics(graphics),
      m_workers(std::make_unique<Workers>(*this))
{
    // No thread yet: the workers start with their first job, the dispatcher
    // once an output opens or a state is recalled.
    sender = std::make_unique<MIDIMessageSender>(plug, patchManager, this);
}

MIDIMessageManager::~MIDIMessageManager()
{
    // The dispatcher goes first, so no start can follow the workers' close.
    m_workers->dispatcher.stop();
    // Every running job ends at its next turn: requests at their next delay,
    // the clock before its next tick. Nothing is freed before all three join.
    m_workers->closing = true;
    sender->shuttingDown = true;
    sender->cancelRequested = true;
    sender->resetContinuousClock(true);
    for (int i = 0; i < kWorkerCount; ++i)
        closeWorker(m_workers->runnables[i], m_workers->threads[i]);
}


MIDIMessageManager::Worker MIDIMessageManager::workerForJob(int jobCode)
{
    if (jobCode == kJobStartClock || jobCode == kJobStopClock)
        return Worker::ClockStartStop;
    if (jobCode == kJobContinuousClock)
        return Worker::Clock;
    return Worker::Request;
}

void MIDIMessageManager::startJobDispatcher()
{
    if (!m_workers->closing)
        m_workers->dispatcher.start();
}

bool MIDIMessageManager::workerBusy(Worker worker) const
{
    const int state = m_workers->runnables[static_cast<int>(worker)].state.load();
    return state == kStarting || state == kBusy;
}

bool MIDIMessageManager::startJob(const MIDIJob& job)
{
    if (job.jobCode < 0 || job.jobCode > kJobStopClock || job.jobCode == kJobNone || m_workers->closing)
        return false;
    const int index = static_cast<int>(workerForJob(job.jobCode));
    MIDIWorkerRunnable& runnable = m_workers->runnables[index];
    Poco::Thread& thread = m_workers->threads[index];

    const bool requestWorker = index == static_cast<int>(Worker::Request);
    std::unique_lock<std::mutex> queueLock(m_workers->queueMutex, std::defer_lock);
    if (requestWorker)
        queueLock.lock();
    // One atomic step claims the worker; a finished thread is joined first.
    int expected = kIdle;
    if (!runnable.state.compare_exchange_strong(expected, kStarting)) {
        if (expected != kFinished || !runnable.state.compare_exchange_strong(expected, kStarting))
            return requestWorker && (expected == kStarting || expected == kBusy) && queueBehindRunningJob(job);
        thread.join();
    }
    runnable.job = job;
    if (requestWorker)
        noteRequestJobStarted(job);
    try {
        thread.start(runnable);
    } catch (const Poco::Exception& e) {
        log("MIDI job %i could not start: %s\n", job.jobCode, e.displayText().c_str());
        runnable.state.store(kIdle);
        return false;
    } catch (const std::exception& e) {
        log("MIDI job %i could not start: %s\n", job.jobCode, e.what());
        runnable.state.store(kIdle);
        return false;
    }
    runnable.state.store(kBusy);
    if (requestWorker)
        jobStarted = true;
    return true;
}

bool MIDIMessageManager::postJob(int jobCode)
{
    if (jobCode != kJobRequestActiveArrangement && jobCode != kJobStartClock && jobCode != kJobContinuousClock &&
        jobCode != kJobStopClock)
        return false;
    return m_workers->dispatcher.post(jobCode);
}

MIDIMessageManager::PostedJob MIDIMessageManager::takePostedJob(int jobCode)
{
    return m_workers->dispatcher.take(jobCode);
}

void MIDIMessageManager::postRenderLogLines()
{
    m_workers->dispatcher.wake();
}

bool MIDIMessageManager::startPostedJob(int jobCode)
{
    switch (jobCode) {
    case kJobRequestActiveArrangement: return sendActiveArrangementRequestSysex(true);
    case kJobStartClock: return startMIDIClockOutput();
    case kJobContinuousClock: return sendContinuousMIDIClock(120.0);
    case kJobStopClock: return stopMIDIClockOutput();
    default: return false;
    }
}

// Edits and requests must not be lost to a busy worker: the newest whole
// sound for the hardware and the newest request for the user interface wait
// for it, in the order they came. A program change makes an earlier edit moot:
// the synth has left that sound, and sending it would put the old sound into
// the new program.
bool MIDIMessageManager::queueBehindRunningJob(const MIDIJob& job)
{
    const bool sound = isWholeSoundSend(job);
    if (!sound && !isUserInterfaceRequest(job))
        return false;
    std::vector<MIDIJob>& queued = m_workers->queued;
    const bool programChanged = job.jobCode == kJobRequestPart;
    queued.erase(std::remove_if(queued.begin(), queued.end(),
                     [&](const MIDIJob& waiting) {
                         return sound ? isWholeSoundSend(waiting)
                                      : isUserInterfaceRequest(waiting) || (programChanged && isWholeSoundSend(waiting));
                     }),
        queued.end());
    queued.push_back(job);
    return true;
}

bool MIDIMessageManager::takeQueuedJob(MIDIWorkerRunnable& runnable)
{
    if (!runnable.requestWorker) {
        runnable.state.store(kFinished);
        return false;
    }
    std::lock_guard<std::mutex> lock(m_workers->queueMutex);
    std::vector<MIDIJob>& queued = m_workers->queued;
    if (queued.empty() || m_workers->closing) {
        queued.clear();
        runnable.state.store(kFinished);
        return false;
    }
    runnable.job = queued.front();
    queued.erase(queued.begin());
    noteRequestJobStarted(runnable.job);
    jobStarted = true;
    return true;
}

bool MIDIMessageManager::isWholeSoundSend(const MIDIJob& job)
{
    return job.jobCode == kJobSendArrangement && !job.arrangementToLibrary;
}

bool MIDIMessageManager::isUserInterfaceRequest(const MIDIJob& job)
{
    return (job.jobCode == kJobRequestActiveArrangement || job.jobCode == kJobRequestPart) && job.toUserInterface;
}

size_t MIDIMessageManager::queuedJobCount() const
{
    std::lock_guard<std::mutex> lock(m_workers->queueMutex);
    return m_workers->queued.size();
}

void MIDIMessageManager::noteRequestJobStarted(const MIDIJob& job)
{
    m_lastJobCode = job.jobCode;
    m_lastJobProgram = job.program;
    m_lastJobBank = job.requestBank;
    m_lastJobToUserInterface = job.toUserInterface;
}

MIDIMessageManager::JobRecord MIDIMessageManager::lastJob() const
{
    return JobRecord {m_lastJobCode, m_lastJobProgram, m_lastJobBank, m_lastJobToUserInterface};
}

// ---- Flags a job holds while it runs ------------------------------------------------

void MIDIMessageManager::beginJobFlags(const MIDIJob& job)
{
    if (job.setDeviceInitialization)
        plug->deviceInitialization = true;
    if (job.setPatchLoading)
        plug->patchLoading = true;
    if (job.route != MIDIJobRoute::Unchanged)
        plug->SetLibrarianRequestActive(job.route == MIDIJobRoute::Library);
    if (job.setPatchRequested)
        patchRequested = true;
}

void MIDIMessageManager::endJobFlags(const MIDIJob& job)
{
    if (workerForJob(job.jobCode) == Worker::Request)
        progress.clear();
    clearExpectedReply();
    if (job.setPatchRequested || job.route == MIDIJobRoute::UserInterface)
        patchRequested = false;
    if (job.route == MIDIJobRoute::Library)
        libraryRequest.libraryRequestActive = false;
    if (job.setPatchLoading)
        plug->patchLoading = false;
    if (job.setDeviceInitialization)
        plug->deviceInitialization = false;
}

// ---- Starters --------------------------------------------------------------------------

namespace {

MIDIJob makeJob(int code)
{
    MIDIJob job;
    job.jobCode = code;
    return job;
}

int transferSlotOf(PatchLibrarian* library)
{
    if (!library)
        return -1;
    std::lock_guard<std::recursive_mutex> lock(library->libraryLock());
    return library->transferSlot;
}

bool isProgramSlot(int slot)
{
    return slot >= 0 && slot < zsysex::kProgramsPerBank;
}

}  // namespace

bool MIDIMessageManager::sendActiveArrangementRequestSysex(bool toUserInterface)
{
    MIDIJob job = makeJob(kJobRequestActiveArrangement);
    job.toUserInterface = toUserInterface;
    job.route = toUserInterface ? MIDIJobRoute::UserInterface : MIDIJobRoute::Library;
    return startJob(job);
}

bool MIDIMessageManager::sendSinglePatchRequestSysexFromLibrarian(bool editBuffer)
{
    libraryRequest.clear();
    libraryRequest.libraryRequestActive = true;
    dataProcessed = false;
    // A slot request names a program of a bank; any other transfer slot asks for nothing.
    if (!editBuffer && !isProgramSlot(transferSlotOf(patchLibrarian)))
        return false;
    MIDIJob job = makeJob(kJobRequestSinglePatch);
    job.editBuffer = editBuffer;
    job.route = MIDIJobRoute::Library;
    return startJob(job);
}

bool MIDIMessageManager::sendAllPatchRequestSysexFromLibrarian(int bank)
{
    libraryRequest.clear();
    libraryRequest.libraryRequestActive = true;
    dataProcessed = false;
    MIDIJob job = makeJob(kJobRequestAllPatches);
    job.requestBank = bank;
    job.route = MIDIJobRoute::Library;
    return startJob(job);
}

bool MIDIMessageManager::sendPartRequestSysex(bool toUserInterface, int program)
{
    dumpReplyFlag = false;
    MIDIJob job = makeJob(kJobRequestPart);
    job.toUserInterface = toUserInterface;
    job.program = program;
    job.route = toUserInterface ? MIDIJobRoute::UserInterface : MIDIJobRoute::Library;
    return startJob(job);
}

bool MIDIMessageManager::sendArrangementToDevice(bool arrangementToLibrary, bool second)
{
    if (arrangementToLibrary && !isProgramSlot(transferSlotOf(patchLibrarian)))
        return false;
    MIDIJob job = makeJob(kJobSendArrangement);
    job.arrangementToLibrary = arrangementToLibrary;
    job.second = second;
    return startJob(job);
}

bool MIDIMessageManager::sendPatchToDeviceFromLibrarian(const LibrarianPatch& patch)
{
    MIDIJob job = makeJob(kJobSendLibraryPatch);
    job.libraryPatch = patch;
    // The synth's channel messages wait while its new sound is loaded.
    job.setPatchRequested = true;
    return startJob(job);
}

bool MIDIMessageManager::storeAllPatchesToDeviceFromLibrarian(int storeBank, int storeListSelector)
{
    MIDIJob job = makeJob(kJobStoreAllPatches);
    job.storeBank = storeBank;
    job.storeListSelector = storeListSelector;
    return startJob(job);
}

bool MIDIMessageManager::initClassicPatch()
{
    if (!isProgramSlot(transferSlotOf(patchLibrarian)))
        return false;
    MIDIJob job = makeJob(kJobInitClassicPatch);
    job.setPatchRequested = true;
    return startJob(job);
}

bool MIDIMessageManager::sendDeviceIdEnquiry()
{
    MIDIJob job = makeJob(kJobDeviceIdEnquiry);
    job.setDeviceInitialization = true;
    job.route = MIDIJobRoute::UserInterface;
    return startJob(job);
}

bool MIDIMessageManager::startMIDIClockOutput()
{
    return startJob(makeJob(kJobStartClock));
}

bool MIDIMessageManager::sendContinuousMIDIClock(double tempo)
{
    MIDIJob job = makeJob(kJobContinuousClock);
    job.tempo = tempo;
    return startJob(job);
}

bool MIDIMessageManager::stopMIDIClockOutput()
{
    return startJob(makeJob(kJobStopClock));
}

// ---- Single-parameter SysEx ------------------------------------------------------------

void MIDIMessageManager::sendSysexMessage(const std::vector<int>& message)
{
    if (static_cast<int>(plug->paramValue(kDeviceOutSelection)) == 0) {
        plug->showStatus("Set MIDI I/O First!");
        return;
    }
    std::vector<unsigned char> bytes(message.size());
    for (size_t i = 0; i < message.size(); ++i)
        bytes[i] = static_cast<unsigned char>(message[i] & 0xFF);
    plug->SendMidiSysex(bytes.data(), static_cast<int>(bytes.size()));
    if (plug->debugLogEnabled)
        plug->debugOutput.logSysExOutMessageByte(bytes.data(), static_cast<int>(bytes.size()));
}
