#pragma once
// LOG lines of the render thread, which may neither wait for the LOG file nor
// allocate: each line is formatted into a fixed slot of a ring, and one other
// thread writes the waiting lines into the LOG.
//
// Threads: post on the render thread only; drain on one other thread at a
// time (the MIDI message manager's dispatcher).

#include <atomic>
#include <cstdarg>

class RenderLog {
public:
    static constexpr unsigned kSlots = 16;
    static constexpr int kLineRoom = 96;

    // Render thread. False when every slot still waits: the line is lost.
    bool post(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // The one draining thread: calls write with every waiting line, oldest first.
    template <typename Write>
    void drain(Write write)
    {
        unsigned tail = m_tail.load(std::memory_order_relaxed);
        const unsigned head = m_head.load(std::memory_order_acquire);
        for (; tail != head; ++tail)
            write(static_cast<const char*>(m_lines[tail % kSlots]));
        m_tail.store(tail, std::memory_order_release);
    }

private:
    char m_lines[kSlots][kLineRoom] = {};
    std::atomic<unsigned> m_head {0};  // the render thread's next slot
    std::atomic<unsigned> m_tail {0};  // the first slot not yet written
};
