#include "wdlstring.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int BoundedLength(const char* text, int maxLength)
{
    if (!text) return 0;
    if (maxLength > 0) return static_cast<int>(strnlen(text, static_cast<size_t>(maxLength)));
    const size_t len = std::strlen(text);
    return len > static_cast<size_t>(ROZ_HeapBuf::kMaxBytes) ? ROZ_HeapBuf::kMaxBytes : static_cast<int>(len);
}

}  // namespace

ROZ_String& ROZ_String::operator=(const ROZ_String& other)
{
    if (this != &other) m_hb.CopyFrom(other.m_hb);
    return *this;
}

const char* ROZ_String::Get() const
{
    const char* s = static_cast<const char*>(m_hb.Get());
    return s ? s : "";
}

char* ROZ_String::GetWritable()
{
    return static_cast<char*>(m_hb.Get());
}

int ROZ_String::GetLength() const
{
    const char* s = static_cast<const char*>(m_hb.Get());
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

bool ROZ_String::Set(const char* text, int maxLength)
{
    const int len = BoundedLength(text, maxLength);
    if (len > 0 && !Insert(text, 0, len)) return false;
    SetLen(len);
    return true;
}

bool ROZ_String::Append(const char* text, int maxLength)
{
    return Insert(text, GetLength(), maxLength);
}

bool ROZ_String::Insert(const char* text, int position, int maxLength)
{
    const int len = BoundedLength(text, maxLength);
    if (len == 0) return true;
    const int oldLength = GetLength();
    if (position < 0) position = 0;
    if (position > oldLength) position = oldLength;
    if (len > ROZ_HeapBuf::kMaxBytes - oldLength - 1) return false;

    // text may point into this string: keep its offset across a reallocation.
    const char* base = static_cast<const char*>(m_hb.Get());
    const bool inside = base && text >= base && text < base + m_hb.GetSize();
    const ptrdiff_t offset = inside ? text - base : 0;

    char* buf = static_cast<char*>(m_hb.ResizeOk(oldLength + len + 1, false));
    if (!buf) return false;
    if (inside) text = buf + offset;
    if (inside) {
        // Copy the source before the tail moves over it.
        char* copy = static_cast<char*>(std::malloc(static_cast<size_t>(len)));
        if (!copy) {
            m_hb.Resize(oldLength + 1, false);
            return false;
        }
        std::memcpy(copy, text, static_cast<size_t>(len));
        std::memmove(buf + position + len, buf + position, static_cast<size_t>(oldLength - position));
        std::memcpy(buf + position, copy, static_cast<size_t>(len));
        std::free(copy);
    } else {
        std::memmove(buf + position + len, buf + position, static_cast<size_t>(oldLength - position));
        std::memcpy(buf + position, text, static_cast<size_t>(len));
    }
    buf[oldLength + len] = '\0';
    return true;
}

void ROZ_String::DeleteSub(int position, int length)
{
    const int oldLength = GetLength();
    if (position < 0 || position >= oldLength || length <= 0) return;
    if (length > oldLength - position) length = oldLength - position;
    char* buf = GetWritable();
    std::memmove(buf + position, buf + position + length, static_cast<size_t>(oldLength - position - length + 1));
    m_hb.Resize(oldLength - length + 1, false);
}

void ROZ_String::SetLen(int length)
{
    const int oldLength = GetLength();
    if (length < 0) length = 0;
    if (length >= oldLength) return;
    GetWritable()[length] = '\0';
    m_hb.Resize(length + 1, false);
}

namespace {

// Formats into a fresh buffer; null when it can't be made.
char* FormatNew(int maxLength, const char* fmt, va_list args, int* outLength)
{
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (needed < 0) return nullptr;
    if (maxLength > 0 && needed > maxLength) needed = maxLength;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(needed) + 1));
    if (!text) return nullptr;
    std::vsnprintf(text, static_cast<size_t>(needed) + 1, fmt, args);
    *outLength = needed;
    return text;
}

}  // namespace

bool ROZ_String::SetFormatted(int maxLength, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    const bool ok = PutFormatted(false, maxLength, fmt, args);
    va_end(args);
    return ok;
}

bool ROZ_String::AppendFormatted(int maxLength, const char* fmt, ...)
{
    va_list args;
    va_start(args, fmt);
    const bool ok = PutFormatted(true, maxLength, fmt, args);
    va_end(args);
    return ok;
}

bool ROZ_String::PutFormatted(bool append, int maxLength, const char* fmt, va_list args)
{
    int length = 0;
    char* text = FormatNew(maxLength, fmt, args, &length);
    if (!text) return false;
    const bool ok = append ? Append(text, length) : Set(text, length);
    std::free(text);
    return ok;
}
