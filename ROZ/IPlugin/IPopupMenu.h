#pragma once
// Platform-neutral popup menu: items with flags and submenus, an optional
// number prefix, and the index the user chose. The back end turns it into a
// native menu and returns the (sub)menu that holds the choice.
//
// Menus are built, shown and read on the main thread only.

#include "ptrlist.h"
#include "wdlstring.h"

class IPopupMenu;

class IPopupMenuItem {
public:
    enum Flags { kNoFlags = 0, kDisabled = 1 << 0, kTitle = 1 << 1, kChecked = 1 << 2, kSeparator = 1 << 3 };

    IPopupMenuItem(const char* text, int flags = kNoFlags);
    IPopupMenuItem(const char* text, IPopupMenu* submenu);

    const char* GetText() const { return mText.Get(); }
    void SetText(const char* text) { mText.Set(text ? text : ""); }
    IPopupMenu* GetSubmenu() const { return mSubmenu; }  // not owned
    int GetFlags() const { return mFlags; }
    void SetFlags(int flags) { mFlags = flags; }

    bool GetEnabled() const { return !(mFlags & kDisabled); }
    bool GetChecked() const { return (mFlags & kChecked) != 0; }
    bool GetIsTitle() const { return (mFlags & kTitle) != 0; }
    bool GetIsSeparator() const { return (mFlags & kSeparator) != 0; }

    void SetChecked(bool checked);
    void SetEnabled(bool enabled);
    void SetTitle(bool title);

private:
    ROZ_String mText;
    IPopupMenu* mSubmenu;
    int mFlags;
};

class IPopupMenu {
public:
    IPopupMenu() = default;
    ~IPopupMenu();  // deletes the items, never their submenus

    IPopupMenu(const IPopupMenu&) = delete;
    IPopupMenu& operator=(const IPopupMenu&) = delete;

    // Index -1 or above the count appends; another negative index inserts at
    // the front; otherwise the item goes before position index. The menu
    // takes ownership of the item.
    IPopupMenuItem* AddItem(IPopupMenuItem* item, int index = -1);
    IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
    IPopupMenuItem* AddItem(const char* text, int index, IPopupMenu* submenu);
    IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
    IPopupMenuItem* AddSeparator(int index = -1);

    // Style 0 none, 1 "%1d: ", 2 "%02d: ", 3 "%03d: "; other values ignored.
    void SetPrefix(int count);
    int GetPrefix() const { return mPrefix; }
    // The number prefix text for item i under the current style ("" for none).
    ROZ_String GetPrefixText(int i) const;

    int GetNItems() const { return mMenuItems.GetSize(); }
    IPopupMenuItem* GetItem(int i);  // null when out of range
    // Empty text for an item without text, and for an index out of range.
    const char* GetItemText(int i);

    bool CheckItem(int i, bool tick);  // false when there is no item i
    void CheckItemAlone(int i);        // i outside the menu clears every tick
    bool IsItemChecked(int i);

    int GetChosenItemIdx() const { return mChosenItemIdx; }
    void SetChosenItemIdx(int i) { mChosenItemIdx = i; }

    bool GetCanMultiCheck() const { return mCanMultiCheck; }
    void SetMultiCheck(bool multi) { mCanMultiCheck = multi; }

    // The item list itself, for callers that empty or walk it directly.
    ROZ_PtrList<IPopupMenuItem>* GetItems() { return &mMenuItems; }

    int mChosenItemIdx = -1;  // read and set directly by menu callers

private:
    ROZ_PtrList<IPopupMenuItem> mMenuItems;
    int mPrefix = 0;
    bool mCanMultiCheck = false;
};
