// Popup-menu model rules and the shared bitmap cache.
#include <gtest/gtest.h>

#include "BitmapStorage.h"
#include "GraphicsTestSupport.h"
#include "IPopupMenu.h"

namespace {

TEST(PopupMenu, ItemsGoBeforeTheirIndexOutOfRangeIndexesGiveNothingSubmenusOutliveTheirMenuAndCheckAloneUnticksTheRest)
{
    IPopupMenu sub;
    sub.AddItem("x");
    {
        IPopupMenu top;
        top.AddItem("more", &sub);
    }
    EXPECT_STREQ(sub.GetItemText(0), "x");
    IPopupMenu menu;
    for (const char* t : {"b", "c"}) menu.AddItem(t);
    menu.AddItem("a", 0);
    menu.AddItem("z", 99);
    menu.AddItem("first", -5);
    menu.AddSeparator();
    std::vector<std::string> texts;
    for (int index : {0, 1, 4, -1, 5, 6})  // then outside, the separator, past the end
        texts.push_back(menu.GetItemText(index));
    EXPECT_EQ(texts, (std::vector<std::string> {"first", "a", "z", "", "", ""}));
    EXPECT_EQ(menu.GetItem(6), nullptr);
    EXPECT_FALSE(menu.IsItemChecked(-1));
    menu.CheckItem(0, true);
    menu.CheckItem(2, true);
    menu.CheckItemAlone(1);
    EXPECT_FALSE(menu.IsItemChecked(0) || menu.IsItemChecked(2));
    EXPECT_TRUE(menu.IsItemChecked(1));
    menu.CheckItemAlone(-1);
    EXPECT_FALSE(menu.IsItemChecked(1));
}

TEST(BitmapCache, InstancesAtDifferentScalesGetTheirOwnCopiesAndMissingImagesCacheNothing)
{
    TestPlug plug;
    TestGraphics small(&plug, 10, 10), large(&plug, 10, 10);
    for (TestGraphics* graphics : {&small, &large}) graphics->addStrip("panel.png", 40, 20, {0xff});
    EXPECT_EQ((std::vector<int> {30, 50, 30, 50}), (std::vector<int> {small.LoadIBitmap(9002, "panel.png", 0.75).W,
                                                       large.LoadIBitmap(9002, "panel.png", 1.25).W,
                                                       small.getImageById(9002).W, large.getImageById(9002).W}));

    const int before = s_bitmapCache.Size();
    EXPECT_EQ(small.LoadIBitmap(9003, "nowhere.png").mData, nullptr);
    EXPECT_EQ(small.getImageById(9004).mData, nullptr);
    EXPECT_EQ(s_bitmapCache.Size(), before);
}

}  // namespace
