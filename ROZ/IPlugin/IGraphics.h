#pragma once
// The editor's drawing surface and event hub: the offscreen bitmap every
// control draws into, the flat control list (index 0 is the background), the
// root control layers, mouse and key dispatch, and the drawing primitives over
// the raster library. A platform back end derives from it and supplies the
// window, menus, text entry, dialogs and resource loading (the pure virtuals).
//
// Threads: everything runs on the main thread except SetParameterFromPlug and
// the bitmap/font cache operations, as noted on each. The surface has no lock
// of its own.

#include <map>

#include "IGraphicsStructs.h"
#include "ptrlist.h"
#include "wdlstring.h"

class IPluginBase;
class IParam;
class IControl;
class ControlLayer;
class IPopupMenu;
class ZUVE_SysBitmap;
class ZUVE_MemBitmap;

class IGraphics {
public:
    // A frame rate of 0 or less means 25 frames per second.
    IGraphics(IPluginBase* plug, int width, int height, int frameRate = 0);

    // ---- Platform operations, in the order the back end overrides them ----
    // Copies the draw bitmap to the window; false without a window.
    virtual bool DrawScreen(IRECT* r) = 0;
    // DrawIText in measuring mode.
    virtual bool MeasureIText(IText* text, char* str, IRECT* r);
    virtual void ForceEndUserEdit() = 0;
    // Remakes the bitmaps at the new size and tells the plug-in.
    virtual void Resize(int w, int h);
    // GetWindow() is not null.
    virtual bool WindowIsOpen();
    virtual const char* GetGUIAPI() = 0;
    // Types: 4 yes/no, 3 yes/no/cancel, 1 ok/cancel, else ok. Results: 1 default
    // button, 7 alternate, 2 other, 0 anything else.
    virtual int ShowMessageBox(const char* text, const char* caption, int type) = 0;
    // Releases the mouse capture, shows the menu at r and returns the menu or
    // submenu holding the chosen item (its chosen index set); null when
    // dismissed or without a window. Blocks the main thread while open.
    virtual IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) = 0;
    // Opens a text field over r; the back end hands the typed text to
    // SetFromStringAfterPrompt (with a parameter) or the control's
    // TextFromTextEntry (without). Nothing without a window.
    virtual void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str = "",
                                 IParam* param = nullptr) = 0;
    virtual void HostPath(ROZ_String* path) = 0;
    virtual void PluginPath(ROZ_String* path) = 0;
    virtual void DesktopPath(ROZ_String* path) = 0;
    // Open (kFileOpen) or save (kFileSave) panel; extensions separated by blanks.
    // Without a window fileName is emptied and nothing is shown.
    virtual void PromptForFile(ROZ_String* fileName, int action = kFileOpen, ROZ_String* dir = nullptr,
                               const char* extensions = "") = 0;
    virtual bool PromptForColor(IColor* color, const char* prompt = "") = 0;
    virtual bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMessage = nullptr,
                         const char* errorMessage = nullptr) = 0;
    // Opens the view in parentView (may be null) and returns it.
    virtual void* OpenWindow(void* parentView) = 0;
    virtual void* OpenWindow(void* parentView, void* parentControl, short leftOffset = 0, short topOffset = 0);
    virtual void AttachSubWindow(void* hostWindowRef);
    virtual void RemoveSubWindow();
    virtual void CloseWindow() = 0;
    virtual void* GetWindow() = 0;
    virtual ~IGraphics();
    // A new zero-filled buffer holding the resource (caller frees with
    // delete[]); sets the loaded-file size. Null when not found.
    virtual void* OSLoadFile(int id, const char* name) = 0;
    virtual void HideMouseCursor();
    virtual void ShowMouseCursor();
    // The unscaled image named name (caller owns it); null when not found.
    virtual ZUVE_IBitmap* OSLoadBitmap(int id, const char* name) = 0;

    // ---- Set-up ----
    void PrepDraw();
    void AttachBackground(int id, const char* name, double scale = 1.0);
    void AttachPanelBackground(const IColor* color);
    int AttachControl(IControl* control);  // the surface takes ownership
    int AttachLayer(ControlLayer* layer);  // the surface takes ownership
    void AttachKeyCatcher(IControl* control);

    IPluginBase* GetPlug() const { return mPlug; }
    int Width() const { return mWidth; }
    int Height() const { return mHeight; }
    int FPS() const { return mFPS; }
    int NControls() const { return mControls.GetSize(); }
    IControl* GetControl(int i) const { return mControls.Get(i); }
    int NLayers() const { return mLayers.GetSize(); }
    ControlLayer* GetLayer(int i) const { return mLayers.Get(i); }
    IControl* GetKeyCatcher() const { return mKeyCatcher; }
    IControl* GetMouseCapture() const { return mMouseCapture; }
    IControl* GetMouseOver() const { return mMouseOver; }
    const IRECT& GetDrawRECT() const { return mDrawRECT; }
    ZUVE_SysBitmap* GetDrawBitmap() const { return mDrawBitmap; }
    int GetLoadedFileSize() const { return mLoadedFileSize; }

    // ---- Values ----
    // Any thread (host, render, MIDI input, workers), no lock: sets control
    // values and dirty flags only. An index the plug-in does not have is ignored.
    void SetParameterFromPlug(int paramIdx, double value, bool normalized);
    void SetControlFromPlug(int controlIdx, double normalizedValue);
    void SetAllControlsDirty();
    void SetParameterFromGUI(int paramIdx, double normalizedValue);
    void HideControl(int paramIdx, bool hide);
    void GrayOutControl(int paramIdx, bool gray);
    void ClampControl(int paramIdx, double lo, double hi, bool normalized);
    // Menu of display texts for bool and enum parameters, a text field otherwise.
    void PromptUserInput(IControl* control, IParam* param, IRECT* r);
    // The back end's text-entry commit.
    void SetFromStringAfterPrompt(IControl* control, IParam* param, const char* text);
    void SetStrictDrawing(bool strict);
    bool GetStrictDrawing() const { return mStrict; }
    void HandleMouseOver(bool handle) { mHandleMouseOver = handle; }

    // ---- Drawing and dirty tracking (main thread) ----
    // Merges the rectangles of the dirty controls into r; changes no flag.
    bool IsDirty(IRECT* r);
    bool Draw(IRECT* r);
    void OnGUIIdle();

    // ---- Events (main thread) ----
    void OnMouseDown(int x, int y, IMouseMod* mod);
    void OnMouseUp(int x, int y, IMouseMod* mod);
    void OnMouseDrag(int x, int y, IMouseMod* mod);
    bool OnMouseDblClick(int x, int y, IMouseMod* mod);
    void OnMouseWheel(int x, int y, IMouseMod* mod, int d);
    bool OnMouseOver(int x, int y, IMouseMod* mod);
    void OnMouseOut();
    // Keys: 0 space, 1-4 arrows up/down/left/right, 5-14 digits, 15-40 letters.
    bool OnKeyDown(int x, int y, int key);
    void ReleaseMouseCapture();
    int GetParamIdxForPTAutomation(int x, int y);
    int GetLastClickedParamForPTAutomation();
    // The control under (x, y): layers first (last to first), then the flat
    // list from the top. Null when none.
    IControl* HitTest(int x, int y, bool mouseOver = false);

    // ---- Bitmaps and files ----
    // Main thread (start-up); takes the bitmap cache lock around each cache
    // step. Cached by id and scale.
    IBitmap LoadIBitmap(int id, const char* name, double scale = 1.0, int nStates = 1,
                        bool framesAreHorizontal = false);
    // Main thread. The bitmap this surface loaded under id (at its scale), else
    // the first cached under id; empty when none.
    IBitmap getImageById(int id, int nStates = 1, bool framesAreHorizontal = false);
    void RetainBitmap(IBitmap* bitmap);
    // Removes the bitmap from the cache and deletes it: only for a bitmap
    // that no control holds any more.
    void ReleaseBitmap(IBitmap* bitmap);
    // Main thread (the drawing thread). Decodes the image again into the
    // bitmap cached under id and scale, in place, so every control holding it
    // draws the fresh pixels and none draws a freed one; an image not cached
    // yet is loaded. False, the old pixels kept, when the image cannot be
    // loaded or no longer has the cached size.
    bool ReloadBitmap(int id, const char* name, double scale);
    IBitmap ScaleBitmap(IBitmap* bitmap, int w, int h);
    IBitmap CropBitmap(IBitmap* bitmap, IRECT* r);
    // OSLoadFile of the platform: the caller owns the buffer (delete[]), its
    // length is GetLoadedFileSize().
    void* LoadFile(int id, const char* name);
    unsigned int* GetBits();

    // ---- Drawing primitives (main thread, while drawing) ----
    bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int srcX, int srcY, const IChannelBlend* blend = nullptr);
    // bmpState counts from 1; below 2 shows frame 0.
    bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState = 1, const IChannelBlend* blend = nullptr);
    bool DrawBitmap(IBitmap* bitmap, IRECT* dest, int bmpState, int srcX, int srcY,
                    const IChannelBlend* blend = nullptr);
    bool DrawRotatedBitmap(IBitmap* bitmap, int destCtrX, int destCtrY, double angleRadians,
                           int yOffsetZeroDeg = 0, const IChannelBlend* blend = nullptr);
    bool DrawRotatedMask(IBitmap* base, IBitmap* mask, IBitmap* top, int x, int y, double angleDegrees,
                         const IChannelBlend* blend = nullptr);
    bool DrawPoint(const IColor* color, float x, float y, const IChannelBlend* blend = nullptr,
                   bool antiAlias = false);
    bool ForcePixel(const IColor* color, int x, int y);
    IColor GetPoint(int x, int y);
    bool DrawLine(const IColor* color, float x1, float y1, float x2, float y2, const IChannelBlend* blend = nullptr,
                  bool antiAlias = false);
    bool DrawArc(const IColor* color, float cx, float cy, float r, float minAngle, float maxAngle,
                 const IChannelBlend* blend = nullptr, bool antiAlias = false);
    bool DrawCircle(const IColor* color, float cx, float cy, float r, const IChannelBlend* blend = nullptr,
                    bool antiAlias = false);
    bool RoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
    bool FillRoundRect(const IColor* color, IRECT* r, const IChannelBlend* blend, int cornerRadius, bool antiAlias);
    bool FillIRect(const IColor* color, IRECT* r, const IChannelBlend* blend = nullptr);
    bool FillCircle(const IColor* color, int cx, int cy, float r, const IChannelBlend* blend = nullptr,
                    bool antiAlias = false);
    bool FillTriangle(const IColor* color, int x1, int y1, int x2, int y2, int x3, int y3,
                      const IChannelBlend* blend = nullptr);
    bool FillIConvexPolygon(const IColor* color, int* x, int* y, int npoints, const IChannelBlend* blend = nullptr);
    bool DrawRect(const IColor* color, IRECT* r);
    bool DrawVerticalLine(const IColor* color, IRECT* r, float x);
    bool DrawHorizontalLine(const IColor* color, IRECT* r, float y);
    bool DrawVerticalLine(const IColor* color, int xi, int yLo, int yHi);
    bool DrawHorizontalLine(const IColor* color, int yi, int xLo, int xHi);
    bool DrawRadialLine(const IColor* color, float cx, float cy, float angle, float rMin, float rMax,
                        const IChannelBlend* blend = nullptr, bool antiAlias = false);

    // ---- Text ----
    // False only when no font can be made; an empty string draws nothing.
    bool DrawIText(IText* text, const char* str, IRECT* r, bool measure = false);
    // DrawIText that leaves every pixel outside r as it was, for a text that
    // must never reach past what a redraw of r covers.
    bool DrawITextWithin(IText* text, const char* str, IRECT* r);
    // Any thread; takes the font cache lock.
    ZUVE_IFont* CacheFont(IText* text);

protected:
    void SetLoadedFileSize(int size) { mLoadedFileSize = size; }
    // The rectangle conversion every back end needs for menus and text fields:
    // surface (L, T, R, B) to a y-up rectangle x, y, w, h.
    void ToViewRect(const IRECT& r, int* x, int* y, int* w, int* h) const;

    int mLoadedFileSize = 0;
    bool mCursorHidden = false;
    int mHiddenMousePointX = -1, mHiddenMousePointY = -1;

private:
    void deleteBitmaps();
    // The image decoded and brought to the scale; null when it cannot be loaded.
    ZUVE_IBitmap* loadScaled(int id, const char* name, double scale);
    void drawStrict(IRECT* r);
    bool drawText(IText* text, const char* str, IRECT* r, bool measure, bool clip);
    void drawLoose();

    ROZ_PtrList<IControl> mControls;
    ROZ_PtrList<ControlLayer> mLayers;
    IPluginBase* mPlug;
    IRECT mDrawRECT;
    ZUVE_SysBitmap* mDrawBitmap = nullptr;
    ZUVE_MemBitmap* mTmpBitmap = nullptr;
    int mWidth, mHeight, mFPS;
    IControl* mMouseOver = nullptr;
    IControl* mMouseCapture = nullptr;
    int mMouseX = -1, mMouseY = -1;
    int mLastClickedParam = -1;
    bool mHandleMouseOver = false;
    bool mStrict = true;
    IControl* mKeyCatcher = nullptr;
    // Scale each image id was loaded at by this surface, so getImageById finds
    // this instance's copy when instances run at different UI scales.
    std::map<int, double> mImageScales;
};
