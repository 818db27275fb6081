#pragma once
// Short MIDI messages waiting to be sent at their sample offsets.
//
// Threads: the host, main and MIDI-input threads add; the render thread
// drains. Writers take the queue's lock (briefly); the render thread never
// waits for it: it tries the lock with a DrainLock and skips the drain of a
// block when a writer holds it, so nothing is lost and the waiting messages
// keep their offsets until the next block. The render thread, holding the
// drain lock, may add without growing (All Notes Off through the queue).
//
// Waiting messages are kept in ascending sample-offset order; equal offsets
// leave in the order they were added.

#include <atomic>
#include <mutex>
#include <thread>

#include "IPluginStructs.h"

class IMidiQueue {
public:
    static constexpr int kDefaultSize = 1024;

    // Allocates room for size messages (growth step size); when that fails
    // the queue starts with no room and grows on demand.
    explicit IMidiQueue(int size = kDefaultSize);
    ~IMidiQueue();
    IMidiQueue(const IMidiQueue&) = delete;
    IMidiQueue& operator=(const IMidiQueue&) = delete;

    // Any thread but the render thread (host, main, MIDI input). Inserts a
    // copy in offset order. False when the queue is full and can't grow
    // (growth step 0 or no memory): the message is then dropped and the
    // queue unchanged.
    bool Add(const IMidiMsg* msg);
    // Render thread, only while its DrainLock Acquired(): Add without ever
    // reallocating (the waiting messages may move to the start of the
    // buffer). False when no room is left: the message is then dropped.
    bool AddWithinCapacity(const IMidiMsg* msg);

    // Host thread (the editor's Reset), never the render thread: prepares the
    // queue for blocks of blockSize frames. The growth step becomes the
    // smallest multiple of 512 that holds blockSize; the capacity that same
    // number, or the smallest multiple of 512 that holds the waiting
    // messages. Keeps the old buffer when reallocation fails. Returns the
    // capacity now held.
    int Resize(int blockSize);

    // Any thread but the render thread: drops every waiting message.
    void Clear();

    // Render thread: try to take the queue for this block. Acquired() is
    // false when a writer holds it; then leave the queue alone this block.
    class DrainLock {
    public:
        explicit DrainLock(IMidiQueue& queue);
        ~DrainLock();
        DrainLock(const DrainLock&) = delete;
        DrainLock& operator=(const DrainLock&) = delete;
        bool Acquired() const { return mAcquired; }

    private:
        IMidiQueue& mQueue;
        bool mAcquired;
    };

    // The following read or move the waiting messages; call them only while
    // holding a DrainLock that Acquired() (Empty and ToDo may be read
    // without it as a hint).
    bool Empty() const { return mFront.load(std::memory_order_relaxed) == mBack.load(std::memory_order_relaxed); }
    int ToDo() const { return mBack.load(std::memory_order_relaxed) - mFront.load(std::memory_order_relaxed); }
    // The oldest waiting message; null when empty.
    IMidiMsg* Peek();
    // Drops the oldest waiting message.
    void Remove();
    // End of a block of nFrames frames: compacts the waiting messages to
    // the start of the buffer and moves their offsets nFrames earlier.
    void Flush(int nFrames);

    int GetSize() const { return mCapacity; }
    int GetGranularity() const { return mGranularity; }

private:
    class WriterLock;
    // Room for one more at back: compacts, or grows when mayGrow.
    bool MakeRoom(bool mayGrow);
    bool Insert(const IMidiMsg& msg, bool mayGrow);
    void Compact();
    bool Reallocate(int capacity);

    std::mutex mLock;
    std::atomic<std::thread::id> mHolder{};
    IMidiMsg* mBuf = nullptr;
    int mCapacity = 0;
    int mGranularity;
    std::atomic<int> mFront{0};
    std::atomic<int> mBack{0};
};
