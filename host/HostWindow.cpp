#include "HostWindow.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
#include <string>

#include "StopSignals.h"

namespace host {

namespace {

const char kWindowSystemSymbol[] = "Zelto2X_GuiWindowSystem";
const char kModuleFolder[] = "/Contents/Linux/";
// How soon the window loop notices a stop signal.
constexpr double kStopCheckSeconds = 0.1;

using WindowSystemGetter = platform::WindowSystem* (*)();

int findBundleModule(dl_phdr_info* info, size_t, void* data)
{
    const char* name = info->dlpi_name;
    if (name && std::string(name).find(kModuleFolder) != std::string::npos) {
        *static_cast<std::string*>(data) = name;
        return 1;
    }
    return 0;
}

}  // namespace

platform::WindowSystem* ModuleWindowSystem()
{
    void* symbol = nullptr;
    std::string module;
    dl_iterate_phdr(findBundleModule, &module);
    if (!module.empty()) {
        // Already loaded by the host: this only takes another reference.
        if (void* handle = dlopen(module.c_str(), RTLD_LAZY | RTLD_NOLOAD)) {
            symbol = dlsym(handle, kWindowSystemSymbol);
            dlclose(handle);
        }
    }
    if (!symbol)
        symbol = dlsym(RTLD_DEFAULT, kWindowSystemSymbol);
    return symbol ? reinterpret_cast<WindowSystemGetter>(symbol)() : nullptr;
}

HostStatus RunWindowMode(PluginHost& pluginHost)
{
    if (!pluginHost.isOpen())
        return HostStatus::Error(kHostErrNotOpen, "no plug-in is open");
    platform::WindowSystem* windows = ModuleWindowSystem();
    if (!windows)
        return HostStatus::Error(kHostErrNotOpen, "the plug-in has no window system");
    // A window drawn in memory is one no user can see or close.
    if (std::strcmp(windows->Name(), "headless") == 0)
        return HostStatus::Error(kHostErrNoDisplay, "no display can be opened");
    if (!pluginHost.openCocoaView())
        return HostStatus::Error(kHostErrNotOpen, "the plug-in offers no view");
    {
        const auto stopWatch = windows->ScheduleRepeatingTimer(kStopCheckSeconds, [windows] {
            if (StopRequested())
                windows->StopRunning();
        });
        windows->RunUntilAllWindowsClosed();
    }
    // Back from the loop, a stop's windows close as their close buttons close them.
    for (platform::NativeWindow* window = windows->FrontWindow(); window;) {
        window->InjectClose();
        platform::NativeWindow* next = windows->FrontWindow();
        window = next != window ? next : nullptr;
    }
    return HostStatus::Ok("window closed");
}

}  // namespace host
