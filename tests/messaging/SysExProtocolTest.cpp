// The SysEx protocol tables as pure functions; the sound dump's byte map
// (each byte to its parameters, their decode rules and section locks) against
// the documented map the e2e sessions read the panel by.
#include <map>
#include <set>

#include "DocumentedInitSound.h"
#include "EditorFixture.h"
#include "ParamRecorder.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "e2e/SoundDumpMap.h"

using namespace zsysex;

namespace {

std::vector<uint8_t> initDump() { return std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize); }

ParamRecorder decode(const std::vector<uint8_t>& dump, const SectionLockState& locks = SectionLockState())
{
    ParamRecorder params;
    decodeSoundParameters(dump.data(), static_cast<int>(dump.size()), locks, params);
    return params;
}

// The parameters each byte sets: those whose documented value changes when
// the byte goes from 0 to 0x55 (every field of a pattern step changes).
std::map<int, std::set<int>> parametersByByte()
{
    std::map<int, std::set<int>> map = {{5, {kCurrentBank}}, {6, {kCurrentPatch}}};
    std::vector<uint8_t> dump = initDump();
    std::fill(dump.begin() + 7, dump.begin() + 115, 0);
    const auto before = e2e::PanelValuesOf(dump);
    for (int byte = kSoundFirstParameterByte; byte <= kSoundLastParameterByte; ++byte) {
        dump[byte] = 0x55;
        const auto after = e2e::PanelValuesOf(dump);
        dump[byte] = 0;
        for (size_t i = 0; i < after.size(); ++i)
            if (after[i] != before[i])
                map[byte].insert(after[i].first);
    }
    return map;
}

}  // namespace

// Within one dump the bytes differ (a swapped pair shows); over the 128
// dumps each byte takes every value (each rule's edges show). Encoding the
// decoded values gives the bytes back and leaves the bytes it does not map
// (88..91, 115..) alone.
TEST(SoundDumpMap, EveryByteSetsItsDocumentedParametersByItsRuleAndEncodesBack)
{
    for (int shift = 0; shift < 128; ++shift) {
        auto dump = initDump();
        for (int byte = kSoundFirstParameterByte; byte <= kSoundLastParameterByte; ++byte)
            dump[byte] = static_cast<uint8_t>((shift + 7 * byte) % 128);
        ParamRecorder params = decode(dump);
        for (const auto& [parameter, expected] : e2e::PanelValuesOf(dump))
            ASSERT_EQ(params.values[parameter], expected) << "parameter " << parameter << ", shift " << shift;
        auto encoded = initDump();
        std::fill(encoded.begin() + 7, encoded.begin() + 115, 0x55);
        std::copy(dump.begin() + 88, dump.begin() + 92, encoded.begin() + 88);
        encodeSoundParameters(params, encoded.data());
        // Arp clock bytes 0 and 1 both mean "first clock"; the hardware sends 1.
        dump[46] = std::max<uint8_t>(dump[46], 1);
        ASSERT_EQ(encoded, dump) << "shift " << shift;
    }
}

TEST(SoundDumpMap, SlotDumpSelectsItsBankAndProgramAndTheEditBufferNeither)
{
    EXPECT_FALSE(decode(initDump()).has(kCurrentBank));
    // Bank 4 is the last slot bank; from 5 on the byte names no slot.
    for (int bank : {0, 4, 5}) {
        SCOPED_TRACE(testing::Message() << "bank byte " << bank);
        auto dump = initDump();
        dump[5] = static_cast<uint8_t>(bank), dump[6] = 20;
        ParamRecorder params = decode(dump);
        EXPECT_EQ(params.has(kCurrentBank), bank <= 4);
        EXPECT_EQ(params.has(kCurrentPatch), bank <= 4);
        if (bank <= 4) {
            EXPECT_EQ(params.values[kCurrentBank], bank);
            EXPECT_EQ(params.values[kCurrentPatch], 20);
        }
    }
}

TEST(SoundDumpMap, EachLockGuardsExactlyTheBytesOfItsSection)
{
    const std::vector<int> guarded[kSectionLockCount] = {
        {5, 6, 7, 8, 9, 10, 11, 86},                                                  // Osc1
        {13, 14, 15, 16, 17, 23, 87},                                                 // Osc2
        {19, 20, 21, 22},                                                             // Osc3
        {12, 18, 24, 58},                                                             // Mixer
        {29, 30, 85, 92, 93},                                                         // Porta
        {49, 50, 51, 52, 53, 54, 55, 56},                                             // Filter
        {31, 32, 33, 34, 35, 36},                                                     // Eg1
        {37, 38, 39, 40, 41, 42},                                                     // Eg2
        {57, 59, 60},                                                                 // Amp
        {25, 26},                                                                     // LFO1
        {27, 28},                                                                     // LFO2
        {61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84},
        {43, 44, 45, 46, 47, 48, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109,
            110, 111, 112, 113, 114},                                                 // Arp
    };
    const auto parameters = parametersByByte();
    auto dump = initDump();
    dump[5] = 0, dump[6] = 1;  // a slot dump, so the address bytes set bank and program too
    for (int lock = 0; lock < kSectionLockCount; ++lock) {
        ParamRecorder lockValues;
        lockValues.values[kSectionLockOsc1 + lock] = 1.0;
        const ParamRecorder params = decode(dump, SectionLockState::read(lockValues));
        std::set<int> expectedUntouched, untouched;
        for (int byte : guarded[lock])
            expectedUntouched.insert(parameters.at(byte).begin(), parameters.at(byte).end());
        for (const auto& [byte, list] : parameters)
            for (int parameter : list)
                if (!params.has(parameter))
                    untouched.insert(parameter);
        EXPECT_EQ(untouched, expectedUntouched) << "lock " << lock;
    }
}

TEST(SysExProtocol, InitSoundMatchesTheDocumentedDumpByteForByte)
{
    EXPECT_EQ(std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize), kDocumentedInitSound);
    EXPECT_EQ(soundName(initSinglePatch, kSoundDumpSize), "INIT          ");
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
