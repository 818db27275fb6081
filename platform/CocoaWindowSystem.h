#pragma once
// Stand-in for the parts of AppKit that the graphics surface's view uses:
// a window hosting one view, a repeating run-loop timer, a text field with a
// formatter, context menus, open and save panels, alerts, the window-system
// layer's modal dialogs, the workspace's URL opener and the cursor. The framework says "show this popup menu", "present
// this bitmap", "open this URL"; one back end does it with GTK 3, one without
// a display for tests and scripts.
//
// Coordinates are those of a Cocoa view: origin at the bottom-left corner of
// the view, y upward, in pixels. Each back end converts to its own.
//
// Everything here runs on the main thread (the thread that runs the loop);
// the GTK back end refuses calls from other threads (nothing shown, null,
// false or a dismissed answer), so no other thread ever touches GTK.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace platform {

struct ViewRect {
    double x = 0, y = 0, w = 0, h = 0;
};

struct ModifierKeys {
    bool shift = false, control = false, option = false, command = false;
};

enum class MouseEventKind { Down, Up, Dragged, RightDown, RightUp, RightDragged, Moved, Wheel };

struct MouseEvent {
    MouseEventKind kind = MouseEventKind::Down;
    double x = 0, y = 0;  // location in the view
    int clickCount = 1;
    ModifierKeys mods;
    double deltaY = 0;  // wheel steps, positive away from the user
};

// Virtual key codes of the keys that are recognised by code.
enum : int {
    kKeyCodeNone = -1,
    kKeyCodeSpace = 49,
    kKeyCodeLeftArrow = 123,
    kKeyCodeRightArrow = 124,
    kKeyCodeDownArrow = 125,
    kKeyCodeUpArrow = 126,
};

struct KeyEvent {
    int keyCode = kKeyCodeNone;
    std::string characters;  // UTF-8, ignoring modifiers; one private-use character for arrows
    ModifierKeys mods;
};

// What the window tells its view (the overridable part of an NSView).
class WindowClient {
public:
    virtual ~WindowClient() = default;
    // Inside this call, and only here, NativeWindow::DrawImage paints.
    virtual void DrawRect(const ViewRect& dirty) = 0;
    virtual void HandleMouse(const MouseEvent& event) = 0;
    // False hands the key on (to the next responder).
    virtual bool HandleKeyDown(const KeyEvent& event) = 0;
    // The user closed the window; the client destroys it in this call or later.
    virtual void WindowShouldClose() = 0;
};

// What the text field asks and tells (its formatter and its delegate).
class TextFieldClient {
public:
    virtual ~TextFieldClient() = default;
    // The whole text as it would be after a change; false refuses the change.
    virtual bool IsPartialStringValid(const std::string& text) = 0;
    // Return, Tab or a left click in the view (which takes the focus back)
    // ended the editing; the click reaches the view afterwards. The field
    // stays until closed.
    virtual void TextDidEndEditing(const std::string& text) = 0;
};

enum class TextAlignment { Left, Center, Right };

struct TextFieldStyle {
    std::string fontName;
    int fontSize = 10;
    TextAlignment alignment = TextAlignment::Left;
    float foreground[4] = {0, 0, 0, 1};  // red, green, blue, alpha 0..1
    float background[4] = {1, 1, 1, 1};
};

// A context menu as a tree. A subclass may carry what it was built from.
class Menu;

struct MenuItem {
    std::string title;
    bool separator = false;
    bool enabled = true;
    bool checked = false;
    int indentation = 0;
    std::unique_ptr<Menu> submenu;  // owned; null for a leaf
};

class Menu {
public:
    virtual ~Menu() = default;
    std::vector<MenuItem> items;
};

// The menu that holds the chosen item and the item's index in it.
struct MenuChoice {
    const Menu* menu = nullptr;
    int index = -1;
};

// One window hosting one view of a fixed size. Destroying it closes it.
class NativeWindow {
public:
    virtual ~NativeWindow() = default;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetContentSize(int width, int height) = 0;

    // Asks for DrawRect of this rectangle on a later turn of the loop.
    virtual void SetNeedsDisplayInRect(const ViewRect& rect) = 0;
    // Paints pixels (32 bits each, bytes A, R, G, B in memory, rowSpan pixels
    // per row) with the first row at the top of the view, clipped to the
    // rectangle being drawn. False outside DrawRect.
    virtual bool DrawImage(const uint32_t* pixels, int rowSpan, int width, int height) = 0;

    // Opens a text field over the rectangle with the text selected and focused.
    // The client must outlive the field. False when one is already open.
    virtual bool OpenTextField(const ViewRect& rect, const TextFieldStyle& style, const std::string& text,
                               TextFieldClient* client) = 0;
    virtual void CloseTextField() = 0;
    virtual bool HasTextField() const = 0;

    // Shows the menu below the rectangle and returns when it closes; true and
    // the choice when an enabled leaf item was chosen. Timers keep firing.
    virtual bool PopUpContextMenu(const Menu& menu, const ViewRect& at, MenuChoice* choice) = 0;

    virtual void MakeKeyAndOrderFront() = 0;
    virtual void SetArrowCursor() = 0;

    // For scripts and tests: events as if the user made them.
    virtual void InjectMouse(const MouseEvent& event) = 0;
    virtual void InjectKey(const KeyEvent& event) = 0;
    // Types text into the open text field, one character at a time; false without a field.
    virtual bool InjectText(const std::string& text) = 0;
    // Ends the open text field's editing as Return would; false without a field.
    virtual bool InjectReturn() = 0;
    // The user's close button.
    virtual void InjectClose() = 0;
    // Draws what is pending and writes what the window shows to a PNG file.
    virtual bool CaptureToPNG(const std::string& path) = 0;
};

// A window by the window system's own id (an X window id on X11), also one
// of another program; 0 is none.
using WindowId = unsigned long;

// Where a window lies on the screen: its top-left corner (y downward) and its size, in pixels.
struct ScreenFrame {
    int x = 0, y = 0, width = 0, height = 0;
};

// An empty window without a border, kept above a window of the host's as
// its child (it stays in front of it), that a view opens inside. Destroying
// it closes it and leaves the host's window alone.
class ChildWindow {
public:
    virtual ~ChildWindow() = default;
    // The window a view is made inside (MakeWindow's parent).
    virtual WindowId ContentId() const = 0;
    // Brings it in front of the other windows.
    virtual void OrderFront() = 0;
};

// A repeating timer; destroying it invalidates it.
class RepeatingTimer {
public:
    virtual ~RepeatingTimer() = default;
};

enum class AlertResponse { Default, Alternate, Other, None };

struct AlertRequest {
    std::string header;
    std::string message;
    std::string defaultButton;    // empty: the system's "OK"
    std::string alternateButton;  // empty: none
    std::string otherButton;      // empty: none
};

struct FilePanelRequest {
    bool save = false;
    std::string folder;        // start folder, "~" expanded by the back end
    std::string proposedName;
    std::vector<std::string> types;  // extensions without the dot; empty: any
};

// A modal dialog of the window-system layer: a titled window holding static
// texts, one-line text fields and push buttons at fixed places.
enum class DialogItemKind { Label, Edit, Button };

struct DialogItem {
    DialogItemKind kind = DialogItemKind::Label;
    std::string text;  // a button's "&" marks its mnemonic
    int id = -1;
    int x = 0, y = 0, w = 0, h = 0;  // pixels from the dialog's top-left corner
};

struct DialogRequest {
    std::string title;
    int width = 0, height = 0;
    std::vector<DialogItem> items;
};

// Command ids the dialog reports besides its buttons' own.
enum : int { kDialogCommandReturn = 1, kDialogCommandClose = 2 };

// What a running dialog tells its owner.
class DialogClient {
public:
    virtual ~DialogClient() = default;
    // A push button's id, kDialogCommandReturn for the Return key, or
    // kDialogCommandClose for Escape and the close box. The owner ends the
    // dialog (EndModal) or leaves it open.
    virtual void DialogCommand(int id) = 0;
};

class NativeDialog {
public:
    virtual ~NativeDialog() = default;
    // Top-left corner on the screen (y downward) and size, in pixels.
    virtual void SetFrame(int x, int y, int width, int height) = 0;
    // Shows the dialog and runs the loop until EndModal; timers keep firing.
    // Returns at once when EndModal came first.
    virtual void RunModal() = 0;
    virtual void EndModal() = 0;
    // The text of the item with this id as the user left it ("" for none).
    virtual std::string ItemText(int id) const = 0;
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // The process's window system: headless when ZELTO2X_HEADLESS is "1" or
    // no display can be opened, GTK otherwise. Made on first use by the main
    // thread; any thread may ask, and before the main thread has, another
    // thread gets a stand-in that shows nothing and answers as dismissed.
    static WindowSystem& Shared();
    // Replaces the shared window system (tests); null restores the choice above.
    static void SetShared(std::unique_ptr<WindowSystem> system);

    virtual const char* Name() const = 0;

    // A window of its own with the title when parent is 0; otherwise the
    // view is made inside parent, at its top-left corner and without a
    // frame (a view added to the host's view). Null when parent is no
    // window or cannot hold one.
    virtual std::unique_ptr<NativeWindow> MakeWindow(int width, int height, const std::string& title,
                                                       WindowClient* client, WindowId parent) = 0;
    // The frame of a window, another program's too; false when there is none.
    virtual bool GetWindowFrame(WindowId window, ScreenFrame* frame) = 0;
    // A child window at frame over parent; null when parent is no window.
    virtual std::unique_ptr<ChildWindow> MakeChildWindow(WindowId parent, const ScreenFrame& frame) = 0;
    // Fires every interval seconds on the main loop, also while a menu, panel
    // or alert is open, until destroyed.
    virtual std::unique_ptr<RepeatingTimer> ScheduleRepeatingTimer(double intervalSeconds,
                                                                   std::function<void()> onFire) = 0;

    virtual AlertResponse RunAlert(const AlertRequest& request) = 0;
    // A dialog to place and run; null where none can be shown (another thread).
    virtual std::unique_ptr<NativeDialog> MakeDialog(const DialogRequest& request, DialogClient* client) = 0;
    // True and the chosen path when the user pressed OK.
    virtual bool RunFilePanel(const FilePanelRequest& request, std::string* chosenPath) = 0;
    // Hands the address (a web address or a file path) to the desktop's opener.
    virtual bool OpenURL(const std::string& url) = 0;

    virtual bool HideCursor() = 0;
    virtual bool ShowCursor() = 0;
    // Pointer position on the screen, y downward from the top.
    virtual bool GetPointerPosition(int* x, int* y) = 0;
    virtual bool WarpPointer(int x, int y) = 0;

    // The most recently opened window that is still open, or null.
    virtual NativeWindow* FrontWindow() = 0;
    // Runs the loop until no window is open (returns at once when none is;
    // headless: draws what is pending and returns, as no user can close a window).
    virtual void RunUntilAllWindowsClosed() = 0;
    // Makes that loop return, its windows still open, once it is back from
    // any menu, panel or alert it runs inside (a window closed under one
    // would take the code that opened it away).
    virtual void StopRunning() = 0;
    // Runs the loop for about the given time, then draws what is pending.
    // Headless: advances its own clock, so timers fire without waiting.
    virtual void ProcessEvents(int milliseconds) = 0;

    // Answers for scripts, taken in order by the next menu, panel or alert.
    // A menu answer is a path of item indexes or titles joined by "/" (titles
    // compare without their number prefix); "none" dismisses. A file answer
    // is a path; "" cancels. An alert answer is "default", "alternate",
    // "other" or "none". The back end then shows nothing to the user.
    void QueueMenuAnswer(const std::string& answer) { mMenuAnswers.push_back(answer); }
    void QueueFilePanelAnswer(const std::string& path) { mFileAnswers.push_back(path); }
    void QueueAlertAnswer(const std::string& answer) { mAlertAnswers.push_back(answer); }
    // A dialog answer, applied once the dialog shows: "return", "close", or
    // a button by id or title (without "&" and trailing blanks).
    void QueueDialogAnswer(const std::string& answer) { mDialogAnswers.push_back(answer); }
    // What a script should hear about its menu answers since the last call: a
    // menu that opened with none queued (an answer given after the click waits
    // for the next menu, whichever it is), or an answer naming no item of the
    // menu that took it.
    // Inline, as the queues: the host calls it across the module border.
    std::vector<std::string> TakeMenuNotes()
    {
        std::vector<std::string> notes;
        notes.swap(mMenuNotes);
        return notes;
    }

protected:
    // Takes the next scripted answer; false when none is queued.
    bool TakeMenuAnswer(const Menu& menu, bool* chosen, MenuChoice* choice);
    bool TakeFilePanelAnswer(bool* ok, std::string* path);
    bool TakeAlertAnswer(const AlertRequest& request, AlertResponse* response);
    // The command id of the next dialog answer; false when none is queued.
    // An answer naming no button of the dialog closes it.
    bool TakeDialogAnswer(const DialogRequest& request, int* command);

private:
    std::vector<std::string> mMenuAnswers;
    std::vector<std::string> mMenuNotes;
    std::vector<std::string> mFileAnswers;
    std::vector<std::string> mAlertAnswers;
    std::vector<std::string> mDialogAnswers;
};

// Resolves a scripted menu answer against a menu; false when it names no
// enabled leaf item ("none" included).
bool ResolveMenuAnswer(const Menu& menu, const std::string& answer, MenuChoice* choice);

// Writes pixels (bytes A, R, G, B in memory) as an RGB PNG file; alpha is dropped
// as a screen would. Any thread.
bool WriteScreenPNG(const std::string& path, const uint32_t* pixels, int rowSpan, int width, int height);

// True on the process's first thread, the one that runs the window loop. Any thread.
bool OnProcessMainThread();

// The path a save panel that allows only these types gives back: the first
// type's extension appended unless the name already ends in one of them
// (ignoring case). Any thread.
std::string WithAllowedExtension(const std::string& path, const std::vector<std::string>& types);

// "~" or "~/..." with $HOME put in front.
std::string ExpandHomeFolder(const std::string& path);

}  // namespace platform
