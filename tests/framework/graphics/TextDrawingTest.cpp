// Text measuring and the framework's time-stamp helpers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>

#include "FontStorage.h"
#include "GraphicsFixture.h"
#include "Log.h"
#include "zuve/zuve_text.h"

namespace {

// A font whose every text is 50 x 14 pixels.
class FixedFont : public ZUVE_IFont {
public:
    void SetTextColor(unsigned int) override {}
    unsigned int GetTextColor() const override { return 0; }
    int DrawText(ZUVE_IBitmap*, const char*, int, RECT* r, unsigned int flags) override
    {
        if (flags & DT_CALCRECT) {
            r->right = r->left + 50;
            r->bottom = r->top + 14;
        }
        return 14;
    }
    int GetLineHeight() const override { return 14; }
};

struct Text : GraphicsTest {
    FixedFont font;
    IText style;
    void SetUp() override { style.mCached = &font; }
};

TEST_F(Text, MeasuredTextIsPlacedByItsAlignment)
{
    const struct {
        IText::EAlign align;
        IRECT in, out;
    } cases[] = {{IText::kAlignCenter, IRECT(0, 0, 100, 20), IRECT(25, 0, 75, 14)},
                 {IText::kAlignFar, IRECT(0, 0, 100, 20), IRECT(50, 0, 100, 14)},
                 {IText::kAlignNear, IRECT(10, 5, 100, 20), IRECT(10, 5, 60, 19)}};
    for (const auto& c : cases) {
        style.mAlign = c.align;
        IRECT r = c.in;
        ASSERT_TRUE(gui.DrawIText(&style, "fifty", &r, true));
        EXPECT_EQ(r, c.out) << c.align;
    }
}

TEST(Timestamp, CurrentTimeEndsWithTheOffsetFromUtc)
{
    const char* saved = std::getenv("TZ");
    const std::string old = saved ? saved : "";
    setenv("TZ", "EST5", 1);
    tzset();
    const std::string est = CurrentTime();
    if (saved)
        setenv("TZ", old.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(est.substr(est.size() - 5), "-0500");
    EXPECT_EQ(est.size(), std::string("20261206 17:15 -0500").size());
}

TEST(FontCache, RetryHeightCorrectsOnceAndNeverDividesByZero)
{
    // 144 / 14 = 10.3; 4 / 3 rounded
    EXPECT_EQ((std::vector<int> {0, 10, 1, 0}), (std::vector<int> {FontRetryHeight(12, 12, 12),
        FontRetryHeight(12, 12, 14), FontRetryHeight(1, 2, 3), FontRetryHeight(12, 12, 0)}));
}

}  // namespace
