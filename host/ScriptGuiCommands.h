#pragma once
// Script commands that act on the plug-in's window as a user would:
//   click X Y          press and release the left button at window pixel (X, Y)
//   drag X Y DX DY     press at (X, Y), move by (DX, DY), release
//   key CODE           a key: up, down, left, right, space, one character,
//                      or a number of two or more digits (a virtual key code)
//   menu CHOICE        the answer for the next popup menu: item indexes or
//                      titles joined by "/", or "none" to dismiss. It goes
//                      before the click that opens the menu; a menu that
//                      opens without one, or an answer naming no item of
//                      its menu, gets a "note:" line on the error stream
//   file [PATH]        the answer for the next file panel: the chosen path,
//                      or nothing to cancel
//   screenshot FILE    writes what the window shows to a PNG file
//   openview           opens the plug-in's view in a window
//   closeview          closes the window as the user's close button does
//   wait MS            as the core command, and once a view was opened the
//                      window runs meanwhile (headless: its clock moves MS)
// Window pixels count from the window's top-left corner; the view reaches
// the surface at (X - 2, Y - 3). They register themselves with the host as
// the "window" extension, which also runs --window mode. Main thread.

#include "HostExtensions.h"

namespace host {

// Adds the commands above to a script's table (the extension does it for the program).
void AddGuiCommands(ScriptCommands& commands, PluginHost& pluginHost);

}  // namespace host
