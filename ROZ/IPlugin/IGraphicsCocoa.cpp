// The view: window, redraw timer and event translation. Text entry and
// menus are in IGraphicsCocoaPrompts.cpp.
#include "IGraphicsCocoa.h"

#include "CocoaFormatter.h"
#include "IGraphicsMac.h"

namespace {

const char kWindowTitle[] = "Zelto2X Editor";

// Key numbers of the surface's OnKeyDown.
enum { kKeySpace = 0, kKeyUp = 1, kKeyDown = 2, kKeyLeft = 3, kKeyRight = 4, kKeyDigit0 = 5, kKeyLetterA = 15 };

int utf8CharacterCount(const std::string& text)
{
    int count = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80)
            ++count;
    return count;
}

// Arrows by key code first, then the space bar by key code, then the character.
int keyNumberFor(const platform::KeyEvent& event)
{
    switch (event.keyCode) {
    case platform::kKeyCodeUpArrow: return kKeyUp;
    case platform::kKeyCodeDownArrow: return kKeyDown;
    case platform::kKeyCodeLeftArrow: return kKeyLeft;
    case platform::kKeyCodeRightArrow: return kKeyRight;
    case platform::kKeyCodeSpace: return kKeySpace;
    default: break;
    }
    const char c = event.characters[0];
    if (c >= '0' && c <= '9')
        return kKeyDigit0 + (c - '0');
    if (c >= 'a' && c <= 'z')
        return kKeyLetterA + (c - 'a');
    if (c >= 'A' && c <= 'Z')
        return kKeyLetterA + (c - 'A');
    return -1;
}

// A left-button event carries R when the command key is held, so a
// command-click reaches the controls as a right click.
IMouseMod modifiersFor(const platform::MouseEvent& event, bool left, bool right)
{
    return IMouseMod(left, right || (left && event.mods.command), event.mods.shift, event.mods.control,
                     event.mods.option);
}

}  // namespace

IGraphicsCocoa_vZelto2X_64_au::IGraphicsCocoa_vZelto2X_64_au() = default;

IGraphicsCocoa_vZelto2X_64_au::~IGraphicsCocoa_vZelto2X_64_au()
{
    killTimer();
    closeTextField();
}

IGraphicsCocoa_vZelto2X_64_au* IGraphicsCocoa_vZelto2X_64_au::initWithIGraphics(IGraphicsMac* graphics,
                                                                                platform::WindowId superview)
{
    mGraphics = graphics;
    if (!graphics)
        return this;
    platform::WindowSystem& system = platform::WindowSystem::Shared();
    mWindow = system.MakeWindow(graphics->Width(), graphics->Height(), kWindowTitle, this, superview);
    if (!mWindow) {
        mGraphics = nullptr;
        return nullptr;
    }
    // The first draw shows the whole surface, as a view shows itself when it enters a window.
    mWindow->SetNeedsDisplayInRect(platform::ViewRect{0, 0, double(graphics->Width()), double(graphics->Height())});
    const int timerId = ++mTimerId;
    const int fps = graphics->FPS() > 0 ? graphics->FPS() : 25;
    mTimer = system.ScheduleRepeatingTimer(1.0 / fps, [this, timerId] { onTimer(timerId); });
    return this;
}

void IGraphicsCocoa_vZelto2X_64_au::onTimer(int timerId)
{
    if (timerId != mTimerId || !mTimer || !mGraphics || !mWindow)
        return;
    IRECT r;
    if (!mGraphics->IsDirty(&r))
        return;
    mWindow->SetNeedsDisplayInRect(mGraphics->ToCocoaRect(r));
}

void IGraphicsCocoa_vZelto2X_64_au::drawRect(const platform::ViewRect& rect)
{
    if (!mGraphics)
        return;
    const int x = static_cast<int>(rect.x), y = static_cast<int>(rect.y);
    const int w = static_cast<int>(rect.w), h = static_cast<int>(rect.h);
    const int height = mGraphics->Height();
    IRECT r(x, height - (y + h), x + w, height - y);
    mGraphics->Draw(&r);
}

void IGraphicsCocoa_vZelto2X_64_au::killTimer()
{
    mTimer.reset();
    ++mTimerId;
}

void IGraphicsCocoa_vZelto2X_64_au::removeFromSuperview()
{
    endUserInput();
    mWindow.reset();
    if (!mGraphics)
        return;
    IGraphicsMac* graphics = mGraphics;
    mGraphics = nullptr;
    graphics->CloseWindow();  // may delete this view: keep it the last statement
}

// ---- Mouse and keys

bool IGraphicsCocoa_vZelto2X_64_au::getMouseXY(const platform::MouseEvent& event, int* x, int* y)
{
    if (!mGraphics)
        return false;
    // The offsets of 2 and 3 pixels are part of the mapping.
    *x = static_cast<int>(event.x) - 2;
    *y = mGraphics->Height() - static_cast<int>(event.y) - 3;
    mPrevX = *x;
    mPrevY = *y;
    return true;
}

void IGraphicsCocoa_vZelto2X_64_au::HandleMouse(const platform::MouseEvent& event)
{
    switch (event.kind) {
    case platform::MouseEventKind::Down: mouseDown(event); break;
    case platform::MouseEventKind::Up: mouseUp(event); break;
    case platform::MouseEventKind::Dragged: mouseDragged(event); break;
    case platform::MouseEventKind::RightDown: rightMouseDown(event); break;
    case platform::MouseEventKind::RightUp: rightMouseUp(event); break;
    case platform::MouseEventKind::RightDragged: rightMouseDragged(event); break;
    case platform::MouseEventKind::Moved: mouseMoved(event); break;
    case platform::MouseEventKind::Wheel: scrollWheel(event); break;
    }
}

void IGraphicsCocoa_vZelto2X_64_au::mouseDown(const platform::MouseEvent& event)
{
    int x, y;
    if (!getMouseXY(event, &x, &y))
        return;
    IMouseMod mod = modifiersFor(event, true, false);
    if (event.clickCount >= 2)
        mGraphics->OnMouseDblClick(x, y, &mod);
    else
        mGraphics->OnMouseDown(x, y, &mod);
}

void IGraphicsCocoa_vZelto2X_64_au::forwardMouse(const platform::MouseEvent& event, bool right,
                                                 void (IGraphics::*handler)(int, int, IMouseMod*))
{
    int x, y;
    if (!getMouseXY(event, &x, &y))
        return;
    IMouseMod mod = modifiersFor(event, !right, right);
    (mGraphics->*handler)(x, y, &mod);
}

void IGraphicsCocoa_vZelto2X_64_au::mouseUp(const platform::MouseEvent& event)
{
    forwardMouse(event, false, &IGraphics::OnMouseUp);
}

void IGraphicsCocoa_vZelto2X_64_au::mouseDragged(const platform::MouseEvent& event)
{
    if (!mTextFieldView)
        forwardMouse(event, false, &IGraphics::OnMouseDrag);
}

void IGraphicsCocoa_vZelto2X_64_au::rightMouseDown(const platform::MouseEvent& event)
{
    forwardMouse(event, true, &IGraphics::OnMouseDown);
}

void IGraphicsCocoa_vZelto2X_64_au::rightMouseUp(const platform::MouseEvent& event)
{
    forwardMouse(event, true, &IGraphics::OnMouseUp);
}

void IGraphicsCocoa_vZelto2X_64_au::rightMouseDragged(const platform::MouseEvent& event)
{
    if (!mTextFieldView)
        forwardMouse(event, true, &IGraphics::OnMouseDrag);
}

void IGraphicsCocoa_vZelto2X_64_au::mouseMoved(const platform::MouseEvent& event)
{
    int x, y;
    if (!getMouseXY(event, &x, &y))
        return;
    IMouseMod mod = modifiersFor(event, true, false);
    mGraphics->OnMouseOver(x, y, &mod);
}

void IGraphicsCocoa_vZelto2X_64_au::scrollWheel(const platform::MouseEvent& event)
{
    if (!mGraphics)
        return;
    endUserInput();
    int x, y;
    if (!getMouseXY(event, &x, &y))
        return;
    IMouseMod mod = modifiersFor(event, true, false);
    mGraphics->OnMouseWheel(x, y, &mod, static_cast<int>(event.deltaY));
}

bool IGraphicsCocoa_vZelto2X_64_au::keyDown(const platform::KeyEvent& event)
{
    if (utf8CharacterCount(event.characters) != 1)
        return true;  // ignored entirely, not handed on
    const int key = keyNumberFor(event);
    if (key < 0 || !mGraphics)
        return false;
    return mGraphics->OnKeyDown(mPrevX, mPrevY, key);
}
