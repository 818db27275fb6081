#pragma once
// Dialog templates and the dialog calls. Nothing in this system shows a
// dialog: the calls keep the editor's dialog functions compiling and behave
// as a window system that has no display would.

#include "dovor/win_types.h"

typedef INT_PTR (*DLGPROC)(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// One dialog template of the module, linked into a list.
struct DOVOR_DialogResourceIndex {
    int resid;                  // the dialog's id (IDD_...)
    const char* title;
    int width;
    int height;
    void (*createControls)(HWND dialog);  // may be null
    DOVOR_DialogResourceIndex* next;
};

// Head of the module's template list; static initialisers prepend to it.
extern DOVOR_DialogResourceIndex* DOVOR_curmodule_dialogresource_head;

// Prepends record to the module's list and returns it. Static
// initialisation (single-threaded) only.
DOVOR_DialogResourceIndex* DOVOR_AddDialogResource(DOVOR_DialogResourceIndex* record);

// The template with that id in list, or null.
DOVOR_DialogResourceIndex* DOVOR_FindDialogResource(DOVOR_DialogResourceIndex* list, int id);

// Would run the dialog modally; without a display it shows nothing and
// returns -1 (the value of a dialog that could not be created).
INT_PTR DOVOR_DialogBox(DOVOR_DialogResourceIndex* list, int id, HWND parent, DLGPROC proc, LPARAM param);

// Window records, so the window calls below have something to act on.
HWND DOVOR_CreateWindow(HWND parent, int x, int y, int width, int height);
bool DestroyWindow(HWND hwnd);

// SetWindowPos flags.
constexpr UINT SWP_NOMOVE = 0x1;
constexpr UINT SWP_NOSIZE = 0x2;
constexpr UINT SWP_NOZORDER = 0x4;

// Centres hwnd on its parent (no parent: unchanged).
void CenterWindow(HWND hwnd);
// Records result as the dialog's outcome.
bool EndDialog(HWND hwnd, INT_PTR result);
// The window's rectangle; false (rect untouched) for a null window.
bool GetWindowRect(HWND hwnd, RECT* rect);
// Moves and sizes hwnd; SWP_NOMOVE keeps the position, SWP_NOSIZE the size
// (flags 6 keep the size).
bool SetWindowPos(HWND hwnd, HWND insertAfter, int x, int y, int width, int height, UINT flags);
