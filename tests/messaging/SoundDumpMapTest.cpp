#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "ParamRecorder.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"

using namespace zsysex;

namespace {

std::vector<uint8_t> initDump()
{
    return std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize);
}

ParamRecorder decode(const std::vector<uint8_t>& dump, const SectionLockState& locks = SectionLockState())
{
    ParamRecorder params;
    decodeSoundParameters(dump.data(), static_cast<int>(dump.size()), locks, params);
    return params;
}

}  // namespace

TEST(SoundDumpMap, ConvertedBytesDecodeByTheirOwnRules)
{
    struct Row {
        int byte, value, parameter;
        double expected;
    };
    const Row rows[] = {
        // The LFO shape byte sets the clock value and folds the shape.
        {26, 7, kLFO1ShapeClock, 7}, {26, 7, kLFO1Shape, 2}, {26, 4, kLFO1ShapeClock, 4}, {26, 4, kLFO1Shape, 4},
        // Semitones are offset by sixteen.
        {9, 0, kOscillator1Semitone, -16}, {15, 16, kOscillator2Semitone, 0}, {21, 40, kOscillator3Semitone, 24},
        // The arp clock decodes one lower, zero staying zero.
        {46, 0, kArpClock, 0}, {46, 1, kArpClock, 0}, {46, 5, kArpClock, 4},
        // The arp switch also lights its indicator.
        {43, 1, kArpOnOffIndicator, 1}, {43, 0, kArpOnOffIndicator, 0},
        // A pattern step byte splits into event, time and glide (step 5 here).
        {101, 0x5B, kPatternStep05Event, 11}, {101, 0x5B, kPatternStep05Time, 1}, {101, 0x5B, kPatternStep05Glide, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "byte " << row.byte << " = " << row.value << ", parameter " << row.parameter);
        auto dump = initDump();
        dump[row.byte] = static_cast<uint8_t>(row.value);
        EXPECT_EQ(decode(dump).values[row.parameter], row.expected);
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

// Also proves the encoder leaves the bytes it does not map (88..91, 115..) alone.
TEST(SoundDumpMap, EveryParameterByteSurvivesDecodeThenEncode)
{
    for (int byte = kSoundFirstParameterByte; byte <= kSoundLastParameterByte; ++byte) {
        for (int value = 0; value < 128; ++value) {
            // Arp clock bytes 0 and 1 both mean "first clock"; the hardware sends 1.
            if (byte == 46 && value == 0)
                continue;
            auto dump = initDump();
            dump[byte] = static_cast<uint8_t>(value);
            ParamRecorder params = decode(dump);
            auto encoded = initDump();
            std::fill(encoded.begin() + 7, encoded.begin() + 115, 0x55);
            for (int carried = 88; carried <= 91; ++carried)
                encoded[carried] = dump[carried];
            encodeSoundParameters(params, encoded.data());
            ASSERT_EQ(encoded, dump) << "byte " << byte << " value " << value;
        }
    }
}

TEST(SoundDumpMap, LockAtExactlyOneProtectsItsSectionAndJustBelowDoesNot)
{
    ParamRecorder lockValues;
    lockValues.values[kSectionLockArp] = 1.0;
    lockValues.values[kSectionLockFilter] = 0.99;
    const SectionLockState locks = SectionLockState::read(lockValues);
    EXPECT_TRUE(locks.isLocked(SectionLock::Arp));
    EXPECT_FALSE(locks.isLocked(SectionLock::Filter));
}

namespace {

// Bytes decoded as the plain value b, with the parameter index each sets.
const std::pair<int, int> kPlainBytes[] = {
    {7, 6}, {8, 13}, {10, 3}, {11, 36}, {12, 9}, {13, 7}, {14, 14}, {16, 4}, {17, 37}, {18, 10},
    {19, 8}, {20, 39}, {22, 5}, {23, 38}, {24, 11}, {25, 28}, {27, 30}, {28, 31}, {29, 21}, {30, 48},
    {31, 15}, {32, 16}, {33, 17}, {34, 18}, {35, 32}, {36, 33}, {37, 24}, {38, 25}, {39, 26}, {40, 27},
    {41, 34}, {42, 35}, {44, 53}, {45, 54}, {47, 102}, {48, 56}, {49, 40}, {50, 44}, {51, 42}, {52, 45},
    {53, 41}, {54, 43}, {55, 57}, {56, 58}, {57, 19}, {58, 12}, {59, 46}, {60, 47},
    {61, 59}, {62, 60}, {63, 61}, {64, 62}, {65, 63}, {66, 64}, {67, 65}, {68, 66}, {69, 67}, {70, 68},
    {71, 69}, {72, 70}, {73, 71}, {74, 72}, {75, 73}, {76, 74}, {77, 75}, {78, 76}, {79, 77}, {80, 78},
    {81, 79}, {82, 80}, {83, 81}, {84, 82}, {85, 83}, {86, 84}, {87, 85}, {92, 49}, {93, 50}, {94, 86},
    {95, 87}, {96, 88}, {113, 89}, {114, 90},
};

// Every parameter a dump byte sets, the converted bytes included.
std::map<int, std::vector<int>> parametersByByte()
{
    std::map<int, std::vector<int>> map = {
        {5, {289}}, {6, {238}}, {9, {0}}, {15, {1}}, {21, {2}}, {26, {240, 29}}, {43, {52, 265}}, {46, {55}},
    };
    for (auto [byte, parameter] : kPlainBytes)
        map[byte] = {parameter};
    for (int step = 1; step <= 16; ++step)
        map[96 + step] = {118 + step, 134 + step, 150 + step};
    return map;
}

}  // namespace

TEST(SoundDumpMap, EveryPlainByteSetsItsDocumentedParameter)
{
    auto dump = initDump();
    for (auto [byte, parameter] : kPlainBytes)
        dump[byte] = static_cast<uint8_t>((byte * 7) % 128);
    ParamRecorder params = decode(dump);
    for (auto [byte, parameter] : kPlainBytes)
        EXPECT_EQ(params.values[parameter], (byte * 7) % 128) << "byte " << byte;
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
        lockValues.values[168 + lock] = 1.0;
        const ParamRecorder params = decode(dump, SectionLockState::read(lockValues));
        std::set<int> expectedUntouched, untouched;
        for (int byte : guarded[lock])
            for (int parameter : parameters.at(byte))
                expectedUntouched.insert(parameter);
        for (const auto& [byte, list] : parameters)
            for (int parameter : list)
                if (!params.has(parameter))
                    untouched.insert(parameter);
        EXPECT_EQ(untouched, expectedUntouched) << "lock parameter " << 168 + lock;
    }
}
