#include "ICustomRadioButtonsControl.h"

#include "IGraphics.h"

ICustomRadioButtonsControl::ICustomRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons,
    IBitmap* bitmap, EDirection direction)
    : IRadioButtonsControl(plug, rect, paramIdx, nButtons, bitmap, direction, false)
{
    const int n = nButtons > 0 ? nButtons : 1;
    mCellW = mBitmap.mFramesAreHorizontal ? mBitmap.W / 2 : mBitmap.W / n;
    mCellH = mBitmap.mFramesAreHorizontal ? mBitmap.H / n : mBitmap.H / 2;
    const int frameH = mBitmap.N > 0 ? static_cast<int>(static_cast<double>(mBitmap.H) / mBitmap.N) : mBitmap.H;
    for (int i = 0; i < NButtons(); ++i) {
        if (direction == kVertical)
            mRECTs[i] = IRECT(rect.L, rect.T + i * mCellH, rect.L + mCellW, rect.T + (i + 1) * mCellH);
        else
            mRECTs[i] = IRECT(rect.L + i * mCellW, rect.T, rect.L + (i + 1) * mCellW, rect.T + frameH);
    }
}

void ICustomRadioButtonsControl::OnMouseDown(int x, int y, IMouseMod* mod)
{
    // A left click pushes the value twice, the selection's push and this
    // one; the group's parameters send no MIDI, so the synth hears nothing twice.
    if (!(mod && mod->R))
        OnMouseDownCustom(x, y, mod);
    SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDownCustom(int x, int y, IMouseMod* mod)
{
    if (mod && mod->R)
        return;
    const int n = NButtons();
    for (int i = 0; i < n; ++i) {
        if (mRECTs[i].Contains(x, y)) {
            // A group of one button has nothing to divide by: its only value is 0.
            mValue = n > 1 ? static_cast<double>(i) / (n - 1) : 0.0;
            break;
        }
    }
    SetDirty(true);
}

void ICustomRadioButtonsControl::OnMouseDblClick(int, int, IMouseMod*) {}

void ICustomRadioButtonsControl::OnMouseOver(int, int, IMouseMod*) {}

void ICustomRadioButtonsControl::OnMouseOut()
{
    SetDirty(false);
}

bool ICustomRadioButtonsControl::Draw(IGraphics* graphics)
{
    SetBlendWeight(1.0f);
    const int active = ActiveButton();
    for (int i = 0; i < NButtons(); ++i) {
        const int srcX = mBitmap.mFramesAreHorizontal ? 0 : i * mCellW;
        const int srcY = mBitmap.mFramesAreHorizontal ? i * mCellH : 0;
        graphics->DrawBitmap(&mBitmap, &mRECTs[i], i == active ? 2 : 1, srcX, srcY, &mBlend);
    }
    return true;
}
