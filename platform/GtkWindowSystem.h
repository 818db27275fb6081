#pragma once
// The window system on GTK 3. No GTK type appears here.

#include <memory>

#include "platform/CocoaWindowSystem.h"

namespace platform {

// Opens the default display; null when there is none. Main thread.
std::unique_ptr<WindowSystem> MakeGtkWindowSystem();

}  // namespace platform
