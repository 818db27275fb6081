#pragma once
// The host's window side: finds the window system of the loaded plug-in
// module and runs the plug-in's view in a window. The host links no window
// system of its own; it drives the module's through platform::WindowSystem's
// virtual interface, so both talk about the same windows.
//
// Main thread only.

#include "PluginHost.h"
#include "platform/CocoaWindowSystem.h"

namespace host {

// The window system of the loaded plug-in (its module's exported
// Zelto2X_GuiWindowSystem), or null when no loaded code offers one.
platform::WindowSystem* ModuleWindowSystem();

// Opens the plug-in's view in a window and runs until the user closes it;
// kHostErrNoDisplay at once when no display can be opened.
HostStatus RunWindowMode(PluginHost& pluginHost);

// The program's exit code for that case, so a calling script can fall back.
constexpr int kExitNoDisplay = 3;

}  // namespace host
