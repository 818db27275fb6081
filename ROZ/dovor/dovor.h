#pragma once
// The window-system layer: Win32-style types, memory drawing contexts, fonts
// and text flags, modal dialogs. Timing is in dovor/timing.h.
//
// Threads: the drawing context, font and window calls are used by the
// graphics surface on the main thread; each object belongs to one thread at
// a time and the layer takes no lock.

#include "dovor/win_types.h"
#include "dovor/memory_dc.h"
#include "dovor/fonts.h"
#include "dovor/dialogs.h"
