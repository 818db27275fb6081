#pragma once
// Dialog templates, modal dialogs and the window calls they use. A dialog
// runs in a window of the process's window system (GTK, or the headless one
// with scripted answers); its procedure gets WM_INITDIALOG before it shows
// and WM_COMMAND for every button, Return (IDOK) and close (IDCANCEL).
//
// Main thread: the window system refuses dialogs on other threads.

#include "dovor/win_types.h"

typedef INT_PTR (*DLGPROC)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

inline int LOWORD(WPARAM value) { return static_cast<int>(value & 0xFFFF); }

// One dialog template of the module, linked into a list.
struct DOVOR_DialogResourceIndex {
    int resid;                  // the dialog's id (IDD_...)
    const char* title;
    int width;
    int height;
    void (*createControls)(HWND dialog);  // adds the items; may be null
    DOVOR_DialogResourceIndex* next;
};

// Head of the module's template list; static initialisers prepend to it.
extern DOVOR_DialogResourceIndex* DOVOR_curmodule_dialogresource_head;

// Prepends record to the module's list and returns it. Static
// initialisation (single-threaded) only.
DOVOR_DialogResourceIndex* DOVOR_AddDialogResource(DOVOR_DialogResourceIndex* record);

// The template with that id in list, or null.
DOVOR_DialogResourceIndex* DOVOR_FindDialogResource(DOVOR_DialogResourceIndex* list, int id);

// Item classes a template's createControls adds.
enum class DOVOR_DialogItemClass { Static, Edit, Button };

// Adds an item at (x, y) of the dialog, w x h pixels; false for a null dialog.
bool DOVOR_AddDialogItem(HWND dialog, DOVOR_DialogItemClass itemClass, const char* text, int id, int x, int y,
    int w, int h);

// Runs the dialog with that id modally and returns the value given to
// EndDialog. It opens at the parent's top-left corner unless its procedure
// places it on WM_INITDIALOG. A close that the procedure leaves unhandled
// (returns 0 for IDCANCEL) ends the dialog with IDCANCEL, so the user can
// always leave it. -1 when there is no such template, no procedure, or no
// dialog can be shown.
INT_PTR DOVOR_DialogBox(DOVOR_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc, LPARAM param);

// Window records, so the window calls below have something to act on.
HWND DOVOR_CreateWindow(HWND parent, int x, int y, int width, int height);
bool DestroyWindow(HWND hwnd);

// SetWindowPos flags.
constexpr UINT SWP_NOMOVE = 0x1;
constexpr UINT SWP_NOSIZE = 0x2;
constexpr UINT SWP_NOZORDER = 0x4;

// Centres hwnd on its parent, both halves rounded down (no parent: unchanged).
void CenterWindow(HWND hwnd);
// Records result as the dialog's outcome and ends its modal run.
bool EndDialog(HWND hwnd, INT_PTR result);
// The window's rectangle on the screen; false (rect untouched) for a null window.
bool GetWindowRect(HWND hwnd, RECT* rect);
// Moves and sizes hwnd; SWP_NOMOVE keeps the position, SWP_NOSIZE the size
// (flags 6 keep the size).
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
