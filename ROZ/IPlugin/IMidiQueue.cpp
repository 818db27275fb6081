#include "IMidiQueue.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
constexpr int kResizeStep = 512;

int RoundUpToStep(int n)
{
    if (n < 1) n = 1;
    return ((n + kResizeStep - 1) / kResizeStep) * kResizeStep;
}
}  // namespace

// Blocking hold for writers; a thread that already holds the queue (the
// render thread inside its drain) passes straight through.
class IMidiQueue::WriterLock {
public:
    explicit WriterLock(IMidiQueue& queue)
        : mQueue(queue), mNested(queue.mHolder.load(std::memory_order_relaxed) == std::this_thread::get_id())
    {
        if (mNested) return;
        mQueue.mLock.lock();
        mQueue.mHolder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    }
    ~WriterLock()
    {
        if (mNested) return;
        mQueue.mHolder.store(std::thread::id(), std::memory_order_relaxed);
        mQueue.mLock.unlock();
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    IMidiQueue& mQueue;
    bool mNested;
};

IMidiQueue::DrainLock::DrainLock(IMidiQueue& queue) : mQueue(queue), mAcquired(false)
{
    if (mQueue.mHolder.load(std::memory_order_relaxed) == std::this_thread::get_id()) return;
    if (!mQueue.mLock.try_lock()) return;
    mQueue.mHolder.store(std::this_thread::get_id(), std::memory_order_relaxed);
    mAcquired = true;
}

IMidiQueue::DrainLock::~DrainLock()
{
    if (!mAcquired) return;
    mQueue.mHolder.store(std::thread::id(), std::memory_order_relaxed);
    mQueue.mLock.unlock();
}

IMidiQueue::IMidiQueue(int size) : mGranularity(size > 0 ? size : 0)
{
    if (size > 0) Reallocate(size);
}

IMidiQueue::~IMidiQueue()
{
    std::free(mBuf);
}

bool IMidiQueue::Reallocate(int capacity)
{
    if (capacity <= 0 || capacity > INT_MAX / static_cast<int>(sizeof(IMidiMsg))) return false;
    void* block = std::realloc(mBuf, sizeof(IMidiMsg) * static_cast<size_t>(capacity));
    if (!block) return false;
    mBuf = static_cast<IMidiMsg*>(block);
    mCapacity = capacity;
    return true;
}

void IMidiQueue::Compact()
{
    const int front = mFront.load(std::memory_order_relaxed);
    if (front <= 0) return;
    const int waiting = mBack.load(std::memory_order_relaxed) - front;
    if (waiting > 0) std::memmove(mBuf, mBuf + front, sizeof(IMidiMsg) * static_cast<size_t>(waiting));
    mBack.store(waiting, std::memory_order_relaxed);
    mFront.store(0, std::memory_order_relaxed);
}

bool IMidiQueue::MakeRoom(bool mayGrow)
{
    if (mBack.load(std::memory_order_relaxed) < mCapacity) return true;
    if (mFront.load(std::memory_order_relaxed) > 0) {
        Compact();
        return true;
    }
    if (!mayGrow || mGranularity <= 0) return false;
    if (mCapacity / mGranularity >= INT_MAX / mGranularity - 1) return false;
    return Reallocate((mCapacity / mGranularity + 1) * mGranularity);
}

bool IMidiQueue::Add(const IMidiMsg* msg)
{
    if (!msg) return false;
    WriterLock hold(*this);
    return Insert(*msg, true);
}

bool IMidiQueue::AddWithinCapacity(const IMidiMsg* msg)
{
    if (!msg || mHolder.load(std::memory_order_relaxed) != std::this_thread::get_id()) return false;
    return Insert(*msg, false);
}

bool IMidiQueue::Insert(const IMidiMsg& msg, bool mayGrow)
{
    if (!MakeRoom(mayGrow)) return false;
    const int front = mFront.load(std::memory_order_relaxed);
    const int back = mBack.load(std::memory_order_relaxed);
    int insertAt = back;
    if (back > front && msg.mOffset < mBuf[back - 1].mOffset) {
        insertAt = front;
        for (int i = back - 2; i >= front; --i) {
            if (mBuf[i].mOffset <= msg.mOffset) {
                insertAt = i + 1;
                break;
            }
        }
        std::memmove(mBuf + insertAt + 1, mBuf + insertAt, sizeof(IMidiMsg) * static_cast<size_t>(back - insertAt));
    }
    mBuf[insertAt] = msg;
    mBack.store(back + 1, std::memory_order_relaxed);
    return true;
}

int IMidiQueue::Resize(int blockSize)
{
    WriterLock hold(*this);
    Compact();
    mGranularity = RoundUpToStep(blockSize);
    int capacity = mGranularity;
    const int waiting = ToDo();
    if (waiting > capacity) capacity = RoundUpToStep(waiting);
    if (capacity != mCapacity) Reallocate(capacity);
    return mCapacity;
}

void IMidiQueue::Clear()
{
    WriterLock hold(*this);
    mFront.store(0, std::memory_order_relaxed);
    mBack.store(0, std::memory_order_relaxed);
}

IMidiMsg* IMidiQueue::Peek()
{
    return Empty() ? nullptr : mBuf + mFront.load(std::memory_order_relaxed);
}

void IMidiQueue::Remove()
{
    if (!Empty()) mFront.fetch_add(1, std::memory_order_relaxed);
}

void IMidiQueue::Flush(int nFrames)
{
    Compact();
    const int back = mBack.load(std::memory_order_relaxed);
    for (int i = 0; i < back; ++i) mBuf[i].mOffset -= nFrames;
}
