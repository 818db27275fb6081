#pragma once
// On-screen controls: the IControl base and the stock control family.
//
// Threads: drawing, mouse and text entry run on the main thread.
// SetValueFromPlug, SetValueFromHardware, Hide, GrayOut, SetDirty and
// ITextControl::SetTextFromPlug are also called, without a lock, from the
// host, render, MIDI input and MIDI worker threads; the value, the flags and
// the blend weight they touch are atomics, text controls guard their text
// with a mutex, and a change that lands while the control is being drawn
// keeps it dirty for the next frame.

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "IGraphicsStructs.h"
#include "wdlstring.h"

class IPluginBase;
class IGraphics;
class IParam;
class ITextControl;

// A text that one thread replaces while another draws it. Readers take a copy.
class IGuardedText {
public:
    IGuardedText(const char* text = "") : mText(text ? text : "") {}
    std::string get() const;
    // Copies the text into out, reusing out's buffer: no allocation once it is large enough.
    void copyTo(std::string* out) const;
    // True when the text changed.
    bool setIfDifferent(const char* text);
    // As setIfDifferent, but never waits and never allocates: false, with
    // nothing changed, while another thread holds the text or when the text
    // is longer than the room reserved.
    bool trySetIfDifferent(const char* text, bool* changed);
    void reserve(size_t length);
    bool empty() const;

private:
    mutable std::mutex mMutex;
    std::string mText;
};

// The parameter's display text of its current value, as the host sees it,
// without the fixed-size cut of the host's buffer. Empty without a parameter.
std::string ParamDisplayForHost(const IParam* param);

class IControl {
public:
    struct AuxParam {
        IAtomicDouble mValue;  // set from the plug on any thread
        int mParamIdx;
        AuxParam(int idx) : mValue(0.0), mParamIdx(idx) {}
    };

    IControl(IPluginBase* plug, IRECT rect, int paramIdx = -1,
             IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    virtual ~IControl();

    virtual void OnMouseDown(int x, int y, IMouseMod* mod);
    virtual void OnMouseUp(int x, int y, IMouseMod* mod);
    virtual void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod);
    virtual void OnMouseDblClick(int x, int y, IMouseMod* mod);
    virtual void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    virtual bool OnKeyDown(int x, int y, int key);
    virtual void OnMouseOver(int x, int y, IMouseMod* mod);
    virtual void OnMouseOut();
    virtual bool Draw(IGraphics* graphics) = 0;
    // Any thread, no lock: host, editor, render, MIDI input and worker threads.
    virtual void SetValueFromPlug(double value);
    // MIDI input or worker thread, no lock of its own; pushes the value to the
    // plug-in's hardware path (takes the plug-in mutex there).
    virtual void SetValueFromHardware(double value);
    // Main thread: text typed for a control without a parameter.
    virtual void TextFromTextEntry(const char* text);
    // Any thread, no lock.
    virtual void Hide(bool hide);
    // Any thread, no lock.
    virtual void GrayOut(bool gray);
    virtual bool IsHit(int x, int y);
    // Any thread; with push true takes the plug-in mutex in the plug-in.
    virtual void SetDirty(bool pushParamToPlug = true);
    virtual void SetDirty2(bool pushParamToPlug = true);
    virtual void SetClean();
    virtual bool IsDirty();
    virtual void OnGUIIdle();
    // Any thread, no lock.
    virtual void SetAuxParamValueFromPlug(int auxIdx, double value);

    // Main thread: a value computed from a typed text or a chosen menu item.
    void SetValueFromUserInput(double value);
    void PromptUserInput();
    void PromptUserInput(IRECT* rect);

    AuxParam* GetAuxParam(int i);
    int AuxParamIdx(int paramIdx) const;
    void AddAuxParam(int paramIdx);
    void SetAllAuxParamsFromGUI();
    int NAuxParams() const { return (int)mAuxParams.size(); }

    // Accessors of the control state.
    IPluginBase* GetPlug() const { return mPlug; }
    IGraphics* GetGUI() const;
    int ParamIdx() const { return mParamIdx; }
    void SetParamIdx(int paramIdx) { mParamIdx = paramIdx; }
    IParam* GetParam() const;  // null without plug-in or parameter
    IRECT* GetRECT() { return &mRECT; }
    IRECT* GetTargetRECT() { return &mTargetRECT; }
    void SetTargetArea(IRECT rect) { mTargetRECT = rect; }
    double GetValue() const { return mValue; }
    void SetValue(double value) { mValue = value; }  // raw store: no dirty, no push
    double GetDefaultValue() const { return mDefaultValue; }
    void SetDefaultValue(double value) { mDefaultValue = value; }
    void Clamp(double lo, double hi) { mClampLo = lo; mClampHi = hi; }
    bool IsHidden() const { return mHide; }
    bool IsGrayed() const { return mGrayed; }
    bool GetRedraw() const { return mRedraw; }
    void SetRedraw(bool redraw) { mRedraw = redraw; }
    bool GetIgnoreHidden() const { return mIgnoreHidden; }
    void SetIgnoreHidden(bool ignore) { mIgnoreHidden = ignore; }
    bool GetPromptDisabled() const { return mDisablePrompt; }
    void DisablePrompt(bool disable) { mDisablePrompt = disable; }
    bool GetDblAsSingleClick() const { return mDblAsSingleClick; }
    void SetDblAsSingleClick(bool single) { mDblAsSingleClick = single; }
    bool GetMOWhenGrayed() const { return mMOWhenGrayed; }
    void SetMOWhenGrayed(bool allow) { mMOWhenGrayed = allow; }
    int GetTextEntryLength() const { return mTextEntryLength; }
    void SetTextEntryLength(int length) { mTextEntryLength = length; }
    IText* GetText() { return &mText; }
    void SetText(const IText* text) { if (text) mText = *text; }
    IChannelBlend* GetBlend() { return &mBlend; }
    void SetBlendWeight(float weight) { mBlend.mWeight = weight; }
    // Text controls that show this control's parameter value and name (not owned).
    void SetValDisplayControl(IControl* control) { mValDisplayControl = control; }
    void SetNameDisplayControl(IControl* control) { mNameDisplayControl = control; }
    IControl* GetValDisplayControl() const { return mValDisplayControl; }
    IControl* GetNameDisplayControl() const { return mNameDisplayControl; }

protected:
    // Any thread: dirty now and again after the frame being drawn, for a
    // change that may land while the main thread draws this control.
    void RequestRedraw();
    // Clamps, flags dirty and, when asked, hands the value to one of the two
    // plug-in paths and refreshes the bound value and name displays.
    void markDirty(bool pushParamToPlug, bool fromHardware);
    // Shared first steps of the plug and hardware value roads: true when the
    // value changed and was stored.
    bool takeOutsideValue(double value);

    std::atomic<bool> mHide{false};
    int mTextEntryLength = 16;
    IText mText;
    IPluginBase* mPlug;
    IRECT mRECT;
    IRECT mTargetRECT;
    int mParamIdx;
    std::vector<AuxParam> mAuxParams;
    IAtomicDouble mValue{0.0};
    IAtomicDouble mDefaultValue{-1.0};
    IAtomicDouble mClampLo{0.0};
    IAtomicDouble mClampHi{1.0};
    std::atomic<bool> mDirty{true};
    std::atomic<bool> mGrayed{false};
    std::atomic<bool> mRedraw{false};
    bool mDisablePrompt = true;
    bool mDblAsSingleClick = false;
    bool mMOWhenGrayed = false;
    std::atomic<bool> mIgnoreHidden{false};
    IChannelBlend mBlend;
    IControl* mValDisplayControl = nullptr;
    IControl* mNameDisplayControl = nullptr;
};

// Fills its rectangle with a colour.
class IPanelControl : public IControl {
public:
    IPanelControl(IPluginBase* plug, IRECT rect, const IColor* color);
    bool Draw(IGraphics* graphics) override;

protected:
    IColor mColor;
};

// Shows the frame of a multi-frame bitmap that matches its value.
class IBitmapControl : public IControl {
public:
    IBitmapControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                   IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    IBitmapControl(IPluginBase* plug, int x, int y, IBitmap* bitmap,
                   IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    bool Draw(IGraphics* graphics) override;
    IBitmap* GetBitmap() { return &mBitmap; }

    // 1 + int(0.5 + value * (N - 1)) limited to 1..N; 1 for fewer than 2 frames.
    static int FrameForValue(double value, int nFrames);

protected:
    IBitmap mBitmap;
};

// Each click steps to the next frame, wrapping to 0 above 1.
class ISwitchControl : public IBitmapControl {
public:
    ISwitchControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                   IChannelBlend::EBlendMethod blendMethod = IChannelBlend::kBlendNone);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;

protected:
    void step();
};

// On while held, 0 on release.
class IContactControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void OnMouseUp(int x, int y, IMouseMod* mod) override;
};

// A click prompts for the value (menu of display texts or a text field).
class ISwitchPopUpControl : public ISwitchControl {
public:
    using ISwitchControl::ISwitchControl;
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
};

// Clicked in the target area while off, in its own rectangle while on.
class IBitmapOverlayControl : public ISwitchControl {
public:
    IBitmapOverlayControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap, IRECT targetArea);
    IBitmapOverlayControl(IPluginBase* plug, int x, int y, IBitmap* bitmap, IRECT targetArea);
    bool Draw(IGraphics* graphics) override;

protected:
    IRECT mTargetArea;
};

// Toggles on click and draws nothing.
class IInvisibleSwitchControl : public IControl {
public:
    IInvisibleSwitchControl(IPluginBase* plug, IRECT rect, int paramIdx);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
};

// n buttons in a row or column; frame 1 off, frame 2 on.
class IRadioButtonsControl : public IControl {
public:
    IRadioButtonsControl(IPluginBase* plug, IRECT rect, int paramIdx, int nButtons, IBitmap* bitmap,
                         EDirection direction = kVertical, bool reverse = false);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

    int NButtons() const { return (int)mRECTs.size(); }
    IRECT* GetButtonRECT(int i) { return &mRECTs[i]; }
    // int(0.5 + value * (n - 1)) limited to 0..n-1; 0 for one or no button.
    int ActiveButton() const;

protected:
    std::vector<IRECT> mRECTs;
    IBitmap mBitmap;
};

// A handle bitmap moving along a track of len pixels.
class IFaderControl : public IControl {
public:
    IFaderControl(IPluginBase* plug, int x, int y, int len, int paramIdx, IBitmap* bitmap,
                  EDirection direction = kVertical, bool onlyHandle = false);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsHit(int x, int y) override;

    int GetLength() const { return mLen; }
    int GetHandleHeadroom() const { return mHandleHeadroom; }
    // The handle rectangle for value (the current value when negative).
    IRECT GetHandleRECT(double value = -1.0) const;

protected:
    virtual void SnapToMouse(int x, int y);

    int mLen;
    int mHandleHeadroom;
    IBitmap mBitmap;
    EDirection mDirection;
    bool mOnlyHandle;
};

constexpr double DEFAULT_GEARING = 4.0;

// Drag, wheel and double-click behaviour shared by every knob.
class IKnobControl : public IControl {
public:
    IKnobControl(IPluginBase* plug, IRECT rect, int paramIdx, EDirection direction = kVertical,
                 double gearing = DEFAULT_GEARING);
    void OnMouseDrag(int x, int y, int dX, int dY, IMouseMod* mod) override;
    void SetGearing(double gearing) { mGearing = gearing; }
    double GetGearing() const { return mGearing; }

protected:
    EDirection mDirection;
    double mGearing;
};

// Knob over a strip of frames.
class IKnobMultiControl : public IKnobControl {
public:
    IKnobMultiControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                      EDirection direction = kVertical, double gearing = DEFAULT_GEARING);
    bool Draw(IGraphics* graphics) override;
    IBitmap* GetBitmap() { return &mBitmap; }

protected:
    IBitmap mBitmap;
};

// Knob drawn as a line from the centre; angles in radians clockwise from up.
class IKnobLineControl : public IKnobControl {
public:
    IKnobLineControl(IPluginBase* plug, IRECT rect, int paramIdx, const IColor* color, double innerRadius = 0.0,
                     double outerRadius = 0.0, double minAngle = -0.75 * 3.14159265358979323846,
                     double maxAngle = 0.75 * 3.14159265358979323846, EDirection direction = kVertical,
                     double gearing = DEFAULT_GEARING);
    bool Draw(IGraphics* graphics) override;

protected:
    IColor mColor;
    float mMinAngle, mMaxAngle, mInnerRadius, mOuterRadius;
};

// Knob drawn as one rotated bitmap; angles in radians.
class IKnobRotaterControl : public IKnobControl {
public:
    IKnobRotaterControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* bitmap,
                        double minAngle = -0.75 * 3.14159265358979323846,
                        double maxAngle = 0.75 * 3.14159265358979323846, int yOffsetZeroDeg = 0,
                        EDirection direction = kVertical, double gearing = DEFAULT_GEARING);
    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap mBitmap;
    double mMinAngle, mMaxAngle;
    int mYOffset;
};

// Knob drawn as a rotated mask between a base and a top bitmap; angles in degrees.
class IKnobRotatingMaskControl : public IKnobControl {
public:
    IKnobRotatingMaskControl(IPluginBase* plug, int x, int y, int paramIdx, IBitmap* base, IBitmap* mask,
                             IBitmap* top, double minAngle = -135.0, double maxAngle = 135.0,
                             EDirection direction = kVertical, double gearing = DEFAULT_GEARING);
    bool Draw(IGraphics* graphics) override;

protected:
    IBitmap mBase, mMask, mTop;
    double mMinAngle, mMaxAngle;
};

// A text in a rectangle. The text is replaced from many threads.
class ITextControl : public IControl {
public:
    ITextControl(IPluginBase* plug, IRECT rect, IText* text, const char* str = "");
    // Any thread, no lock but the control's own text guard. An equal text
    // changes nothing and leaves the dirty flag alone.
    void SetTextFromPlug(const char* str);
    void ClearTextFromPlug() { SetTextFromPlug(""); }
    // Render thread: SetTextFromPlug that never waits and never allocates;
    // false (nothing changed) while another thread holds the text or when
    // the text is longer than ReserveTextRoom made room for. Try again later.
    bool TrySetTextFromPlug(const char* str);
    // Main thread, before other threads set the text: room for texts of up
    // to length characters.
    void ReserveTextRoom(size_t length) { mStr.reserve(length); }
    std::string GetTextString() const { return mStr.get(); }
    bool Draw(IGraphics* graphics) override;

protected:
    IGuardedText mStr;
    std::string mDrawnText;  // main thread: the copy being drawn, kept to reuse its buffer
};

// Shows its parameter's display text (and label); a click prompts.
class ICaptionControl : public ITextControl {
public:
    ICaptionControl(IPluginBase* plug, IRECT rect, int paramIdx, IText* text, bool showParamLabel = true);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    void OnMouseDblClick(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    bool mShowParamLabel;
};

// Opens a URL on click, falling back to a backup URL.
class IURLControl : public IControl {
public:
    IURLControl(IPluginBase* plug, IRECT rect, const char* url, const char* backupURL = nullptr,
                const char* errorMessage = nullptr);
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

protected:
    std::string mURL, mBackupURL, mErrorMessage;
};

// Lets the user pick a file through the surface's file panel.
class IFileSelectorControl : public IControl {
public:
    enum EFileSelectorState { kFSNone = 0, kFSSelecting = 1, kFSDone = 2 };

    IFileSelectorControl(IPluginBase* plug, IRECT rect, int paramIdx, IBitmap* bitmap,
                         EFileAction action = kFileOpen, const char* dir = "", const char* extensions = "");
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;
    bool IsDirty() override;

    void GetLastSelectedFileForPlug(ROZ_String* path) const
    {
        if (path) path->Set(mFile.c_str());
    }
    void SetLastSelectedFileFromPlug(const char* path) { mFile = path ? path : ""; }
    int GetState() const { return mState; }

protected:
    IBitmap mBitmap;
    std::string mDir, mFile, mExtensions;
    EFileAction mFileAction;
    std::atomic<int> mState{kFSNone};
};
