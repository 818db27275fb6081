#pragma once
// A bitmap on the heap.

#include "zuve/bitmap.h"

class ZUVE_MemBitmap : public ZUVE_IBitmap {
public:
    // Rows are padded to a multiple of lineAlign pixels (0 or 1: no padding).
    // 0 x 0 allocates nothing. Pixels start zeroed.
    ZUVE_MemBitmap(int width = 0, int height = 0, unsigned int lineAlign = 0);
    ~ZUVE_MemBitmap() override;
    ZUVE_MemBitmap(const ZUVE_MemBitmap&) = delete;
    ZUVE_MemBitmap& operator=(const ZUVE_MemBitmap&) = delete;

    // ZUVE_IBitmap
    unsigned int* getBits() override { return m_bits; }
    int getWidth() const override { return m_width; }
    int getHeight() const override { return m_height; }
    int getRowSpan() const override { return m_rowSpan; }
    bool resize(int width, int height) override;

    // As resize, for a caller that writes every pixel of every row before
    // anything reads one (a decoder): the pixels start as the allocator leaves
    // them, only the row padding is zeroed.
    bool resizeForOverwrite(int width, int height);

private:
    bool allocate(int width, int height, bool zeroed);

    unsigned int* m_bits = nullptr;
    int m_width = 0;
    int m_height = 0;
    int m_rowSpan = 0;
    unsigned int m_lineAlign = 0;
};
