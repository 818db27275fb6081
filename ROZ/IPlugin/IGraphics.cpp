// Surface set-up, value pushing, dirty tracking, drawing order and event
// dispatch. Drawing primitives live in IGraphicsDrawing.cpp, bitmap and file
// loading in IGraphicsBitmaps.cpp.
#include "IGraphics.h"

#include <cstdlib>
#include <string>

#include "ControlLayer.h"
#include "ControlListOps.h"
#include "IControl.h"
#include "IParam.h"
#include "IPluginBase.h"
#include "IPopupMenu.h"
#include "zuve/zuve.h"

IGraphics::IGraphics(IPluginBase* plug, int width, int height, int frameRate)
    : mPlug(plug), mWidth(width), mHeight(height), mFPS(frameRate > 0 ? frameRate : 25)
{
}

IGraphics::~IGraphics()
{
    delete mKeyCatcher;
    mKeyCatcher = nullptr;
    mControls.Empty(true);
    mLayers.Empty(true);
    deleteBitmaps();
}

void IGraphics::deleteBitmaps()
{
    delete mDrawBitmap;
    mDrawBitmap = nullptr;
    delete mTmpBitmap;
    mTmpBitmap = nullptr;
}

void IGraphics::PrepDraw()
{
    deleteBitmaps();
    mDrawBitmap = new ZUVE_SysBitmap(mWidth, mHeight);
    mTmpBitmap = new ZUVE_MemBitmap(0, 0, 4);
}

void IGraphics::Resize(int w, int h)
{
    mWidth = w;
    mHeight = h;
    ReleaseMouseCapture();
    PrepDraw();
    if (mPlug) mPlug->ResizeGraphics(w, h);
}

bool IGraphics::MeasureIText(IText* text, char* str, IRECT* r) { return DrawIText(text, str, r, true); }
bool IGraphics::WindowIsOpen() { return GetWindow() != nullptr; }
void* IGraphics::OpenWindow(void*, void*, short, short) { return nullptr; }
void IGraphics::AttachSubWindow(void*) {}
void IGraphics::RemoveSubWindow() {}
void IGraphics::HideMouseCursor() {}
void IGraphics::ShowMouseCursor() {}

void IGraphics::ToViewRect(const IRECT& r, int* x, int* y, int* w, int* h) const
{
    *x = r.L;
    *y = (mHeight - 1) - r.B;
    *w = r.R - r.L + 1;
    *h = r.B - r.T + 1;
}

// ---- Set-up ----

void IGraphics::AttachBackground(int id, const char* name, double scale)
{
    IBitmap background = LoadIBitmap(id, name, scale, 1, false);
    mControls.Insert(0, new IBitmapControl(mPlug, 0, 0, -1, &background, IChannelBlend::kBlendClobber));
}

void IGraphics::AttachPanelBackground(const IColor* color)
{
    mControls.Insert(0, new IPanelControl(mPlug, IRECT(0, 0, mWidth, mHeight), color));
}

int IGraphics::AttachControl(IControl* control)
{
    mControls.Add(control);
    return mControls.GetSize() - 1;
}

int IGraphics::AttachLayer(ControlLayer* layer)
{
    mLayers.Add(layer);
    return mLayers.GetSize() - 1;
}

void IGraphics::AttachKeyCatcher(IControl* control)
{
    if (control == mKeyCatcher) return;
    delete mKeyCatcher;
    mKeyCatcher = control;
}

// ---- Values ----

void IGraphics::SetParameterFromPlug(int paramIdx, double value, bool normalized)
{
    IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
    if (mPlug && !param) return;  // a bad index from a caller is dropped here
    if (!normalized && param) {
        value = param->GetNormalized(value);
        param->SetNormalized(value);
    }
    PushValueToControls(mControls, paramIdx, value);
    PushValueToLayers(mLayers, paramIdx, value);
}

void IGraphics::SetControlFromPlug(int controlIdx, double normalizedValue)
{
    if (IControl* control = mControls.Get(controlIdx)) control->SetValueFromPlug(normalizedValue);
}

void IGraphics::SetAllControlsDirty() { SetControlsDirty(mControls); }

// Runs op on every flat control bound to paramIdx.
template <typename Op>
static void forEachBoundControl(const ROZ_PtrList<IControl>& controls, int paramIdx, Op op)
{
    for (int i = 0; i < controls.GetSize(); ++i)
        if (controls.Get(i)->ParamIdx() == paramIdx) op(controls.Get(i));
}

void IGraphics::SetParameterFromGUI(int paramIdx, double normalizedValue)
{
    forEachBoundControl(mControls, paramIdx, [=](IControl* c) { c->SetValueFromUserInput(normalizedValue); });
}

void IGraphics::HideControl(int paramIdx, bool hide)
{
    forEachBoundControl(mControls, paramIdx, [=](IControl* c) { c->Hide(hide); });
}

void IGraphics::GrayOutControl(int paramIdx, bool gray)
{
    forEachBoundControl(mControls, paramIdx, [=](IControl* c) { c->GrayOut(gray); });
}

void IGraphics::ClampControl(int paramIdx, double lo, double hi, bool normalized)
{
    if (!normalized) {
        IParam* param = mPlug ? mPlug->GetParam(paramIdx) : nullptr;
        if (!param) return;
        lo = param->GetNormalized(lo);
        hi = param->GetNormalized(hi);
    }
    forEachBoundControl(mControls, paramIdx, [=](IControl* c) { c->Clamp(lo, hi); });
}

static bool isListKind(const IParam* param)
{
    return param->Type() == IParam::kTypeBool || param->Type() == IParam::kTypeEnum;
}

void IGraphics::PromptUserInput(IControl* control, IParam* param, IRECT* r)
{
    if (!control || !param || !r) return;
    const std::string current = ParamDisplayForHost(param);

    const int nTexts = param->GetNDisplayTexts();
    if (isListKind(param) && nTexts > 0) {
        IPopupMenu menu;
        for (int i = 0; i < nTexts; ++i) {
            const std::string text = param->GetDisplayTextAtIdx(i);
            const bool ticked = current == text;
            menu.AddItem(text.c_str(), -1, ticked ? IPopupMenuItem::kChecked : IPopupMenuItem::kNoFlags);
        }
        IPopupMenu* chosen = CreateIPopupMenu(&menu, r);
        if (chosen && chosen->GetChosenItemIdx() >= 0)
            control->SetValueFromUserInput(param->GetNormalized(double(chosen->GetChosenItemIdx())));
        return;
    }
    CreateTextEntry(control, control->GetText(), r, current.c_str(), param);
}

void IGraphics::SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text)
{
    if (!control || !param) return;
    if (!text) text = "";
    double value;
    if (isListKind(param)) {
        int index = 0;
        if (!param->MapDisplayText(text, &index)) index = 0;
        value = index;
    } else if (param->Type() == IParam::kTypeText) {
        // The entered text travels in display text 0; the toggled raw value
        // makes the change visible to the plug-in even for an equal text.
        param->SetDisplayText(0, text);
        const double raw = control->GetValue() == 0.0 ? 1.0 : 0.0;
        param->SetClamped(raw);
        control->SetValueFromUserInput(raw);
        value = 0.0;
    } else {
        value = std::atof(text);
        if (param->GetNegateDisplay()) value = -value;
    }
    control->SetValueFromUserInput(param->GetNormalized(value));
}

void IGraphics::SetStrictDrawing(bool strict)
{
    mStrict = strict;
    SetAllControlsDirty();
}

// ---- Dirty tracking and drawing ----

bool IGraphics::IsDirty(IRECT* r)
{
    // The background (index 0) never counts.
    const bool controlsDirty = MergeDirtyControls(mControls, 1, r);
    const bool layersDirty = MergeDirtyLayers(mLayers, r);
    return controlsDirty || layersDirty;
}

void IGraphics::drawStrict(IRECT* r)
{
    mDrawRECT = *r;
    if (IControl* background = mControls.Get(0)) background->Draw(this);
    DrawControls(mControls, 1, this, *r);
}

void IGraphics::drawLoose()
{
    const int n = mControls.GetSize();
    IControl* background = mControls.Get(0);
    if (background && background->IsDirty()) {
        mDrawRECT = *background->GetRECT();
        for (int i = 0; i < n; ++i) {
            IControl* control = mControls.Get(i);
            if (!control) continue;
            if (i == 0 || !control->IsHidden()) control->Draw(this);
            control->SetClean();
        }
        return;
    }
    for (int i = 1; i < n; ++i) {
        IControl* dirty = mControls.Get(i);
        if (!dirty->IsDirty()) continue;
        mDrawRECT = *dirty->GetRECT();
        for (int j = 0; j < n; ++j) {
            IControl* control = mControls.Get(j);
            if (!control || control->IsHidden()) continue;
            if (control == dirty || RedrawMeets(*control->GetRECT(), mDrawRECT)) control->Draw(this);
        }
        dirty->SetClean();
    }
}

bool IGraphics::Draw(IRECT* r)
{
    if (mControls.GetSize() == 0 && mLayers.GetSize() == 0) return true;
    if (mStrict)
        drawStrict(r);
    else
        drawLoose();
    DrawLayers(mLayers, this, &mDrawRECT);
    return DrawScreen(&mDrawRECT);
}

void IGraphics::OnGUIIdle()
{
    for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnGUIIdle();
}

// ---- Events ----

IControl* IGraphics::HitTest(int x, int y, bool mouseOver)
{
    if (IControl* hit = HitLayers(mLayers, x, y)) return hit;
    for (int i = mControls.GetSize() - 1; i >= 0; --i) {
        IControl* control = mControls.Get(i);
        if (control->IsHidden()) continue;
        if (control->IsGrayed() && !(mouseOver && control->GetMOWhenGrayed())) continue;
        if (control->IsHit(x, y)) return control;
    }
    return nullptr;
}

void IGraphics::ReleaseMouseCapture()
{
    mMouseCapture = nullptr;
    mMouseX = mMouseY = -1;
}

void IGraphics::OnMouseDown(int x, int y, IMouseMod* mod)
{
    ReleaseMouseCapture();
    IControl* control = HitTest(x, y);
    if (!control) return;
    mMouseCapture = control;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    const int paramIdx = control->ParamIdx();
    if (paramIdx >= 0 && mPlug) mPlug->BeginInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseUp(int x, int y, IMouseMod* mod)
{
    IControl* control = mMouseCapture ? mMouseCapture : HitTest(x, y);
    ReleaseMouseCapture();
    if (!control) return;
    control->OnMouseUp(x, y, mod);
    const int paramIdx = control->ParamIdx();
    if (paramIdx >= 0 && mPlug) mPlug->EndInformHostOfParamChange(paramIdx);
}

void IGraphics::OnMouseDrag(int x, int y, IMouseMod* mod)
{
    IControl* control = mMouseCapture;
    if (!control) return;
    const int dX = x - mMouseX;
    const int dY = y - mMouseY;
    if (dX == 0 && dY == 0) return;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDrag(x, y, dX, dY, mod);
}

bool IGraphics::OnMouseDblClick(int x, int y, IMouseMod* mod)
{
    ReleaseMouseCapture();
    IControl* control = HitTest(x, y);
    if (!control) return false;
    if (!control->GetDblAsSingleClick()) {
        control->OnMouseDblClick(x, y, mod);
        return false;
    }
    mMouseCapture = control;
    mMouseX = x;
    mMouseY = y;
    control->OnMouseDown(x, y, mod);
    return true;
}

void IGraphics::OnMouseWheel(int x, int y, IMouseMod* mod, int d)
{
    IControl* control = mMouseCapture ? mMouseCapture : HitTest(x, y);
    if (control) control->OnMouseWheel(x, y, mod, d);
}

bool IGraphics::OnMouseOver(int x, int y, IMouseMod* mod)
{
    if (!mHandleMouseOver) return false;
    IControl* control = mMouseCapture ? mMouseCapture : HitTest(x, y, true);
    if (control) {
        mMouseX = x;
        mMouseY = y;
        control->OnMouseOver(x, y, mod);
        if (mMouseOver && mMouseOver != control) mMouseOver->OnMouseOut();
        mMouseOver = control;
    }
    return mHandleMouseOver;
}

void IGraphics::OnMouseOut()
{
    for (int i = 0; i < mControls.GetSize(); ++i) mControls.Get(i)->OnMouseOut();
    mMouseOver = nullptr;
}

bool IGraphics::OnKeyDown(int x, int y, int key)
{
    IControl* control = mMouseCapture ? mMouseCapture : HitTest(x, y);
    if (!control) control = mKeyCatcher;
    return control ? control->OnKeyDown(x, y, key) : false;
}

int IGraphics::GetParamIdxForPTAutomation(int x, int y)
{
    IControl* control = HitTest(x, y);
    mLastClickedParam = control ? control->ParamIdx() : -1;
    return mLastClickedParam;
}

int IGraphics::GetLastClickedParamForPTAutomation()
{
    const int last = mLastClickedParam;
    mLastClickedParam = -1;
    return last;
}
