#pragma once
// A plug-in with a windowless 200 x 100 surface attached and ready to draw.

#include <gtest/gtest.h>

#include "GraphicsTestSupport.h"

struct GraphicsTest : ::testing::Test {
    TestPlug plug;
    TestGraphics& gui = *new TestGraphics(&plug, 200, 100);  // the plug-in deletes it
    IMouseMod left {true};
    IRECT all {0, 0, 200, 100};

    GraphicsTest() { plug.AttachGraphics(&gui); }
    ProbeControl* attach(IRECT r, int param = -1)
    {
        auto* control = new ProbeControl(&plug, r, param);
        gui.AttachControl(control);
        return control;
    }
};
