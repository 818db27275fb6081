#pragma once
// The GTK window system's modal parts: context menus, alerts, file panels
// and the window-system layer's dialogs. Private to the GTK back end; GTK's types are only named here.

#include <functional>
#include <memory>
#include <string>

#include "platform/CocoaWindowSystem.h"

typedef struct _GtkWidget GtkWidget;
typedef struct _GtkWindow GtkWindow;

namespace platform {

// Shows the menu four pixels below the rectangle of the drawing area (view
// coordinates, y upward) and runs the loop until it closes.
bool RunGtkContextMenu(GtkWidget* area, int viewHeight, const Menu& menu, const ViewRect& at, MenuChoice* choice);
AlertResponse RunGtkAlert(GtkWindow* parent, const AlertRequest& request);
bool RunGtkFilePanel(GtkWindow* parent, const FilePanelRequest& request, std::string* chosenPath);
// A dialog in a window of its own, modal over parent (may be null);
// takeAnswer gives the scripted commands, applied once the dialog shows.
std::unique_ptr<NativeDialog> MakeGtkDialog(GtkWindow* parent, const DialogRequest& request, DialogClient* client,
                                            std::function<bool(int*)> takeAnswer);

}  // namespace platform
