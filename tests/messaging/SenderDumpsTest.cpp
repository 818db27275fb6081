// The dumps the sending jobs build and the MIDI clock's tempo rules, checked
// byte for byte against the documented tables.
#include <gtest/gtest.h>

#include "DocumentedInitSound.h"
#include "MIDIMessageSender.h"
#include "ParamRecorder.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"

namespace {

using Dump = MIDIMessageSender::SoundDump;
using Bytes = std::vector<uint8_t>;

// The parameters as the documented INIT sound gives them.
ParamRecorder initParameters()
{
    ParamRecorder params;
    zsysex::decodeSoundParameters(kDocumentedInitSound.data(), static_cast<int>(kDocumentedInitSound.size()),
        zsysex::SectionLockState(), params);
    return params;
}

Bytes bytes(const Dump& dump) { return Bytes(dump.begin(), dump.end()); }

// INIT with its header bytes 3..6 and checksum replaced.
Bytes initWith(uint8_t device, uint8_t high, uint8_t low, uint8_t checksum)
{
    Bytes dump = kDocumentedInitSound;
    dump[3] = device, dump[5] = high, dump[6] = low, dump[135] = checksum;
    return dump;
}

}  // namespace

TEST(SenderDumps, ArrangementOfTheInitValuesIsTheInitSoundWithItsChecksumRecomputed)
{
    // The table stores 0x2A, but bytes 1..134 sum to 0x29 (mod 128).
    EXPECT_EQ(bytes(MIDIMessageSender::buildArrangementDump(initParameters(), "INIT", 0, 0)),
        initWith(0x00, 0x7F, 0x00, 0x29));
}

TEST(SenderDumps, ArrangementNameIsUpperCaseCutToThirteenWithPrintableCharactersOnly)
{
    const std::pair<const char*, std::string> rows[] = {
        {"abcd", "ABCD          "}, {"abcdefghijklmnopqrst", "ABCDEFGHIJKLM "},
        {"a\x01" "b\x7F\xE9", "A B           "}};
    for (const auto& [name, bytes120to133] : rows) {
        const Dump dump = MIDIMessageSender::buildArrangementDump(initParameters(), name, 0, 0);
        EXPECT_EQ(std::string(dump.begin() + 120, dump.begin() + 134), bytes120to133) << name;
    }
    // "ABCD" sums 42 less than "INIT": 0x29 - 42 = -1, that is 0x7F.
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(initParameters(), "abcd", 0, 0)[135], 0x7F);
}

TEST(SenderDumps, ArrangementEncodesStepsAndCategoryAndKeepsEveryByteSevenBit)
{
    // Parameter, value, byte, the byte's value: below the byte's range, above it, the category.
    const std::tuple<int, double, int, uint8_t> rows[] = {
        {kOscillator1Semitone, -40, 9, 0x00}, {kFilterCutoff, 300, 49, 0x7F}, {kCategoryName, 3, 134, 0x03}};
    for (const auto& [parameter, value, byte, expected] : rows) {
        ParamRecorder params = initParameters();
        params.values[parameter] = value;
        const int category = static_cast<int>(params.parameterValue(kCategoryName));
        EXPECT_EQ(MIDIMessageSender::buildArrangementDump(params, "INIT", category, 0)[byte], expected) << parameter;
    }
    ParamRecorder steps = initParameters();
    steps.values[zsysex::patternStepEventParameter(1)] = 11;
    steps.values[zsysex::patternStepTimeParameter(1)] = 1;
    steps.values[zsysex::patternStepGlideParameter(1)] = 1;
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(steps, "", 0, 0)[97], 0x5B);
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(steps, "", 0, 200)[3], 0x7F);
}

TEST(SenderDumps, StoredSoundsGoToTheEditBufferOrTheirSlotWithTheDeviceAndInitSlotDumpsNameTheirSlot)
{
    // Stored for device 5 at slot 130 (01 02); sent to device 2's edit buffer.
    EXPECT_EQ(bytes(MIDIMessageSender::buildEditBufferDump(initWith(0x05, 0x01, 0x02, 0x55), 2)),
        initWith(0x02, 0x7F, 0x00, 0x2B));
    // Bank, program, device. Slot 256 is 02 00, slot 255 is 01 7F; checksums from INIT's sum 0x29.
    const std::tuple<int, int, int, Bytes> rows[] = {{2, 56, 0, initWith(0x00, 0x02, 0x00, 0x2C)},
        {2, 55, 0, initWith(0x00, 0x01, 0x7F, 0x2A)}, {0, 30, 3, initWith(0x03, 0x00, 0x1E, 0x4B)}};
    for (const auto& [bank, program, device, expected] : rows)
        EXPECT_EQ(bytes(MIDIMessageSender::buildStoreDump(kDocumentedInitSound, bank, program, device)), expected)
            << bank << "/" << program;
    // A longer message is cut at 137 with the checksum and F7 in their places.
    Bytes longer = kDocumentedInitSound;
    longer.insert(longer.end(), 20, 0x11);
    EXPECT_EQ(bytes(MIDIMessageSender::buildStoreDump(longer, 2, 56, 0)), initWith(0x00, 0x02, 0x00, 0x2C));

    const Bytes init = bytes(MIDIMessageSender::buildInitSlotDump(1, 30));
    EXPECT_EQ(Bytes(init.begin(), init.begin() + 7), bytesOf("F0 3E 16 01 10 00 1E"));
    EXPECT_EQ(Bytes(init.begin() + 135, init.end()), bytesOf("49 F7"));
}

TEST(MidiClock, IntervalFollowsHostOrListTempoAndUnusableTempoStartsNothing)
{
    const std::vector<std::string> tempoValues = {"60", "90", "24 BPM", "300", "abc", "0"};
    // Override (1.0: the host's tempo), host tempo, list entry, the clock's interval.
    const std::tuple<double, double, int, int64_t> rows[] = {
        {1.0, 120.7, 0, 20'833'333}, {0.0, 0, 1, 27'777'777}, {0.0, 0, 2, 104'166'666}, {0.0, 0, 3, 8'333'333},
        {1.0, 0.0, 3, 0}, {1.0, -5.0, 3, 0},  // host tempo 0 or below
        {0.0, 0, 4, 0},                       // list text without a number
        {0.0, 0, 5, 0},                       // list tempo 0
        {0.0, 0, 6, 0}, {0.0, 0, -1, 0},      // outside the list
        {0.5, 120.0, 1, 27'777'777},          // only exactly 1.0 follows the host
    };
    for (const auto& [overrideTempo, hostTempo, entry, intervalNs] : rows)
        EXPECT_EQ(MIDIMessageSender::clockIntervalNs(
                      MIDIMessageSender::clockTempo(overrideTempo, hostTempo, entry, tempoValues)), intervalNs)
            << overrideTempo << " " << hostTempo << " " << entry;
}
