// Bitmap, switch, radio-button and fader members of the stock control family.
#include <cmath>

#include "IControl.h"
#include "IGraphics.h"

IPanelControl::IPanelControl(IPluginBase* plug, IRECT rect, const IColor* color)
    : IControl(plug, rect), mColor(color ? *color : COLOR_BLACK)
{
}

bool IPanelControl::Draw(IGraphics* graphics) { return graphics->FillIRect(&mColor, &mRECT, &mBlend); }

IBitmapControl::IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IControl(plug, IRECT(x, y, bitmap), paramIdx, blendMethod), mBitmap(bitmap ? *bitmap : IBitmap())
{
}

IBitmapControl::IBitmapControl(IPluginBase* plug, int x, int y, IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IBitmapControl(plug, x, y, -1, bitmap, blendMethod)
{
}

int IBitmapControl::FrameForValue(double value, int nFrames)
{
    if (nFrames < 2) return 1;
    const int frame = 1 + int(0.5 + value * (nFrames - 1));
    return frame < 1 ? 1 : (frame > nFrames ? nFrames : frame);
}

bool IBitmapControl::Draw(IGraphics* graphics)
{
    return graphics->DrawBitmap(&mBitmap, &mRECT, FrameForValue(mValue, mBitmap.N), &mBlend);
}

ISwitchControl::ISwitchControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                               IChannelBlend::EBlendMethod blendMethod)
    : IBitmapControl(plug, x, y, paramIdx, bitmap, blendMethod)
{
}

void ISwitchControl::step()
{
    const double next = mValue + (mBitmap.N > 1 ? 1.0 / (mBitmap.N - 1) : 1.0);
    mValue = next > 1.001 ? 0.0 : next;
    SetDirty(true);
}

void ISwitchControl::OnMouseDown(int, int, IMouseMod*)
{
    if (!mGrayed) step();
}

void ISwitchControl::OnMouseDblClick(int, int, IMouseMod*)
{
    if (!mGrayed) step();
}

void IContactControl::OnMouseUp(int, int, IMouseMod*)
{
    mValue = 0.0;
    SetDirty(true);
}

void ISwitchPopUpControl::OnMouseDown(int, int, IMouseMod*)
{
    PromptUserInput();
    SetDirty(true);
}

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                             IRECT targetArea)
    : ISwitchControl(plug, x, y, paramIdx, bitmap), mTargetArea(targetArea)
{
}

IBitmapOverlayControl::IBitmapOverlayControl(IPluginBase* plug, int x, int y, IBitmap* bitmap, IRECT targetArea)
    : IBitmapOverlayControl(plug, x, y, -1, bitmap, targetArea)
{
}

bool IBitmapOverlayControl::Draw(IGraphics* graphics)
{
    if (mValue < 0.5) {
        mTargetRECT = mTargetArea;
        return true;
    }
    mTargetRECT = mRECT;
    return IBitmapControl::Draw(graphics);
}

IInvisibleSwitchControl::IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx)
    : IControl(plug, rect, paramIdx, IChannelBlend::kBlendClobber)
{
}

void IInvisibleSwitchControl::OnMouseDown(int, int, IMouseMod*)
{
    if (mGrayed) return;
    mValue = mValue < 0.5 ? 1.0 : 0.0;
    SetDirty(true);
}

bool IInvisibleSwitchControl::Draw(IGraphics*) { return true; }

IRadioButtonsControl::IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons,
                                           IBitmap* bitmap, EDirection direction, bool reverse)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap())
{
    const int n = nButtons > 0 ? nButtons : 0;
    const int buttonW = mBitmap.W;
    const int buttonH = mBitmap.N > 0 ? int(mBitmap.H / mBitmap.N) : mBitmap.H;
    // One button has no gap to spread.
    const int gaps = n > 1 ? n - 1 : 1;
    const int spacing = direction == kHorizontal ? int((rect.W() - n * buttonW) / gaps)
                                                 : int((rect.H() - n * buttonH) / gaps);
    mRECTs.resize(n);
    for (int i = 0; i < n; ++i) {
        // Reversed layouts start at the far end and step back toward the start.
        const int slot = reverse ? n - 1 - i : i;
        if (direction == kHorizontal) {
            const int x = rect.L + slot * (buttonW + spacing);
            mRECTs[i] = IRECT(x, rect.T, x + buttonW, rect.T + buttonH);
        } else {
            const int y = rect.T + slot * (buttonH + spacing);
            mRECTs[i] = IRECT(rect.L, y, rect.L + buttonW, y + buttonH);
        }
    }
}

int IRadioButtonsControl::ActiveButton() const
{
    const int n = (int)mRECTs.size();
    if (n < 2) return 0;
    const int active = int(0.5 + mValue * (n - 1));
    return active < 0 ? 0 : (active > n - 1 ? n - 1 : active);
}

void IRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
    if (mGrayed) return;
    if (mod && mod->R) {
        PromptUserInput();
    } else {
        const int n = (int)mRECTs.size();
        for (int i = 0; i < n; ++i) {
            if (mRECTs[i].Contains(x, y)) {
                mValue = n > 1 ? double(i) / (n - 1) : 0.0;
                break;
            }
        }
    }
    SetDirty(true);
}

bool IRadioButtonsControl::Draw(IGraphics* graphics)
{
    const int active = ActiveButton();
    for (int i = 0; i < (int)mRECTs.size(); ++i)
        graphics->DrawBitmap(&mBitmap, &mRECTs[i], i == active ? 2 : 1, &mBlend);
    return true;
}

static IRECT faderRect(int x, int y, int len, const IBitmap* handle, EDirection direction)
{
    if (!handle) return IRECT(x, y, x, y);
    return direction == kHorizontal ? IRECT(x, y, x + len, y + handle->frameHeight())
                                    : IRECT(x, y, x + handle->W, y + len);
}

IFaderControl::IFaderControl(IPluginBase* plug, int x, int y, int len, int paramIdx, IBitmap* bitmap,
                             EDirection direction, bool onlyHandle)
    : IControl(plug, faderRect(x, y, len, bitmap, direction), paramIdx), mLen(len),
      mBitmap(bitmap ? *bitmap : IBitmap()), mDirection(direction), mOnlyHandle(onlyHandle)
{
    mHandleHeadroom = direction == kHorizontal ? mBitmap.W : mBitmap.frameHeight();
}

IRECT IFaderControl::GetHandleRECT(double value) const
{
    if (value < 0.0) value = mValue;
    const int handleW = mBitmap.W;
    const int handleH = mBitmap.frameHeight();
    const int travel = mLen - mHandleHeadroom;
    if (mDirection == kVertical) {
        const int offset = int(travel * (1.0 - value));
        return IRECT(mRECT.L, mRECT.T + offset, mRECT.L + handleW, mRECT.T + handleH + offset);
    }
    const int offset = int(value * travel);
    return IRECT(mRECT.L + offset, mRECT.T, mRECT.L + handleW + offset, mRECT.T + handleH);
}

void IFaderControl::SnapToMouse(int x, int y)
{
    const int travel = mLen - mHandleHeadroom;
    // A handle as long as the track leaves nothing to move along.
    if (travel != 0) {
        if (mDirection == kHorizontal)
            mValue = double(x - mHandleHeadroom / 2 - mRECT.L) / travel;
        else
            mValue = 1.0 - double(y - mHandleHeadroom / 2 - mRECT.T) / travel;
    }
    SetDirty(true);
}

void IFaderControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
    if (mGrayed) return;
    if (mod && mod->R)
        PromptUserInput();
    else
        SnapToMouse(x, y);
}

void IFaderControl::OnMouseDrag(int x, int y, int, int, IMouseMod*)
{
    if (!mGrayed) SnapToMouse(x, y);
}

bool IFaderControl::Draw(IGraphics* graphics)
{
    IRECT handle = GetHandleRECT();
    return graphics->DrawBitmap(&mBitmap, &handle, 1, &mBlend);
}

bool IFaderControl::IsHit(int x, int y)
{
    return mOnlyHandle ? GetHandleRECT().Contains(x, y) : mTargetRECT.Contains(x, y);
}
