#pragma once
// Mouse and key events as the window system hands them to a view (y upward).

#include <string>

#include "platform/CocoaWindowSystem.h"

inline platform::MouseEvent mouse(platform::MouseEventKind kind, double x, double y, int clicks = 1)
{
    platform::MouseEvent event;
    event.kind = kind;
    event.x = x;
    event.y = y;
    event.clickCount = clicks;
    return event;
}

inline platform::KeyEvent key(int code, const std::string& characters)
{
    platform::KeyEvent event;
    event.keyCode = code;
    event.characters = characters;
    return event;
}
