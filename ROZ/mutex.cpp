#include "mutex.h"

void ROZ_Mutex::Enter()
{
    const std::thread::id self = std::this_thread::get_id();
    if (m_owner.load(std::memory_order_relaxed) == self) {
        ++m_depth;
        return;
    }
    m_mutex.lock();
    m_owner.store(self, std::memory_order_relaxed);
    m_depth = 0;
}

void ROZ_Mutex::Leave()
{
    // A Leave without a matching Enter on this thread must not unlock
    // somebody else's hold.
    if (!IsOwnedByCurrentThread()) return;
    if (m_depth > 0) {
        --m_depth;
        return;
    }
    m_owner.store(std::thread::id(), std::memory_order_relaxed);
    m_mutex.unlock();
}

bool ROZ_Mutex::IsOwnedByCurrentThread() const
{
    return m_owner.load(std::memory_order_relaxed) == std::this_thread::get_id();
}
