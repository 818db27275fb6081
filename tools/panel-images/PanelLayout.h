#pragma once
// What the panel configuration asks to be painted into the background
// pictures: section panels, displays, texts, menu fields and control labels.
// The configuration is the one source of the layout: each picture receives
// the decorations of the layer that shows it.

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace panel {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

struct Decoration {
    enum class Kind { Section, Display, Text, MenuField, Label, Glyph } kind;
    Rect rect;            // in the picture's own coordinates
    std::string text;     // title, text, label or glyph
    std::string style;    // display style or text style
    int align = 1;        // 0 left, 1 centre, 2 right
    std::string layers;   // the names of the layers it lies in, outermost first, joined by "/"
};

// Size of one frame of an image at normal size; {0, 0} when unknown.
using FrameSizeFn = std::function<Rect(const std::string& image)>;

struct Canvas {
    std::string image;  // image-table name of the picture
    int x = 0, y = 0;   // where the picture sits on the surface
    std::vector<Decoration> items;
};

// Reads the configuration file; the frame background is the canvas of every
// decoration outside a layer with its own background. Empty on a parse error.
std::map<std::string, Canvas> readPanelLayout(const std::string& path, const std::string& frameImage,
                                              const FrameSizeFn& frameSize, std::string* error);

}  // namespace panel

namespace panel {
// The entries of the configuration's value list `name`, or none.
std::vector<std::string> readValueList(const std::string& path, const std::string& name);
}  // namespace panel
