#pragma once
// A rough picture of one tab as the editor would show it at the normal size,
// composed from the configuration and the generated images: for looking at the
// layout before (or without) running the editor.

#include <string>

// Writes the picture of tab (0 Global, 1 Librarian, 2 Sound, 3 Arp/Mod; 4 to 7 the
// same with the windows open) to
// outPath; imageDir holds the generated images. False when nothing could be read.
bool RenderPanelPreview(const std::string& configPath, const std::string& imageDir, int tab,
                        const std::string& outPath);
