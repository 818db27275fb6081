#pragma once
// Growable character string. Its size counts the terminator, so sizes 0 and
// 1 are both the empty string; Get() never returns null.
// Not thread-safe: the owner guards it.

#include <cstdarg>

#include "heapbuf.h"

class ROZ_String {
public:
    explicit ROZ_String(int granularity = 128) : m_hb(granularity) {}
    ROZ_String(const char* initial, int maxLength = 0) : m_hb(128) { Set(initial, maxLength); }
    ROZ_String(const ROZ_String& other) : m_hb(other.m_hb) {}
    ROZ_String& operator=(const ROZ_String& other);

    // Copies text (at most maxLength characters when maxLength > 0).
    // Returns false when the string could not grow; it then keeps its text.
    bool Set(const char* text, int maxLength = 0);
    bool Append(const char* text, int maxLength = 0);
    bool Insert(const char* text, int position, int maxLength = 0);
    void DeleteSub(int position, int length);
    // Cuts the string to length characters (never lengthens it).
    void SetLen(int length);
    bool SetFormatted(int maxLength, const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;
    bool AppendFormatted(int maxLength, const char* fmt, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 3, 4)))
#endif
        ;

    const char* Get() const;
    char* GetWritable();
    int GetLength() const;
    bool IsEmpty() const { return GetLength() == 0; }

private:
    bool PutFormatted(bool append, int maxLength, const char* fmt, va_list args);

    ROZ_HeapBuf m_hb;
};
