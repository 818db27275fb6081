// The window system on GTK 3: a top-level window with a drawing area for the
// view, file choosers, message dialogs and xdg-open for URLs. The text field,
// menus and scripted events are in GtkWindowInput.cpp.
#include "platform/GtkWindowSystem.h"

#include "platform/GtkDialogs.h"
#include "platform/GtkNativeWindow.h"

#include <cstdio>

namespace platform {
namespace gtkwindow {

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

namespace {

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

}  // namespace

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
GtkNativeWindow::GtkNativeWindow(GtkWindowSystem* system, GtkWidget* toplevel, bool mapByItself, int width,
                                 int height, const std::string& title, WindowClient* client)
    : mSystem(system), mClient(client), mWidth(std::max(1, width)), mHeight(std::max(1, height)), mWindow(toplevel)
{
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
    g_signal_connect(mWindow, "destroy-event", G_CALLBACK(onParentGone), this);
    g_signal_connect(mArea, "draw", G_CALLBACK(onDraw), this);
    g_signal_connect(mArea, "button-press-event", G_CALLBACK(onButton), this);
    g_signal_connect(mArea, "button-release-event", G_CALLBACK(onButton), this);
    g_signal_connect(mArea, "motion-notify-event", G_CALLBACK(onMotion), this);
    g_signal_connect(mArea, "scroll-event", G_CALLBACK(onScroll), this);
    g_signal_connect(mArea, "key-press-event", G_CALLBACK(onKey), this);
    gtk_widget_show_all(mWindow);
    // A plug waits for its socket to map it; a window of another kind never will.
    if (mapByItself)
        gdk_window_show(gtk_widget_get_window(mWindow));
    gtk_widget_grab_focus(mArea);
}

GtkNativeWindow::~GtkNativeWindow()
{
    mSystem->Forget(this);
    if (mEntry)
        CloseTextField();
    g_signal_handlers_disconnect_by_data(mWindow, this);
    g_signal_handlers_disconnect_by_data(mArea, this);
    destroyWindowWidget(mWindow);
    if (mImage)
        cairo_surface_destroy(mImage);
    if (mScreenImage)
        cairo_surface_destroy(mScreenImage);
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
        if (mScreenImage)
            cairo_surface_destroy(mScreenImage);
        mScreenImage = nullptr;
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
    // Through a picture on the X server: painted straight onto the window of
    // a view inside another window of ours (a plug in a socket), an image
    // never shows.
    if (!mScreenImage)
        mScreenImage = cairo_surface_create_similar(cairo_get_target(mDrawing), CAIRO_CONTENT_COLOR, width, height);
    if (x1 > x0 && y1 > y0) {
        cairo_t* upload = cairo_create(mScreenImage);
        cairo_rectangle(upload, x0, y0, x1 - x0, y1 - y0);
        cairo_clip(upload);
        cairo_set_source_surface(upload, mImage, 0, 0);
        cairo_set_operator(upload, CAIRO_OPERATOR_SOURCE);
        cairo_paint(upload);
        cairo_destroy(upload);
    }
    cairo_set_source_surface(mDrawing, mScreenImage, 0, 0);
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

// Our window was destroyed from outside, mostly with the window it was
// inside: the view was taken away, as if the user had closed it.
gboolean GtkNativeWindow::onParentGone(GtkWidget*, GdkEvent*, gpointer data)
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

std::unique_ptr<NativeDialog> GtkWindowSystem::MakeDialog(const DialogRequest& request, DialogClient* client)
{
    if (!onOwnerThread() || !client)
        return nullptr;
    return MakeGtkDialog(parentWindow(), request, client,
                         [this, request](int* command) { return TakeDialogAnswer(request, command); });
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

// A file (the manual, the data folder) opens in the application the desktop
// names for its type, an address in the default browser. Where none is
// registered the answer is false, so the caller can tell the user where to
// look instead of leaving the click without an effect.
bool GtkWindowSystem::OpenURL(const std::string& url)
{
    const bool address = url.find("://") != std::string::npos;
    GFile* file = address ? g_file_new_for_uri(url.c_str()) : g_file_new_for_path(url.c_str());
    gchar* uri = g_file_get_uri(file);
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch_default_for_uri(uri, nullptr, &error);
    if (error) {
        std::fprintf(stderr, "Cannot open %s: %s\n", url.c_str(), error->message);
        g_error_free(error);
    }
    g_free(uri);
    g_object_unref(file);
    return launched != FALSE;
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

}  // namespace gtkwindow

std::unique_ptr<WindowSystem> MakeGtkWindowSystem()
{
    if (!gtk_init_check(nullptr, nullptr))
        return nullptr;
    return std::make_unique<gtkwindow::GtkWindowSystem>();
}

}  // namespace platform
