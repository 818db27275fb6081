// panel-images: draws every picture of the editor's image table as PNG files.
//
//   panel-images <uiconfig.xml> <output folder>
//   panel-images --preview <uiconfig.xml> <image folder> <tab> <out.png>
//
// Knobs, buttons and LEDs are drawn from the palette alone; the background
// pictures take their section panels, displays and labels from the panel
// configuration. Everything is drawn at the "normal" size; frame heights are
// multiples of 4, so the sizes 0.75 and 1.25 scale them to whole pixels.
// The preview composes one tab from the pictures for looking at the layout.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "ImageCatalog.h"
#include "PanelPainter.h"
#include "PanelPreview.h"
#include "PngWriter.h"

namespace {
// The window itself is 757 pixels high; its pictures are the one exception.
constexpr int kWindowHeight = 757;
}  // namespace

int main(int argc, char** argv)
{
    if (argc == 6 && std::string(argv[1]) == "--preview")
        return RenderPanelPreview(argv[2], argv[3], std::atoi(argv[4]), argv[5]) ? 0 : 1;
    if (argc != 3) {
        std::fprintf(stderr, "usage: panel-images <uiconfig.xml> <output folder>\n"
                             "       panel-images --preview <uiconfig.xml> <image folder> <tab> <out.png>\n");
        return 2;
    }
    const std::string outDir = argv[2];
    std::string error;
    const std::vector<PanelImage> images = panelImages(argv[1], &error);
    if (images.empty()) {
        std::fprintf(stderr, "panel-images: cannot read %s: %s\n", argv[1], error.c_str());
        return 1;
    }
    int failures = 0;
    for (const PanelImage& image : images) {
        if (image.height % 4 != 0 && image.height != kWindowHeight)
            std::fprintf(stderr, "panel-images: %s frame height %d is not a multiple of 4\n", image.name, image.height);
        const int w = image.horizontal ? image.width * image.frames : image.width;
        const int h = image.horizontal ? image.height : image.height * image.frames;
        ZUVE_MemBitmap bitmap(w, h);
        for (int f = 0; f < image.frames; ++f)
            image.paint(&bitmap, f, image.horizontal ? f * image.width : 0, image.horizontal ? 0 : f * image.height);
        panel::straightenAlpha(&bitmap);
        if (!WriteBitmapPNG(outDir + "/" + image.file, &bitmap)) {
            std::fprintf(stderr, "panel-images: cannot write %s/%s\n", outDir.c_str(), image.file);
            ++failures;
        }
    }
    return failures ? 1 : 0;
}
