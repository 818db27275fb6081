#include "platform/MidiByteRing.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {
size_t RoundUpToPowerOfTwo(size_t n)
{
    size_t p = 64;
    while (p < n) {
        p <<= 1;
    }
    return p;
}
}  // namespace

MidiByteRing::MidiByteRing(size_t capacity)
    : buffer_(RoundUpToPowerOfTwo(capacity)), mask_(buffer_.size() - 1)
{
}

void MidiByteRing::CopyIn(size_t position, const void* from, size_t size)
{
    if (size == 0) {
        return;
    }
    const size_t start = position & mask_;
    const size_t first = std::min(size, buffer_.size() - start);
    std::memcpy(buffer_.data() + start, from, first);
    std::memcpy(buffer_.data(), static_cast<const unsigned char*>(from) + first, size - first);
}

void MidiByteRing::CopyOut(size_t position, void* to, size_t size) const
{
    if (size == 0) {
        return;
    }
    const size_t start = position & mask_;
    const size_t first = std::min(size, buffer_.size() - start);
    std::memcpy(to, buffer_.data() + start, first);
    std::memcpy(static_cast<unsigned char*>(to) + first, buffer_.data(), size - first);
}

bool MidiByteRing::Push(double timeStamp, const unsigned char* bytes, size_t size)
{
    const size_t tail = tail_.load(std::memory_order_relaxed);
    const size_t head = head_.load(std::memory_order_acquire);
    const size_t free = buffer_.size() - (tail - head);
    if (size > MaxMessageSize() || kHeaderSize + size > free) {
        return false;
    }
    const uint32_t length = static_cast<uint32_t>(size);
    CopyIn(tail, &length, sizeof length);
    CopyIn(tail + sizeof length, &timeStamp, sizeof timeStamp);
    CopyIn(tail + kHeaderSize, bytes, size);
    tail_.store(tail + kHeaderSize + size, std::memory_order_release);
    return true;
}

bool MidiByteRing::Pop(double* timeStamp, std::vector<unsigned char>* message)
{
    const size_t head = head_.load(std::memory_order_relaxed);
    const size_t tail = tail_.load(std::memory_order_acquire);
    if (head == tail) {
        return false;
    }
    uint32_t length = 0;
    CopyOut(head, &length, sizeof length);
    CopyOut(head + sizeof length, timeStamp, sizeof *timeStamp);
    message->resize(length);
    CopyOut(head + kHeaderSize, message->data(), length);
    head_.store(head + kHeaderSize + length, std::memory_order_release);
    return true;
}

}  // namespace platform
