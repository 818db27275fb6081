#pragma once
// The "Enter Bank Name" dialog template. The editor registers it with the
// window layer's dialog resources at start-up; nothing in the editor opens it.

#include "dovor/win_types.h"

struct PatchSaveDialogItem {
    const char* kind;  // "label", "edit" or "button"
    const char* text;
    int id;            // -1 for a label without an id
    RECT place;        // pixels in the dialog
};

struct PatchSaveDialogRecord {
    int resourceId;
    const char* title;
    int windowTypeFlags;
    int width;
    int height;
    PatchSaveDialogItem items[4];
};

// Label and field across the top, the two buttons in the lower right corner.
inline constexpr PatchSaveDialogRecord IDD_PATCH_SAVE{10014, "Enter Bank Name", 12, 396, 144,
    {{"label", "Bank Name", -1, {12, 16, 372, 36}}, {"edit", "", 10013, {12, 40, 384, 66}},
        {"button", "&Cancel", 2, {196, 100, 284, 130}}, {"button", "&OK    ", 10006, {296, 100, 384, 130}}}};

// Adds the template's items to a dialog being created (its createControls).
void buildPatchSaveDialog(HWND dialog);
