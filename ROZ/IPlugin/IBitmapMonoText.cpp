#include "IBitmapMonoText.h"

#include <cstring>

#include "IGraphics.h"

void DrawBitmapedText(IGraphics* graphics, IBitmap* charBitmap, IRECT* r, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter, bool multiline, int charWidth, int charHeight)
{
    if (!graphics || !charBitmap || !r || !str || !*str) return;
    // A strip of zero-width characters has no row to lay out.
    if (charWidth <= 0) return;
    const int len = int(std::strlen(str));
    const int top = vCenter ? r->T + (r->B - (r->T + charHeight)) / 2 : r->T;
    const bool centred = text && text->mAlign == IText::kAlignCenter;
    const int left = r->L + (centred ? (r->R - (r->L + len * charWidth)) / 2 : charWidth);

    const int avail = (r->R - r->L) - 2 * charWidth;
    int perRow, rows;
    if (multiline && len * charWidth > avail) {
        perRow = avail / charWidth;
        rows = avail > 0 ? (len * charWidth) / avail : 0;
    } else if (multiline) {
        perRow = len;
        rows = 1;
    } else {
        perRow = avail / charWidth;
        rows = 1;
    }
    if (perRow < 1) return;

    // One row more than the count: a single-line text longer than a row
    // continues below.
    for (int row = 0; row <= rows; ++row) {
        const int start = row * perRow;
        for (int k = 0; k < perRow && start + k < len; ++k) {
            const int x = left + k * charWidth;
            const int y = top + charHeight * row;
            IRECT cell(x, y, x + charWidth, y + charHeight);
            const int state = int((unsigned char)str[start + k]) - 31;
            graphics->DrawBitmap(charBitmap, &cell, state, blend);
        }
    }
}

IBitmapTextControl::IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* charBitmap, const char* str,
                                       IText* text, int charWidth, int charHeight)
    : IControl(plug, rect), mStr(str), mCharWidth(charWidth), mCharHeight(charHeight),
      mCharBitmap(charBitmap ? *charBitmap : IBitmap())
{
    SetText(text);
}

void IBitmapTextControl::SetTextFromPlug(const char* str)
{
    if (mStr.setIfDifferent(str)) RequestRedraw();
}

bool IBitmapTextControl::Draw(IGraphics* graphics)
{
    mStr.copyTo(&mDrawnText);
    if (mDrawnText.empty()) return true;
    DrawBitmapedText(graphics, &mCharBitmap, &mRECT, &mText, &mBlend, mDrawnText.c_str(), true, false, mCharWidth,
                     mCharHeight);
    return true;
}
