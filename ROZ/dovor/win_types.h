#pragma once
// Win32-style handle and value types of the window-system layer.

#include <cstdint>

typedef unsigned int UINT;
typedef uintptr_t WPARAM;
typedef intptr_t LPARAM;
typedef intptr_t INT_PTR;

// Integer rectangle; right and bottom lie one past the last column and row.
struct RECT {
    int left;
    int top;
    int right;
    int bottom;
};

// Handles are pointers to structures the layer defines privately, so the
// compiler refuses a font where a window is expected.
typedef struct HWND__* HWND;
typedef struct HGDIOBJ__* HGDIOBJ;
typedef struct HDC__* HDC;
