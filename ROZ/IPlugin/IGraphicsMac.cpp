// The back end's window, drawing and platform services. Bundle resources are
// in IGraphicsMacResources.cpp.
#include "IGraphicsMac.h"

#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "IGraphicsCocoa.h"
#include "IPluginBase.h"
#include "dovor/memory_dc.h"
#include "platform/Gestalt.h"
#include "zuve/sys_bitmap.h"

namespace {

// Message box types and results.
enum { kMBOkCancel = 1, kMBYesNoCancel = 3, kMBYesNo = 4 };
enum { kResultNone = 0, kResultDefault = 1, kResultOther = 2, kResultAlternate = 7 };

const char kDefaultFolder[] = "~/Desktop";

// Seconds after which the child window over a host's window comes to the
// front, once the host has done what it does when it opens.
constexpr double kChildWindowFrontDelay = 0.05;

platform::WindowId windowIdOf(void* window)
{
    return static_cast<platform::WindowId>(reinterpret_cast<uintptr_t>(window));
}

std::vector<std::string> splitAtBlanks(const char* text)
{
    std::vector<std::string> parts;
    std::string current;
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == ' ') {
            if (!current.empty())
                parts.push_back(current);
            current.clear();
        } else {
            current += *p;
        }
    }
    if (!current.empty())
        parts.push_back(current);
    return parts;
}

// Whether a web address makes a URL: printable ASCII without blanks or the
// characters a URL may not hold, and every "%" starting an escape.
bool isWellFormedURL(const std::string& address)
{
    for (size_t i = 0; i < address.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c))
            return false;
        if (c == '%' && (i + 2 >= address.size() || !std::isxdigit(static_cast<unsigned char>(address[i + 1]))
                         || !std::isxdigit(static_cast<unsigned char>(address[i + 2]))))
            return false;
    }
    return true;
}

}  // namespace

IGraphicsMac::IGraphicsMac(IPluginBase* plug, int w, int h, int frameRate) : IGraphics(plug, w, h, frameRate) {}

IGraphicsMac::~IGraphicsMac()
{
    RemoveSubWindow();
    CloseWindow();
}

// ---- Window

void* IGraphicsMac::OpenWindow(void* parentView)
{
    CloseWindow();
    auto* view = new IGraphicsCocoa_vZelto2X_64_au();
    if (!view->initWithIGraphics(this, windowIdOf(parentView))) {
        delete view;
        return nullptr;
    }
    mView = view;
    // The plug-in may have something to tell that only an open view can show.
    if (IPluginBase* plug = GetPlug())
        plug->OnGUIOpen();
    return mView;
}

void IGraphicsMac::CloseWindow()
{
    if (!mView)
        return;
    IGraphicsCocoa_vZelto2X_64_au* view = mView;
    mView = nullptr;
    view->killTimer();
    // A view that still points here is closed from this side; otherwise the
    // view is inside its own removeFromSuperview and returns right after us.
    if (view->graphics() == this) {
        view->forgetGraphics();
        view->removeFromSuperview();
    }
    delete view;
    if (IPluginBase* plug = GetPlug())
        plug->OnGUIClose();
}

bool IGraphicsMac::WindowIsOpen() { return mView != nullptr; }

void* IGraphicsMac::GetWindow() { return mView; }

void IGraphicsMac::Resize(int w, int h)
{
    if (w == Width() && h == Height())
        return;
    IGraphics::Resize(w, h);
    if (mView && mView->window())
        mView->window()->SetContentSize(w, h);
}

platform::ViewRect IGraphicsMac::ToCocoaRect(const IRECT& r) const
{
    int x, y, w, h;
    ToViewRect(r, &x, &y, &w, &h);
    return platform::ViewRect{double(x), double(y), double(w), double(h)};
}

bool IGraphicsMac::DrawScreen(IRECT*)
{
    platform::NativeWindow* window = mView ? mView->window() : nullptr;
    ZUVE_SysBitmap* bitmap = GetDrawBitmap();
    HDC dc = bitmap ? bitmap->getDC() : nullptr;
    const DOVOR_BitmapContext* context = dc ? dc->bitmapContext : nullptr;
    if (!window || !context || !context->pixels)
        return false;
    // The row span is the width: rows are padded, so the image maps one pixel to one pixel.
    return window->DrawImage(context->pixels, context->rowSpan, context->rowSpan, context->height);
}

void IGraphicsMac::ForceEndUserEdit()
{
    if (mView)
        mView->endUserInput();
}

const char* IGraphicsMac::GetGUIAPI() { return "Cocoa gui"; }

IPopupMenu* IGraphicsMac::CreateIPopupMenu(IPopupMenu* menu, IRECT* r)
{
    ReleaseMouseCapture();
    if (!mView || !r)
        return nullptr;
    return mView->createIPopupMenu(menu, ToCocoaRect(*r));
}

void IGraphicsMac::CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str, IParam* param)
{
    if (!mView || !r)
        return;
    mView->createTextEntry(control, param, text, ToCocoaRect(*r), str);
}

// ---- Dialogs, URLs, cursor

int IGraphicsMac::ShowMessageBox(const char* text, const char* caption, int type)
{
    platform::AlertRequest request;
    request.header = caption ? caption : "";
    request.message = text ? text : "";
    if (type == kMBYesNo || type == kMBYesNoCancel) {
        request.defaultButton = "Yes";
        request.alternateButton = "No";
        if (type == kMBYesNoCancel)
            request.otherButton = "Cancel";
    } else if (type == kMBOkCancel) {
        request.alternateButton = "Cancel";
    }
    switch (platform::WindowSystem::Shared().RunAlert(request)) {
    case platform::AlertResponse::Default: return kResultDefault;
    case platform::AlertResponse::Alternate: return kResultAlternate;
    case platform::AlertResponse::Other: return kResultOther;
    default: return kResultNone;
    }
}

void IGraphicsMac::PromptForFile(ROZ_String* fileName, int action, ROZ_String* dir, const char* extensions)
{
    if (!fileName)
        return;
    if (!WindowIsOpen()) {
        fileName->Set("");
        return;
    }
    platform::FilePanelRequest request;
    request.save = action == kFileSave;
    request.proposedName = fileName->Get();
    request.folder = dir && !dir->IsEmpty() ? dir->Get() : kDefaultFolder;
    if (dir && dir->IsEmpty())
        dir->Set(kDefaultFolder);
    fileName->Set("");
    request.types = splitAtBlanks(extensions);
    std::string chosen;
    if (!platform::WindowSystem::Shared().RunFilePanel(request, &chosen))
        return;
    fileName->Set(chosen.c_str());
    if (dir) {
        const size_t slash = chosen.rfind('/');
        dir->Set(slash == std::string::npos ? "" : chosen.substr(0, slash).c_str());
        dir->Append("/");
    }
}

bool IGraphicsMac::PromptForColor(IColor*, const char*) { return false; }

bool IGraphicsMac::OpenURL(const char* url, const char*, const char*, const char*)
{
    // An address that makes no URL opens nothing and counts as done.
    if (!url || !*url)
        return true;
    const std::string address = url;
    if (address.find("http") != std::string::npos) {
        if (!isWellFormedURL(address))
            return true;
    } else if (access(address.c_str(), F_OK) != 0) {
        return false;  // no file to open: the caller may try another address
    }
    return platform::WindowSystem::Shared().OpenURL(address);
}

void IGraphicsMac::HideMouseCursor()
{
    if (mCursorHidden)
        return;
    platform::WindowSystem& system = platform::WindowSystem::Shared();
    if (system.HideCursor())
        mCursorHidden = true;
    int x = 0, y = 0;
    if (system.GetPointerPosition(&x, &y)) {
        mHiddenMousePointX = x;
        mHiddenMousePointY = y;
    }
}

void IGraphicsMac::ShowMouseCursor()
{
    if (!mCursorHidden)
        return;
    platform::WindowSystem& system = platform::WindowSystem::Shared();
    system.WarpPointer(mHiddenMousePointX, mHiddenMousePointY);
    if (system.ShowCursor())
        mCursorHidden = false;
}

// ---- Child window over a host window

void IGraphicsMac::AttachSubWindow(void* hostWindowRef)
{
    RemoveSubWindow();
    platform::WindowSystem& system = platform::WindowSystem::Shared();
    const platform::WindowId host = windowIdOf(hostWindowRef);
    platform::ScreenFrame hostFrame;
    if (!host || !system.GetWindowFrame(host, &hostFrame))
        return;
    // At the host's origin as the Mac counts it, its bottom-left corner, and
    // centred when the host is wider.
    platform::ScreenFrame frame{hostFrame.x, hostFrame.y + hostFrame.height - Height(), Width(), Height()};
    if (hostFrame.width > Width())
        frame.x += (hostFrame.width - Width()) / 2;
    std::unique_ptr<platform::ChildWindow> child = system.MakeChildWindow(host, frame);
    if (!child)
        return;
    mChildWindow = std::make_unique<CustomCocoaWindow_vZelto2X_64_au>(std::move(child));
    OpenWindow(mChildWindow->contentView());
    mOrderFrontTimer = system.ScheduleRepeatingTimer(kChildWindowFrontDelay, [this] {
        mOrderFrontTimer.reset();  // once
        if (mChildWindow)
            mChildWindow->orderFront();
    });
}

void IGraphicsMac::RemoveSubWindow()
{
    if (!mChildWindow)
        return;
    mOrderFrontTimer.reset();
    CloseWindow();
    mChildWindow.reset();
}

// ---- System

int IGraphicsMac::GetUserOSVersion()
{
    int32_t version = 0;
    return Gestalt(gestaltSystemVersion, &version) == noErr ? version : 0;
}
