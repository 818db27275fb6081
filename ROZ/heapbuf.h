#pragma once
// Growable raw buffers: the storage under strings, pointer lists, byte chunks
// and every typed array of the framework.
//
// A failed growth keeps the old block, size and capacity. Callers that write
// after a Resize must check that the size really changed (ResizeOk does it).
// Not thread-safe: the owner of a buffer guards it.

#include <cstring>

class ROZ_HeapBuf {
public:
    explicit ROZ_HeapBuf(int granularity = 4096);
    ~ROZ_HeapBuf();
    ROZ_HeapBuf(const ROZ_HeapBuf& other);
    ROZ_HeapBuf& operator=(const ROZ_HeapBuf& other);
    ROZ_HeapBuf(ROZ_HeapBuf&& other) noexcept;
    ROZ_HeapBuf& operator=(ROZ_HeapBuf&& other) noexcept;

    void* Get() const { return m_size > 0 ? m_buf : nullptr; }
    int GetSize() const { return m_size; }
    int GetCapacity() const { return m_capacity; }
    int GetGranularity() const { return m_granularity; }
    void SetGranularity(int granularity);
    void SetMinCapacity(int bytes) { m_minCapacity = bytes > 0 ? bytes : 0; }

    // Returns the block, or null when size is 0. On a failed growth the old
    // block is returned (null when there was none) and nothing changes.
    void* Resize(int newSize, bool shrink = true);
    // The block when the buffer now holds exactly newSize bytes, else null.
    void* ResizeOk(int newSize, bool shrink = true);
    // Copies other's contents; false (and unchanged) when growth fails.
    bool CopyFrom(const ROZ_HeapBuf& other);

    // Largest size a buffer may take; larger requests fail like an
    // exhausted allocator.
    static constexpr int kMaxBytes = 1 << 30;

private:
    int NewCapacity(int size) const;

    void* m_buf = nullptr;
    int m_granularity;
    int m_capacity = 0;
    int m_size = 0;
    int m_minCapacity = 0;
};

// A heap buffer seen as an array of T (T must be trivially copyable).
template <class T>
class ROZ_TypedBuf {
public:
    explicit ROZ_TypedBuf(int granularityBytes = 4096) : m_hb(granularityBytes) {}

    T* Get() const { return static_cast<T*>(m_hb.Get()); }
    int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(T)); }
    T* Resize(int count, bool shrink = true)
    {
        if (count < 0 || count > ROZ_HeapBuf::kMaxBytes / static_cast<int>(sizeof(T))) return Get();
        return static_cast<T*>(m_hb.Resize(count * static_cast<int>(sizeof(T)), shrink));
    }
    T* ResizeOk(int count, bool shrink = true)
    {
        if (count < 0 || count > ROZ_HeapBuf::kMaxBytes / static_cast<int>(sizeof(T))) return nullptr;
        return static_cast<T*>(m_hb.ResizeOk(count * static_cast<int>(sizeof(T)), shrink));
    }
    // Appends one element; null (and unchanged) when growth fails.
    T* Add(const T& value)
    {
        const int n = GetSize();
        T* p = ResizeOk(n + 1, false);
        if (!p) return nullptr;
        p[n] = value;
        return p + n;
    }
    // Removes the element at index; the rest close up.
    void Delete(int index)
    {
        const int n = GetSize();
        if (index < 0 || index >= n) return;
        T* p = Get();
        std::memmove(p + index, p + index + 1, sizeof(T) * static_cast<size_t>(n - index - 1));
        Resize(n - 1, false);
    }
    void SetGranularity(int bytes) { m_hb.SetGranularity(bytes); }
    ROZ_HeapBuf* GetHeapBuf() { return &m_hb; }
    const ROZ_HeapBuf* GetHeapBuf() const { return &m_hb; }

private:
    ROZ_HeapBuf m_hb;
};
