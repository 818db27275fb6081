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
    const std::pair<const char*, int> names[] = {{"kOscillator1Semitone", 0}, {"kAccentControl", 90},
        {"kNumAutomatedParams", 91}, {"kPatchFileDialog", 91}, {"kSectionLockOsc1", 168}, {"kGlobalDeviceID", 218},
        {"kCurrentBank", 289}, {"kTimbreLED", 306}};
    for (const auto& [name, index] : names)
        EXPECT_EQ(table.getParamByName(name), index) << name;
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
