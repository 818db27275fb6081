#pragma once
// The graphics surface's back end: opens and closes the view
// (IGraphicsCocoa_vZelto2X_64_au), copies the offscreen bitmap to it, loads
// PNG images and resource files from the plug-in bundle's flat Resources
// folder, and answers the platform questions (paths, message boxes, file
// panels, URLs, the cursor, menus and text entry) through
// platform::WindowSystem.
//
// Everything here runs on the main thread.

#include <memory>
#include <string>

#include "IGraphics.h"
#include "platform/CocoaWindowSystem.h"

class IGraphicsCocoa_vZelto2X_64_au;
class CustomCocoaWindow_vZelto2X_64_au;

class IGraphicsMac : public IGraphics {
public:
    IGraphicsMac(IPluginBase* plug, int w, int h, int frameRate = 0);

    // IGraphics
    bool DrawScreen(IRECT* r) override;
    void ForceEndUserEdit() override;
    void Resize(int w, int h) override;
    bool WindowIsOpen() override;
    const char* GetGUIAPI() override;
    int ShowMessageBox(const char* text, const char* caption, int type) override;
    IPopupMenu* CreateIPopupMenu(IPopupMenu* menu, IRECT* r) override;
    void CreateTextEntry(IControl* control, IText* text, IRECT* r, const char* str = "",
                         IParam* param = nullptr) override;
    void HostPath(ROZ_String* path) override;
    void PluginPath(ROZ_String* path) override;
    void DesktopPath(ROZ_String* path) override;
    void PromptForFile(ROZ_String* fileName, int action = kFileOpen, ROZ_String* dir = nullptr,
                       const char* extensions = "") override;
    bool PromptForColor(IColor* color, const char* prompt = "") override;
    bool OpenURL(const char* url, const char* windowTitle = nullptr, const char* confirmMessage = nullptr,
                 const char* errorMessage = nullptr) override;
    // parentView and hostWindowRef carry a window-system window id (an X
    // window id on X11) as a pointer. The view opens inside parentView, or as
    // a window of its own when it is null.
    void* OpenWindow(void* parentView) override;
    using IGraphics::OpenWindow;
    // Opens the view in a borderless window over the host's window, kept in
    // front of it, until RemoveSubWindow.
    void AttachSubWindow(void* hostWindowRef) override;
    void RemoveSubWindow() override;
    void CloseWindow() override;
    void* GetWindow() override;
    ~IGraphicsMac() override;
    void* OSLoadFile(int id, const char* name) override;
    void HideMouseCursor() override;
    void ShowMouseCursor() override;
    ZUVE_IBitmap* OSLoadBitmap(int id, const char* name) override;

    void* OpenCocoaWindow(void* parentView) { return OpenWindow(parentView); }
    // The system version as Gestalt reports it (0x1068 for 10.6.8); 0 when unknown.
    int GetUserOSVersion();

    // The identifier of the bundle whose resources are loaded.
    void SetBundleID(const char* bundleID);
    const char* GetBundleID() const { return mBundleID.Get(); }
    // A bundle folder to use instead of looking one up (tests, tools).
    void SetBundlePath(const char* bundlePath) { mBundlePathOverride = bundlePath ? bundlePath : ""; }
    // The bundle folder: the override, the bundle with the identifier, else
    // the bundle of the module this code is in. False when none is found.
    bool GetBundlePath(std::string* path) const;
    // The file of a resource in the bundle's flat Resources folder: base name
    // exact, extension compared ignoring case. Empty when not found.
    std::string PathForResource(const std::string& baseName, const std::string& type) const;

    // Surface rectangle (L, T, R, B) to the view's (L, H - 1 - B, R - L + 1, B - T + 1).
    platform::ViewRect ToCocoaRect(const IRECT& r) const;
    IGraphicsCocoa_vZelto2X_64_au* GetView() const { return mView; }

private:
    IGraphicsCocoa_vZelto2X_64_au* mView = nullptr;
    ROZ_String mBundleID;
    std::string mBundlePathOverride;
    // The child window over a host's window while the view is shown in it,
    // and the timer that brings it to the front once the host has settled.
    std::unique_ptr<CustomCocoaWindow_vZelto2X_64_au> mChildWindow;
    std::unique_ptr<platform::RepeatingTimer> mOrderFrontTimer;
};

// A host program that loads the plug-in module drives the module's windows
// (scripts, window mode) through platform::WindowSystem::Shared(), which the
// module exports as the C function Zelto2X_GuiWindowSystem().
