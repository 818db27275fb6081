#pragma once
// The native form of a popup menu and the receiver of its choice. Each
// IPopupMenu item gives exactly one native item, so a native item's index
// in its menu is the item's index in its IPopupMenu. Main thread.

#include "platform/CocoaWindowSystem.h"

class IPopupMenu;

// Stores the chosen native item; the view reads it back after the menu closes.
class IGraphicsMenuRcvr_vZelto2X_64_au {
public:
    explicit IGraphicsMenuRcvr_vZelto2X_64_au(const platform::ViewRect& frame) : mFrame(frame) {}

    void OnMenuSelection(const platform::MenuChoice& sender) { nsMenuItem = sender; }
    // Null when nothing was chosen.
    const platform::MenuChoice* MenuItem() const { return nsMenuItem.menu ? &nsMenuItem : nullptr; }
    const platform::ViewRect& frame() const { return mFrame; }

private:
    platform::ViewRect mFrame;
    platform::MenuChoice nsMenuItem;
};

class IGraphicsNSMenu_vZelto2X_64_au : public platform::Menu {
public:
    // Builds the native items (submenus recursively, with the same receiver).
    // Returns this.
    IGraphicsNSMenu_vZelto2X_64_au* initWithIPopupMenuAndReciever(IPopupMenu* menu,
                                                                  IGraphicsMenuRcvr_vZelto2X_64_au* receiver);
    IPopupMenu* AssociatedIPopupMenu() const { return mIPopupMenu; }

private:
    IPopupMenu* mIPopupMenu = nullptr;
};
