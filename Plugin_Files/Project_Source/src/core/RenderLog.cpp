#include "RenderLog.h"

#include <cstdio>

bool RenderLog::post(const char* format, ...)
{
    const unsigned head = m_head.load(std::memory_order_relaxed);
    if (head - m_tail.load(std::memory_order_acquire) >= kSlots)
        return false;
    va_list args;
    va_start(args, format);
    std::vsnprintf(m_lines[head % kSlots], kLineRoom, format, args);
    va_end(args);
    m_head.store(head + 1, std::memory_order_release);
    return true;
}
