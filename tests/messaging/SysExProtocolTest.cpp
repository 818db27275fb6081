// The SysEx protocol tables as pure functions.
#include "DocumentedInitSound.h"
#include "EditorFixture.h"

using namespace zsysex;

TEST(SysExProtocol, InitSoundMatchesTheDocumentedDumpByteForByte)
{
    EXPECT_EQ(std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize), kDocumentedInitSound);
    EXPECT_EQ(soundName(initSinglePatch, kSoundDumpSize), "INIT          ");
}

TEST(SysExProtocol, SlotAddressesSplitBankTimesHundredPlusProgramInto7BitBytes)
{
    const int cases[][4] = {{0, 30, 0x00, 0x1E}, {1, 30, 0x01, 0x02}, {1, 27, 0x00, 0x7F}, {1, 28, 0x01, 0x00},
        {4, 99, 0x03, 0x73}};
    for (const auto& c : cases) {
        const SoundAddress address = soundAddress(c[0], c[1]);
        EXPECT_EQ(address.high * 128 + address.low, c[2] * 128 + c[3]) << c[0] << "/" << c[1];
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
    std::vector<uint8_t> dump = kDocumentedInitSound;
    const char field[14] = {'B', 0, 'A', 0, 'S', 'S', ' ', ' ', 0, 0, 0, 0, 0, 0};
    std::copy(field, field + 14, dump.begin() + 120);
    EXPECT_EQ(soundName(dump.data(), kSoundDumpSize), "BASS  ");
    EXPECT_EQ(soundName(dump.data(), 100), "");
}

TEST(SysExProtocol, DispatcherRoutesEachRowOfItsTable)
{
    const std::vector<uint8_t> dump = kDocumentedInitSound;
    auto with = [](std::vector<uint8_t> message, int byte, uint8_t value) {
        message[byte] = value;
        return message;
    };
    std::vector<uint8_t> global(kGlobalDumpSize, 0), mid(30, 0);
    global[0] = 0xF0, global[1] = mid[1] = 0x3E, global[2] = mid[2] = 0x16, global[4] = 0x14, global[38] = 0xF7;
    const std::vector<uint8_t> single = bytesOf("F0 3E 16 58 41 10 00 40 00 F7");
    DispatchState idle, host, requested, waitingGlobal, library, requestedAndGlobal;
    host.fromHardware = false;
    requested.patchRequested = requestedAndGlobal.patchRequested = true;
    waitingGlobal.globalRequestPending = requestedAndGlobal.globalRequestPending = true;
    library.libraryRequestActive = true;
    const struct {
        std::vector<uint8_t> message;
        DispatchState state;
        SysExRoute route;
    } rows[] = {
        {dump, host, SysExRoute::Ignored}, {bytesOf("F0 3E 16 00 04 F7"), requested, SysExRoute::Ignored},
        {bytesOf("F0 3E 16"), idle, SysExRoute::Ignored}, {with(dump, 1, 0x41), requested, SysExRoute::BadHeader},
        {with(dump, 3, 0x80), requested, SysExRoute::BadHeader}, {single, library, SysExRoute::LibraryRequest},
        {dump, library, SysExRoute::LibraryRequest}, {dump, requested, SysExRoute::SoundDump},
        {with(dump, 2, 0x0B), requested, SysExRoute::SoundDump}, {dump, idle, SysExRoute::NotDecoded},
        {dump, waitingGlobal, SysExRoute::GlobalDump}, {global, requestedAndGlobal, SysExRoute::GlobalDump},
        {global, idle, SysExRoute::NotDecoded}, {mid, idle, SysExRoute::NotDecoded},
        {single, idle, SysExRoute::SingleParameter}, {single, requested, SysExRoute::NotDecoded},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(routeSysEx(rows[i].message.data(), int(rows[i].message.size()), rows[i].state), rows[i].route)
            << "row " << i;
}

TEST(SysExProtocol, GlobalDumpDecoderTakesExactly39BytesOfItsModel)
{
    std::vector<uint8_t> global(40, 0);
    global[1] = 0x3E, global[2] = 0x16, global[3] = 0x7F, global[4] = 0x14;
    EXPECT_TRUE(isDecodableGlobalDump(global.data(), 39));
    EXPECT_FALSE(isDecodableGlobalDump(global.data(), 38) || isDecodableGlobalDump(global.data(), 40));
    global[2] = 0x0B;
    EXPECT_FALSE(isDecodableGlobalDump(global.data(), 39));
}
