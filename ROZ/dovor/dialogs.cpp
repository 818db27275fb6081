#include "dovor/dialogs.h"

#include <new>

// The layer's window record behind an HWND.
struct HWND__ {
    RECT rect;
    HWND parent;
    INT_PTR dialogResult;
    bool ended;
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

INT_PTR DOVOR_DialogBox(DOVOR_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc, LPARAM param)
{
    return -1;
}

HWND DOVOR_CreateWindow(HWND parent, int x, int y, int width, int height)
{
    return new (std::nothrow) HWND__{RECT{x, y, x + width, y + height}, parent, 0, false};
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
    RECT& inner = hwnd->rect;
    const int width = inner.right - inner.left;
    const int height = inner.bottom - inner.top;
    inner.left = outer.left + (outer.right - outer.left - width) / 2;
    inner.top = outer.top + (outer.bottom - outer.top - height) / 2;
    inner.right = inner.left + width;
    inner.bottom = inner.top + height;
}

bool EndDialog(HWND hwnd, INT_PTR result)
{
    if (!hwnd)
        return false;
    hwnd->dialogResult = result;
    hwnd->ended = true;
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
    return true;
}
