// The patch randomizer: folding table bytes into parameter ranges, the
// section locks and the generator.
#include "EditorFixture.h"

namespace {

class Randomizer : public EditorFixture {
protected:
    void fillTable(uint32_t value)
    {
        manager->setRandomSource([value] { return value; });
        quietly([&] { manager->randomGenerator(); });
    }
    void randomize() { quietly([&] { manager->randomizePatchSettings(0); }); }
    std::vector<double> allValues() const
    {
        std::vector<double> values;
        for (int i = 0; i < kNumParams; ++i)
            values.push_back(value(i));
        return values;
    }
};

}  // namespace

TEST_F(Randomizer, TableValueFoldsIntoTheRangeAboveTheMinimum)
{
    editor->GetParam(kArpMode)->InitDouble("two", 0.0, 0.0, 1.0, 1.0);
    editor->GetParam(kArpRange)->InitDouble("flat", 5.0, 5.0, 5.0, 1.0);
    editor->GetParam(kArpSwing)->InitDouble("high", 10.0, 10.0, 12.0, 1.0);
    const int rows[][3] = {
        {kFilterCutoff, 200, 73}, {kFilterCutoff, 254, 127}, {kFilterCutoff, 255, 1}, {kFilterCutoff, 128, 1},
        {kFilterCutoff, 127, 127}, {kArpMode, 5, 1}, {kArpMode, 4, 0}, {kOscillator1Semitone, 0, -16},
        {kOscillator1Semitone, 200, 73},  // -16 + (200 - 111)
        {kArpRange, 200, 5},              // an empty range does not hang
        {kArpSwing, 3, 10},               // limited to the range
    };
    for (const auto& [parameter, tableValue, expected] : rows) {
        fillTable(static_cast<uint32_t>(tableValue));
        EXPECT_EQ(manager->randomizer(parameter, 7), expected) << parameter << " " << tableValue;
    }
}

TEST_F(Randomizer, LockedSectionsKeepEveryValueAndTheArpClockByteIsNeverRandomized)
{
    fillTable(91);
    for (int lock = kSectionLockOsc1; lock <= kSectionLockArp; ++lock)
        editor->GetParam(lock)->Set(1.0);
    const std::vector<double> before = allValues();
    randomize();
    EXPECT_EQ(allValues(), before);

    for (int lock = kSectionLockOsc1; lock < kSectionLockArp; ++lock)
        editor->GetParam(lock)->Set(0.0);
    randomize();
    EXPECT_EQ(std::tuple(value(kArpTempo), value(zsysex::patternStepEventParameter(1)), value(kFilterCutoff),
                  value(kLFO1Shape)), std::tuple(0, 0, 91, 91));

    editor->GetParam(kSectionLockArp)->Set(0.0);
    randomize();
    // 91 = 0x5B: event 11, time 1, glide 1; the arp clock byte is never randomized.
    EXPECT_EQ(std::pair(value(zsysex::patternStepEventParameter(16)), value(kArpClock)), std::pair(11.0, 0.0));
}

TEST_F(Randomizer, LFOShapeClockFollowsTheShapeWithItsClockOffset)
{
    editor->GetParam(kLFO1Shape)->InitDouble("shape", 0.0, 0.0, 4.0, 1.0);
    fillTable(3);
    for (double clockBefore : {2.0, 7.0}) {
        editor->GetParam(kLFO1ShapeClock)->Set(clockBefore);
        randomize();
        EXPECT_EQ(std::pair(value(kLFO1Shape), value(kLFO1ShapeClock)), std::pair(3.0, clockBefore >= 5 ? 8.0 : 3.0));
    }
}

TEST_F(Randomizer, GeneratorIsSeededOnceSoTablesInOneSecondDiffer)
{
    quietly([&] { manager->randomGenerator(); });
    const std::vector<int> first(manager->randomTable, manager->randomTable + 136);
    quietly([&] { manager->randomGenerator(); });
    EXPECT_NE(std::vector<int>(manager->randomTable, manager->randomTable + 136), first);
    EXPECT_TRUE(std::all_of(first.begin(), first.end(), [](int entry) { return entry >= 0 && entry <= 255; }));
}
