// Hit priority and mouse/key dispatch of the surface.
#include <gtest/gtest.h>

#include "ControlLayer.h"
#include "GraphicsTestSupport.h"

namespace {

struct Events : ::testing::Test {
    TestPlug plug;
    TestGraphics gui{&plug, 200, 100};
    IMouseMod left{true};

    ProbeControl* attach(IRECT r, int param = -1)
    {
        auto* c = new ProbeControl(&plug, r, param);
        gui.AttachControl(c);
        return c;
    }
    ControlLayer* shownLayer(int id)
    {
        auto* layer = new ControlLayer(id, "layer");
        gui.AttachLayer(layer);
        layer->Hide(false);
        return layer;
    }
};

TEST_F(Events, LastAttachedFlatControlWinsAndAHiddenOneIsNeverHit)
{
    ProbeControl* under = attach(IRECT(0, 0, 50, 50));
    ProbeControl* over = attach(IRECT(10, 10, 40, 40));
    EXPECT_EQ(gui.HitTest(20, 20), over);
    EXPECT_EQ(gui.HitTest(5, 5), under);
    over->Hide(true);
    EXPECT_EQ(gui.HitTest(20, 20), under);
    under->Hide(true);
    EXPECT_EQ(gui.HitTest(20, 20), nullptr);
}

TEST_F(Events, LayerControlLiesOverFlatControls)
{
    attach(IRECT(0, 0, 50, 50));
    ControlLayer* layer = shownLayer(1);
    auto* inLayer = new ProbeControl(&plug, IRECT(0, 0, 50, 50));
    layer->AddControl(inLayer);
    EXPECT_EQ(gui.HitTest(20, 20), inLayer);
}

TEST_F(Events, GreyedFlatControlIsNotHitButGreyedLayerControlIs)
{
    ProbeControl* flat = attach(IRECT(0, 0, 50, 50));
    flat->GrayOut(true);
    EXPECT_EQ(gui.HitTest(20, 20), nullptr);
    flat->SetMOWhenGrayed(true);
    EXPECT_EQ(gui.HitTest(20, 20, true), flat);  // mouse-over only

    ControlLayer* layer = shownLayer(1);
    auto* inLayer = new ProbeControl(&plug, IRECT(0, 0, 50, 50));
    layer->AddControl(inLayer);
    layer->GrayOut(true);
    EXPECT_EQ(gui.HitTest(20, 20), inLayer);
}

TEST_F(Events, EmptyRectangleContainsNoPointAndRightBottomEdgesAreOutside)
{
    EXPECT_FALSE(IRECT().Contains(0, 0));
    EXPECT_TRUE(IRECT(0, 0, 10, 10).Contains(0, 0));
    EXPECT_FALSE(IRECT(0, 0, 10, 10).Contains(10, 5));
    EXPECT_FALSE(IRECT(0, 0, 10, 10).Contains(5, 10));
}

TEST_F(Events, MouseDownCapturesAndInformsHostUntilMouseUp)
{
    ProbeControl* c = attach(IRECT(0, 0, 50, 50), 3);
    gui.OnMouseUp(150, 90, &left);  // nothing captured or under the mouse: nothing happens
    EXPECT_EQ(c->ups, 0);
    EXPECT_TRUE(plug.ends.empty());
    gui.OnMouseDown(10, 10, &left);
    EXPECT_EQ(gui.GetMouseCapture(), c);
    EXPECT_EQ(plug.begins, std::vector<int>{3});
    gui.OnMouseUp(150, 90, &left);  // outside: still the captured control
    EXPECT_EQ(c->ups, 1);
    EXPECT_EQ(plug.ends, std::vector<int>{3});
    EXPECT_EQ(gui.GetMouseCapture(), nullptr);
}

TEST_F(Events, DragDeliversDeltasAndSkipsZeroMovement)
{
    ProbeControl* c = attach(IRECT(0, 0, 50, 50));
    gui.OnMouseDrag(12, 8, &left);  // no capture
    gui.OnMouseDown(10, 10, &left);
    gui.OnMouseDrag(10, 10, &left);
    gui.OnMouseDrag(12, 7, &left);
    gui.OnMouseDrag(15, 7, &left);
    ASSERT_EQ(c->drags.size(), 2u);
    EXPECT_EQ(c->drags[0], std::make_pair(2, -3));
    EXPECT_EQ(c->drags[1], std::make_pair(3, 0));
}

TEST_F(Events, DoubleClickAsSingleClickCapturesAndReportsTrue)
{
    ProbeControl* plain = attach(IRECT(0, 0, 50, 50));
    EXPECT_FALSE(gui.OnMouseDblClick(10, 10, &left));
    EXPECT_EQ(plain->doubles, 1);
    ProbeControl* single = attach(IRECT(60, 0, 100, 50), 4);
    single->SetDblAsSingleClick(true);
    EXPECT_TRUE(gui.OnMouseDblClick(70, 10, &left));
    EXPECT_EQ(single->downs, 1);
    EXPECT_EQ(gui.GetMouseCapture(), single);
    EXPECT_TRUE(plug.begins.empty());
}

TEST_F(Events, KeysGoToTheControlUnderTheMouseElseTheKeyCatcher)
{
    ProbeControl* c = attach(IRECT(0, 0, 50, 50));
    auto* catcher = new ProbeControl(&plug, IRECT());
    EXPECT_FALSE(gui.OnKeyDown(150, 90, 5));
    gui.AttachKeyCatcher(catcher);
    EXPECT_TRUE(gui.OnKeyDown(10, 10, 1));
    EXPECT_TRUE(gui.OnKeyDown(150, 90, 2));
    EXPECT_EQ(c->keys, std::vector<int>{1});
    EXPECT_EQ(catcher->keys, std::vector<int>{2});
}

}  // namespace
