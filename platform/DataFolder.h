#pragma once
// Where the editor keeps its library, LOG file and UI settings: the stand-in
// for the macOS folder "/Library/Audio/Presets/Vantorel/Marnvik Zelto2X Editor/".

#include <string>

namespace platform {

// $ZELTO2X_DATA_FOLDER when set and not empty, else
// ${XDG_DATA_HOME:-~/.local/share}/Vantorel/Marnvik Zelto2X Editor/.
// Always ends with '/'. Reads the environment on every call; any thread.
std::string DataFolderPath();

}  // namespace platform
