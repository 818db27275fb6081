#include <gtest/gtest.h>

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

TEST(SoundDumpMap, LfoShapeByteSetsTheClockValueAndFoldsTheShape)
{
    auto dump = initDump();
    dump[26] = 7;
    ParamRecorder params = decode(dump);
    EXPECT_EQ(params.values[kLFO1ShapeClock], 7);
    EXPECT_EQ(params.values[kLFO1Shape], 2);
    dump[26] = 4;
    params = decode(dump);
    EXPECT_EQ(params.values[kLFO1ShapeClock], 4);
    EXPECT_EQ(params.values[kLFO1Shape], 4);
}

TEST(SoundDumpMap, SemitoneBytesAreOffsetBySixteen)
{
    auto dump = initDump();
    dump[9] = 0, dump[15] = 16, dump[21] = 40;
    ParamRecorder params = decode(dump);
    EXPECT_EQ(params.values[kOscillator1Semitone], -16);
    EXPECT_EQ(params.values[kOscillator2Semitone], 0);
    EXPECT_EQ(params.values[kOscillator3Semitone], 24);
}

TEST(SoundDumpMap, PatternStepByteSplitsIntoEventTimeAndGlide)
{
    auto dump = initDump();
    dump[97 + 4] = 0x5B;  // step 5
    ParamRecorder params = decode(dump);
    EXPECT_EQ(params.values[kPatternStep05Glide], 1);
    EXPECT_EQ(params.values[kPatternStep05Time], 1);
    EXPECT_EQ(params.values[kPatternStep05Event], 11);
    EXPECT_EQ(params.steps[4], (std::vector<int> {11, 1, 1}));
}

TEST(SoundDumpMap, ArpClockDecodesOneLowerWithZeroStayingZero)
{
    auto dump = initDump();
    for (auto [byte, value] : {std::pair {0, 0}, {1, 0}, {5, 4}}) {
        dump[46] = static_cast<uint8_t>(byte);
        EXPECT_EQ(decode(dump).values[kArpClock], value) << "byte " << byte;
    }
}

TEST(SoundDumpMap, ArpSwitchAlsoLightsItsIndicator)
{
    auto dump = initDump();
    dump[43] = 1;
    EXPECT_EQ(decode(dump).values[kArpOnOffIndicator], 1.0);
    dump[43] = 0;
    EXPECT_EQ(decode(dump).values[kArpOnOffIndicator], 0.0);
}

TEST(SoundDumpMap, EditBufferDumpSelectsNoBankOrProgram)
{
    ParamRecorder params = decode(initDump());
    EXPECT_FALSE(params.has(kCurrentBank));
    EXPECT_FALSE(params.has(kCurrentPatch));
}

TEST(SoundDumpMap, SlotDumpSelectsItsBankAndProgram)
{
    auto dump = initDump();
    dump[5] = 3, dump[6] = 20;
    ParamRecorder params = decode(dump);
    EXPECT_EQ(params.values[kCurrentBank], 3);
    EXPECT_EQ(params.values[kCurrentPatch], 20);
}

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

TEST(SoundDumpMap, EncoderLeavesUnmappedBytesAlone)
{
    auto dump = initDump();
    for (int i = 88; i <= 91; ++i)
        dump[i] = 0x33;
    ParamRecorder params = decode(initDump());
    encodeSoundParameters(params, dump.data());
    for (int i = 88; i <= 91; ++i)
        EXPECT_EQ(dump[i], 0x33);
    EXPECT_EQ(dump[119], 0x01);
}

TEST(SoundDumpMap, EncoderKeepsOutOfRangeValuesWithinSevenBits)
{
    ParamRecorder params;
    params.values[kOscillator1Semitone] = 200;
    params.values[kFilterCutoff] = -5;
    auto dump = initDump();
    encodeSoundParameters(params, dump.data());
    EXPECT_EQ(dump[9], 127);
    EXPECT_EQ(dump[49], 0);
}

TEST(SoundDumpMap, LockAtExactlyOneProtectsItsBytesAndJustBelowDoesNot)
{
    ParamRecorder lockValues;
    lockValues.values[kSectionLockArp] = 1.0;
    lockValues.values[kSectionLockFilter] = 0.99;
    const SectionLockState locks = SectionLockState::read(lockValues);
    EXPECT_TRUE(locks.isLocked(SectionLock::Arp));
    EXPECT_FALSE(locks.isLocked(SectionLock::Filter));

    ParamRecorder params = decode(initDump(), locks);
    for (int index : {kArpOnOff, kArpRange, kArpTempo, kArpClock, kArpPattern, kArpMode, kStepDuration,
             kArpSwing, kArpDelay, kPatternStep01Event, kPatternStep16Glide, kPatternLength,
             kAccentControl, kArpOnOffIndicator})
        EXPECT_FALSE(params.has(index)) << index;
    EXPECT_TRUE(params.has(kFilterCutoff));
    EXPECT_TRUE(params.has(kVolumeDriveCurve));
}

TEST(SoundDumpMap, EveryLockGuardsOnlyTheBytesOfItsSection)
{
    for (int lock = 0; lock < kSectionLockCount; ++lock) {
        SectionLockState locks;
        locks.setLocked(static_cast<SectionLock>(lock), true);
        ParamRecorder params = decode(initDump(), locks);
        for (int i = 0; i < kSoundDumpMapCount; ++i) {
            const SoundDumpField& field = kSoundDumpMap[i];
            if (field.decode == DecodeRule::Bank || field.decode == DecodeRule::Program)
                continue;  // the edit buffer sets neither
            EXPECT_EQ(params.has(field.parameter), static_cast<int>(field.lock) != lock)
                << "byte " << int(field.byte) << " lock " << lock;
        }
    }
}

TEST(SoundDumpMap, ModulationUnitsMapThreeBytesEachInOrder)
{
    EXPECT_EQ(soundDumpField(61)->parameter, kModUnit1Source);
    EXPECT_EQ(soundDumpField(62)->parameter, kModUnit1Amount);
    EXPECT_EQ(soundDumpField(84)->parameter, kModUnit8Destination);
    EXPECT_EQ(soundDumpField(88), nullptr);
    EXPECT_EQ(soundDumpField(91), nullptr);
    EXPECT_EQ(soundDumpField(115), nullptr);
}

TEST(GlobalDumpMap, TuneAndTransposeAreCentredAndTheRestPlain)
{
    EXPECT_EQ(globalDumpField(5)->parameter, kGlobalMasterTune);
    EXPECT_EQ(54 + globalDumpField(5)->offset, 0);
    EXPECT_EQ(globalDumpField(6)->parameter, kGlobalTranspose);
    EXPECT_EQ(40 + globalDumpField(6)->offset, 0);
    EXPECT_EQ(globalDumpField(9)->parameter, kGlobalDeviceID);
    EXPECT_EQ(globalDumpField(36)->parameter, kGlobalPanning);
    EXPECT_EQ(globalDumpField(25), nullptr);
    EXPECT_EQ(globalDumpField(34), nullptr);
    EXPECT_EQ(globalDumpField(37), nullptr);
}
