// The GTK window's text field (a GtkEntry over the view), its context menus,
// and the events and captures scripts ask for.
#include "platform/GtkDialogs.h"
#include "platform/GtkNativeWindow.h"

#include <vector>

namespace platform {
namespace gtkwindow {

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
    // A field that has the focus keeps it: grabbing it again would select its
    // text, and the next character would replace everything typed so far.
    GtkWidget* target = mEntry ? mEntry : mArea;
    if (!gtk_widget_is_focus(target))
        gtk_widget_grab_focus(target);
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

}  // namespace gtkwindow
}  // namespace platform
