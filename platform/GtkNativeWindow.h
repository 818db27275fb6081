#pragma once
// The GTK 3 window system's own classes, shared by its two source files:
// GtkWindowSystem.cpp (windows, drawing, user events, timers, services) and
// GtkWindowInput.cpp (the text field, menus, scripted events and capture).
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

// ---- Window

class GtkNativeWindow : public NativeWindow {
public:
    GtkNativeWindow(GtkWindowSystem* system, int width, int height, const std::string& title, WindowClient* client);
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
    void MakeKeyAndOrderFront() override { gtk_window_present(GTK_WINDOW(mWindow)); }
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

    GtkWidget* Toplevel() const { return mWindow; }
    void SetBlankCursor(bool blank);

private:
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
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
                                             WindowClient* client) override
    {
        if (!onOwnerThread())
            return nullptr;
        auto window = std::make_unique<GtkNativeWindow>(this, width, height, title, client);
        mWindows.push_back(window.get());
        return window;
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
