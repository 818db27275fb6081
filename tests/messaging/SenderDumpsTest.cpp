// The dumps the sending jobs build and the MIDI clock's tempo rules, checked
// byte for byte against the documented tables.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DocumentedInitSound.h"
#include "MIDIMessageSender.h"
#include "ParamRecorder.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"

namespace {

using Dump = MIDIMessageSender::SoundDump;

// The parameters as the documented INIT sound gives them.
ParamRecorder initParameters()
{
    ParamRecorder params;
    zsysex::decodeSoundParameters(kDocumentedInitSound.data(), static_cast<int>(kDocumentedInitSound.size()),
        zsysex::SectionLockState(), params);
    return params;
}

std::vector<uint8_t> bytes(const Dump& dump)
{
    return std::vector<uint8_t>(dump.begin(), dump.end());
}

std::vector<uint8_t> slice(const Dump& dump, int from, int to)
{
    return std::vector<uint8_t>(dump.begin() + from, dump.begin() + to + 1);
}

// INIT with its header bytes 3..6 and checksum replaced.
std::vector<uint8_t> initWith(uint8_t device, uint8_t high, uint8_t low, uint8_t checksum)
{
    std::vector<uint8_t> dump = kDocumentedInitSound;
    dump[3] = device;
    dump[5] = high;
    dump[6] = low;
    dump[135] = checksum;
    return dump;
}

}  // namespace

TEST(SenderDumps, ArrangementOfTheInitValuesIsTheInitSoundWithItsChecksumRecomputed)
{
    // The table stores 0x2A, but bytes 1..134 sum to 0x29 (mod 128).
    const Dump dump = MIDIMessageSender::buildArrangementDump(initParameters(), "INIT", 0, 0);
    EXPECT_EQ(bytes(dump), initWith(0x00, 0x7F, 0x00, 0x29));
}

TEST(SenderDumps, ArrangementNameIsUpperCaseCutToThirteenWithPrintableCharactersOnly)
{
    struct Row {
        const char* name;
        std::string bytes120to133;
    };
    const Row rows[] = {
        {"abcd", "ABCD" + std::string(10, ' ')},
        {"abcdefghijklmnopqrst", "ABCDEFGHIJKLM "},
        {"a\x01" "b\x7F\xE9", "A B" + std::string(11, ' ')},
    };
    for (const Row& row : rows) {
        const Dump dump = MIDIMessageSender::buildArrangementDump(initParameters(), row.name, 0, 0);
        EXPECT_EQ(std::string(dump.begin() + 120, dump.begin() + 134), row.bytes120to133) << row.name;
    }
    // "ABCD" sums 42 less than "INIT": 0x29 - 42 = -1, that is 0x7F.
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(initParameters(), "abcd", 0, 0)[135], 0x7F);
}

TEST(SenderDumps, ArrangementEncodesStepsAndCategoryAndKeepsEveryByteSevenBit)
{
    struct Row {
        int parameter;
        double value;
        int byte;
        uint8_t expected;
    };
    const Row rows[] = {
        {kOscillator1Semitone, -40, 9, 0x00},  // below the byte's range
        {kFilterCutoff, 300, 49, 0x7F},        // above it
        {kCategoryName, 3, 134, 0x03},
    };
    for (const Row& row : rows) {
        ParamRecorder params = initParameters();
        params.values[row.parameter] = row.value;
        const int category = static_cast<int>(params.parameterValue(kCategoryName));
        const Dump dump = MIDIMessageSender::buildArrangementDump(params, "INIT", category, 0);
        EXPECT_EQ(dump[row.byte], row.expected) << row.parameter << " = " << row.value;
    }
    ParamRecorder steps = initParameters();
    steps.values[zsysex::patternStepEventParameter(1)] = 11;
    steps.values[zsysex::patternStepTimeParameter(1)] = 1;
    steps.values[zsysex::patternStepGlideParameter(1)] = 1;
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(steps, "", 0, 0)[97], 0x5B);
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(steps, "", 0, 200)[3], 0x7F);
}

TEST(SenderDumps, LibrarySoundGoesToTheEditBufferOfTheGlobalDevice)
{
    // Stored for device 5 at slot 130 (01 02); sent to device 2's edit buffer.
    const std::vector<uint8_t> stored = initWith(0x05, 0x01, 0x02, 0x55);
    EXPECT_EQ(bytes(MIDIMessageSender::buildEditBufferDump(stored, 2)), initWith(0x02, 0x7F, 0x00, 0x2B));
}

TEST(SenderDumps, BankStoreAddressesTheSlotAndWritesTheCurrentDevice)
{
    struct Row {
        int bank, program, device;
        std::vector<uint8_t> expected;
    };
    const Row rows[] = {
        // Slot 256 is 02 00, slot 255 is 01 7F; checksums from INIT's sum 0x29.
        {2, 56, 0, initWith(0x00, 0x02, 0x00, 0x2C)},
        {2, 55, 0, initWith(0x00, 0x01, 0x7F, 0x2A)},
        {0, 30, 3, initWith(0x03, 0x00, 0x1E, 0x4B)},
    };
    for (const Row& row : rows)
        EXPECT_EQ(bytes(MIDIMessageSender::buildStoreDump(kDocumentedInitSound, row.bank, row.program, row.device)),
            row.expected)
            << row.bank << "/" << row.program;

    // A longer message is cut at 137 with the checksum and F7 in their places.
    std::vector<uint8_t> longer = kDocumentedInitSound;
    longer.insert(longer.end(), 20, 0x11);
    EXPECT_EQ(bytes(MIDIMessageSender::buildStoreDump(longer, 2, 56, 0)), initWith(0x00, 0x02, 0x00, 0x2C));
}

TEST(SenderDumps, InitSlotDumpNamesTheSlotInByteSix)
{
    const Dump dump = MIDIMessageSender::buildInitSlotDump(1, 30);
    EXPECT_EQ(slice(dump, 0, 6), (std::vector<uint8_t> {0xF0, 0x3E, 0x16, 0x01, 0x10, 0x00, 0x1E}));
    EXPECT_EQ(dump[135], 0x49);
    EXPECT_EQ(dump[136], 0xF7);
}

TEST(MidiClock, IntervalFollowsHostOrListTempoAndUnusableTempoStartsNothing)
{
    const std::vector<std::string> tempoValues = {"60", "90", "24 BPM", "300", "abc", "0"};
    struct Row {
        double overrideTempo, hostTempo, arpTempo;
        int64_t intervalNs;
    };
    const Row rows[] = {
        {1.0, 120.7, 0, 20'833'333},
        {0.0, 0, 1, 27'777'777},
        {0.0, 0, 2, 104'166'666},
        {0.0, 0, 3, 8'333'333},
        {1.0, 0.0, 3, 0},     // host tempo 0
        {1.0, -5.0, 3, 0},
        {0.0, 0, 4, 0},       // list text without a number
        {0.0, 0, 5, 0},       // list tempo 0
        {0.0, 0, 6, 0},       // first index past the list
        {0.0, 0, -1, 0},
        {0.5, 120.0, 1, 27'777'777},  // only exactly 1.0 follows the host
    };
    for (const Row& row : rows) {
        const int tempo = MIDIMessageSender::clockTempo(row.overrideTempo, row.hostTempo, row.arpTempo, tempoValues);
        EXPECT_EQ(MIDIMessageSender::clockIntervalNs(tempo), row.intervalNs)
            << row.overrideTempo << " " << row.hostTempo << " " << row.arpTempo;
    }
}
