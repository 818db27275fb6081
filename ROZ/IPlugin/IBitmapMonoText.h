#pragma once
// Text drawn from a bitmap font: one frame per character, starting with the
// space character, and the control that shows such a text.

#include "IControl.h"

// Draws str into r, one charWidth x charHeight cell per character; rows wrap
// when the text is longer than a row. Main thread, while drawing.
void DrawBitmapedText(IGraphics* graphics, IBitmap* charBitmap, IRECT* r, IText* text, IChannelBlend* blend,
                      const char* str, bool vCenter = true, bool multiline = false, int charWidth = 6,
                      int charHeight = 12);

class IBitmapTextControl : public IControl {
public:
    IBitmapTextControl(IPluginBase* plug, IRECT rect, IBitmap* charBitmap, const char* str = "",
                       IText* text = nullptr, int charWidth = 6, int charHeight = 12);
    // Any thread, no lock but the control's own text guard.
    void SetTextFromPlug(const char* str);
    void ClearTextFromPlug() { SetTextFromPlug(""); }
    std::string GetTextString() const { return mStr.get(); }
    bool Draw(IGraphics* graphics) override;

protected:
    IGuardedText mStr;
    std::string mDrawnText;  // main thread: the copy being drawn, kept to reuse its buffer
    int mCharWidth, mCharHeight;
    IBitmap mCharBitmap;
};
