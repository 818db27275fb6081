// Text measuring, bitmap-font text and the framework's time-stamp helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "FontStorage.h"
#include "GraphicsTestSupport.h"
#include "IBitmapMonoText.h"
#include "Log.h"
#include "zuve/zuve.h"
#include "zuve/zuve_text.h"

namespace {

// A font whose every text is 50 x 14 pixels.
class FixedFont : public ZUVE_IFont {
public:
    void SetTextColor(unsigned int c) override { colour = c; }
    unsigned int GetTextColor() const override { return colour; }
    int DrawText(ZUVE_IBitmap*, const char*, int, RECT* r, unsigned int flags) override
    {
        lastFlags = flags;
        if (flags & DT_CALCRECT) {
            r->right = r->left + 50;
            r->bottom = r->top + 14;
        }
        ++calls;
        return 14;
    }
    int GetLineHeight() const override { return 14; }
    unsigned int colour = 0, lastFlags = 0;
    int calls = 0;
};

struct Text : ::testing::Test {
    TestPlug plug;
    TestGraphics gui{&plug, 40, 8};
    FixedFont font;
    IText style;
    void SetUp() override
    {
        gui.PrepDraw();
        style.mCached = &font;
    }
};

TEST_F(Text, MeasuringCentredTextPlacesItAroundTheMiddle)
{
    IRECT r(0, 0, 100, 20);
    ASSERT_TRUE(gui.DrawIText(&style, "fifty", &r, true));
    EXPECT_EQ(r, IRECT(25, 0, 75, 14));
    style.mAlign = IText::kAlignFar;
    r = IRECT(0, 0, 100, 20);
    gui.DrawIText(&style, "fifty", &r, true);
    EXPECT_EQ(r, IRECT(50, 0, 100, 14));
    style.mAlign = IText::kAlignNear;
    r = IRECT(10, 5, 100, 20);
    gui.DrawIText(&style, "fifty", &r, true);
    EXPECT_EQ(r, IRECT(10, 5, 60, 19));
}

TEST_F(Text, BitmapTextDrawsCharacterFramesAndWrapsLongSingleLines)
{
    std::vector<unsigned int> frames;
    for (int i = 0; i < 96; ++i) frames.push_back(ZUVE_RGBA(i, 0, 0, 255));
    gui.addStrip("chars.png", 2, 2, frames);
    IBitmap chars = gui.LoadIBitmap(9100, "chars.png", 1.0, 96);
    IRECT all(0, 0, 40, 8);
    gui.AttachControl(new ProbeControl(&plug, all));
    gui.Draw(&all);  // sets the draw rectangle
    IChannelBlend copy(IChannelBlend::kBlendClobber);

    IRECT row(0, 0, 40, 2);
    DrawBitmapedText(&gui, &chars, &row, &style, &copy, "AB", false, false, 2, 2);
    style.mAlign = IText::kAlignNear;
    DrawBitmapedText(&gui, &chars, &row, &style, &copy, "AB", false, false, 2, 2);
    EXPECT_EQ(gui.GetPoint(2, 0).R, 33);  // 'A' - 32, one cell in from the left
    EXPECT_EQ(gui.GetPoint(4, 0).R, 34);

    IRECT narrow(0, 4, 10, 6);  // room for three characters per row
    DrawBitmapedText(&gui, &chars, &narrow, &style, &copy, "ABCD", false, false, 2, 2);
    EXPECT_EQ(gui.GetPoint(6, 4).R, 35);
    EXPECT_EQ(gui.GetPoint(2, 6).R, 36);  // 'D' continues on the next row
}

TEST(Timestamp, CurrentTimeEndsWithTheOffsetFromUtc)
{
    const char* saved = std::getenv("TZ");
    const std::string old = saved ? saved : "";
    setenv("TZ", "UTC0", 1);
    tzset();
    std::string utc = CurrentTime();
    setenv("TZ", "EST5", 1);
    tzset();
    std::string est = CurrentTime();
    if (saved)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(utc.substr(utc.size() - 5), "+0000");
    EXPECT_EQ(est.substr(est.size() - 5), "-0500");
    EXPECT_EQ(utc.size(), std::string("20261206 17:15 +0000").size());
}

}  // namespace

namespace {

TEST(FontCache, RetryHeightCorrectsOnceAndNeverDividesByZero)
{
    EXPECT_EQ(FontRetryHeight(12, 12, 12), 0);
    EXPECT_EQ(FontRetryHeight(12, 12, 14), 10);  // 144 / 14 = 10.3
    EXPECT_EQ(FontRetryHeight(1, 2, 3), 1);      // 4 / 3 rounded
    EXPECT_EQ(FontRetryHeight(12, 12, 0), 0);
}

}  // namespace
