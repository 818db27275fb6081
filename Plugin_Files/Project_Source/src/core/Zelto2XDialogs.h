#pragma once
// The editor's modal dialogs on the window-system layer: a dialog template
// of the module shown over a parent window, centred on it, ended by Return.
//
// Main thread: the window system refuses dialogs on other threads.

#include "dovor/dialogs.h"

class Zelto2X;

// Moves dialog so that its centre lies on parent's centre (both halves
// rounded down); its size stays.
void centerDialog(HWND parent, HWND dialog);

// The dialog procedure of showMessageBox: centres the dialog when it opens
// and ends it with 1 on IDOK (Return). 1 for those two messages, else 0.
INT_PTR MessageBoxProg(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// Runs the module's dialog template dialogId modally over parent and
// returns its result (1 after Return, IDCANCEL after a close, -1 when it
// cannot be shown). The last argument is not used.
INT_PTR showMessageBox(HWND parent, Zelto2X* editor, int dialogId, void* unused);
