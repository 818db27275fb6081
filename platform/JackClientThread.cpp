#include "platform/JackClientThread.h"

#include "platform/CoreMIDIRtMidi.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// libjack holds its own locks for moments; RtMidi waits on a semaphore for
// at most a second while it closes an output port.
constexpr std::chrono::seconds kLockWaitLimit{3};
// One step (a client opened or closed) on a server that answers late: a
// server refuses a client only after waiting 5 s for a process cycle, and
// does so again for each request of that client.
constexpr std::chrono::seconds kStepLimit{60};
// How often a waiting thread looks at the JACK thread.
constexpr std::chrono::milliseconds kLookInterval{20};

int64_t Now()
{
    return Clock::now().time_since_epoch().count();
}

int64_t Ticks(Clock::duration duration)
{
    return duration.count();
}

}  // namespace

JackClientThread& JackClientThread::Get()
{
    static auto* thread = new JackClientThread;
    return *thread;
}

JackClientThread::JackClientThread()
{
    std::thread thread([this] {
        tid_ = static_cast<long>(syscall(SYS_gettid));
        Loop();
    });
    id_ = thread.get_id();
    pthread_setname_np(thread.native_handle(), kJackClientThreadName);
    thread.detach();
}

bool JackClientThread::Run(const std::function<void()>& change)
{
    if (OnIt()) {
        change();
        return true;
    }
    auto asked = std::make_shared<Change>();
    asked->work = change;
    std::unique_lock<std::mutex> lock(mutex_);
    if (Stalled()) {
        return false;
    }
    queue_.push_back(asked);
    changed_.notify_all();
    while (!asked->done) {
        changed_.wait_for(lock, kLookInterval);
        if (!asked->done && Stalled()) {
            return false;
        }
    }
    return true;
}

void JackClientThread::Progressed()
{
    progressAt_ = Now();
    onALockSince_ = 0;
}

bool JackClientThread::Stalled()
{
    const int64_t progressAt = progressAt_;
    if (progressAt == 0) {
        return false;
    }
    const int64_t now = Now();
    bool stalled = now - progressAt > Ticks(kStepLimit);
    switch (JackThreadWaits()) {
    case Waiting::OnALock: {
        int64_t since = onALockSince_;
        if (since == 0 && !onALockSince_.compare_exchange_strong(since, now)) {
            since = onALockSince_;
        }
        stalled = stalled || (since != 0 && now - since > Ticks(kLockWaitLimit));
        break;
    }
    case Waiting::OnSomethingElse: onALockSince_ = 0; break;
    case Waiting::Unknown: break;
    }
    if (stalled) {
        TellStalled();
    }
    return stalled;
}

// The system call the thread is in: a futex wait is a wait for a lock (or a
// semaphore); a read is a wait for the server.
JackClientThread::Waiting JackClientThread::JackThreadWaits() const
{
    std::ifstream call("/proc/self/task/" + std::to_string(tid_.load()) + "/syscall");
    std::string first;
    if (!(call >> first)) {
        return Waiting::Unknown;
    }
    return first == std::to_string(SYS_futex) ? Waiting::OnALock : Waiting::OnSomethingElse;
}

void JackClientThread::TellStalled()
{
    if (!toldStalled_.exchange(true)) {
        std::printf("MIDI: the JACK library does not return from a client's open or close; MIDI waits for it\n");
        std::fflush(stdout);
    }
}

bool JackClientThread::LockShared(bool wait)
{
    if (!wait) {
        return callsLock_.try_lock_shared();
    }
    while (!callsLock_.try_lock_shared_for(kLookInterval)) {
        if (Stalled()) {
            return false;
        }
    }
    return true;
}

void JackClientThread::Loop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return !queue_.empty(); });
        std::shared_ptr<Change> next = queue_.front();
        queue_.pop_front();
        lock.unlock();
        {
            // Taking the lock waits for library calls of other threads, not
            // for libjack: no progress is noted until it is held.
            std::unique_lock<std::shared_timed_mutex> alone(callsLock_);
            Progressed();
            next->work();
            progressAt_ = 0;
        }
        lock.lock();
        toldStalled_ = false;
        next->done = true;
        changed_.notify_all();
    }
}

}  // namespace platform
