// The knob members of the stock control family.
#include <cmath>

#include "IControl.h"
#include "IGraphics.h"

IKnobControl::IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction, double gearing)
    : IControl(plug, rect, paramIdx), mDirection(direction), mGearing(gearing)
{
}

void IKnobControl::OnMouseDrag(int, int, int dX, int dY, IMouseMod* mod)
{
    if (mGrayed) return;
    double gearing = mGearing;
    if (mod && (mod->C || mod->S)) gearing *= 10.0;
    // A knob of zero extent or zero gearing has no scale to drag along.
    const double extent = mDirection == kVertical ? double(mRECT.T - mRECT.B) : double(mRECT.R - mRECT.L);
    const double delta = mDirection == kVertical ? dY : dX;
    if (extent != 0.0 && gearing != 0.0) mValue += delta / extent / gearing;
    SetDirty(true);
}

IKnobMultiControl::IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                     EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, bitmap), paramIdx, direction, gearing), mBitmap(bitmap ? *bitmap : IBitmap())
{
}

bool IKnobMultiControl::Draw(IGraphics* graphics)
{
    return graphics->DrawBitmap(&mBitmap, &mRECT, IBitmapControl::FrameForValue(mValue, mBitmap.N), &mBlend);
}

IKnobLineControl::IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx, const IColor* color,
                                   double innerRadius, double outerRadius, double minAngle, double maxAngle,
                                   EDirection direction, double gearing)
    : IKnobControl(plug, rect, paramIdx, direction, gearing), mColor(color ? *color : COLOR_BLACK),
      mMinAngle(float(minAngle)), mMaxAngle(float(maxAngle)), mInnerRadius(float(innerRadius)),
      mOuterRadius(float(outerRadius))
{
    if (mOuterRadius == 0.0f) mOuterRadius = 0.5f * float(rect.W());
    mBlend = IChannelBlend(IChannelBlend::kBlendClobber);
}

bool IKnobLineControl::Draw(IGraphics* graphics)
{
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    const float cx = float(mRECT.L + mRECT.R) / 2.0f;
    const float cy = float(mRECT.T + mRECT.B) / 2.0f;
    const float s = float(std::sin(angle));
    const float c = float(std::cos(angle));
    return graphics->DrawLine(&mColor, cx + mInnerRadius * s, cy - mInnerRadius * c, cx + mOuterRadius * s,
                              cy - mOuterRadius * c, &mBlend, true);
}

IKnobRotaterControl::IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                                         double minAngle, double maxAngle, int yOffsetZeroDeg,
                                         EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + (bitmap ? bitmap->W : 0), y + (bitmap ? bitmap->H : 0)), paramIdx,
                   direction, gearing),
      mBitmap(bitmap ? *bitmap : IBitmap()), mMinAngle(minAngle), mMaxAngle(maxAngle), mYOffset(yOffsetZeroDeg)
{
}

bool IKnobRotaterControl::Draw(IGraphics* graphics)
{
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    const int cX = (mRECT.L + mRECT.R) / 2;
    const int cY = (mRECT.T + mRECT.B) / 2;
    return graphics->DrawRotatedBitmap(&mBitmap, cX, cY, angle, mYOffset, &mBlend);
}

IKnobRotatingMaskControl::IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* base,
                                                   IBitmap* mask, IBitmap* top, double minAngle, double maxAngle,
                                                   EDirection direction, double gearing)
    : IKnobControl(plug, IRECT(x, y, x + (base ? base->W : 0), y + (base ? base->H : 0)), paramIdx, direction,
                   gearing),
      mBase(base ? *base : IBitmap()), mMask(mask ? *mask : IBitmap()), mTop(top ? *top : IBitmap()),
      mMinAngle(minAngle), mMaxAngle(maxAngle)
{
}

bool IKnobRotatingMaskControl::Draw(IGraphics* graphics)
{
    const double angle = mMinAngle + mValue * (mMaxAngle - mMinAngle);
    return graphics->DrawRotatedMask(&mBase, &mMask, &mTop, mRECT.L, mRECT.T, angle, &mBlend);
}
