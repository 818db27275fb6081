// Views inside windows that are not theirs, and child windows over a host's
// window, on X11 through GDK: a view goes inside another window as a
// GtkPlug, and a child window holds a GtkSocket for the view and names the
// host's window as the one it stays in front of (WM_TRANSIENT_FOR).
//
// Other programs' windows are asked about at the X server itself: GDK keeps
// what it saw when it first wrapped a window, and a window id that another
// program freed may come back as a new window.
#include "platform/GtkNativeWindow.h"

// After our headers: Xlib defines names such as None as macros.
#include <X11/Xutil.h>
#include <gtk/gtkx.h>

namespace platform {
namespace gtkwindow {

namespace {

GdkDisplay* x11Display()
{
    GdkDisplay* display = gdk_display_get_default();
    return display && GDK_IS_X11_DISPLAY(display) ? display : nullptr;
}

// The window's attributes as the X server has them now; false when there is no such window.
bool currentAttributes(GdkDisplay* display, WindowId window, XWindowAttributes* attributes)
{
    if (!window)
        return false;
    gdk_x11_display_error_trap_push(display);
    const Status got = XGetWindowAttributes(gdk_x11_display_get_xdisplay(display), window, attributes);
    return gdk_x11_display_error_trap_pop(display) == 0 && got != 0;
}

class X11ChildWindow : public ChildWindow {
public:
    X11ChildWindow(WindowId host, const ScreenFrame& frame)
    {
        mWindow = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(mWindow), FALSE);
        gtk_window_set_resizable(GTK_WINDOW(mWindow), FALSE);
        gtk_window_move(GTK_WINDOW(mWindow), frame.x, frame.y);
        mSocket = gtk_socket_new();
        gtk_widget_set_size_request(mSocket, std::max(1, frame.width), std::max(1, frame.height));
        gtk_container_add(GTK_CONTAINER(mWindow), mSocket);
        gtk_widget_realize(mWindow);
        GdkWindow* ours = gtk_widget_get_window(mWindow);
        GdkDisplay* display = gdk_window_get_display(ours);
        gdk_x11_display_error_trap_push(display);
        XSetTransientForHint(gdk_x11_display_get_xdisplay(display), gdk_x11_window_get_xid(ours), host);
        gdk_x11_display_error_trap_pop_ignored(display);  // a host window gone meanwhile leaves ours free
        gtk_widget_show_all(mWindow);
    }
    ~X11ChildWindow() override { gtk_widget_destroy(mWindow); }
    WindowId ContentId() const override { return gtk_socket_get_id(GTK_SOCKET(mSocket)); }
    void OrderFront() override
    {
        gtk_window_present(GTK_WINDOW(mWindow));
        gdk_window_raise(gtk_widget_get_window(mWindow));
    }

private:
    GtkWidget* mWindow;
    GtkWidget* mSocket;
};

}  // namespace

GtkWidget* makePlugInside(WindowId parent, bool* mapByItself)
{
    GdkDisplay* display = x11Display();
    XWindowAttributes attributes;
    if (!display || !currentAttributes(display, parent, &attributes))
        return nullptr;
    GdkWindow* ours = gdk_x11_window_lookup_for_display(display, parent);
    *mapByItself = !ours || gdk_window_get_window_type(ours) == GDK_WINDOW_FOREIGN;
    if (!*mapByItself) {
        // Of our own windows only a socket takes a plug.
        gpointer owner = nullptr;
        gdk_window_get_user_data(ours, &owner);
        if (!owner || !GTK_IS_SOCKET(owner))
            return nullptr;
    }
    return gtk_plug_new(parent);
}

void destroyWindowWidget(GtkWidget* window)
{
    GdkDisplay* display = x11Display();
    if (!display) {
        gtk_widget_destroy(window);
        return;
    }
    // A plug whose parent went first still tells the parent and its own X
    // window it is leaving; the X server no longer has either.
    gdk_x11_display_error_trap_push(display);
    gtk_widget_destroy(window);
    gdk_x11_display_error_trap_pop_ignored(display);
}

bool x11WindowFrame(WindowId window, ScreenFrame* frame)
{
    GdkDisplay* display = x11Display();
    XWindowAttributes attributes;
    if (!display || !currentAttributes(display, window, &attributes))
        return false;
    int x = 0, y = 0;
    ::Window child = 0;
    gdk_x11_display_error_trap_push(display);
    const Bool onScreen = XTranslateCoordinates(gdk_x11_display_get_xdisplay(display), window, attributes.root, 0, 0,
                                                &x, &y, &child);
    if (gdk_x11_display_error_trap_pop(display) != 0 || !onScreen)
        return false;
    *frame = ScreenFrame{x, y, attributes.width, attributes.height};
    return true;
}

std::unique_ptr<ChildWindow> makeX11ChildWindow(WindowId parent, const ScreenFrame& frame)
{
    GdkDisplay* display = x11Display();
    XWindowAttributes attributes;
    if (!display || !currentAttributes(display, parent, &attributes))
        return nullptr;
    return std::make_unique<X11ChildWindow>(parent, frame);
}

}  // namespace gtkwindow
}  // namespace platform
