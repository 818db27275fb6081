// Which window system the process uses, chosen once at run time.
#include <cstdlib>
#include <cstring>

#include "platform/CocoaWindowSystem.h"
#include "platform/GtkWindowSystem.h"
#include "platform/HeadlessWindowSystem.h"

namespace platform {

namespace {

std::unique_ptr<WindowSystem>& sharedSlot()
{
    static std::unique_ptr<WindowSystem> shared;
    return shared;
}

bool headlessAsked()
{
    const char* value = std::getenv("ZELTO2X_HEADLESS");
    return value && std::strcmp(value, "1") == 0;
}

}  // namespace

WindowSystem& WindowSystem::Shared()
{
    std::unique_ptr<WindowSystem>& shared = sharedSlot();
    if (!shared) {
        if (!headlessAsked())
            shared = MakeGtkWindowSystem();
        if (!shared)
            shared = std::make_unique<HeadlessWindowSystem>();
    }
    return *shared;
}

void WindowSystem::SetShared(std::unique_ptr<WindowSystem> system) { sharedSlot() = std::move(system); }

}  // namespace platform
