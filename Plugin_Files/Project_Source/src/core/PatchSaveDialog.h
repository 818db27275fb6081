#pragma once
// The "Enter Bank Name" dialog template. The editor registers it with the
// window layer's dialog resources at start-up; nothing opens it.

struct PatchSaveDialogItem {
    const char* kind;  // "label", "edit" or "button"
    const char* text;
    int id;            // -1 for a label without an id
};

struct PatchSaveDialogRecord {
    int resourceId;
    const char* title;
    int windowTypeFlags;
    int width;
    int height;
    PatchSaveDialogItem items[4];
};

inline constexpr PatchSaveDialogRecord IDD_PATCH_SAVE{
    10014, "Enter Bank Name", 12, 396, 144,
    {{"label", "Bank Name", -1}, {"edit", "", 10013}, {"button", "&Cancel", 2}, {"button", "&OK    ", 10006}}};
