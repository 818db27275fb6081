#pragma once
// The view that shows the graphics surface in a window: its repeating redraw
// timer, the translation of window events into surface events, the text
// entry field and its formatter, and popup menus. The window system behind it
// is platform::WindowSystem (GTK or headless); the class names are those of
// the Cocoa classes the design describes.
//
// Everything here runs on the main thread.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/CocoaWindowSystem.h"

class IGraphics;
class IGraphicsMac;
class IControl;
class IParam;
class IPopupMenu;
struct IText;
struct IMouseMod;
class CocoaFormatter_vZelto2X_64_au;

class IGraphicsCocoa_vZelto2X_64_au : public platform::WindowClient, public platform::TextFieldClient {
public:
    IGraphicsCocoa_vZelto2X_64_au();
    ~IGraphicsCocoa_vZelto2X_64_au() override;
    IGraphicsCocoa_vZelto2X_64_au(const IGraphicsCocoa_vZelto2X_64_au&) = delete;
    IGraphicsCocoa_vZelto2X_64_au& operator=(const IGraphicsCocoa_vZelto2X_64_au&) = delete;

    // Opens a window of the surface's size, inside superview when one is
    // given (the view added to it), and starts the redraw timer at the
    // surface's frame rate. Returns this, or null when no window can be made
    // (no display, not the main thread, or a superview that is no window).
    IGraphicsCocoa_vZelto2X_64_au* initWithIGraphics(IGraphicsMac* graphics, platform::WindowId superview = 0);

    bool isOpaque() const { return mGraphics != nullptr; }
    bool acceptsFirstResponder() const { return true; }
    bool acceptsFirstMouse() const { return true; }

    void drawRect(const platform::ViewRect& rect);
    // A tick of timer timerId: asks the surface what is dirty and requests its display.
    void onTimer(int timerId);
    // Surface coordinates of an event; false without a surface.
    bool getMouseXY(const platform::MouseEvent& event, int* x, int* y);

    void mouseDown(const platform::MouseEvent& event);
    void mouseUp(const platform::MouseEvent& event);
    void mouseDragged(const platform::MouseEvent& event);
    void rightMouseDown(const platform::MouseEvent& event);
    void rightMouseUp(const platform::MouseEvent& event);
    void rightMouseDragged(const platform::MouseEvent& event);
    void mouseMoved(const platform::MouseEvent& event);
    void scrollWheel(const platform::MouseEvent& event);
    // False passes the key on to the next responder.
    bool keyDown(const platform::KeyEvent& event);

    void killTimer();
    // Ends the text entry, destroys the window and, while the view still has
    // its surface, detaches from it and tells it CloseWindow. The surface may
    // delete the view in that call: nothing touches the view afterwards.
    void removeFromSuperview();
    // Detaches from the surface without telling it (its own CloseWindow).
    void forgetGraphics() { mGraphics = nullptr; }
    IGraphicsMac* graphics() const { return mGraphics; }

    // Text entry; rect is in view coordinates.
    void createTextEntry(IControl* control, IParam* param, IText* text, const platform::ViewRect& rect,
                         const char* str);
    void controlTextDidEndEditing(const std::string& text);
    void endUserInput();
    bool isEditingText() const { return mTextFieldView; }

    // Shows the menu at rect (view coordinates); the menu or submenu holding
    // the chosen item with its chosen index set, or null.
    IPopupMenu* createIPopupMenu(IPopupMenu* menu, const platform::ViewRect& rect);

    // The window (null after removeFromSuperview), for scripts and tests.
    platform::NativeWindow* window() const { return mWindow.get(); }
    bool hasTimer() const { return mTimer != nullptr; }

    // platform::WindowClient
    void DrawRect(const platform::ViewRect& dirty) override { drawRect(dirty); }
    void HandleMouse(const platform::MouseEvent& event) override;
    bool HandleKeyDown(const platform::KeyEvent& event) override { return keyDown(event); }
    void WindowShouldClose() override { removeFromSuperview(); }

    // platform::TextFieldClient
    bool IsPartialStringValid(const std::string& text) override;
    void TextDidEndEditing(const std::string& text) override { controlTextDidEndEditing(text); }

private:
    void closeTextField();
    // Hands a left- or right-button event to the surface's handler at the event's surface position.
    void forwardMouse(const platform::MouseEvent& event, bool right, void (IGraphics::*handler)(int, int, IMouseMod*));

    std::unique_ptr<platform::RepeatingTimer> mTimer;
    int mTimerId = 0;
    bool mTextFieldView = false;
    std::unique_ptr<CocoaFormatter_vZelto2X_64_au> mFormatter;  // null: any text
    IControl* mEdControl = nullptr;
    IParam* mEdParam = nullptr;
    int mPrevX = 0, mPrevY = 0;
    IGraphicsMac* mGraphics = nullptr;
    std::unique_ptr<platform::NativeWindow> mWindow;
};

// The borderless child window over a host window that the view opens in: it
// can become key. Destroying it closes it; the host's window stays.
class CustomCocoaWindow_vZelto2X_64_au {
public:
    explicit CustomCocoaWindow_vZelto2X_64_au(std::unique_ptr<platform::ChildWindow> window)
        : mWindow(std::move(window))
    {
    }
    bool canBecomeKeyWindow() const { return true; }
    // Where the view opens (OpenWindow's parent).
    void* contentView() const { return reinterpret_cast<void*>(static_cast<uintptr_t>(mWindow->ContentId())); }
    void orderFront() { mWindow->OrderFront(); }

private:
    std::unique_ptr<platform::ChildWindow> mWindow;
};
