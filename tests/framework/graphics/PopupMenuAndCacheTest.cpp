// Popup-menu model rules and the shared bitmap cache.
#include <gtest/gtest.h>

#include "BitmapStorage.h"
#include "GraphicsTestSupport.h"
#include "IPopupMenu.h"

namespace {

TEST(PopupMenu, PrefixNumbersEveryPositionIncludingSeparators)
{
    IPopupMenu menu;
    menu.AddItem("Bank A");
    menu.AddSeparator();
    menu.AddItem("Bank B");
    menu.SetPrefix(2);
    EXPECT_STREQ(menu.GetPrefixText(0).Get(), "01: ");
    EXPECT_STREQ(menu.GetPrefixText(2).Get(), "03: ");
    menu.SetPrefix(3);
    EXPECT_STREQ(menu.GetPrefixText(0).Get(), "001: ");
    menu.SetPrefix(1);
    EXPECT_STREQ(menu.GetPrefixText(0).Get(), "1: ");
    menu.SetPrefix(7);  // out of range: kept
    EXPECT_EQ(menu.GetPrefix(), 1);
    menu.SetPrefix(0);
    EXPECT_STREQ(menu.GetPrefixText(0).Get(), "");
    EXPECT_TRUE(menu.GetItem(1)->GetIsSeparator());
}

TEST(PopupMenu, AddItemInsertsBeforeIndexAndClampsOthers)
{
    IPopupMenu menu;
    menu.AddItem("b");
    menu.AddItem("c");
    menu.AddItem("d");
    menu.AddItem("a", 0);
    menu.AddItem("z", 99);
    menu.AddItem("first", -5);
    EXPECT_STREQ(menu.GetItemText(0), "first");
    EXPECT_STREQ(menu.GetItemText(1), "a");
    EXPECT_STREQ(menu.GetItemText(2), "b");
    EXPECT_STREQ(menu.GetItemText(5), "z");
}

TEST(PopupMenu, CheckRulesAndOutOfRangeIndexesGiveNothing)
{
    IPopupMenu menu;
    for (const char* t : {"0", "1", "2"}) menu.AddItem(t);
    menu.CheckItem(0, true);
    menu.CheckItem(2, true);
    menu.CheckItemAlone(1);
    EXPECT_FALSE(menu.IsItemChecked(0));
    EXPECT_TRUE(menu.IsItemChecked(1));
    EXPECT_FALSE(menu.IsItemChecked(2));
    menu.CheckItemAlone(-1);
    EXPECT_FALSE(menu.IsItemChecked(1));
    EXPECT_FALSE(menu.CheckItem(3, true));
    EXPECT_FALSE(menu.IsItemChecked(-1));
    EXPECT_EQ(menu.GetItem(3), nullptr);
    menu.AddSeparator();
    for (int index : {-1, 3, 4})  // outside, the separator, past the end
        EXPECT_STREQ(menu.GetItemText(index), "") << index;
    EXPECT_EQ(menu.GetChosenItemIdx(), -1);
}

TEST(PopupMenu, DestroyingAMenuLeavesItsSubmenusAlive)
{
    IPopupMenu sub;
    sub.AddItem("x");
    {
        IPopupMenu top;
        top.AddItem("more", &sub);
        EXPECT_EQ(top.GetItem(0)->GetSubmenu(), &sub);
    }
    EXPECT_STREQ(sub.GetItemText(0), "x");
}

struct BitmapCache : ::testing::Test {
    TestPlug plug;
    TestGraphics gui{&plug, 10, 10};
};

TEST_F(BitmapCache, InstancesAtDifferentScalesGetTheirOwnCopies)
{
    TestGraphics small(&plug, 10, 10), large(&plug, 10, 10);
    small.addImage("panel.png", 40, 20, 0xff);
    large.addImage("panel.png", 40, 20, 0xff);
    IBitmap s = small.LoadIBitmap(9002, "panel.png", 0.75);
    IBitmap l = large.LoadIBitmap(9002, "panel.png", 1.25);
    EXPECT_EQ(s.W, 30);
    EXPECT_EQ(l.W, 50);
    EXPECT_EQ(small.getImageById(9002).W, 30);
    EXPECT_EQ(large.getImageById(9002).W, 50);
}

TEST_F(BitmapCache, MissingImagesGiveEmptyHandlesAndCacheNothing)
{
    const int before = s_bitmapCache.Size();
    IBitmap missing = gui.LoadIBitmap(9003, "nowhere.png");
    EXPECT_EQ(missing.mData, nullptr);
    EXPECT_EQ(missing.W, 0);
    EXPECT_EQ(gui.getImageById(9004).mData, nullptr);
    EXPECT_EQ(s_bitmapCache.Size(), before);
}

TEST_F(BitmapCache, ReleaseDeletesOnlyCachedBitmaps)
{
    gui.addImage("tmp.png", 4, 4, 0xff);
    IBitmap b = gui.LoadIBitmap(9005, "tmp.png");
    const int before = s_bitmapCache.Size();
    gui.ReleaseBitmap(&b);
    EXPECT_EQ(s_bitmapCache.Size(), before - 1);
    gui.ReleaseBitmap(&b);  // no longer cached: nothing happens
    EXPECT_EQ(s_bitmapCache.Size(), before - 1);
}

}  // namespace
