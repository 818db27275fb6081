#pragma once
// The editor's image table, each picture with the painter that draws it.
// Background pictures take their panels, displays and labels from the panel
// configuration, so they line up with the controls built from it.

#include <functional>
#include <string>
#include <vector>

#include "zuve/zuve.h"

struct PanelImage {
    const char* name;    // image-table name
    const char* file;    // file name in the bundle's resources
    int frames;
    bool horizontal;     // frames side by side
    int width, height;   // one frame, at the normal size
    // Paints frame `frame` with its top-left corner at (x, y).
    std::function<void(ZUVE_IBitmap*, int frame, int x, int y)> paint;
};

// Every picture of the image table, or none (with error set) when the
// configuration cannot be read.
std::vector<PanelImage> panelImages(const std::string& configPath, std::string* error);
