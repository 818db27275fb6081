#pragma once
// The one thread of the process that opens and closes the port layer's JACK
// clients, and the JACK calls lock that keeps every other library call of
// the layer away meanwhile (CoreMIDIRtMidiJack.cpp).
//
// libjack can wait for ever inside a client's open or close, for a lock of
// its own that a thread it ended still holds. Such a wait must stop MIDI,
// never the thread that asked for the change (the window's, say). So the
// other threads wait for the JACK thread only while it makes progress: while
// it waits for the server, which answers however late, or works; not once
// it has sat on a lock for longer than any libjack holds one, nor once one
// step of a change has run for a minute.

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <thread>

namespace platform {

class JackClientThread {
public:
    // Created at the first use, it runs as long as the process.
    static JackClientThread& Get();

    // Any thread: runs change on the JACK thread with the JACK calls lock
    // held alone (at once when called there) and waits for it. false once
    // the thread has stalled: the change may still run later, so what it
    // touches must stay allocated.
    bool Run(const std::function<void()>& change);

    // JACK thread, before each step of a change that calls into libjack (a
    // client opened or closed): the change makes progress.
    void Progressed();

    // Any thread: the running change has stalled in libjack.
    bool Stalled();

    bool OnIt() const { return std::this_thread::get_id() == id_; }

    // Any other thread, around a library call: the JACK calls lock shared.
    // With wait, waits while the JACK thread makes progress (false once it
    // has stalled); without, only takes a lock that is free at once.
    bool LockShared(bool wait);
    void UnlockShared() { callsLock_.unlock_shared(); }

private:
    struct Change {
        std::function<void()> work;
        bool done = false;
    };
    enum class Waiting { OnALock, OnSomethingElse, Unknown };

    JackClientThread();
    void Loop();
    // What the JACK thread waits for now, as the kernel tells.
    Waiting JackThreadWaits() const;
    void TellStalled();

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::shared_ptr<Change>> queue_;
    std::shared_timed_mutex callsLock_;
    // Steady-clock ticks: when the running change last made progress (0
    // while none runs), and since when it has been seen waiting on a lock
    // (0 while not seen so).
    std::atomic<int64_t> progressAt_{0};
    std::atomic<int64_t> onALockSince_{0};
    std::atomic<bool> toldStalled_{false};
    std::thread::id id_;
    std::atomic<long> tid_{0};
};

}  // namespace platform
