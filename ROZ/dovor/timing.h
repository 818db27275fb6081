#pragma once
// Timing services of the window-system layer.
//
// Request loops wait in steps of 100 to 500 ms for up to 20 seconds; tests
// replace the clock with a virtual one so those loops run in microseconds.

#include <atomic>
#include <cstdint>

// Blocks the calling thread for ms milliseconds; 0 sleeps 100 microseconds.
// Any thread.
void Sleep(int ms);

// Milliseconds of a monotonic clock, wrapping at 2^32. Any thread.
uint32_t GetTickCount();

namespace dovor {

// A replacement clock for tests. While one is installed, Sleep advances it
// instead of blocking and GetTickCount reads it.
class VirtualClock {
public:
    virtual ~VirtualClock() = default;
    virtual void sleepMicroseconds(int64_t us) = 0;
    virtual uint32_t tickCount() = 0;
};

// Installs clock (null restores the real one). Call only while no other
// thread sleeps or reads the time: tests do it in set-up and tear-down.
void SetVirtualClock(VirtualClock* clock);

// The simplest virtual clock: time moves only when somebody sleeps.
class SteppedClock : public VirtualClock {
public:
    void sleepMicroseconds(int64_t us) override;
    uint32_t tickCount() override;
    int64_t nowMicroseconds() const;

private:
    std::atomic<int64_t> m_nowUs{0};
};

}  // namespace dovor
