// Which window system the process uses, chosen once at run time.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

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

std::mutex& sharedLock()
{
    static std::mutex lock;
    return lock;
}

bool headlessAsked()
{
    const char* value = std::getenv("ZELTO2X_HEADLESS");
    return value && std::strcmp(value, "1") == 0;
}

// What a thread other than the main one gets before the main thread chose:
// it shows nothing and answers every question as dismissed.
class RefusingWindowSystem : public WindowSystem {
public:
    const char* Name() const override { return "none"; }
    std::unique_ptr<NativeWindow> MakeWindow(int, int, const std::string&, WindowClient*, WindowId) override
    {
        return nullptr;
    }
    bool GetWindowFrame(WindowId, ScreenFrame*) override { return false; }
    std::unique_ptr<ChildWindow> MakeChildWindow(WindowId, const ScreenFrame&) override { return nullptr; }
    std::unique_ptr<RepeatingTimer> ScheduleRepeatingTimer(double, std::function<void()>) override
    {
        return nullptr;
    }
    AlertResponse RunAlert(const AlertRequest&) override { return AlertResponse::None; }
    std::unique_ptr<NativeDialog> MakeDialog(const DialogRequest&, DialogClient*) override { return nullptr; }
    bool RunFilePanel(const FilePanelRequest&, std::string*) override { return false; }
    bool OpenURL(const std::string&) override { return false; }
    bool HideCursor() override { return false; }
    bool ShowCursor() override { return false; }
    bool GetPointerPosition(int*, int*) override { return false; }
    bool WarpPointer(int, int) override { return false; }
    NativeWindow* FrontWindow() override { return nullptr; }
    void RunUntilAllWindowsClosed() override {}
    void StopRunning() override {}
    void ProcessEvents(int) override {}
};

}  // namespace

bool OnProcessMainThread() { return static_cast<pid_t>(syscall(SYS_gettid)) == getpid(); }

WindowSystem& WindowSystem::Shared()
{
    std::lock_guard<std::mutex> guard(sharedLock());
    std::unique_ptr<WindowSystem>& shared = sharedSlot();
    if (!shared) {
        // GTK belongs to the thread that initialises it: only the main thread may choose.
        if (!OnProcessMainThread()) {
            static RefusingWindowSystem refusing;
            return refusing;
        }
        if (!headlessAsked())
            shared = MakeGtkWindowSystem();
        if (!shared)
            shared = std::make_unique<HeadlessWindowSystem>();
    }
    return *shared;
}

void WindowSystem::SetShared(std::unique_ptr<WindowSystem> system)
{
    std::lock_guard<std::mutex> guard(sharedLock());
    sharedSlot() = std::move(system);
}

}  // namespace platform
