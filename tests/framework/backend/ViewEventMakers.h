#pragma once
// Mouse and key events as the window system hands them to a view (y upward).

#include <string>

#include "platform/CocoaWindowSystem.h"

inline platform::MouseEvent mouse(platform::MouseEventKind kind, double x, double y, int clicks = 1,
                                  platform::ModifierKeys mods = {})
{
    return platform::MouseEvent {kind, x, y, clicks, mods};
}

inline platform::MouseEvent wheel(double x, double y, double steps)
{
    return platform::MouseEvent {platform::MouseEventKind::Wheel, x, y, 1, {}, steps};
}

inline platform::KeyEvent key(int code, const std::string& characters)
{
    return platform::KeyEvent {code, characters, {}};
}
