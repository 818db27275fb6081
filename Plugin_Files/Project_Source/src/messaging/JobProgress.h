#pragma once
// How far the long work of the running request job is, for the progress
// overlay to count: the sound of a bank request or store, or the device ID
// that the device-ID search asks.
//
// Threads: the request thread writes it, the main thread reads it while
// drawing. The whole count is one atomic word, so a reader never sees the
// number of one step with the total of another.

#include <atomic>
#include <cstdint>
#include <string>

class JobProgress {
public:
    enum class Counting : uint32_t { Nothing, Sounds, DeviceIds };
    struct Count {
        Counting counting = Counting::Nothing;
        int done = 0;
        int total = 0;
    };

    // Request thread; done and total 0..4095.
    void set(Counting counting, int done, int total) { m_word = pack(counting, done, total); }
    void set(const Count& count) { set(count.counting, count.done, count.total); }
    void clear() { m_word = 0; }

    // Any thread.
    Count get() const { return unpack(m_word); }
    // Changes whenever the count does (the overlay redraws then).
    uint32_t word() const { return m_word; }
    // "SOUND 37 / 100", "DEVICE ID 12 / 127"; empty while nothing is counted.
    static std::string text(const Count& count)
    {
        if (count.counting == Counting::Nothing)
            return {};
        return (count.counting == Counting::Sounds ? "SOUND " : "DEVICE ID ") + std::to_string(count.done) + " / "
            + std::to_string(count.total);
    }

private:
    static constexpr uint32_t kFieldMask = 0xFFF;
    static uint32_t pack(Counting counting, int done, int total)
    {
        return static_cast<uint32_t>(counting) << 24 | (static_cast<uint32_t>(done) & kFieldMask) << 12
            | (static_cast<uint32_t>(total) & kFieldMask);
    }
    static Count unpack(uint32_t word)
    {
        return {static_cast<Counting>(word >> 24), static_cast<int>(word >> 12 & kFieldMask),
            static_cast<int>(word & kFieldMask)};
    }

    std::atomic<uint32_t> m_word {0};
};
