// The SysEx protocol tables as pure functions; the sound dump's byte map
// (each byte to its parameters, their decode rules and section locks) against
// the documented map the e2e sessions read the panel by; the dumps the sending
// jobs build and the MIDI clock's tempo rules, byte for byte from the tables.
#include <map>
#include <set>

#include "EditorFixture.h"
#include "MIDIMessageSender.h"
#include "e2e/SoundDumpMap.h"

using namespace zsysex;

namespace {

class ParamRecorder : public ParameterSink, public ParameterSource {
public:
    void setParameter(int index, double value) override { values[index] = value; }
    double parameterValue(int index) const override { return has(index) ? values.at(index) : 0.0; }
    bool has(int index) const { return values.count(index) != 0; }
    std::map<int, double> values;
};

// The editor's INIT sound is the documented one (the first protocol test).
std::vector<uint8_t> initDump() { return kDocumentedInitSound; }

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

using Dump = MIDIMessageSender::SoundDump;
using Bytes = std::vector<uint8_t>;

ParamRecorder initParameters() { return decode(kDocumentedInitSound); }

Bytes bytes(const Dump& dump) { return Bytes(dump.begin(), dump.end()); }

// INIT with its header bytes 3..6 and checksum replaced.
Bytes initWith(uint8_t device, uint8_t high, uint8_t low, uint8_t checksum)
{
    Bytes dump = kDocumentedInitSound;
    dump[3] = device, dump[5] = high, dump[6] = low, dump[135] = checksum;
    return dump;
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

// ARP SWING and ARP DELAY read as their bytes and go out in the whole sound as read, whatever the synth's range for
// them: its sounds come back from the editor unchanged.
TEST(SoundDumpMap, SwingAndDelayBytesReadAsTheyStandAndTheWholeSoundSendsThemBackUnchanged)
{
    for (uint8_t b : {0, 1, 64, 100, 117, 127}) {
        auto dump = initDump();
        dump[95] = dump[96] = b;
        const ParamRecorder params = decode(dump);
        const Dump sent = MIDIMessageSender::buildArrangementDump(params, "INIT", 0, 0);
        EXPECT_EQ(std::pair(params.values.at(kArpSwing), params.values.at(kArpDelay)), std::pair(double(b), double(b)));
        EXPECT_EQ(Bytes(sent.begin() + 7, sent.begin() + 135), Bytes(dump.begin() + 7, dump.begin() + 135)) << int(b);
    }
}

TEST(SoundDumpMap, SlotDumpSelectsItsBankAndProgramAndTheEditBufferNeither)
{
    EXPECT_FALSE(decode(initDump()).has(kCurrentBank));
    // Bank 4 is the last slot bank; from 5 on the byte names no slot.
    for (int bank : {0, 4, 5}) {
        auto dump = initDump();
        dump[5] = static_cast<uint8_t>(bank), dump[6] = 20;
        const ParamRecorder params = decode(dump);
        EXPECT_EQ(params.has(kCurrentBank) ? params.values.at(kCurrentBank) : -1, bank <= 4 ? bank : -1) << bank;
        EXPECT_EQ(params.has(kCurrentPatch) ? params.values.at(kCurrentPatch) : -1, bank <= 4 ? 20 : -1) << bank;
    }
}

TEST(SoundDumpMap, EachLockGuardsExactlyTheBytesOfItsSection)
{
    const std::vector<int> guarded[kSectionLockCount] = {
        {5, 6, 7, 8, 9, 10, 11, 86} /* Osc1 */, {13, 14, 15, 16, 17, 23, 87} /* Osc2 */, {19, 20, 21, 22} /* Osc3 */,
        {12, 18, 24, 58} /* Mixer */, {29, 30, 85, 92, 93} /* Porta */, {49, 50, 51, 52, 53, 54, 55, 56} /* Filter */,
        {31, 32, 33, 34, 35, 36} /* Eg1 */, {37, 38, 39, 40, 41, 42} /* Eg2 */, {57, 59, 60} /* Amp */,
        {25, 26} /* LFO1 */, {27, 28} /* LFO2 */,
        {61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84} /* Mod */,
        {43, 44, 45, 46, 47, 48, 94, 95, 96, 97, 98, 99, 100, 101, 102, 103, 104, 105, 106, 107, 108, 109,
            110, 111, 112, 113, 114} /* Arp */
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


TEST(SysExProtocol, CategoryWordsFollowTheDecoderTableAndOutsideItReadNone)
{
    const std::pair<int, const char*> cases[] = {{0, "NONE"}, {3, "BASS"}, {12, "SEQ"}, {20, "INIT"}, {21, "NONE"},
        {-1, "NONE"}};
    for (const auto& [code, word] : cases)
        EXPECT_STREQ(soundCategoryWord(code), word) << code;
}

TEST(SysExProtocol, InitSoundMatchesTheDocumentedDumpAndNamesLeaveOutZeroBytesAndKeepSpaces)
{
    EXPECT_EQ(std::vector<uint8_t>(initSinglePatch, initSinglePatch + kSoundDumpSize), kDocumentedInitSound);
    EXPECT_EQ(soundName(initSinglePatch, kSoundDumpSize), "INIT          ");
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
    // From the hardware?, library request active?, sound requested?, global request pending?
    const DispatchState idle {}, host {false}, library {true, true}, requested {true, false, true},
        waitingGlobal {true, false, false, true}, requestedAndGlobal {true, false, true, true};
    const std::tuple<std::vector<uint8_t>, DispatchState, SysExRoute> rows[] = {
        {dump, host, SysExRoute::Ignored}, {bytesOf("F0 3E 16 00 04 F7"), requested, SysExRoute::Ignored},
        {bytesOf("F0 3E 16"), idle, SysExRoute::Ignored}, {with(dump, 1, 0x41), requested, SysExRoute::BadHeader},
        {with(dump, 3, 0x80), requested, SysExRoute::BadHeader}, {single, library, SysExRoute::LibraryRequest},
        {dump, library, SysExRoute::LibraryRequest}, {dump, requested, SysExRoute::SoundDump},
        {with(dump, 2, 0x0B), requested, SysExRoute::SoundDump}, {dump, idle, SysExRoute::NotDecoded},
        {dump, waitingGlobal, SysExRoute::GlobalDump}, {global, requestedAndGlobal, SysExRoute::GlobalDump},
        {global, idle, SysExRoute::NotDecoded}, {mid, idle, SysExRoute::NotDecoded},
        {single, idle, SysExRoute::SingleParameter}, {single, requested, SysExRoute::NotDecoded},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const auto& [message, state, route] = rows[i];
        EXPECT_EQ(routeSysEx(message.data(), int(message.size()), state), route) << "row " << i;
    }
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

TEST(SenderDumps, ArrangementOfInitIsTheInitSoundAndNamesAreUpperCaseCutToThirteenWithPrintableCharactersOnly)
{
    // The table stores 0x2A, but bytes 1..134 sum to 0x29 (mod 128).
    EXPECT_EQ(bytes(MIDIMessageSender::buildArrangementDump(initParameters(), "INIT", 0, 0)),
        initWith(0x00, 0x7F, 0x00, 0x29));
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

// The steps' byte is the dump map's round trip.
TEST(SenderDumps, ArrangementEncodesTheCategoryAndKeepsEveryByteSevenBit)
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
    EXPECT_EQ(MIDIMessageSender::buildArrangementDump(initParameters(), "", 0, 200)[3], 0x7F);  // device 200
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

TEST(SenderDumps, ChecksumOfAFramedMessageSumsBytes1ToNMinus3AndShortMessagesGive0)
{
    for (const auto& [message, sum] : {std::pair<const char*, int> {"F0 7F F7", 0}, {"F0 05 00 F7", 5}, {"F0 7F 01 00 F7", 0}})
        EXPECT_EQ(calculateCheckSum(bytesOf(message)), sum) << message;
}

TEST(SenderDumps, TapPatternPacksThreeGroupsOfFiveBase24DigitsAndTheFlagsIntoSevenBitBytes)
{
    // 15 digits as (mod 8, div 8) pairs, then the three flags; packed by hand from the bit layout.
    auto pairs = [](std::vector<int> digits, std::vector<int> flags) {
        std::vector<char> in;
        for (int d : digits)
            in.insert(in.end(), {static_cast<char>(d % 8), static_cast<char>(d / 8)});
        in.resize(30, 0);
        in.insert(in.end(), flags.begin(), flags.end());
        return in;
    };
    const std::pair<std::vector<char>, Bytes> rows[] = {
        {pairs({1}, {0, 0, 0}), bytesOf("00 20 14 00 00 00 00 00 00 00 00")},  // 24^4
        {pairs(std::vector<int>(15, 23), {5, 2, 8}), bytesOf("7F 7F 65 7F 7F 17 7F 7F 5F 3C 35")},  // each 24^5 - 1
        {pairs({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14}, {0, 3, 24}),
            bytesOf("4C 75 00 24 24 2A 63 48 43 1A 78")},  // 15052, 1746057, 3477062
    };
    for (const auto& [in, code] : rows) {
        char out[MIDIMessageSender::kTapPatternCodeSize];
        MIDIMessageSender::GenTapPatternCode(out, in.data());
        EXPECT_EQ(Bytes(out, out + sizeof out), code);
    }
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
