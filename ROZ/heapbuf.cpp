#include "heapbuf.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kPage = 4096;
constexpr int kMaxStep = 4194304;
constexpr int kAllocatorSlack = 96;
}  // namespace

ROZ_HeapBuf::ROZ_HeapBuf(int granularity) : m_granularity(granularity) {}

ROZ_HeapBuf::~ROZ_HeapBuf()
{
    std::free(m_buf);
}

ROZ_HeapBuf::ROZ_HeapBuf(const ROZ_HeapBuf& other)
    : m_granularity(other.m_granularity), m_minCapacity(other.m_minCapacity)
{
    CopyFrom(other);
}

ROZ_HeapBuf& ROZ_HeapBuf::operator=(const ROZ_HeapBuf& other)
{
    if (this != &other) CopyFrom(other);
    return *this;
}

ROZ_HeapBuf::ROZ_HeapBuf(ROZ_HeapBuf&& other) noexcept
    : m_buf(other.m_buf),
      m_granularity(other.m_granularity),
      m_capacity(other.m_capacity),
      m_size(other.m_size),
      m_minCapacity(other.m_minCapacity)
{
    other.m_buf = nullptr;
    other.m_capacity = other.m_size = 0;
}

ROZ_HeapBuf& ROZ_HeapBuf::operator=(ROZ_HeapBuf&& other) noexcept
{
    if (this != &other) {
        std::free(m_buf);
        m_buf = other.m_buf;
        m_granularity = other.m_granularity;
        m_capacity = other.m_capacity;
        m_size = other.m_size;
        m_minCapacity = other.m_minCapacity;
        other.m_buf = nullptr;
        other.m_capacity = other.m_size = 0;
    }
    return *this;
}

void ROZ_HeapBuf::SetGranularity(int granularity)
{
    m_granularity = granularity > 0 ? granularity : 1;
}

int ROZ_HeapBuf::NewCapacity(int size) const
{
    int capacity;
    if (m_granularity < kPage) {
        capacity = size + std::max(size / 2, m_granularity);
    } else {
        int step = std::max(size / 2, m_granularity);
        step -= step % kPage;
        step = std::min(std::max(step, kPage), kMaxStep);
        const int total = size + step + kAllocatorSlack;
        capacity = total - total % kPage - kAllocatorSlack;
    }
    return std::max(capacity, m_minCapacity);
}

void* ROZ_HeapBuf::Resize(int newSize, bool shrink)
{
    if (newSize == m_size) return Get();
    if (newSize < 0 || newSize > kMaxBytes) return Get();

    if (newSize == 0 && shrink) {
        std::free(m_buf);
        m_buf = nullptr;
        m_capacity = m_size = 0;
        return nullptr;
    }

    if (newSize <= m_capacity) {
        const bool worthShrinking = shrink && newSize < m_size && newSize < m_capacity / 2 &&
                                    m_capacity - 4 * m_granularity > newSize;
        if (!worthShrinking) {
            m_size = newSize;
            return Get();
        }
    }

    const int capacity = NewCapacity(newSize);
    void* block = std::realloc(m_buf, static_cast<size_t>(capacity));
    if (!block) {
        block = std::malloc(static_cast<size_t>(capacity));
        if (!block) return Get();
        if (m_buf) std::memcpy(block, m_buf, static_cast<size_t>(std::min(m_size, newSize)));
        std::free(m_buf);
    }
    m_buf = block;
    m_capacity = capacity;
    m_size = newSize;
    return Get();
}

void* ROZ_HeapBuf::ResizeOk(int newSize, bool shrink)
{
    void* block = Resize(newSize, shrink);
    return m_size == newSize ? block : nullptr;
}

bool ROZ_HeapBuf::CopyFrom(const ROZ_HeapBuf& other)
{
    const int size = other.GetSize();
    if (size == 0) {
        Resize(0, false);
        return true;
    }
    void* block = ResizeOk(size, false);
    if (!block) return false;
    std::memcpy(block, other.m_buf, static_cast<size_t>(size));
    return true;
}
