#include "IControl.h"

#include <cstring>

#include "IGraphics.h"
#include "IParam.h"
#include "IPluginBase.h"

std::string IGuardedText::get() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mText;
}

void IGuardedText::copyTo(std::string* out) const
{
    std::lock_guard<std::mutex> lock(mMutex);
    out->assign(mText);
}

bool IGuardedText::setIfDifferent(const char* text)
{
    if (!text) text = "";
    std::lock_guard<std::mutex> lock(mMutex);
    if (mText == text) return false;
    mText = text;
    return true;
}

bool IGuardedText::trySetIfDifferent(const char* text, bool* changed)
{
    if (!text) text = "";
    std::unique_lock<std::mutex> lock(mMutex, std::try_to_lock);
    if (!lock.owns_lock() || std::strlen(text) > mText.capacity()) return false;
    *changed = mText != text;
    if (*changed) mText.assign(text);
    return true;
}

void IGuardedText::reserve(size_t length)
{
    std::lock_guard<std::mutex> lock(mMutex);
    mText.reserve(length);
}

bool IGuardedText::empty() const
{
    std::lock_guard<std::mutex> lock(mMutex);
    return mText.empty();
}

std::string ParamDisplayForHost(const IParam* param)
{
    if (!param) return std::string();
    // Room for the longest display text and any formatted number.
    char display[512] = {0};
    param->GetDisplayForHost(param->Value(), false, display, true, int(sizeof(display)));
    return display;
}

IControl::IControl(IPluginBase* plug, IRECT rect, int paramIdx, IChannelBlend::EBlendMethod blendMethod)
    : mPlug(plug), mRECT(rect), mTargetRECT(rect), mParamIdx(paramIdx), mBlend(blendMethod)
{
}

IControl::~IControl() = default;

IGraphics* IControl::GetGUI() const { return mPlug ? mPlug->GetGUI() : nullptr; }

IParam* IControl::GetParam() const { return (mPlug && mParamIdx >= 0) ? mPlug->GetParam(mParamIdx) : nullptr; }

void IControl::OnMouseDown(int, int, IMouseMod* mod)
{
    if (!mGrayed && mod && mod->R) PromptUserInput();
}

void IControl::OnMouseUp(int, int, IMouseMod*) {}
void IControl::OnMouseDrag(int, int, int, int, IMouseMod*) {}

void IControl::OnMouseDblClick(int, int, IMouseMod*)
{
    const double def = mDefaultValue;
    if (mGrayed || def < 0.0) return;
    mValue = def;
    SetDirty(true);
}

void IControl::OnMouseWheel(int, int, IMouseMod* mod, int d)
{
    const bool fine = mod && (mod->C || mod->S);
    mValue += d * (fine ? 0.001 : 0.01);
    SetDirty(true);
}

bool IControl::OnKeyDown(int, int, int) { return false; }
void IControl::OnMouseOver(int, int, IMouseMod*) {}
void IControl::OnMouseOut() {}
void IControl::TextFromTextEntry(const char*) {}
void IControl::OnGUIIdle() {}

// The first value from outside becomes the double-click default, and is also
// drawn and passed on like any other: the control may still show its value
// from construction, so the first one cannot be taken as already shown.
bool IControl::takeOutsideValue(double value)
{
    if (mDefaultValue < 0.0) mDefaultValue = value;
    if (mValue == value) return false;
    mValue = value;
    return true;
}

// The setters below run on other threads while the main thread may be drawing
// this control: they raise the redraw flag before the dirty flag, and
// SetClean takes the redraw flag in one step, so a change that lands during a
// draw is always drawn on a later frame.
void IControl::SetValueFromPlug(double value)
{
    if (!takeOutsideValue(value)) return;
    RequestRedraw();
}

void IControl::SetValueFromHardware(double value)
{
    if (!takeOutsideValue(value)) return;
    mRedraw = true;
    SetDirty2(true);
}

void IControl::SetValueFromUserInput(double value)
{
    if (mValue == value) return;
    mValue = value;
    SetDirty(true);
    mRedraw = true;
}

void IControl::Hide(bool hide)
{
    mHide = hide;
    RequestRedraw();
}

void IControl::GrayOut(bool gray)
{
    mGrayed = gray;
    mBlend.mWeight = gray ? 0.5f : 1.0f;
    RequestRedraw();
}

bool IControl::IsHit(int x, int y) { return mTargetRECT.Contains(x, y); }

void IControl::markDirty(bool pushParamToPlug, bool fromHardware)
{
    const double v = mValue;
    if (v < mClampLo)
        mValue = mClampLo.load();
    else if (v > mClampHi)
        mValue = mClampHi.load();
    mDirty = true;
    if (!pushParamToPlug || !mPlug || mParamIdx < 0) return;

    if (fromHardware)
        mPlug->SetParameterFromGUI2(mParamIdx, mValue);
    else
        mPlug->SetParameterFromGUI(mParamIdx, mValue);

    IParam* param = mPlug->GetParam(mParamIdx);
    if (!param) return;
    if (auto* valueDisplay = dynamic_cast<ITextControl*>(mValDisplayControl))
        valueDisplay->SetTextFromPlug(ParamDisplayForHost(param).c_str());
    if (auto* nameDisplay = dynamic_cast<ITextControl*>(mNameDisplayControl))
        nameDisplay->SetTextFromPlug(param->GetNameForHost());
}

void IControl::SetDirty(bool pushParamToPlug) { markDirty(pushParamToPlug, false); }

void IControl::SetDirty2(bool pushParamToPlug) { markDirty(pushParamToPlug, true); }

void IControl::SetClean()
{
    // Every control is set clean on every frame; most are clean already, and
    // reading the two flags costs far less than exchanging them.
    if (!mDirty && !mRedraw) return;
    const bool again = mRedraw.exchange(false);
    mDirty = again;
    // A setter that raised the redraw flag after the exchange may have set
    // dirty before the store above: keep the control dirty for it.
    if (!again && mRedraw) mDirty = true;
}

void IControl::RequestRedraw()
{
    mRedraw = true;
    SetDirty(false);
}

bool IControl::IsDirty() { return mDirty; }

void IControl::PromptUserInput()
{
    if (mParamIdx < 0 || mDisablePrompt) return;
    IParam* param = GetParam();
    IGraphics* gui = GetGUI();
    if (param && gui) {
        if (param->GetNDisplayTexts() != 0) {
            gui->PromptUserInput(this, param, &mRECT);
        } else {
            const int cX = (mRECT.L + mRECT.R) / 2;
            const int cY = (mRECT.T + mRECT.B) / 2;
            IRECT field(cX - 15, cY - 8, cX + 15, cY + 8);
            gui->PromptUserInput(this, param, &field);
        }
    }
    mRedraw = true;
}

void IControl::PromptUserInput(IRECT* rect)
{
    if (mParamIdx < 0 || mDisablePrompt || !rect) return;
    IGraphics* gui = GetGUI();
    if (gui) gui->PromptUserInput(this, GetParam(), rect);
    mRedraw = true;
}

IControl::AuxParam* IControl::GetAuxParam(int i)
{
    return (i >= 0 && i < (int)mAuxParams.size()) ? &mAuxParams[i] : nullptr;
}

int IControl::AuxParamIdx(int paramIdx) const
{
    for (size_t i = 0; i < mAuxParams.size(); ++i)
        if (mAuxParams[i].mParamIdx == paramIdx) return (int)i;
    return -1;
}

void IControl::AddAuxParam(int paramIdx) { mAuxParams.emplace_back(paramIdx); }

void IControl::SetAuxParamValueFromPlug(int auxIdx, double value)
{
    AuxParam* aux = GetAuxParam(auxIdx);
    if (!aux || aux->mValue == value) return;
    aux->mValue = value;
    RequestRedraw();
}

void IControl::SetAllAuxParamsFromGUI()
{
    if (!mPlug) return;
    for (const AuxParam& aux : mAuxParams) mPlug->SetParameterFromGUI(aux.mParamIdx, aux.mValue);
}
