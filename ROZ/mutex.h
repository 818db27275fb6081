#pragma once
// Recursive mutex: the owning thread may enter again; every Enter is paired
// with a Leave on the same thread.

#include <atomic>
#include <mutex>
#include <thread>

class ROZ_Mutex {
public:
    ROZ_Mutex() = default;
    ~ROZ_Mutex() = default;
    ROZ_Mutex(const ROZ_Mutex&) = delete;
    ROZ_Mutex& operator=(const ROZ_Mutex&) = delete;

    // Any thread; blocks while another thread owns the mutex.
    void Enter();
    // Only the owning thread.
    void Leave();
    // True when the calling thread owns the mutex.
    bool IsOwnedByCurrentThread() const;

private:
    std::mutex m_mutex;
    std::atomic<std::thread::id> m_owner{};
    int m_depth = 0;  // only the owner touches it
};

// Holds a mutex for a scope; a null mutex is allowed and does nothing.
class ROZ_MutexLock {
public:
    explicit ROZ_MutexLock(ROZ_Mutex* mutex) : m_mutex(mutex)
    {
        if (m_mutex) m_mutex->Enter();
    }
    ~ROZ_MutexLock()
    {
        if (m_mutex) m_mutex->Leave();
    }
    ROZ_MutexLock(const ROZ_MutexLock&) = delete;
    ROZ_MutexLock& operator=(const ROZ_MutexLock&) = delete;

private:
    ROZ_Mutex* m_mutex;
};
