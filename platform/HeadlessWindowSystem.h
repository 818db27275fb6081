#pragma once
// The window system without a display, for tests and scripted runs: windows
// are pixel buffers, time is a clock of its own that only moves when asked,
// menus, panels and alerts take scripted answers, and URLs, alerts and menus
// are recorded instead of shown.
//
// Main thread only, like the window system it replaces.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/CocoaWindowSystem.h"

namespace platform {

class HeadlessWindowSystem;

class HeadlessWindow : public NativeWindow {
public:
    HeadlessWindow(HeadlessWindowSystem* system, int width, int height, std::string title, WindowClient* client,
                   WindowId parent);
    ~HeadlessWindow() override;

    // NativeWindow
    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }
    void SetContentSize(int width, int height) override;
    void SetNeedsDisplayInRect(const ViewRect& rect) override;
    bool DrawImage(const uint32_t* pixels, int rowSpan, int width, int height) override;
    bool OpenTextField(const ViewRect& rect, const TextFieldStyle& style, const std::string& text,
                       TextFieldClient* client) override;
    void CloseTextField() override;
    bool HasTextField() const override { return mFieldClient != nullptr; }
    bool PopUpContextMenu(const Menu& menu, const ViewRect& at, MenuChoice* choice) override;
    void MakeKeyAndOrderFront() override {}
    void SetArrowCursor() override {}
    void InjectMouse(const MouseEvent& event) override;
    void InjectKey(const KeyEvent& event) override;
    bool InjectText(const std::string& text) override;
    bool InjectReturn() override;
    void InjectClose() override;
    bool CaptureToPNG(const std::string& path) override;

    // Calls DrawRect for the rectangle asked for since the last call, if any.
    void DisplayIfNeeded();
    const std::string& Title() const { return mTitle; }
    // The window it was made inside; 0 for a window of its own.
    WindowId Parent() const { return mParent; }
    // What the window shows: pixels as drawn (bytes A, R, G, B), top row first.
    const std::vector<uint32_t>& Pixels() const { return mPixels; }
    uint32_t PixelAt(int x, int y) const;
    // The rectangle asked for and not drawn yet, top-left coordinates (x0, y0, x1, y1); all 0 when none.
    void PendingRect(int* x0, int* y0, int* x1, int* y1) const;
    int DrawCount() const { return mDrawCount; }
    int UnhandledKeyCount() const { return mUnhandledKeys; }
    // The open text field.
    const std::string& TextFieldText() const { return mFieldText; }
    const ViewRect& TextFieldRect() const { return mFieldRect; }
    const TextFieldStyle& TextFieldStyleUsed() const { return mFieldStyle; }

private:
    HeadlessWindowSystem* mSystem;
    int mWidth, mHeight;
    std::string mTitle;
    WindowClient* mClient;
    WindowId mParent;
    std::vector<uint32_t> mPixels;
    int mPending[4] = {0, 0, 0, 0};
    const int* mClip = nullptr;  // set while DrawRect runs
    int mDrawCount = 0;
    int mUnhandledKeys = 0;
    TextFieldClient* mFieldClient = nullptr;
    std::string mFieldText;
    ViewRect mFieldRect;
    TextFieldStyle mFieldStyle;
};

// A dialog as the headless window system showed it: where, and what it held.
struct ShownDialog {
    DialogRequest request;
    int x = 0, y = 0, width = 0, height = 0;
};

class HeadlessWindowSystem : public WindowSystem {
public:
    HeadlessWindowSystem() = default;
    ~HeadlessWindowSystem() override = default;

    // WindowSystem
    const char* Name() const override { return "headless"; }
    // Any parent is taken as a window: there is none to look up.
    std::unique_ptr<NativeWindow> MakeWindow(int width, int height, const std::string& title,
                                             WindowClient* client, WindowId parent) override;
    // Only the windows in hostWindows exist here.
    bool GetWindowFrame(WindowId window, ScreenFrame* frame) override;
    std::unique_ptr<ChildWindow> MakeChildWindow(WindowId parent, const ScreenFrame& frame) override;
    std::unique_ptr<RepeatingTimer> ScheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> onFire) override;
    AlertResponse RunAlert(const AlertRequest& request) override;
    std::unique_ptr<NativeDialog> MakeDialog(const DialogRequest& request, DialogClient* client) override;
    bool RunFilePanel(const FilePanelRequest& request, std::string* chosenPath) override;
    bool OpenURL(const std::string& url) override;
    bool HideCursor() override;
    bool ShowCursor() override;
    bool GetPointerPosition(int* x, int* y) override;
    bool WarpPointer(int x, int y) override;
    NativeWindow* FrontWindow() override;
    void RunUntilAllWindowsClosed() override;
    void StopRunning() override {}
    void ProcessEvents(int milliseconds) override;

    // The clock: milliseconds since start. Advancing fires every timer that
    // falls due, in time order, and draws what they asked for after each.
    int64_t Now() const { return mNow; }
    void AdvanceClock(int milliseconds);
    // How long a shown menu stays open on the clock before its answer applies.
    void SetMenuOpenTime(int milliseconds) { mMenuOpenTime = milliseconds; }
    int LiveTimerCount() const;
    int WindowCount() const { return static_cast<int>(mWindows.size()); }

    // What the user would have seen.
    std::vector<std::string> openedURLs;
    bool urlOpenerPresent = true;  // false: a system with no application to open a URL or file
    std::vector<AlertRequest> alerts;
    std::vector<FilePanelRequest> filePanels;
    std::vector<std::string> shownMenus;  // DescribeMenu of each menu shown
    std::vector<ShownDialog> shownDialogs;
    // Windows of a host program, by id, for child windows to go over.
    std::map<WindowId, ScreenFrame> hostWindows;
    // Every child window made, closed ones too.
    struct ShownChildWindow {
        WindowId parent = 0, content = 0;
        ScreenFrame frame;
        int timesBroughtToFront = 0;
        bool open = true;
    };
    std::vector<ShownChildWindow> childWindows;
    bool cursorHidden = false;
    int pointerX = 0, pointerY = 0;

private:
    friend class HeadlessWindow;
    friend class HeadlessTimer;
    friend class HeadlessDialog;
    struct Timer {
        int64_t interval;
        int64_t due;
        std::function<void()> onFire;
    };
    void displayAll();
    void removeWindow(HeadlessWindow* window);
    void removeTimer(int id) { mTimers.erase(id); }
    bool showMenu(const Menu& menu, MenuChoice* choice);

    int64_t mNow = 0;
    int mMenuOpenTime = 0;
    int mNextTimerId = 1;
    std::map<int, Timer> mTimers;
    std::vector<HeadlessWindow*> mWindows;
};

// One line per item, two blanks of indent per submenu level: the title, "---"
// for a separator, with " [x]" when ticked, " (disabled)", " >" before a submenu.
std::string DescribeMenu(const Menu& menu);

}  // namespace platform
