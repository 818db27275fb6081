// Parameters: kinds, ranges, normalisation, display texts.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "IParam.h"

namespace {
std::string Display(const IParam& p, double value, bool normalized = false)
{
    char out[IParam::kDisplayForHostLength];
    p.GetDisplayForHost(value, normalized, out, true);
    return out;
}
}  // namespace

TEST(Param, ValuesSnapClampTurnNaNIntoTheMinimumAndDegenerateRangesSpanOneStepOrNormaliseToZero)
{
    IParam a, b, i, d, p, q;
    a.InitEnum("a", 0, 1);
    b.InitEnum("b", 0, 0);
    i.InitInt("i", 5, 5, 3);
    d.InitDouble("d", 2.0, 2.0, 2.0, 0.0);
    EXPECT_EQ((std::vector<double> {1.0, 1.0, 6.0, 0.0}),
              (std::vector<double> {a.GetMax(), b.GetMax(), i.GetMax(), d.GetNormalized()}));
    d.SetNormalized(0.7);  // a zero step must not snap into NaN either
    EXPECT_FALSE(std::isnan(d.Value()));
    p.InitInt("i", 0, 0, 10);
    p.SetNormalized(0.26);
    EXPECT_EQ(p.Value(), 3.0);
    EXPECT_DOUBLE_EQ(p.GetNormalized(), 0.3);
    q.InitDouble("d", 0.0, 0.0, 1.0, 0.1);
    q.InitInt("i", 0, 2, 8);  // the first kind stays
    EXPECT_EQ(q.Type(), IParam::kTypeDouble);
    std::vector<double> seen;
    for (double v : {std::nan(""), 100.0}) {
        q.SetClamped(v);
        seen.push_back(q.Value());
    }
    for (double v : {-9.0, 9.0}) {  // stored outside the range: the normalised value is clamped
        q.Set(v);
        seen.push_back(q.GetNormalized());
    }
    EXPECT_EQ(seen, (std::vector<double> {2.0, 8.0, 0.0, 1.0}));
}

TEST(Param, DisplayUsesThePrecisionOfTheStepOrTruncationLongTextsAreCutToTheirFieldsAndTheHostBufferTakesAWholePortName)
{
    const struct {
        double step, value;
        const char* text;
    } doubles[] = {{0.5, 1.25, "1.2"}, {0.01, 1.25, "1.25"}, {1.0, 1.25, "1"}, {0.03125, 1.25, "1.25000"},
                   {0.1234567, 1.25, "1.250000"}};
    for (const auto& c : doubles) {
        IParam p;
        p.InitDouble("d", 0.0, -10.0, 10.0, c.step);
        EXPECT_EQ(Display(p, c.value), c.text) << c.step;
    }
    IParam q;
    q.InitInt("i", 0, -10, 10);
    // Normalised 0.5 maps to 0 without snapping.
    EXPECT_EQ((std::vector<std::string> {"2", "-2", "0"}),
              (std::vector<std::string> {Display(q, 2.9), Display(q, -2.9), Display(q, 0.5, true)}));

    const std::string longText(300, 'x');
    IParam p;
    p.InitBool(longText.c_str(), false, longText.c_str(), longText.c_str());
    EXPECT_EQ(std::pair(size_t {54}, size_t {54}),
              std::pair(std::strlen(p.GetNameForHost()), std::strlen(p.GetParamGroupForHost())));
    p.SetDisplayText(0, longText.c_str());
    EXPECT_EQ(p.GetDisplayText(0).size(), 55u);
    EXPECT_EQ(Display(p, 0.0).size(), static_cast<size_t>(IParam::kDisplayForHostLength - 1));

    // The host's value-to-text buffer is 55 bytes; a 54-character port name
    // must reach it whole, and nothing is written past the given size.
    const std::string name(54, 'p');
    p.SetDisplayText(0, name.c_str());
    char out[56];
    std::memset(out, '#', sizeof(out));
    p.GetDisplayForHost(0.0, false, out, true, 55);
    EXPECT_EQ(std::string(out), name);
    EXPECT_EQ(out[55], '#');
    p.GetDisplayForHost(0.0, false, out, true, 10);
    EXPECT_EQ(std::string(out), name.substr(0, 9));
}

TEST(Param, DisplayTextsRaiseTheMaximumAndOnesOutsideTheTableNeverWriteIntoIt)
{
    IParam p;
    p.InitText();
    p.InitEnum("e", 0, 2);  // the text kind stays
    EXPECT_EQ(p.Type(), IParam::kTypeText);
    for (int v = 0; v <= 2; ++v) p.SetDisplayText(v, ("t" + std::to_string(v)).c_str());
    EXPECT_EQ(p.GetMax(), 2.0);
    p.SetDisplayText(5, "gap");  // more than one beyond the last record
    p.SetDisplayText(-1, "Stored Device");
    EXPECT_EQ(p.GetNDisplayTexts(), 3);
    EXPECT_EQ((std::vector<std::string> {"", "Stored Device", ""}),
              (std::vector<std::string> {p.GetDisplayText(5), p.GetDisplayText(-1), p.GetDisplayTextAtIdx(7)}));
    int value = 42;
    EXPECT_EQ((std::vector<int> {p.MapDisplayText("T1", &value), value, p.MapDisplayText("t1", &value), value}),
              (std::vector<int> {false, 42, true, 1}));
    p.ResetDisplayTexts();
    EXPECT_EQ(p.GetNDisplayTexts(), 0);
    EXPECT_EQ(p.GetMax(), 2.0);  // the range stays
}
