#include "dovor/dialogs.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

#include "platform/CocoaWindowSystem.h"

// The layer's window record behind an HWND.
struct HWND__ {
    RECT rect;
    HWND parent;
    INT_PTR dialogResult = 0;
    bool ended = false;
    DLGPROC proc = nullptr;
    std::vector<platform::DialogItem> items;
    std::unique_ptr<platform::NativeDialog> native;  // while the dialog runs
};

DOVOR_DialogResourceIndex* DOVOR_curmodule_dialogresource_head = nullptr;

DOVOR_DialogResourceIndex* DOVOR_AddDialogResource(DOVOR_DialogResourceIndex* record)
{
    if (record) {
        record->next = DOVOR_curmodule_dialogresource_head;
        DOVOR_curmodule_dialogresource_head = record;
    }
    return record;
}

DOVOR_DialogResourceIndex* DOVOR_FindDialogResource(DOVOR_DialogResourceIndex* list, int id)
{
    for (DOVOR_DialogResourceIndex* record = list; record; record = record->next) {
        if (record->resid == id)
            return record;
    }
    return nullptr;
}

bool DOVOR_AddDialogItem(HWND dialog, DOVOR_DialogItemClass itemClass, const char* text, int id, int x, int y,
    int w, int h)
{
    if (!dialog)
        return false;
    platform::DialogItem item;
    item.kind = itemClass == DOVOR_DialogItemClass::Edit ? platform::DialogItemKind::Edit
        : itemClass == DOVOR_DialogItemClass::Button     ? platform::DialogItemKind::Button
                                                         : platform::DialogItemKind::Label;
    item.text = text ? text : "";
    item.id = id;
    item.x = x;
    item.y = y;
    item.w = w;
    item.h = h;
    dialog->items.push_back(item);
    return true;
}

namespace {

// Hands what the user does in the window to the dialog procedure.
class DialogRun : public platform::DialogClient {
public:
    explicit DialogRun(HWND dialog) : mDialog(dialog) {}
    void DialogCommand(int id) override
    {
        // BN_CLICKED (0) in the high word, as a button sends it.
        const INT_PTR handled = mDialog->proc(mDialog, WM_COMMAND, static_cast<WPARAM>(id) & 0xFFFF, 0);
        if (id == IDCANCEL && !handled && !mDialog->ended)
            EndDialog(mDialog, IDCANCEL);
    }

private:
    HWND mDialog;
};

void showAt(HWND hwnd)
{
    if (hwnd->native) {
        const RECT& r = hwnd->rect;
        hwnd->native->SetFrame(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
}

}  // namespace

INT_PTR DOVOR_DialogBox(DOVOR_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc, LPARAM param)
{
    DOVOR_DialogResourceIndex* resource = DOVOR_FindDialogResource(list, id);
    if (!resource || !proc)
        return -1;
    const int x = parent ? parent->rect.left : 0;
    const int y = parent ? parent->rect.top : 0;
    std::unique_ptr<HWND__, bool (*)(HWND)> dialog(DOVOR_CreateWindow(parent, x, y, resource->width, resource->height),
        DestroyWindow);
    if (!dialog)
        return -1;
    dialog->proc = proc;
    if (resource->createControls)
        resource->createControls(dialog.get());
    platform::DialogRequest request;
    request.title = resource->title ? resource->title : "";
    request.width = resource->width;
    request.height = resource->height;
    request.items = dialog->items;
    DialogRun run(dialog.get());
    dialog->native = platform::WindowSystem::Shared().MakeDialog(request, &run);
    if (!dialog->native)
        return -1;
    proc(dialog.get(), WM_INITDIALOG, 0, param);
    if (!dialog->ended) {
        showAt(dialog.get());
        dialog->native->RunModal();
    }
    return dialog->dialogResult;
}

HWND DOVOR_CreateWindow(HWND parent, int x, int y, int width, int height)
{
    HWND window = new (std::nothrow) HWND__;
    if (window) {
        window->rect = RECT{x, y, x + width, y + height};
        window->parent = parent;
    }
    return window;
}

bool DestroyWindow(HWND hwnd)
{
    if (!hwnd)
        return false;
    delete hwnd;
    return true;
}

void CenterWindow(HWND hwnd)
{
    if (!hwnd || !hwnd->parent)
        return;
    const RECT& outer = hwnd->parent->rect;
    const RECT& inner = hwnd->rect;
    const int x = outer.left + (outer.right - outer.left) / 2 - (inner.right - inner.left) / 2;
    const int y = outer.top + (outer.bottom - outer.top) / 2 - (inner.bottom - inner.top) / 2;
    SetWindowPos(hwnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

bool EndDialog(HWND hwnd, INT_PTR result)
{
    if (!hwnd)
        return false;
    hwnd->dialogResult = result;
    hwnd->ended = true;
    if (hwnd->native)
        hwnd->native->EndModal();
    return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect)
{
    if (!hwnd || !rect)
        return false;
    *rect = hwnd->rect;
    return true;
}

bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    if (!hwnd)
        return false;
    RECT& r = hwnd->rect;
    const int oldWidth = r.right - r.left;
    const int oldHeight = r.bottom - r.top;
    if (!(flags & SWP_NOMOVE)) {
        r.left = x;
        r.top = y;
    }
    const int newWidth = (flags & SWP_NOSIZE) ? oldWidth : width;
    const int newHeight = (flags & SWP_NOSIZE) ? oldHeight : height;
    r.right = r.left + newWidth;
    r.bottom = r.top + newHeight;
    showAt(hwnd);
    return true;
}
