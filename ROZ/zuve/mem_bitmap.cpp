#include "zuve/mem_bitmap.h"

#include <cstddef>
#include <cstdlib>

ZUVE_MemBitmap::ZUVE_MemBitmap(int width, int height, unsigned int lineAlign) : m_lineAlign(lineAlign)
{
    resize(width, height);
}

ZUVE_MemBitmap::~ZUVE_MemBitmap()
{
    std::free(m_bits);
}

bool ZUVE_MemBitmap::resize(int width, int height)
{
    if (width <= 0 || height <= 0)
        width = height = 0;
    if (width == m_width && height == m_height)
        return true;
    std::free(m_bits);
    m_bits = nullptr;
    m_width = m_height = m_rowSpan = 0;
    if (width == 0)
        return true;
    const long long align = m_lineAlign > 1 ? m_lineAlign : 1;
    const long long rowSpan = (width + align - 1) / align * align;
    if (rowSpan > 0x7fffffff)
        return false;
    // calloc, not a zeroing new[]: memory fresh from the system is zero
    // already, which spares a pass over every large image loaded at start-up.
    m_bits = static_cast<unsigned int*>(std::calloc(std::size_t(rowSpan) * std::size_t(height), sizeof(unsigned int)));
    if (!m_bits)
        return false;
    m_width = width;
    m_height = height;
    m_rowSpan = int(rowSpan);
    return true;
}
