#include <gtest/gtest.h>

#include "ParameterTable.h"
#include "UIConfigManager.h"

namespace {

UIConfigManager& filledTable()
{
    static UIConfigManager config;
    if (config.paramNameCount() == 0)
        config.initParams();
    return config;
}

}  // namespace

TEST(ParameterTable, BothNamesOfTheFirstNonAutomatedIndexGive91)
{
    EXPECT_EQ(filledTable().getParamByName("kNumAutomatedParams"), 91);
    EXPECT_EQ(filledTable().getParamByName("kPatchFileDialog"), 91);
}

TEST(ParameterTable, NamesSpanIndexes0To306WithTheirFixedValues)
{
    UIConfigManager& table = filledTable();
    EXPECT_EQ(table.paramNameCount(), 302u);
    EXPECT_EQ(table.getParamByName("kOscillator1Semitone"), 0);
    EXPECT_EQ(table.getParamByName("kAccentControl"), 90);
    EXPECT_EQ(table.getParamByName("kSectionLockOsc1"), 168);
    EXPECT_EQ(table.getParamByName("kSectionLockArp"), 180);
    EXPECT_EQ(table.getParamByName("kGlobalDeviceID"), 218);
    EXPECT_EQ(table.getParamByName("kCurrentPatch"), 238);
    EXPECT_EQ(table.getParamByName("kCurrentBank"), 289);
    EXPECT_EQ(table.getParamByName("kMainTab"), 302);
    EXPECT_EQ(table.getParamByName("kTimbreLED"), 306);
    EXPECT_EQ(kTimbreLED + 1, kNumParams);
}

TEST(ParameterTable, LookupComparesLetterCaseExactlyAndPrintsTheMiss)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(filledTable().getParamByName("kfiltercutoff"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "parameter kfiltercutoff NOT FOUND!!\n");
}

TEST(ParameterTable, RegisteringAnExistingNameKeepsTheFirstIndex)
{
    UIConfigManager config;
    config.mapParamToString("kFilterCutoff", 40);
    config.mapParamToString("kFilterCutoff", 7);
    EXPECT_EQ(config.getParamByName("kFilterCutoff"), 40);
}
