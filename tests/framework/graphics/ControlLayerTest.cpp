// Show, hide, grey and selection rules of the control-layer tree.
#include <gtest/gtest.h>

#include "ControlLayer.h"
#include "GraphicsTestSupport.h"

namespace {

struct Layers : ::testing::Test {
    TestPlug plug;
    ControlLayer parent{0, "parent"};

    ControlLayer* child(int id, ControlLayer* under = nullptr)
    {
        auto* layer = new ControlLayer(id, "child");
        layer->AddControl(new ProbeControl(&plug, IRECT(0, 0, 10, 10)));
        (under ? under : &parent)->AddLayer(layer);
        return layer;
    }
    static bool greyed(ControlLayer* layer) { return layer->GetControl(0)->IsGrayed(); }
};

TEST_F(Layers, ShowingShowsOnlyTheSelectedBranchHidingHidesAllAndHitsPreferTheLastChildLayerOverOwnControls)
{
    auto* own = new ProbeControl(&plug, IRECT(0, 0, 10, 10));
    parent.AddControl(own);
    EXPECT_EQ(parent.isHit(5, 5), nullptr);  // new layers start hidden
    EXPECT_FALSE(parent.IsVisible());
    ControlLayer* one = child(1);
    ControlLayer* two = child(2);
    ControlLayer* three = child(3);
    ControlLayer* below = child(7, three);
    ControlLayer* selectedBelow = child(0, three);
    one->Hide(false);
    parent.SetSelectedChildId(3);
    parent.Hide(false);
    // The first child is left as it was.
    EXPECT_EQ((std::vector<bool> {true, true, false, true, false}), (std::vector<bool> {three->IsVisible(),
                  selectedBelow->IsVisible(), below->IsVisible(), one->IsVisible(), two->IsVisible()}));
    EXPECT_EQ(parent.isHit(5, 5), selectedBelow->GetControl(0));  // the last shown child layer, its children first
    parent.Hide(true);
    EXPECT_FALSE(one->IsVisible() || two->IsVisible() || three->IsVisible() || selectedBelow->IsVisible());
    parent.Hide(false);
    three->Hide(true);
    EXPECT_EQ(parent.isHit(5, 5), own);
}

TEST_F(Layers, UngreyingReachesOnlyTheSelectedChildAndUserArpGreysStepRowsBeyondTheLimitShowingTheLowIds)
{
    ControlLayer* low = child(5);
    ControlLayer* two = child(2);
    parent.SetSelectedChildId(2);
    parent.GrayOut(true);
    EXPECT_TRUE(greyed(low) && greyed(two));
    parent.GrayOut(false);
    EXPECT_TRUE(greyed(low) && !greyed(two));
    low->GrayOut(false);
    ControlLayer* within = child(208);
    ControlLayer* beyond = child(209);
    ControlLayer* last = child(252);
    ControlLayer* outside = child(253);
    outside->GrayOut(true);
    parent.GrayOutUserArp(false, 200, 208);
    EXPECT_FALSE(greyed(low) || greyed(within) || greyed(outside));
    EXPECT_TRUE(greyed(beyond) && greyed(last));

    parent.GrayOutUserArp(true, 199, 200);  // outside 200..252: nothing touched
    EXPECT_FALSE(greyed(within));
    EXPECT_EQ(parent.GetSelectedChildId(), 199);

    ControlLayer* other = child(50);
    parent.Hide(false);
    parent.showMultiLayers(200);
    EXPECT_TRUE(low->IsVisible() && within->IsVisible() && last->IsVisible());
    EXPECT_FALSE(other->IsVisible());
}

}  // namespace
