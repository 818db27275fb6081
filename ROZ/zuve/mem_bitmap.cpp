#include "zuve/mem_bitmap.h"

#include <algorithm>
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
    return allocate(width, height, true);
}

bool ZUVE_MemBitmap::resizeForOverwrite(int width, int height)
{
    return allocate(width, height, false);
}

bool ZUVE_MemBitmap::allocate(int width, int height, bool zeroed)
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
    const std::size_t count = std::size_t(rowSpan) * std::size_t(height);
    // calloc, not a zeroing new[]: memory fresh from the system is zero
    // already, which spares a pass over every large image loaded at start-up.
    m_bits = static_cast<unsigned int*>(zeroed ? std::calloc(count, sizeof(unsigned int))
                                               : std::malloc(count * sizeof(unsigned int)));
    if (!m_bits)
        return false;
    if (!zeroed && rowSpan > width) {
        for (int y = 0; y < height; ++y)
            std::fill(m_bits + std::size_t(y) * std::size_t(rowSpan) + width,
                      m_bits + std::size_t(y + 1) * std::size_t(rowSpan), 0u);
    }
    m_width = width;
    m_height = height;
    m_rowSpan = int(rowSpan);
    return true;
}
