// The window system on GTK 3: a top-level window with a drawing area for the
// view, GtkEntry for the text field, GtkMenu for context menus, file choosers,
// message dialogs and xdg-open for URLs.
#include "platform/GtkWindowSystem.h"

#include "platform/GtkDialogs.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <thread>

namespace platform {

namespace {

class GtkWindowSystem;

ModifierKeys modifiersOf(guint state)
{
    ModifierKeys mods;
    mods.shift = (state & GDK_SHIFT_MASK) != 0;
    mods.control = (state & GDK_CONTROL_MASK) != 0;
    mods.option = (state & GDK_MOD1_MASK) != 0;
    mods.command = (state & (GDK_SUPER_MASK | GDK_META_MASK | GDK_MOD4_MASK)) != 0;
    return mods;
}

std::string utf8Of(gunichar c)
{
    char buffer[8] = {0};
    const int length = g_unichar_to_utf8(c, buffer);
    return std::string(buffer, static_cast<size_t>(length));
}

// Arrow keys carry the private-use characters a Mac keyboard gives them.
bool arrowKey(guint keyval, int* code, gunichar* character)
{
    switch (keyval) {
    case GDK_KEY_Up: case GDK_KEY_KP_Up: *code = kKeyCodeUpArrow; *character = 0xF700; return true;
    case GDK_KEY_Down: case GDK_KEY_KP_Down: *code = kKeyCodeDownArrow; *character = 0xF701; return true;
    case GDK_KEY_Left: case GDK_KEY_KP_Left: *code = kKeyCodeLeftArrow; *character = 0xF702; return true;
    case GDK_KEY_Right: case GDK_KEY_KP_Right: *code = kKeyCodeRightArrow; *character = 0xF703; return true;
    default: return false;
    }
}

KeyEvent keyEventOf(const GdkEventKey* event)
{
    KeyEvent key;
    key.mods = modifiersOf(event->state);
    gunichar arrowCharacter = 0;
    if (arrowKey(event->keyval, &key.keyCode, &arrowCharacter)) {
        key.characters = utf8Of(arrowCharacter);
        return key;
    }
    // As a Mac keyboard reports characters "without modifiers": shift still counts (shift-1 is "!").
    guint plain = event->keyval;
    gdk_keymap_translate_keyboard_state(gdk_keymap_get_for_display(gdk_window_get_display(event->window)),
                                        event->hardware_keycode,
                                        static_cast<GdkModifierType>(event->state & GDK_SHIFT_MASK), event->group,
                                        &plain, nullptr, nullptr, nullptr);
    if (plain == GDK_KEY_space)
        key.keyCode = kKeyCodeSpace;
    const gunichar character = gdk_keyval_to_unicode(plain);
    if (character != 0)
        key.characters = utf8Of(character);
    return key;
}

// The display's pointer device, or null.
GdkDevice* pointerOf(GdkDisplay* display)
{
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    return seat ? gdk_seat_get_pointer(seat) : nullptr;
}

std::string cssColor(const float rgba[4])
{
    char text[96];
    std::snprintf(text, sizeof text, "rgba(%d,%d,%d,%.3f)", static_cast<int>(rgba[0] * 255.0f + 0.5f),
                  static_cast<int>(rgba[1] * 255.0f + 0.5f), static_cast<int>(rgba[2] * 255.0f + 0.5f), rgba[3]);
    return text;
}

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

GtkNativeWindow::GtkNativeWindow(GtkWindowSystem* system, int width, int height, const std::string& title,
                                 WindowClient* client)
    : mSystem(system), mClient(client), mWidth(std::max(1, width)), mHeight(std::max(1, height))
{
    mWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_title(GTK_WINDOW(mWindow), title.c_str());
    gtk_window_set_resizable(GTK_WINDOW(mWindow), FALSE);
    mFixed = gtk_fixed_new();
    mArea = gtk_drawing_area_new();
    gtk_widget_set_size_request(mArea, mWidth, mHeight);
    gtk_widget_set_can_focus(mArea, TRUE);
    gtk_widget_add_events(mArea, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK | GDK_POINTER_MOTION_MASK
                                     | GDK_SCROLL_MASK | GDK_KEY_PRESS_MASK);
    gtk_fixed_put(GTK_FIXED(mFixed), mArea, 0, 0);
    gtk_container_add(GTK_CONTAINER(mWindow), mFixed);
    g_signal_connect(mWindow, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(mArea, "draw", G_CALLBACK(onDraw), this);
    g_signal_connect(mArea, "button-press-event", G_CALLBACK(onButton), this);
    g_signal_connect(mArea, "button-release-event", G_CALLBACK(onButton), this);
    g_signal_connect(mArea, "motion-notify-event", G_CALLBACK(onMotion), this);
    g_signal_connect(mArea, "scroll-event", G_CALLBACK(onScroll), this);
    g_signal_connect(mArea, "key-press-event", G_CALLBACK(onKey), this);
    gtk_widget_show_all(mWindow);
    gtk_widget_grab_focus(mArea);
}

GtkNativeWindow::~GtkNativeWindow()
{
    mSystem->Forget(this);
    if (mEntry)
        CloseTextField();
    g_signal_handlers_disconnect_by_data(mWindow, this);
    g_signal_handlers_disconnect_by_data(mArea, this);
    gtk_widget_destroy(mWindow);
    if (mImage)
        cairo_surface_destroy(mImage);
}

void GtkNativeWindow::SetContentSize(int width, int height)
{
    mWidth = std::max(1, width);
    mHeight = std::max(1, height);
    gtk_widget_set_size_request(mArea, mWidth, mHeight);
    gtk_widget_queue_draw(mArea);
}

void GtkNativeWindow::SetNeedsDisplayInRect(const ViewRect& rect)
{
    const int x0 = static_cast<int>(std::floor(rect.x));
    const int y0 = static_cast<int>(std::floor(mHeight - (rect.y + rect.h)));
    const int x1 = static_cast<int>(std::ceil(rect.x + rect.w));
    const int y1 = static_cast<int>(std::ceil(mHeight - rect.y));
    if (x1 > x0 && y1 > y0)
        gtk_widget_queue_draw_area(mArea, x0, y0, x1 - x0, y1 - y0);
}

gboolean GtkNativeWindow::onDraw(GtkWidget*, cairo_t* cr, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    double x0, y0, x1, y1;
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    ViewRect dirty;
    dirty.x = x0;
    dirty.y = self->mHeight - y1;
    dirty.w = x1 - x0;
    dirty.h = y1 - y0;
    self->mDrawing = cr;
    if (self->mClient)
        self->mClient->DrawRect(dirty);
    self->mDrawing = nullptr;
    return TRUE;
}

bool GtkNativeWindow::DrawImage(const uint32_t* pixels, int rowSpan, int width, int height)
{
    if (!mDrawing || !pixels || width <= 0 || height <= 0)
        return false;
    if (!mImage || cairo_image_surface_get_width(mImage) != width
        || cairo_image_surface_get_height(mImage) != height) {
        if (mImage)
            cairo_surface_destroy(mImage);
        mImage = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    }
    // Only the part being drawn is converted: bytes A, R, G, B become cairo's native 0x00RRGGBB.
    double cx0, cy0, cx1, cy1;
    cairo_clip_extents(mDrawing, &cx0, &cy0, &cx1, &cy1);
    const int x0 = std::max(0, static_cast<int>(std::floor(cx0)));
    const int y0 = std::max(0, static_cast<int>(std::floor(cy0)));
    const int x1 = std::min(width, static_cast<int>(std::ceil(cx1)));
    const int y1 = std::min(height, static_cast<int>(std::ceil(cy1)));
    cairo_surface_flush(mImage);
    unsigned char* target = cairo_image_surface_get_data(mImage);
    const int stride = cairo_image_surface_get_stride(mImage);
    for (int y = y0; y < y1; ++y) {
        const auto* source = reinterpret_cast<const unsigned char*>(pixels + static_cast<size_t>(y) * rowSpan);
        auto* row = reinterpret_cast<uint32_t*>(target + static_cast<size_t>(y) * stride);
        for (int x = x0; x < x1; ++x) {
            const unsigned char* p = source + x * 4;
            row[x] = static_cast<uint32_t>(p[1]) << 16 | static_cast<uint32_t>(p[2]) << 8 | p[3];
        }
    }
    cairo_surface_mark_dirty(mImage);
    cairo_set_source_surface(mDrawing, mImage, 0, 0);
    cairo_set_operator(mDrawing, CAIRO_OPERATOR_SOURCE);
    cairo_paint(mDrawing);
    return true;
}

gboolean GtkNativeWindow::onDelete(GtkWidget*, GdkEvent*, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    if (self->mClient)
        self->mClient->WindowShouldClose();
    return TRUE;  // the client destroys the window
}

int GtkNativeWindow::clickCountFor(const GdkEventButton* event)
{
    gint doubleClickTime = 400, doubleClickDistance = 5;
    g_object_get(gtk_widget_get_settings(mArea), "gtk-double-click-time", &doubleClickTime,
                 "gtk-double-click-distance", &doubleClickDistance, nullptr);
    const bool again = event->button == mLastButton && mClickCount > 0
                       && event->time - mLastPressTime <= static_cast<guint32>(doubleClickTime)
                       && std::fabs(event->x - mLastPressX) <= doubleClickDistance
                       && std::fabs(event->y - mLastPressY) <= doubleClickDistance;
    mClickCount = again ? mClickCount + 1 : 1;
    mLastButton = event->button;
    mLastPressTime = event->time;
    mLastPressX = event->x;
    mLastPressY = event->y;
    return mClickCount;
}

void GtkNativeWindow::dispatch(MouseEvent mouse, double x, double y, guint state)
{
    mouse.x = x;
    mouse.y = mHeight - y;
    mouse.mods = modifiersOf(state);
    if (mClient)
        mClient->HandleMouse(mouse);
}

gboolean GtkNativeWindow::onButton(GtkWidget*, GdkEventButton* event, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    // Double clicks are counted from the presses themselves, as a Mac event would carry them.
    if (event->type != GDK_BUTTON_PRESS && event->type != GDK_BUTTON_RELEASE)
        return TRUE;
    if (event->button != 1 && event->button != 3)
        return FALSE;
    const bool press = event->type == GDK_BUTTON_PRESS;
    // A left click makes the view the focus again, which ends the editing
    // first, as on a Mac; a right click leaves an open field alone. Window
    // focus changes (another application) do not end it.
    if (press && event->button == 1)
        self->endEditing();
    if (press && (event->button == 1 || !self->mEntry))
        gtk_widget_grab_focus(self->mArea);
    MouseEvent mouse;
    mouse.clickCount = press ? self->clickCountFor(event) : self->mClickCount;
    if (event->button == 1)
        mouse.kind = press ? MouseEventKind::Down : MouseEventKind::Up;
    else
        mouse.kind = press ? MouseEventKind::RightDown : MouseEventKind::RightUp;
    self->dispatch(mouse, event->x, event->y, event->state);
    return TRUE;
}

gboolean GtkNativeWindow::onMotion(GtkWidget*, GdkEventMotion* event, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    MouseEvent mouse;
    if (event->state & GDK_BUTTON1_MASK)
        mouse.kind = MouseEventKind::Dragged;
    else if (event->state & GDK_BUTTON3_MASK)
        mouse.kind = MouseEventKind::RightDragged;
    else
        mouse.kind = MouseEventKind::Moved;
    self->dispatch(mouse, event->x, event->y, event->state);
    return TRUE;
}

gboolean GtkNativeWindow::onScroll(GtkWidget*, GdkEventScroll* event, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    MouseEvent mouse;
    mouse.kind = MouseEventKind::Wheel;
    if (event->direction == GDK_SCROLL_UP)
        mouse.deltaY = 1.0;
    else if (event->direction == GDK_SCROLL_DOWN)
        mouse.deltaY = -1.0;
    else if (event->direction == GDK_SCROLL_SMOOTH)
        mouse.deltaY = -event->delta_y;
    self->dispatch(mouse, event->x, event->y, event->state);
    return TRUE;
}

gboolean GtkNativeWindow::onKey(GtkWidget*, GdkEventKey* event, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    return self->mClient && self->mClient->HandleKeyDown(keyEventOf(event)) ? TRUE : FALSE;
}

void GtkNativeWindow::SetArrowCursor() { gdk_window_set_cursor(gtk_widget_get_window(mArea), nullptr); }

void GtkNativeWindow::SetBlankCursor(bool blank)
{
    GdkWindow* window = gtk_widget_get_window(mArea);
    if (!window)
        return;
    GdkCursor* cursor = blank ? gdk_cursor_new_for_display(gdk_window_get_display(window), GDK_BLANK_CURSOR)
                              : nullptr;
    gdk_window_set_cursor(window, cursor);
    if (cursor)
        g_object_unref(cursor);
}

// ---- Text field

bool GtkNativeWindow::OpenTextField(const ViewRect& rect, const TextFieldStyle& style, const std::string& text,
                                   TextFieldClient* client)
{
    if (mEntry || !client)
        return false;
    mEntry = gtk_entry_new();
    gtk_entry_set_has_frame(GTK_ENTRY(mEntry), FALSE);
    gtk_entry_set_alignment(GTK_ENTRY(mEntry), style.alignment == TextAlignment::Left     ? 0.0f
                                               : style.alignment == TextAlignment::Center ? 0.5f
                                                                                          : 1.0f);
    gtk_entry_set_text(GTK_ENTRY(mEntry), text.c_str());
    const std::string css = "entry { font-family: \"" + style.fontName + "\", monospace; font-size: "
                            + std::to_string(std::max(1, style.fontSize)) + "px; color: " + cssColor(style.foreground)
                            + "; background-color: " + cssColor(style.background)
                            + "; background-image: none; border: none; box-shadow: none; outline: none;"
                              " min-height: 0; padding: 0 2px; }";
    mEntryStyle = gtk_css_provider_new();
    gtk_css_provider_load_from_data(mEntryStyle, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider(gtk_widget_get_style_context(mEntry), GTK_STYLE_PROVIDER(mEntryStyle),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    const int top = static_cast<int>(std::lround(mHeight - (rect.y + rect.h)));
    gtk_widget_set_size_request(mEntry, std::max(1, static_cast<int>(rect.w)), std::max(1, static_cast<int>(rect.h)));
    gtk_fixed_put(GTK_FIXED(mFixed), mEntry, static_cast<int>(rect.x), top);
    mFieldClient = client;
    g_signal_connect(mEntry, "insert-text", G_CALLBACK(onInsertText), this);
    g_signal_connect(mEntry, "activate", G_CALLBACK(onActivate), this);
    g_signal_connect(mEntry, "key-press-event", G_CALLBACK(onEntryKey), this);
    gtk_widget_show(mEntry);
    gtk_window_present(GTK_WINDOW(mWindow));
    gtk_widget_grab_focus(mEntry);
    return true;
}

gboolean GtkNativeWindow::destroyLater(gpointer widget)
{
    gtk_widget_destroy(GTK_WIDGET(widget));
    g_object_unref(widget);
    return G_SOURCE_REMOVE;
}

void GtkNativeWindow::CloseTextField()
{
    if (!mEntry)
        return;
    GtkWidget* entry = mEntry;
    mEntry = nullptr;
    mFieldClient = nullptr;
    g_signal_handlers_disconnect_by_data(entry, this);
    gtk_widget_hide(entry);
    // The entry may be inside one of its own signal handlers: destroy it on the next turn.
    g_idle_add(destroyLater, g_object_ref(entry));
    g_object_unref(mEntryStyle);
    mEntryStyle = nullptr;
    gtk_widget_grab_focus(mArea);
}

void GtkNativeWindow::onInsertText(GtkEditable* editable, gchar* text, gint length, gint* position, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    if (!self->mFieldClient)
        return;
    const gchar* current = gtk_entry_get_text(GTK_ENTRY(editable));
    const gchar* at = g_utf8_offset_to_pointer(current, *position);
    std::string candidate(current, static_cast<size_t>(at - current));
    candidate.append(text, length < 0 ? std::char_traits<char>::length(text) : static_cast<size_t>(length));
    candidate.append(at);
    if (!self->mFieldClient->IsPartialStringValid(candidate))
        g_signal_stop_emission_by_name(editable, "insert-text");
}

void GtkNativeWindow::endEditing()
{
    if (mEnding || !mFieldClient || !mEntry)
        return;
    mEnding = true;
    const std::string text = gtk_entry_get_text(GTK_ENTRY(mEntry));
    mFieldClient->TextDidEndEditing(text);
    mEnding = false;
}

void GtkNativeWindow::onActivate(GtkEntry*, gpointer data) { static_cast<GtkNativeWindow*>(data)->endEditing(); }

// Typing over a selection deletes it before the new character is checked:
// a refused character must leave the selected text as it was.
bool GtkNativeWindow::refusesTypedCharacter(const GdkEventKey* event) const
{
    const gunichar typed = gdk_keyval_to_unicode(event->keyval);
    if (!mFieldClient || !mEntry || !g_unichar_isprint(typed) || (event->state & (GDK_CONTROL_MASK | GDK_MOD1_MASK)))
        return false;
    const gchar* text = gtk_entry_get_text(GTK_ENTRY(mEntry));
    gint start = 0, end = 0;
    if (!gtk_editable_get_selection_bounds(GTK_EDITABLE(mEntry), &start, &end))
        start = end = gtk_editable_get_position(GTK_EDITABLE(mEntry));
    const gchar* from = g_utf8_offset_to_pointer(text, start);
    const gchar* to = g_utf8_offset_to_pointer(text, end);
    const std::string candidate = std::string(text, static_cast<size_t>(from - text)) + utf8Of(typed) + to;
    return !mFieldClient->IsPartialStringValid(candidate);
}

gboolean GtkNativeWindow::onEntryKey(GtkWidget*, GdkEventKey* event, gpointer data)
{
    auto* self = static_cast<GtkNativeWindow*>(data);
    if (event->keyval != GDK_KEY_Tab && event->keyval != GDK_KEY_ISO_Left_Tab)
        return self->refusesTypedCharacter(event) ? TRUE : FALSE;
    self->endEditing();
    return TRUE;
}

bool GtkNativeWindow::InjectText(const std::string& text)
{
    if (!mEntry)
        return false;
    const gchar* end = text.c_str() + text.size();
    for (const gchar* p = text.c_str(); p < end; p = g_utf8_next_char(p)) {
        gint position = gtk_entry_get_text_length(GTK_ENTRY(mEntry));
        gtk_editable_insert_text(GTK_EDITABLE(mEntry), p, static_cast<gint>(g_utf8_next_char(p) - p), &position);
    }
    return true;
}

bool GtkNativeWindow::InjectReturn()
{
    if (!mEntry)
        return false;
    g_signal_emit_by_name(mEntry, "activate");
    return true;
}

// ---- Menus

bool GtkNativeWindow::PopUpContextMenu(const Menu& menu, const ViewRect& at, MenuChoice* choice)
{
    bool chosen = false;
    MenuChoice scripted;
    if (mSystem->ChooseFromScript(menu, &chosen, &scripted)) {
        if (chosen)
            *choice = scripted;
        return chosen;
    }
    return RunGtkContextMenu(mArea, mHeight, menu, at, choice);
}

// ---- Scripted events and capture

namespace {

guint stateOf(const ModifierKeys& mods)
{
    guint state = 0;
    if (mods.shift)
        state |= GDK_SHIFT_MASK;
    if (mods.control)
        state |= GDK_CONTROL_MASK;
    if (mods.option)
        state |= GDK_MOD1_MASK;
    if (mods.command)
        state |= GDK_SUPER_MASK;
    return state;
}

// Injected events go through GTK's own dispatch, so they take the same road as the user's.
void deliver(GdkEvent* event, GdkWindow* window)
{
    if (GdkDevice* pointer = pointerOf(gdk_window_get_display(window)))
        gdk_event_set_device(event, pointer);
    gtk_main_do_event(event);
    gdk_event_free(event);
}

}  // namespace

void GtkNativeWindow::InjectMouse(const MouseEvent& event)
{
    GdkWindow* window = gtk_widget_get_window(mArea);
    if (!window)
        return;
    const double x = event.x, y = mHeight - event.y;
    const guint state = stateOf(event.mods);
    // A second click must look like one to the click counting: right after the last press.
    const guint32 time = event.clickCount >= 2 ? mLastPressTime + 1 : mLastPressTime + 100000;
    GdkEvent* gdkEvent = nullptr;
    switch (event.kind) {
    case MouseEventKind::Down:
    case MouseEventKind::RightDown:
    case MouseEventKind::Up:
    case MouseEventKind::RightUp: {
        const bool press = event.kind == MouseEventKind::Down || event.kind == MouseEventKind::RightDown;
        gdkEvent = gdk_event_new(press ? GDK_BUTTON_PRESS : GDK_BUTTON_RELEASE);
        gdkEvent->button.button =
            event.kind == MouseEventKind::Down || event.kind == MouseEventKind::Up ? 1 : 3;
        gdkEvent->button.x = x;
        gdkEvent->button.y = y;
        gdkEvent->button.state = state;
        gdkEvent->button.time = press ? time : mLastPressTime;
        gdkEvent->button.window = GDK_WINDOW(g_object_ref(window));
        break;
    }
    case MouseEventKind::Dragged:
    case MouseEventKind::RightDragged:
    case MouseEventKind::Moved:
        gdkEvent = gdk_event_new(GDK_MOTION_NOTIFY);
        gdkEvent->motion.x = x;
        gdkEvent->motion.y = y;
        gdkEvent->motion.state = state | (event.kind == MouseEventKind::Dragged        ? GDK_BUTTON1_MASK
                                          : event.kind == MouseEventKind::RightDragged ? GDK_BUTTON3_MASK
                                                                                       : 0);
        gdkEvent->motion.window = GDK_WINDOW(g_object_ref(window));
        break;
    case MouseEventKind::Wheel:
        gdkEvent = gdk_event_new(GDK_SCROLL);
        gdkEvent->scroll.x = x;
        gdkEvent->scroll.y = y;
        gdkEvent->scroll.state = state;
        gdkEvent->scroll.direction = GDK_SCROLL_SMOOTH;
        gdkEvent->scroll.delta_y = -event.deltaY;
        gdkEvent->scroll.window = GDK_WINDOW(g_object_ref(window));
        break;
    }
    deliver(gdkEvent, window);
}

void GtkNativeWindow::InjectKey(const KeyEvent& event)
{
    GdkWindow* window = gtk_widget_get_window(mArea);
    guint keyval = 0;
    switch (event.keyCode) {
    case kKeyCodeUpArrow: keyval = GDK_KEY_Up; break;
    case kKeyCodeDownArrow: keyval = GDK_KEY_Down; break;
    case kKeyCodeLeftArrow: keyval = GDK_KEY_Left; break;
    case kKeyCodeRightArrow: keyval = GDK_KEY_Right; break;
    case kKeyCodeSpace: keyval = GDK_KEY_space; break;
    default:
        if (g_utf8_strlen(event.characters.c_str(), -1) == 1)
            keyval = gdk_unicode_to_keyval(g_utf8_get_char(event.characters.c_str()));
    }
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (!window || !keyval
        || !gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_window_get_display(window)), keyval,
                                              &keys, &count)
        || count == 0) {
        // No key on this keyboard makes it: hand it over as it is.
        g_free(keys);
        if (mClient)
            mClient->HandleKeyDown(event);
        return;
    }
    GdkEvent* gdkEvent = gdk_event_new(GDK_KEY_PRESS);
    gdkEvent->key.window = GDK_WINDOW(g_object_ref(window));
    gdkEvent->key.keyval = keyval;
    gdkEvent->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    gdkEvent->key.group = static_cast<guint8>(keys[0].group);
    // A character on a key's shifted level needs shift, as the user's hand would press it.
    gdkEvent->key.state = stateOf(event.mods) | (keys[0].level == 1 ? GDK_SHIFT_MASK : 0);
    gdkEvent->key.time = GDK_CURRENT_TIME;
    g_free(keys);
    // Keys go to the focused widget; the view takes them when no text field is open.
    gtk_widget_grab_focus(mEntry ? mEntry : mArea);
    deliver(gdkEvent, window);
}

bool GtkNativeWindow::CaptureToPNG(const std::string& path)
{
    mSystem->ProcessEvents(150);
    GdkWindow* window = gtk_widget_get_window(mArea);
    GdkPixbuf* shot = window ? gdk_pixbuf_get_from_window(window, 0, 0, mWidth, mHeight) : nullptr;
    if (!shot)
        return false;
    const int channels = gdk_pixbuf_get_n_channels(shot);
    const int stride = gdk_pixbuf_get_rowstride(shot);
    const guchar* bytes = gdk_pixbuf_get_pixels(shot);
    std::vector<uint32_t> pixels(static_cast<size_t>(mWidth) * mHeight);
    auto* out = reinterpret_cast<unsigned char*>(pixels.data());
    for (int y = 0; y < mHeight; ++y)
        for (int x = 0; x < mWidth; ++x) {
            const guchar* p = bytes + static_cast<size_t>(y) * stride + static_cast<size_t>(x) * channels;
            unsigned char* q = out + (static_cast<size_t>(y) * mWidth + x) * 4;
            q[0] = 255;
            q[1] = p[0];
            q[2] = p[1];
            q[3] = p[2];
        }
    g_object_unref(shot);
    return WriteScreenPNG(path, pixels.data(), mWidth, mWidth, mHeight);
}

// ---- Window-system services

AlertResponse GtkWindowSystem::RunAlert(const AlertRequest& request)
{
    if (!onOwnerThread())
        return AlertResponse::None;
    AlertResponse scripted;
    if (TakeAlertAnswer(request, &scripted))
        return scripted;
    return RunGtkAlert(parentWindow(), request);
}

bool GtkWindowSystem::RunFilePanel(const FilePanelRequest& request, std::string* chosenPath)
{
    if (!onOwnerThread())
        return false;
    bool ok = false;
    std::string scripted;
    if (TakeFilePanelAnswer(&ok, &scripted)) {
        if (ok)
            *chosenPath = request.save ? WithAllowedExtension(scripted, request.types) : scripted;
        return ok;
    }
    return RunGtkFilePanel(parentWindow(), request, chosenPath);
}

bool GtkWindowSystem::OpenURL(const std::string& url)
{
    gchar* argv[] = {const_cast<gchar*>("xdg-open"), const_cast<gchar*>(url.c_str()), nullptr};
    GError* error = nullptr;
    const gboolean started = g_spawn_async(nullptr, argv, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr,
                                           &error);
    if (error)
        g_error_free(error);
    return started != FALSE;
}

bool GtkWindowSystem::GetPointerPosition(int* x, int* y)
{
    if (!onOwnerThread())
        return false;
    GdkDevice* pointer = pointerOf(gdk_display_get_default());
    if (!pointer)
        return false;
    gdk_device_get_position(pointer, nullptr, x, y);
    return true;
}

bool GtkWindowSystem::WarpPointer(int x, int y)
{
    if (!onOwnerThread())
        return false;
    GdkDisplay* display = gdk_display_get_default();
    GdkDevice* pointer = pointerOf(display);
    if (!pointer)
        return false;
    gdk_device_warp(pointer, gdk_display_get_default_screen(display), x, y);
    return true;
}

void GtkWindowSystem::RunUntilAllWindowsClosed()
{
    if (!onOwnerThread() || mWindows.empty() || mLoop)
        return;
    mLoop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(mLoop);
    g_main_loop_unref(mLoop);
    mLoop = nullptr;
}

void GtkWindowSystem::ProcessEvents(int milliseconds)
{
    if (!onOwnerThread())
        return;
    const gint64 deadline = g_get_monotonic_time() + static_cast<gint64>(std::max(0, milliseconds)) * 1000;
    do {
        while (g_main_context_pending(nullptr))
            g_main_context_iteration(nullptr, FALSE);
        if (GdkDisplay* display = gdk_display_get_default())
            gdk_display_sync(display);
        g_usleep(2000);
    } while (g_get_monotonic_time() < deadline);
    while (g_main_context_pending(nullptr))
        g_main_context_iteration(nullptr, FALSE);
}

}  // namespace

std::unique_ptr<WindowSystem> MakeGtkWindowSystem()
{
    if (!gtk_init_check(nullptr, nullptr))
        return nullptr;
    return std::make_unique<GtkWindowSystem>();
}

}  // namespace platform
