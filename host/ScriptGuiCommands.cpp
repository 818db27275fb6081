#include "ScriptGuiCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "HostWindow.h"
#include "StopSignals.h"

namespace host {

namespace {

// After each event the loop runs this long, so the redraw timer (25 per
// second) draws what the event changed before the next command.
const int kSettleMilliseconds = 100;
// One period of that timer.
const int kRedrawMilliseconds = 40;

bool parseInt(const std::string& text, int* value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0')
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

HostStatus badArgument(const std::string& what) { return HostStatus::Error(kHostErrBadArgument, what); }

// The plug-in's front window and its window system; null when no window is open.
platform::NativeWindow* frontWindow(platform::WindowSystem** system)
{
    *system = ModuleWindowSystem();
    return *system ? (*system)->FrontWindow() : nullptr;
}

HostStatus noWindowOpen() { return HostStatus::Error(kHostErrNotOpen, "no plug-in window is open"); }

platform::MouseEvent mouseAt(platform::NativeWindow* window, platform::MouseEventKind kind, int x, int y)
{
    platform::MouseEvent event;
    event.kind = kind;
    event.x = x;
    event.y = window->Height() - y;
    return event;
}

// Tells the script's author, on the error stream, what became of its menu
// answers during the event just sent; the answers on the output stay as they were.
void reportMenuNotes(platform::WindowSystem* system)
{
    for (const std::string& note : system->TakeMenuNotes())
        std::cerr << "note: " << note << std::endl;
}

// One click, or with clicks 2 a double click: a press and release, then a
// second press the window counts as the second click.
HostStatus clickTimes(const std::vector<std::string>& args, int clicks)
{
    int x, y;
    if (!parseInt(args[0], &x) || !parseInt(args[1], &y))
        return badArgument("click needs X Y");
    platform::WindowSystem* system;
    platform::NativeWindow* window = frontWindow(&system);
    if (!window)
        return noWindowOpen();
    for (int count = 1; count <= clicks && window; ++count) {
        platform::MouseEvent press = mouseAt(window, platform::MouseEventKind::Down, x, y);
        press.clickCount = count;
        window->InjectMouse(press);
        system->ProcessEvents(0);
        window = system->FrontWindow();  // a click may close the window
        if (window)
            window->InjectMouse(mouseAt(window, platform::MouseEventKind::Up, x, y));
        system->ProcessEvents(count == clicks ? kSettleMilliseconds : 0);
        window = system->FrontWindow();
    }
    reportMenuNotes(system);
    return HostStatus::Ok();
}

HostStatus click(const std::vector<std::string>& args)
{
    return clickTimes(args, 1);
}

HostStatus doubleClick(const std::vector<std::string>& args)
{
    return clickTimes(args, 2);
}

HostStatus drag(const std::vector<std::string>& args)
{
    int x, y, dx, dy;
    if (!parseInt(args[0], &x) || !parseInt(args[1], &y) || !parseInt(args[2], &dx) || !parseInt(args[3], &dy))
        return badArgument("drag needs X Y DX DY");
    platform::WindowSystem* system;
    platform::NativeWindow* window = frontWindow(&system);
    if (!window)
        return noWindowOpen();
    window->InjectMouse(mouseAt(window, platform::MouseEventKind::Down, x, y));
    // A hand moves in several steps; the control sees each one.
    const int steps = 4;
    for (int i = 1; i <= steps && system->FrontWindow() == window; ++i) {
        window->InjectMouse(
            mouseAt(window, platform::MouseEventKind::Dragged, x + dx * i / steps, y + dy * i / steps));
        system->ProcessEvents(0);
    }
    if (system->FrontWindow() == window)
        window->InjectMouse(mouseAt(window, platform::MouseEventKind::Up, x + dx, y + dy));
    system->ProcessEvents(kSettleMilliseconds);
    reportMenuNotes(system);
    return HostStatus::Ok();
}

bool keyFor(const std::string& code, platform::KeyEvent* key)
{
    struct Named {
        const char* name;
        int code;
        const char* characters;  // the private-use characters a Mac keyboard gives arrows
    };
    static const Named kNamed[] = {
        {"up", platform::kKeyCodeUpArrow, "\xEF\x9C\x80"},
        {"down", platform::kKeyCodeDownArrow, "\xEF\x9C\x81"},
        {"left", platform::kKeyCodeLeftArrow, "\xEF\x9C\x82"},
        {"right", platform::kKeyCodeRightArrow, "\xEF\x9C\x83"},
        {"space", platform::kKeyCodeSpace, " "},
    };
    for (const Named& named : kNamed)
        if (code == named.name) {
            key->keyCode = named.code;
            key->characters = named.characters;
            return true;
        }
    if (code.size() == 1) {
        key->characters = code;
        return true;
    }
    int number;
    if (!parseInt(code, &number))
        return false;
    for (const Named& named : kNamed)
        if (number == named.code) {
            key->keyCode = named.code;
            key->characters = named.characters;
            return true;
        }
    key->keyCode = number;
    return true;
}

HostStatus key(const std::vector<std::string>& args)
{
    platform::KeyEvent event;
    if (!keyFor(args[0], &event))
        return badArgument("key needs up, down, left, right, space, a character or a key code");
    platform::WindowSystem* system;
    platform::NativeWindow* window = frontWindow(&system);
    if (!window)
        return noWindowOpen();
    window->InjectKey(event);
    system->ProcessEvents(kSettleMilliseconds);
    reportMenuNotes(system);
    return HostStatus::Ok();
}

HostStatus menu(const std::vector<std::string>& args)
{
    platform::WindowSystem* system = ModuleWindowSystem();
    if (!system)
        return HostStatus::Error(kHostErrNotOpen, "the plug-in has no window system");
    system->QueueMenuAnswer(args[0]);
    return HostStatus::Ok();
}

HostStatus filePanel(const std::vector<std::string>& args)
{
    platform::WindowSystem* system = ModuleWindowSystem();
    if (!system)
        return HostStatus::Error(kHostErrNotOpen, "the plug-in has no window system");
    system->QueueFilePanelAnswer(args.empty() ? "" : args[0]);
    return HostStatus::Ok();
}

HostStatus screenshot(const std::vector<std::string>& args)
{
    platform::WindowSystem* system;
    platform::NativeWindow* window = frontWindow(&system);
    if (!window)
        return noWindowOpen();
    if (!window->CaptureToPNG(args[0]))
        return HostStatus::Error(kHostErrFile, "cannot write " + args[0]);
    return HostStatus::Ok(args[0]);
}

// Once a view was opened the loop must run while the script waits.
bool gViewOpened = false;

HostStatus wait(const std::vector<std::string>& args)
{
    int milliseconds;
    if (args.size() != 1 || !parseInt(args[0], &milliseconds) || milliseconds < 0)
        return badArgument("wait needs milliseconds");
    platform::WindowSystem* system = gViewOpened ? ModuleWindowSystem() : nullptr;
    // In steps of one redraw, the window's clock and real time move together:
    // GTK runs its loop for the step, a window drawn in memory moves its own
    // clock at once and the step's real time is slept, for the render thread
    // and workers whose changes the next step draws.
    int left = milliseconds;
    do {
        const int step = std::min(left, kRedrawMilliseconds);
        const auto stepEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(step);
        if (system)
            system->ProcessEvents(step);
        std::this_thread::sleep_until(stepEnd);
        left -= step;
    } while (left > 0 && !StopRequested());
    return HostStatus::Ok();
}

HostStatus openView(PluginHost& pluginHost)
{
    if (!pluginHost.openCocoaView())
        return HostStatus::Error(kHostErrNotOpen, "the plug-in offers no view");
    gViewOpened = true;
    platform::WindowSystem* system = ModuleWindowSystem();
    if (!system)
        return HostStatus::Error(kHostErrNotOpen, "the plug-in has no window system");
    system->ProcessEvents(kSettleMilliseconds);
    return HostStatus::Ok(system->Name());
}

HostStatus closeView(const std::vector<std::string>&)
{
    platform::WindowSystem* system;
    platform::NativeWindow* window = frontWindow(&system);
    if (!window)
        return noWindowOpen();
    window->InjectClose();
    system->ProcessEvents(0);
    return HostStatus::Ok();
}

// Checks the word count, then runs the command.
ScriptCommands::Handler withArguments(size_t count, HostStatus (*run)(const std::vector<std::string>&),
                                      const char* usage)
{
    return [count, run, usage](const std::vector<std::string>& args) {
        if (args.size() != count)
            return badArgument(usage);
        return run(args);
    };
}

int runWindow(PluginHost& pluginHost, ScriptCommands&, const HostOptions& options)
{
    const HostStatus status = RunWindowMode(pluginHost);
    *options.answers << FormatAnswer(status) << std::endl;
    if (status.code == kHostErrNoDisplay)
        return kExitNoDisplay;
    return status.ok() ? 0 : 1;
}

const bool registered = RegisterHostExtension({"window", AddGuiCommands, runWindow});

}  // namespace

void AddGuiCommands(ScriptCommands& commands, PluginHost& pluginHost)
{
    commands.add("click", withArguments(2, click, "click X Y"));
    commands.add("dblclick", withArguments(2, doubleClick, "dblclick X Y"));
    commands.add("drag", withArguments(4, drag, "drag X Y DX DY"));
    commands.add("key", withArguments(1, key, "key CODE"));
    commands.add("screenshot", withArguments(1, screenshot, "screenshot FILE.png"));
    commands.add("closeview", withArguments(0, closeView, "closeview"));
    commands.add("wait", wait);
    commands.add("openview", [&pluginHost](const std::vector<std::string>&) { return openView(pluginHost); });
    // A path may hold blanks: the rest of the line; none cancels the panel.
    commands.add("file", [](const std::vector<std::string>& args) { return filePanel({JoinWords(args, 0)}); });
    commands.add("menu", [](const std::vector<std::string>& args) {
        if (args.empty())
            return badArgument("menu CHOICE");
        return menu({JoinWords(args, 0)});
    });
}

}  // namespace host
