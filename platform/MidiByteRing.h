#pragma once
// Bounded single-producer, single-consumer queue of whole MIDI messages.
// The producer (a MIDI library's real-time thread) never blocks, locks or
// allocates: a message that does not fit is refused and counted. Messages are
// stored back to back as a length, a time stamp and the bytes.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

class MidiByteRing {
public:
    // capacity in bytes, rounded up to a power of two (at least 64).
    explicit MidiByteRing(size_t capacity);

    // Producer thread only. false when the message does not fit now.
    bool Push(double timeStamp, const unsigned char* bytes, size_t size);
    // Consumer thread only. Moves the oldest message into *message (resized
    // to it); false when the queue is empty.
    bool Pop(double* timeStamp, std::vector<unsigned char>* message);

    size_t Capacity() const { return buffer_.size(); }
    // The largest message Push can ever take.
    size_t MaxMessageSize() const { return buffer_.size() - kHeaderSize; }

private:
    static constexpr size_t kHeaderSize = sizeof(uint32_t) + sizeof(double);

    void CopyIn(size_t position, const void* from, size_t size);
    void CopyOut(size_t position, void* to, size_t size) const;

    std::vector<unsigned char> buffer_;
    size_t mask_;
    // Both count bytes ever written / read; their difference is the fill.
    std::atomic<size_t> head_{0};
    std::atomic<size_t> tail_{0};
};

}  // namespace platform
