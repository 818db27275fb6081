// Parameters: kinds, ranges, normalisation, display texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "IParam.h"

namespace {
std::string Display(const IParam& p, double value, bool normalized = false, bool withTexts = true)
{
    char out[IParam::kDisplayForHostLength];
    p.GetDisplayForHost(value, normalized, out, withTexts);
    return out;
}
}  // namespace

TEST(Param, EnumWithOneOrNoEntriesAndIntWithMaxNotAboveMinSpanOneStep)
{
    IParam a, b, i;
    a.InitEnum("a", 0, 1);
    b.InitEnum("b", 0, 0);
    i.InitInt("i", 5, 5, 3);
    EXPECT_EQ(a.GetMax(), 1.0);
    EXPECT_EQ(b.GetMax(), 1.0);
    EXPECT_EQ(i.GetMin(), 5.0);
    EXPECT_EQ(i.GetMax(), 6.0);
}

TEST(Param, DoublePrecisionFollowsTheStep)
{
    const double steps[] = {0.5, 0.01, 1.0, 0.1234567};
    const int precisions[] = {1, 2, 0, 6};
    for (int i = 0; i < 4; ++i) {
        IParam p;
        p.InitDouble("d", 0.0, 0.0, 10.0, steps[i]);
        EXPECT_EQ(p.GetPrecision(), precisions[i]) << steps[i];
    }
}

TEST(Param, FirstKindStaysButTextKindOverrides)
{
    IParam p;
    p.InitText();
    p.InitEnum("e", 0, 4);
    EXPECT_EQ(p.Type(), IParam::kTypeText);
    EXPECT_EQ(p.GetMax(), 3.0);
    IParam q;
    q.InitInt("i", 0, 0, 10);
    q.InitDouble("d", 0.0, 0.0, 1.0, 0.1);
    EXPECT_EQ(q.Type(), IParam::kTypeInt);
}

TEST(Param, AppendedDisplayTextsRaiseTheMaximumWhichAResetKeeps)
{
    IParam p;
    p.InitEnum("e", 0, 3);
    for (int v = 0; v <= 4; ++v) p.SetDisplayText(v, ("t" + std::to_string(v)).c_str());
    EXPECT_EQ(p.GetMax(), 4.0);
    EXPECT_EQ(p.GetNDisplayTexts(), 5);
    int value = -1;
    EXPECT_EQ(p.GetDisplayTextAtIdx(3, &value), "t3");
    EXPECT_EQ(value, 3);
    p.ResetDisplayTexts();
    EXPECT_EQ(p.GetNDisplayTexts(), 0);
    EXPECT_EQ(p.GetMax(), 4.0);  // the range stays
}

TEST(Param, DisplayTextsOutsideTheTableNeverWriteIntoIt)
{
    IParam p;
    p.InitEnum("e", 0, 2);
    p.SetDisplayText(0, "zero");
    p.SetDisplayText(1, "one");
    p.SetDisplayText(5, "gap");  // more than one beyond the last record
    EXPECT_EQ(p.GetNDisplayTexts(), 2);
    EXPECT_EQ(p.GetDisplayText(5), "");
    p.SetDisplayText(-1, "Stored Device");
    EXPECT_EQ(p.GetNDisplayTexts(), 2);
    EXPECT_EQ(p.GetMax(), 1.0);
    EXPECT_EQ(p.GetDisplayText(-1), "Stored Device");
    EXPECT_EQ(p.GetDisplayTextAtIdx(7), "");
}

TEST(Param, LongTextsAreCutToTheirFields)
{
    const std::string longText(300, 'x');
    IParam p;
    p.InitBool(longText.c_str(), false, longText.c_str(), longText.c_str());
    EXPECT_EQ(std::string(p.GetNameForHost()).size(), 54u);
    EXPECT_EQ(std::string(p.GetParamGroupForHost()).size(), 54u);
    p.SetDisplayText(0, longText.c_str());
    EXPECT_EQ(p.GetDisplayText(0).size(), 55u);
    EXPECT_EQ(Display(p, 0.0).size(), static_cast<size_t>(IParam::kDisplayForHostLength - 1));
}

TEST(Param, HostTextBufferTakesTheWholeDisplayText)
{
    // The host's value-to-text buffer is 55 bytes; a 54-character port name
    // must reach it whole, and nothing is written past the given size.
    const std::string name(54, 'p');
    IParam p;
    p.InitEnum("device", 0, 1);
    p.SetDisplayText(0, name.c_str());
    char out[56];
    std::memset(out, '#', sizeof(out));
    p.GetDisplayForHost(0.0, false, out, true, 55);
    EXPECT_EQ(std::string(out), name);
    EXPECT_EQ(out[55], '#');
    p.GetDisplayForHost(0.0, false, out, true, 10);
    EXPECT_EQ(std::string(out), name.substr(0, 9));
}

TEST(Param, IntSnapsToTheStepAndNormalisesBack)
{
    IParam p;
    p.InitInt("i", 0, 0, 10);
    p.SetNormalized(0.26);
    EXPECT_EQ(p.Value(), 3.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.3);
}

TEST(Param, CollapsedRangeNormalisesToZero)
{
    IParam p;
    p.InitDouble("d", 2.0, 2.0, 2.0, 0.0);
    EXPECT_EQ(p.GetMax(), 2.0);
    EXPECT_EQ(p.GetNormalized(), 0.0);
    p.SetNormalized(0.7);  // a zero step must not snap into NaN either
    EXPECT_FALSE(std::isnan(p.Value()));
}

TEST(Param, DisplayUsesPrecisionOrTruncation)
{
    IParam p;
    p.InitDouble("d", 0.0, -10.0, 10.0, 0.01);
    EXPECT_EQ(Display(p, 1.25), "1.25");
    IParam q;
    q.InitInt("i", 0, -10, 10);
    EXPECT_EQ(Display(q, 2.9), "2");
    EXPECT_EQ(Display(q, -2.9), "-2");
    EXPECT_EQ(Display(q, 0.5, true), "0");  // normalised 0.5 maps to 0 without snapping
}

TEST(Param, MapDisplayTextFindsOnlyExactTexts)
{
    IParam p;
    p.InitEnum("e", 0, 2);
    p.SetDisplayText(0, "Saw");
    p.SetDisplayText(1, "Pulse");
    int value = 42;
    EXPECT_FALSE(p.MapDisplayText("saw", &value));
    EXPECT_EQ(value, 42);
    EXPECT_TRUE(p.MapDisplayText("Pulse", &value));
    EXPECT_EQ(value, 1);
}

TEST(Param, ClampedStoreTurnsNaNIntoTheMinimumAndNormalisedValuesClamp)
{
    IParam p;
    p.InitInt("i", 0, 2, 8);
    p.SetClamped(std::nan(""));
    EXPECT_EQ(p.Value(), 2.0);
    p.SetClamped(100.0);
    EXPECT_EQ(p.Value(), 8.0);
    p.Set(-9.0);  // stored outside the range: the normalised value is clamped
    EXPECT_EQ(p.GetNormalized(), 0.0);
    p.Set(9.0);
    EXPECT_EQ(p.GetNormalized(), 1.0);
}
