#include "Zelto2XDialogs.h"

#include <string>

#include "PatchSaveDialog.h"

void centerDialog(HWND parent, HWND dialog)
{
    RECT outer, inner;
    if (!GetWindowRect(parent, &outer) || !GetWindowRect(dialog, &inner))
        return;
    const int x = outer.left + (outer.right - outer.left) / 2 - (inner.right - inner.left) / 2;
    const int y = outer.top + (outer.bottom - outer.top) / 2 - (inner.bottom - inner.top) / 2;
    SetWindowPos(dialog, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

INT_PTR MessageBoxProg(HWND hwnd, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG) {
        CenterWindow(hwnd);
        return 1;
    }
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndDialog(hwnd, 1);
        return 1;
    }
    return 0;
}

INT_PTR showMessageBox(HWND parent, Zelto2X* editor, int dialogId, void*)
{
    return DOVOR_DialogBox(DOVOR_curmodule_dialogresource_head, dialogId, parent, MessageBoxProg,
        reinterpret_cast<LPARAM>(editor));
}

void buildPatchSaveDialog(HWND dialog)
{
    for (const PatchSaveDialogItem& item : IDD_PATCH_SAVE.items) {
        const std::string kind = item.kind;
        const DOVOR_DialogItemClass itemClass = kind == "edit" ? DOVOR_DialogItemClass::Edit
            : kind == "button"                                 ? DOVOR_DialogItemClass::Button
                                                               : DOVOR_DialogItemClass::Static;
        const RECT& r = item.place;
        DOVOR_AddDialogItem(dialog, itemClass, item.text, item.id, r.left, r.top, r.right - r.left, r.bottom - r.top);
    }
}
