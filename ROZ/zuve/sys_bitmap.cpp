#include "zuve/sys_bitmap.h"

#include "dovor/memory_dc.h"

ZUVE_SysBitmap::ZUVE_SysBitmap(int width, int height) : m_dc(DOVOR_CreateMemoryDC(width, height)) {}

ZUVE_SysBitmap::~ZUVE_SysBitmap()
{
    DeleteDC(m_dc);
}

unsigned int* ZUVE_SysBitmap::getBits()
{
    return m_dc ? m_dc->bitmapContext->pixels : nullptr;
}

int ZUVE_SysBitmap::getWidth() const
{
    return m_dc ? m_dc->bitmapContext->width : 0;
}

int ZUVE_SysBitmap::getHeight() const
{
    return m_dc ? m_dc->bitmapContext->height : 0;
}

int ZUVE_SysBitmap::getRowSpan() const
{
    return m_dc ? m_dc->bitmapContext->rowSpan : 0;
}

bool ZUVE_SysBitmap::resize(int width, int height)
{
    if (!m_dc)
        m_dc = DOVOR_CreateMemoryDC(0, 0);
    return DOVOR_ResizeMemoryDC(m_dc, width, height);
}
