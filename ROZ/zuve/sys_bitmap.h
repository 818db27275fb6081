#pragma once
// A bitmap whose pixels belong to a memory drawing context of the window
// layer, so a back end can present them through the context.

#include "zuve/bitmap.h"

class ZUVE_SysBitmap : public ZUVE_IBitmap {
public:
    // Rows are padded to a multiple of 4 pixels; pixels start zeroed.
    ZUVE_SysBitmap(int width = 0, int height = 0);
    ~ZUVE_SysBitmap() override;
    ZUVE_SysBitmap(const ZUVE_SysBitmap&) = delete;
    ZUVE_SysBitmap& operator=(const ZUVE_SysBitmap&) = delete;

    // ZUVE_IBitmap
    unsigned int* getBits() override;
    int getWidth() const override;
    int getHeight() const override;
    int getRowSpan() const override;
    HDC getDC() const override { return m_dc; }
    bool resize(int width, int height) override;

private:
    HDC m_dc = nullptr;
};
