#include "timing.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace {
std::atomic<dovor::VirtualClock*> g_virtualClock{nullptr};
}

void Sleep(int ms)
{
    const int64_t us = ms <= 0 ? 100 : int64_t(ms) * 1000;
    if (dovor::VirtualClock* clock = g_virtualClock.load(std::memory_order_acquire)) {
        clock->sleepMicroseconds(us);
        return;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(us));
}

uint32_t GetTickCount()
{
    if (dovor::VirtualClock* clock = g_virtualClock.load(std::memory_order_acquire))
        return clock->tickCount();
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return uint32_t(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

namespace dovor {

void SetVirtualClock(VirtualClock* clock)
{
    g_virtualClock.store(clock, std::memory_order_release);
}

void SteppedClock::sleepMicroseconds(int64_t us)
{
    m_nowUs.fetch_add(us);
    // Let the thread we are waiting for run, as a real sleep would.
    std::this_thread::yield();
}

uint32_t SteppedClock::tickCount()
{
    return uint32_t(m_nowUs.load() / 1000);
}

int64_t SteppedClock::nowMicroseconds() const
{
    return m_nowUs.load();
}

}  // namespace dovor
