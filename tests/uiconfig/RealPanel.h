#pragma once
// The editor's own panel: resources/uiconfig.xml and resources/sysex.xml as
// the build enciphers them into the bundle, read by the real reader onto a
// real surface at one interface size.

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphicsMac.h"
#include "LibrarianViewControl.h"
#include "ParameterTable.h"
#include "UIConfigManager.h"
#include "Zelto2X.h"

constexpr int kPanelWidth = 1500, kPanelHeight = 757;

struct PlacedControl {
    IControl* control;
    std::string layers;  // the layers it lies in, outermost first, joined by "/"; empty on the surface itself
};

class RealPanel {
public:
    explicit RealPanel(double scale)
        : editor(IPluginInstanceInfo()), graphics(&editor, int(kPanelWidth * scale), int(kPanelHeight * scale)),
          scale(scale)
    {
        graphics.SetBundlePath(ZELTO2X_BUNDLE_DIR);
        config.setLibrarianViewFactory([this](int x, int y, IBitmap* bitmap, IRECT bounds) {
            view = new LibrarianViewControl(&editor, x, y, kLibrarianArea, bitmap, bounds, editor.patchLibrarian,
                this->scale);
            return view;
        });
        testing::internal::CaptureStdout();
        config.readUIConfig(&graphics, &editor, editor.patchLibrarian, 0, scale);
        log = testing::internal::GetCapturedStdout();
        for (int i = 0; i < graphics.NControls(); ++i)
            placed.push_back({graphics.GetControl(i), ""});
        for (int i = 0; i < graphics.NLayers(); ++i)
            collect(graphics.GetLayer(i), "");
    }

    // The pictures behind the controls, which a player neither reads nor touches.
    static bool isPicture(IControl* c) { return typeid(*c) == typeid(IBitmapControl); }

    Zelto2X editor;
    IGraphicsMac graphics;
    UIConfigManager config;
    double scale;
    LibrarianViewControl* view = nullptr;
    std::string log;
    std::vector<PlacedControl> placed;

private:
    void collect(ControlLayer* layer, std::string layers)
    {
        layers += (layers.empty() ? "" : "/") + layer->GetName();
        for (int i = 0; i < layer->NControls(); ++i)
            placed.push_back({layer->GetControl(i), layers});
        for (int i = 0; i < layer->NLayers(); ++i)
            collect(layer->GetLayer(i), layers);
    }
};

inline std::string describe(IControl* c)
{
    const IRECT& r = *c->GetRECT();
    return "param " + std::to_string(c->ParamIdx()) + " at (" + std::to_string(r.L) + ", " + std::to_string(r.T) +
           ", " + std::to_string(r.R) + ", " + std::to_string(r.B) + ")";
}
