#include "IGraphicsNSMenu.h"

#include "IPopupMenu.h"

IGraphicsNSMenu_vZelto2X_64_au* IGraphicsNSMenu_vZelto2X_64_au::initWithIPopupMenuAndReciever(
    IPopupMenu* menu, IGraphicsMenuRcvr_vZelto2X_64_au* receiver)
{
    items.clear();
    mIPopupMenu = menu;
    if (!menu)
        return this;
    const int count = menu->GetNItems();
    items.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        IPopupMenuItem* source = menu->GetItem(i);
        platform::MenuItem& item = items[static_cast<size_t>(i)];
        // Separators and submenu entries take a number too: numbers are positions.
        item.title = std::string(menu->GetPrefixText(i).Get()) + source->GetText();
        if (IPopupMenu* submenu = source->GetSubmenu()) {
            // A submenu entry is always enabled; its own flags are not applied.
            auto native = std::make_unique<IGraphicsNSMenu_vZelto2X_64_au>();
            native->initWithIPopupMenuAndReciever(submenu, receiver);
            item.submenu = std::move(native);
        } else if (source->GetIsSeparator()) {
            item.separator = true;
        } else {
            item.indentation = source->GetIsTitle() ? 1 : 0;
            item.checked = source->GetChecked();
            item.enabled = source->GetEnabled();
        }
    }
    return this;
}
