#pragma once
// A list of pointers to one item type that can delete what it holds.
// Not thread-safe: the owner guards it.

#include "heapbuf.h"

template <class PTRTYPE>
class ROZ_PtrList {
public:
    explicit ROZ_PtrList(int granularityBytes = 4096) : m_hb(granularityBytes) {}
    ~ROZ_PtrList() {}
    ROZ_PtrList(const ROZ_PtrList&) = delete;
    ROZ_PtrList& operator=(const ROZ_PtrList&) = delete;

    PTRTYPE** GetList() const { return static_cast<PTRTYPE**>(m_hb.Get()); }
    int GetSize() const { return m_hb.GetSize() / static_cast<int>(sizeof(PTRTYPE*)); }
    // The item at index, or null outside the list.
    PTRTYPE* Get(int index) const
    {
        PTRTYPE** list = GetList();
        return (list && index >= 0 && index < GetSize()) ? list[index] : nullptr;
    }
    PTRTYPE* Get_Last() const { return Get(GetSize() - 1); }

    // Appends item; null when the list could not grow (item not added).
    PTRTYPE* Add(PTRTYPE* item)
    {
        const int n = GetSize();
        PTRTYPE** list = static_cast<PTRTYPE**>(m_hb.ResizeOk((n + 1) * static_cast<int>(sizeof(PTRTYPE*)), false));
        if (!list) return nullptr;
        list[n] = item;
        return item;
    }
    // Inserts at index (clamped into 0..size); null when the list could not grow.
    PTRTYPE* Insert(int index, PTRTYPE* item)
    {
        const int n = GetSize();
        if (index < 0) index = 0;
        if (index > n) index = n;
        PTRTYPE** list = static_cast<PTRTYPE**>(m_hb.ResizeOk((n + 1) * static_cast<int>(sizeof(PTRTYPE*)), false));
        if (!list) return nullptr;
        for (int i = n; i > index; --i) list[i] = list[i - 1];
        list[index] = item;
        return item;
    }
    // Replaces the item at index; null outside the list.
    PTRTYPE* Set(int index, PTRTYPE* item)
    {
        if (index < 0 || index >= GetSize()) return nullptr;
        GetList()[index] = item;
        return item;
    }
    int Find(const PTRTYPE* item) const
    {
        PTRTYPE** list = GetList();
        for (int i = 0; i < GetSize(); ++i)
            if (list[i] == item) return i;
        return -1;
    }
    // Removes the item at index (the rest close up), deleting it when asked.
    void Delete(int index, bool wantDelete = false, void (*deleter)(void*) = nullptr)
    {
        const int n = GetSize();
        if (index < 0 || index >= n) return;
        PTRTYPE** list = GetList();
        PTRTYPE* item = list[index];
        for (int i = index; i < n - 1; ++i) list[i] = list[i + 1];
        m_hb.Resize((n - 1) * static_cast<int>(sizeof(PTRTYPE*)), false);
        if (wantDelete) DeleteItem(item, deleter);
    }
    // Removes every item from the last to the first, deleting each non-null
    // one when asked (through deleter when given), then releases the storage.
    void Empty(bool wantDelete = false, void (*deleter)(void*) = nullptr)
    {
        if (wantDelete) {
            for (int i = GetSize() - 1; i >= 0; --i) {
                PTRTYPE* item = GetList()[i];
                m_hb.Resize(i * static_cast<int>(sizeof(PTRTYPE*)), false);
                DeleteItem(item, deleter);
            }
        }
        m_hb.Resize(0, true);
    }

private:
    static void DeleteItem(PTRTYPE* item, void (*deleter)(void*))
    {
        if (!item) return;
        if (deleter)
            deleter(item);
        else
            delete item;
    }

    ROZ_HeapBuf m_hb;
};
