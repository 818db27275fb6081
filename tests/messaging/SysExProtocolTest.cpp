#include <gtest/gtest.h>

#include <vector>

#include "DocumentedInitSound.h"
#include "SysExProtocol.h"

using namespace zsysex;

TEST(SysExProtocol, InitSoundMatchesTheDocumentedDumpByteForByte)
{
    const std::vector<uint8_t>& expected = kDocumentedInitSound;
    ASSERT_EQ(expected.size(), static_cast<size_t>(kSoundDumpSize));
    EXPECT_EQ(std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize), expected);
    EXPECT_EQ(soundName(initSinglePatch, kSoundDumpSize), "INIT          ");
}

TEST(SysExProtocol, SlotAddressesSplitBankTimesHundredPlusProgramInto7BitBytes)
{
    const int cases[][4] = {{0, 30, 0x00, 0x1E}, {1, 30, 0x01, 0x02}, {1, 27, 0x00, 0x7F}, {1, 28, 0x01, 0x00},
        {4, 99, 0x03, 0x73}};
    for (const auto& c : cases) {
        const SoundAddress address = soundAddress(c[0], c[1]);
        EXPECT_EQ(address.high, c[2]) << c[0] << "/" << c[1];
        EXPECT_EQ(address.low, c[3]) << c[0] << "/" << c[1];
    }
}

TEST(SysExProtocol, CategoryWordsFollowTheDecoderTableAndOutsideItReadNone)
{
    const std::pair<int, const char*> cases[] = {{0, "NONE"}, {3, "BASS"}, {12, "SEQ"}, {20, "INIT"}, {21, "NONE"},
        {-1, "NONE"}};
    for (const auto& [code, word] : cases)
        EXPECT_STREQ(soundCategoryWord(code), word) << code;
}

TEST(SysExProtocol, NameLeavesOutZeroBytesAndKeepsSpaces)
{
    std::vector<uint8_t> dump(initSinglePatch, initSinglePatch + kSoundDumpSize);
    const char field[14] = {'B', 0, 'A', 0, 'S', 'S', ' ', ' ', 0, 0, 0, 0, 0, 0};
    std::copy(field, field + 14, dump.begin() + 120);
    EXPECT_EQ(soundName(dump.data(), kSoundDumpSize), "BASS  ");
    std::fill(dump.begin() + 120, dump.begin() + 134, 0);
    EXPECT_EQ(soundName(dump.data(), kSoundDumpSize), "");
    EXPECT_EQ(soundName(dump.data(), 100), "");
}

// The dispatcher's choices, one row of its table per case.
TEST(SysExProtocol, DispatcherRoutesEachRowOfItsTable)
{
    std::vector<uint8_t> dump(initSinglePatch, initSinglePatch + kSoundDumpSize);
    std::vector<uint8_t> global(kGlobalDumpSize, 0);
    global[0] = 0xF0, global[1] = 0x3E, global[2] = 0x16, global[4] = 0x14, global[38] = 0xF7;
    const std::vector<uint8_t> single = {0xF0, 0x3E, 0x16, 0x58, 0x41, 0x10, 0x00, 0x40, 0x00, 0xF7};
    const std::vector<uint8_t> echo = {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7};
    std::vector<uint8_t> mid(30, 0);
    mid[1] = 0x3E, mid[2] = 0x16;
    auto route = [](const std::vector<uint8_t>& m, DispatchState s) {
        return routeSysEx(m.data(), static_cast<int>(m.size()), s);
    };
    DispatchState idle;
    DispatchState fromHost;
    fromHost.fromHardware = false;
    DispatchState requested;
    requested.patchRequested = true;
    DispatchState global_;
    global_.globalRequestPending = true;
    DispatchState library;
    library.libraryRequestActive = true;
    DispatchState requestedAndGlobal = requested;
    requestedAndGlobal.globalRequestPending = true;

    EXPECT_EQ(route(dump, fromHost), SysExRoute::Ignored);
    EXPECT_EQ(route(echo, requested), SysExRoute::Ignored);
    EXPECT_EQ(route(std::vector<uint8_t> {0xF0, 0x3E, 0x16}, idle), SysExRoute::Ignored);
    std::vector<uint8_t> badMaker = dump;
    badMaker[1] = 0x41;
    EXPECT_EQ(route(badMaker, requested), SysExRoute::BadHeader);
    std::vector<uint8_t> badDevice = dump;
    badDevice[3] = 0x80;
    EXPECT_EQ(route(badDevice, requested), SysExRoute::BadHeader);
    EXPECT_EQ(route(single, library), SysExRoute::LibraryRequest);
    EXPECT_EQ(route(dump, library), SysExRoute::LibraryRequest);
    EXPECT_EQ(route(dump, requested), SysExRoute::SoundDump);
    std::vector<uint8_t> olderModel = dump;
    olderModel[2] = 0x0B;
    EXPECT_EQ(route(olderModel, requested), SysExRoute::SoundDump);
    EXPECT_EQ(route(dump, idle), SysExRoute::NotDecoded);
    EXPECT_EQ(route(dump, global_), SysExRoute::GlobalDump);
    EXPECT_EQ(route(global, requestedAndGlobal), SysExRoute::GlobalDump);
    EXPECT_EQ(route(global, idle), SysExRoute::NotDecoded);
    EXPECT_EQ(route(mid, idle), SysExRoute::NotDecoded);
    EXPECT_EQ(route(single, idle), SysExRoute::SingleParameter);
    EXPECT_EQ(route(single, requested), SysExRoute::NotDecoded);
}

TEST(SysExProtocol, GlobalDumpDecoderTakesExactly39BytesOfItsModel)
{
    std::vector<uint8_t> global(40, 0);
    global[1] = 0x3E, global[2] = 0x16, global[3] = 0x7F, global[4] = 0x14;
    EXPECT_TRUE(isDecodableGlobalDump(global.data(), 39));
    EXPECT_FALSE(isDecodableGlobalDump(global.data(), 38));
    EXPECT_FALSE(isDecodableGlobalDump(global.data(), 40));
    global[2] = 0x0B;
    EXPECT_FALSE(isDecodableGlobalDump(global.data(), 39));
}
