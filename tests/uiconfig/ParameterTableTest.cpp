#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ParameterTable.h"
#include "UIConfigManager.h"
#include "debugger.h"

namespace {

UIConfigManager& filledTable()
{
    static UIConfigManager config;
    if (config.paramNameCount() == 0)
        config.initParams();
    return config;
}

}  // namespace

TEST(ParameterTable, NamesSpanIndexes0To306WithTheirFixedValuesAndIndex91HasTwo)
{
    UIConfigManager& table = filledTable();
    EXPECT_EQ(table.paramNameCount(), 302u);
    EXPECT_EQ(table.getParamByName("kOscillator1Semitone"), 0);
    EXPECT_EQ(table.getParamByName("kAccentControl"), 90);
    EXPECT_EQ(table.getParamByName("kNumAutomatedParams"), 91);  // both names of index 91
    EXPECT_EQ(table.getParamByName("kPatchFileDialog"), 91);
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

TEST(ParameterTable, ExistingNamesKeepTheirFirstIndexAndTheDebugLogRecordsFillDuplicatesAndMisses)
{
    const std::string path = testing::TempDir() + "parameter-table-LOG.txt";
    std::remove(path.c_str());
    DebuggerOutput output;
    UIConfigManager config;
    config.setDebugLog(&output, true, path);
    testing::internal::CaptureStdout();
    config.initParams();
    config.mapParamToString("kMainTab", 1);
    config.getParamByName("kNoSuchParameter");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(config.getParamByName("kMainTab"), 302);  // an existing name keeps its first index

    std::ifstream file(path);
    std::vector<std::string> texts;
    for (std::string line; std::getline(file, line);)
        texts.push_back(line.substr(line.find("\t ") + 2));
    EXPECT_EQ(texts, (std::vector<std::string> {"CONFIG READER: Started to initialize parameters...",
                         "CONFIG READER: Completed!", "CONFIG READER: parameter kMainTab ALREADY EXISTS!",
                         "CONFIG READER: parameter kNoSuchParameter NOT FOUND!"}));
    std::remove(path.c_str());
}
