// Hit priority and mouse/key dispatch of the surface.
#include <gtest/gtest.h>

#include "ControlLayer.h"
#include "GraphicsFixture.h"

namespace {

using Events = GraphicsTest;

TEST_F(Events, LastFlatControlWinsLayersLieOverThemAndHiddenOrGreyedFlatOnesAreNotHit)
{
    ProbeControl* under = attach(IRECT(0, 0, 50, 50));
    ProbeControl* over = attach(IRECT(10, 10, 40, 40));
    // Right and bottom edges are outside.
    EXPECT_EQ((std::vector<IControl*> {over, under, nullptr}),
              (std::vector<IControl*> {gui.HitTest(20, 20), gui.HitTest(5, 5), gui.HitTest(50, 20)}));
    over->Hide(true);
    EXPECT_EQ(gui.HitTest(20, 20), under);
    under->GrayOut(true);
    EXPECT_EQ(gui.HitTest(20, 20), nullptr);

    auto* layer = new ControlLayer(1, "layer");
    gui.AttachLayer(layer);
    layer->Hide(false);
    auto* inLayer = new ProbeControl(&plug, IRECT(0, 0, 50, 50));
    layer->AddControl(inLayer);
    layer->GrayOut(true);  // a greyed layer control is still hit
    EXPECT_EQ(gui.HitTest(20, 20), inLayer);
}

TEST_F(Events, MouseDownCapturesAndInformsHostUntilMouseUpDragsSkipZeroMovementAndKeysGoUnderTheMouseOnly)
{
    ProbeControl* c = attach(IRECT(0, 0, 50, 50), 3);
    gui.OnMouseUp(150, 90, &left);  // nothing captured or under the mouse: nothing happens
    gui.OnMouseDrag(12, 8, &left);
    EXPECT_EQ(c->ups, 0);
    EXPECT_TRUE(plug.ends.empty());
    gui.OnMouseDown(10, 10, &left);
    EXPECT_EQ(gui.GetMouseCapture(), c);
    EXPECT_EQ(plug.begins, std::vector<int>{3});
    for (const auto& [x, y] : {std::pair(10, 10), std::pair(12, 7), std::pair(15, 7)})
        gui.OnMouseDrag(x, y, &left);
    EXPECT_EQ(c->drags, (std::vector<std::pair<int, int>>{{2, -3}, {3, 0}}));
    gui.OnMouseUp(150, 90, &left);  // outside: still the captured control
    EXPECT_EQ(c->ups, 1);
    EXPECT_EQ(plug.ends, std::vector<int>{3});
    EXPECT_EQ(gui.GetMouseCapture(), nullptr);
    EXPECT_FALSE(gui.OnKeyDown(150, 90, 5));
    EXPECT_TRUE(gui.OnKeyDown(10, 10, 1));
    EXPECT_EQ(c->keys, std::vector<int>{1});
}

}  // namespace
