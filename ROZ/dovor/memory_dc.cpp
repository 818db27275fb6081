#include "dovor/memory_dc.h"

#include <climits>
#include <cstddef>
#include <new>

namespace {

long long paddedRowSpan(int width)
{
    return ((long long)width + 3) & ~3LL;
}

void freePixels(DOVOR_BitmapContext* context)
{
    delete[] context->pixels;
    *context = DOVOR_BitmapContext{nullptr, 0, 0, 0};
}

bool allocatePixels(DOVOR_BitmapContext* context, int width, int height)
{
    if (width <= 0 || height <= 0)
        return true;
    const long long rowSpan = paddedRowSpan(width);
    if (rowSpan > INT_MAX)
        return false;
    context->pixels = new (std::nothrow) unsigned int[std::size_t(rowSpan) * size_t(height)]();
    if (!context->pixels)
        return false;
    *context = DOVOR_BitmapContext{context->pixels, width, height, int(rowSpan)};
    return true;
}

}  // namespace

HDC DOVOR_CreateMemoryDC(int width, int height)
{
    HDC hdc = new (std::nothrow) HDC__{nullptr, nullptr};
    if (!hdc)
        return nullptr;
    hdc->bitmapContext = new (std::nothrow) DOVOR_BitmapContext{nullptr, 0, 0, 0};
    if (!hdc->bitmapContext || !allocatePixels(hdc->bitmapContext, width, height)) {
        delete hdc->bitmapContext;
        delete hdc;
        return nullptr;
    }
    return hdc;
}

bool DOVOR_ResizeMemoryDC(HDC hdc, int width, int height)
{
    if (!hdc)
        return false;
    DOVOR_BitmapContext* context = hdc->bitmapContext;
    if (width <= 0 || height <= 0)
        width = height = 0;
    if (context->width == width && context->height == height)
        return true;
    freePixels(context);
    return allocatePixels(context, width, height);
}

bool DeleteDC(HDC hdc)
{
    if (!hdc)
        return false;
    freePixels(hdc->bitmapContext);
    delete hdc->bitmapContext;
    delete hdc;
    return true;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ font)
{
    if (!hdc)
        return nullptr;
    HGDIOBJ previous = hdc->selectedFont;
    hdc->selectedFont = font;
    return previous;
}
