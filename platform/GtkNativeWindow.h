#pragma once
// The GTK 3 window system's own classes, shared by its source files:
// GtkWindowSystem.cpp (windows, drawing, user events, timers, services),
// GtkWindowInput.cpp (the text field, menus, scripted events and capture) and
// GtkX11Embedding.cpp (views inside other windows, child windows over them).
// Only platform/ includes it. Main thread: GTK belongs to the thread that
// initialised it.

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/CocoaWindowSystem.h"

namespace platform {
namespace gtkwindow {

class GtkWindowSystem;

ModifierKeys modifiersOf(guint state);
std::string utf8Of(gunichar c);
KeyEvent keyEventOf(const GdkEventKey* event);
// The display's pointer device, or null.
GdkDevice* pointerOf(GdkDisplay* display);
std::string cssColor(const float rgba[4]);

// ---- Windows inside and over other windows (X11 only)

// A GtkPlug inside parent: an X window of another program or connection,
// or a GtkSocket of ours. *mapByItself is set when no socket will map it.
// Null when parent is none of these or the display is not X11.
GtkWidget* makePlugInside(WindowId parent, bool* mapByItself);
// gtk_widget_destroy, without the X errors of windows already gone.
void destroyWindowWidget(GtkWidget* window);
bool x11WindowFrame(WindowId window, ScreenFrame* frame);
std::unique_ptr<ChildWindow> makeX11ChildWindow(WindowId parent, const ScreenFrame& frame);

// ---- Window

class GtkNativeWindow : public NativeWindow {
public:
    // toplevel: a new GtkWindow, or a GtkPlug inside another window (mapped
    // here when mapByItself).
    GtkNativeWindow(GtkWindowSystem* system, GtkWidget* toplevel, bool mapByItself, int width, int height,
                    const std::string& title, WindowClient* client);
    ~GtkNativeWindow() override;

    int Width() const override { return mWidth; }
    int Height() const override { return mHeight; }
    void SetContentSize(int width, int height) override;
    void SetNeedsDisplayInRect(const ViewRect& rect) override;
    bool DrawImage(const uint32_t* pixels, int rowSpan, int width, int height) override;
    bool OpenTextField(const ViewRect& rect, const TextFieldStyle& style, const std::string& text,
                       TextFieldClient* client) override;
    void CloseTextField() override;
    bool HasTextField() const override { return mEntry != nullptr; }
    bool PopUpContextMenu(const Menu& menu, const ViewRect& at, MenuChoice* choice) override;
    void MakeKeyAndOrderFront() override { gtk_window_present(GTK_WINDOW(Toplevel())); }
    void SetArrowCursor() override;
    void InjectMouse(const MouseEvent& event) override;
    void InjectKey(const KeyEvent& event) override;
    bool InjectText(const std::string& text) override;
    bool InjectReturn() override;
    void InjectClose() override
    {
        if (mClient)
            mClient->WindowShouldClose();
    }
    bool CaptureToPNG(const std::string& path) override;

    // The window on the screen: ours, or the one of ours our plug is inside.
    GtkWidget* Toplevel() const { return gtk_widget_get_toplevel(mWindow); }
    void SetBlankCursor(bool blank);

private:
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean onParentGone(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean onDraw(GtkWidget*, cairo_t* cr, gpointer self);
    static gboolean onButton(GtkWidget*, GdkEventButton* event, gpointer self);
    static gboolean onMotion(GtkWidget*, GdkEventMotion* event, gpointer self);
    static gboolean onScroll(GtkWidget*, GdkEventScroll* event, gpointer self);
    static gboolean onKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static void onInsertText(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer self);
    static void onActivate(GtkEntry*, gpointer self);
    static gboolean onEntryKey(GtkWidget*, GdkEventKey* event, gpointer self);
    static gboolean destroyLater(gpointer widget);

    void endEditing();
    bool refusesTypedCharacter(const GdkEventKey* event) const;
    int clickCountFor(const GdkEventButton* event);
    // Completes the event with the GDK position (y downward) and modifiers and hands it to the client.
    void dispatch(MouseEvent mouse, double x, double y, guint state);

    GtkWindowSystem* mSystem;
    WindowClient* mClient;
    int mWidth, mHeight;
    GtkWidget* mWindow;
    GtkWidget* mFixed;
    GtkWidget* mArea;
    cairo_surface_t* mImage = nullptr;
    cairo_surface_t* mScreenImage = nullptr;  // mImage as the X server holds it
    cairo_t* mDrawing = nullptr;  // set while DrawRect runs
    GtkWidget* mEntry = nullptr;
    GtkCssProvider* mEntryStyle = nullptr;
    TextFieldClient* mFieldClient = nullptr;
    bool mEnding = false;
    guint mLastButton = 0;
    guint32 mLastPressTime = 0;
    double mLastPressX = 0, mLastPressY = 0;
    int mClickCount = 0;
};

// ---- Timer

class GtkTimer : public RepeatingTimer {
public:
    GtkTimer(guint intervalMs, std::function<void()> onFire)
    {
        auto* callback = new std::function<void()>(std::move(onFire));
        mSource = g_timeout_add_full(G_PRIORITY_DEFAULT, intervalMs, fire, callback, forget);
    }
    ~GtkTimer() override { g_source_remove(mSource); }

private:
    static gboolean fire(gpointer data)
    {
        (*static_cast<std::function<void()>*>(data))();
        return G_SOURCE_CONTINUE;
    }
    static void forget(gpointer data) { delete static_cast<std::function<void()>*>(data); }
    guint mSource;
};

// ---- Window system

class GtkWindowSystem : public WindowSystem {
public:
    const char* Name() const override { return "gtk"; }
    std::unique_ptr<NativeWindow> MakeWindow(int width, int height, const std::string& title,
                                             WindowClient* client, WindowId parent) override
    {
        if (!onOwnerThread())
            return nullptr;
        bool mapByItself = false;
        GtkWidget* toplevel = parent ? makePlugInside(parent, &mapByItself) : gtk_window_new(GTK_WINDOW_TOPLEVEL);
        if (!toplevel)
            return nullptr;
        auto window = std::make_unique<GtkNativeWindow>(this, toplevel, mapByItself, width, height, title, client);
        mWindows.push_back(window.get());
        return window;
    }
    bool GetWindowFrame(WindowId window, ScreenFrame* frame) override
    {
        return onOwnerThread() && x11WindowFrame(window, frame);
    }
    std::unique_ptr<ChildWindow> MakeChildWindow(WindowId parent, const ScreenFrame& frame) override
    {
        return onOwnerThread() ? makeX11ChildWindow(parent, frame) : nullptr;
    }
    std::unique_ptr<RepeatingTimer> ScheduleRepeatingTimer(double intervalSeconds,
                                                           std::function<void()> onFire) override
    {
        if (!onOwnerThread())
            return nullptr;
        const auto ms = static_cast<guint>(std::max(1L, std::lround(intervalSeconds * 1000.0)));
        return std::make_unique<GtkTimer>(ms, std::move(onFire));
    }
    AlertResponse RunAlert(const AlertRequest& request) override;
    std::unique_ptr<NativeDialog> MakeDialog(const DialogRequest& request, DialogClient* client) override;
    bool RunFilePanel(const FilePanelRequest& request, std::string* chosenPath) override;
    bool OpenURL(const std::string& url) override;
    bool HideCursor() override { return onOwnerThread() && setCursorBlank(true); }
    bool ShowCursor() override { return onOwnerThread() && setCursorBlank(false); }
    bool GetPointerPosition(int* x, int* y) override;
    bool WarpPointer(int x, int y) override;
    NativeWindow* FrontWindow() override
    {
        return !onOwnerThread() || mWindows.empty() ? nullptr : mWindows.back();
    }
    void RunUntilAllWindowsClosed() override;
    void StopRunning() override
    {
        if (onOwnerThread() && mLoop)
            g_main_loop_quit(mLoop);
    }
    void ProcessEvents(int milliseconds) override;

    bool ChooseFromScript(const Menu& menu, bool* chosen, MenuChoice* choice)
    {
        return TakeMenuAnswer(menu, chosen, choice);
    }
    void Forget(GtkNativeWindow* window)
    {
        mWindows.erase(std::remove(mWindows.begin(), mWindows.end(), window), mWindows.end());
        if (mWindows.empty() && mLoop)
            g_main_loop_quit(mLoop);
    }

private:
    GtkWindow* parentWindow() const
    {
        return mWindows.empty() ? nullptr : GTK_WINDOW(mWindows.back()->Toplevel());
    }
    bool setCursorBlank(bool blank)
    {
        for (GtkNativeWindow* window : mWindows)
            window->SetBlankCursor(blank);
        return true;
    }

    // GTK belongs to the thread that initialised it; every other thread is refused.
    bool onOwnerThread() const { return std::this_thread::get_id() == mOwner; }

    const std::thread::id mOwner = std::this_thread::get_id();
    std::vector<GtkNativeWindow*> mWindows;
    GMainLoop* mLoop = nullptr;
};

}  // namespace gtkwindow
}  // namespace platform
