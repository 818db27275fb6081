#include "IPopupMenu.h"

IPopupMenuItem::IPopupMenuItem(const char* text, int flags) : mText(text ? text : ""), mSubmenu(nullptr), mFlags(flags) {}

IPopupMenuItem::IPopupMenuItem(const char* text, IPopupMenu* submenu)
    : mText(text ? text : ""), mSubmenu(submenu), mFlags(kNoFlags)
{
}

static int withFlag(int flags, int flag, bool on) { return on ? (flags | flag) : (flags & ~flag); }

void IPopupMenuItem::SetChecked(bool checked) { mFlags = withFlag(mFlags, kChecked, checked); }
void IPopupMenuItem::SetEnabled(bool enabled) { mFlags = withFlag(mFlags, kDisabled, !enabled); }
void IPopupMenuItem::SetTitle(bool title) { mFlags = withFlag(mFlags, kTitle, title); }

IPopupMenu::~IPopupMenu() { mMenuItems.Empty(true); }

IPopupMenuItem* IPopupMenu::AddItem(IPopupMenuItem* item, int index)
{
    if (!item) return nullptr;
    if (index == -1 || index > mMenuItems.GetSize())
        mMenuItems.Add(item);
    else
        mMenuItems.Insert(index < 0 ? 0 : index, item);
    return item;
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags)
{
    return AddItem(new IPopupMenuItem(text, flags), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, IPopupMenu* submenu)
{
    return AddItem(new IPopupMenuItem(text, submenu), index);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu) { return AddItem(text, -1, submenu); }

IPopupMenuItem* IPopupMenu::AddSeparator(int index)
{
    return AddItem(new IPopupMenuItem("", IPopupMenuItem::kSeparator), index);
}

void IPopupMenu::SetPrefix(int count)
{
    if (count >= 0 && count <= 3) mPrefix = count;
}

ROZ_String IPopupMenu::GetPrefixText(int i) const
{
    static const char* const kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
    ROZ_String prefix;
    if (mPrefix > 0) prefix.SetFormatted(16, kFormats[mPrefix], i + 1);
    return prefix;
}

IPopupMenuItem* IPopupMenu::GetItem(int i) { return mMenuItems.Get(i); }

const char* IPopupMenu::GetItemText(int i)
{
    IPopupMenuItem* item = GetItem(i);
    return item ? item->GetText() : "";
}

bool IPopupMenu::CheckItem(int i, bool tick)
{
    IPopupMenuItem* item = GetItem(i);
    if (!item) return false;
    item->SetChecked(tick);
    return true;
}

void IPopupMenu::CheckItemAlone(int i)
{
    for (int k = 0; k < mMenuItems.GetSize(); ++k) mMenuItems.Get(k)->SetChecked(k == i);
}

bool IPopupMenu::IsItemChecked(int i)
{
    IPopupMenuItem* item = GetItem(i);
    return item && item->GetChecked();
}
