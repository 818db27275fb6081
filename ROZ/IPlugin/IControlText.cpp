// Text, caption, URL and file-selector members of the stock control family.
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPluginBase.h"

ITextControl::ITextControl(IPluginBase* plug, IRECT rect, IText* text, const char* str)
    : IControl(plug, rect), mStr(str)
{
    SetText(text);
}

void ITextControl::SetTextFromPlug(const char* str)
{
    // Compare and replace under the text guard, mark dirty after: the drawing
    // thread then sees either the old text or the new one, never a freed one,
    // and a text replaced while it is being drawn is drawn again next frame.
    if (mStr.setIfDifferent(str)) RequestRedraw();
}

bool ITextControl::TrySetTextFromPlug(const char* str)
{
    bool changed = false;
    if (!mStr.trySetIfDifferent(str, &changed)) return false;
    if (changed) RequestRedraw();
    return true;
}

bool ITextControl::Draw(IGraphics* graphics)
{
    mStr.copyTo(&mDrawnText);
    if (mDrawnText.empty()) return true;
    // Cut at the rectangle: its redraw covers the rectangle alone, so a text
    // reaching past it would stay on the screen after the next one.
    return graphics->DrawITextWithin(&mText, mDrawnText.c_str(), &mRECT);
}

ICaptionControl::ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* text, bool showParamLabel)
    : ITextControl(plug, rect, text, ""), mShowParamLabel(showParamLabel)
{
    mParamIdx = paramIdx;
}

void ICaptionControl::OnMouseDown(int, int, IMouseMod* mod)
{
    if (!mGrayed && mod && (mod->L || mod->R)) PromptUserInput();
}

void ICaptionControl::OnMouseDblClick(int, int, IMouseMod*)
{
    if (!mGrayed) PromptUserInput();
}

bool ICaptionControl::Draw(IGraphics* graphics)
{
    if (IParam* param = GetParam()) {
        std::string caption = ParamDisplayForHost(param);
        if (mShowParamLabel) {
            caption += " ";
            caption += param->GetLabelForHost();
        }
        mStr.setIfDifferent(caption.c_str());
    }
    return ITextControl::Draw(graphics);
}

IURLControl::IURLControl(IPluginBase* plug, IRECT rect, const char* url, const char* backupURL,
                         const char* errorMessage)
    : IControl(plug, rect), mURL(url ? url : ""), mBackupURL(backupURL ? backupURL : ""),
      mErrorMessage(errorMessage ? errorMessage : "")
{
    // The fields are fixed-size in stored layouts: keep the same limits.
    mURL = mURL.substr(0, 255);
    mBackupURL = mBackupURL.substr(0, 255);
    mErrorMessage = mErrorMessage.substr(0, 1023);
}

void IURLControl::OnMouseDown(int, int, IMouseMod*)
{
    IGraphics* gui = GetGUI();
    if (mGrayed || !gui) return;
    bool opened = false;
    if (!mURL.empty()) opened = gui->OpenURL(mURL.c_str(), nullptr, nullptr, mErrorMessage.c_str());
    if (!opened && !mBackupURL.empty()) gui->OpenURL(mBackupURL.c_str(), nullptr, nullptr, mErrorMessage.c_str());
}

bool IURLControl::Draw(IGraphics*) { return true; }

IFileSelectorControl::IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                                           EFileAction action, const char* dir, const char* extensions)
    : IControl(plug, rect, paramIdx), mBitmap(bitmap ? *bitmap : IBitmap()), mDir(dir ? dir : ""),
      mExtensions(extensions ? extensions : ""), mFileAction(action)
{
}

void IFileSelectorControl::OnMouseDown(int, int, IMouseMod*)
{
    IGraphics* gui = GetGUI();
    if (mGrayed || !mPlug || !gui) return;
    mState = kFSSelecting;
    SetDirty(false);
    ROZ_String file(mFile.c_str());
    ROZ_String dir(mDir.c_str());
    gui->PromptForFile(&file, mFileAction, &dir, mExtensions.c_str());
    mFile = file.Get();
    mDir = dir.Get();
    mValue += 1.0;
    if (mValue > 1.0) mValue = 0.0;
    mState = kFSDone;
    SetDirty(true);
}

bool IFileSelectorControl::Draw(IGraphics* graphics)
{
    return graphics->DrawBitmap(&mBitmap, &mRECT, 1, &mBlend);
}

bool IFileSelectorControl::IsDirty()
{
    if (mDirty) return true;
    int done = kFSDone;
    return mState.compare_exchange_strong(done, kFSNone);
}
