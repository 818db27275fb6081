// The simulated Zelto 2's memory and answers, without any MIDI port.

#include <gtest/gtest.h>

#include "Zelto2Synth.h"

using namespace zelto2sim;

namespace {

Bytes NamedSound(const std::string& name, SoundAddress address, uint8_t device = 0)
{
    Bytes sound = MakeSoundDump(InitSound(), device, address);
    for (size_t i = 0; i < 14; ++i)
        sound[120 + i] = static_cast<uint8_t>(i < name.size() ? name[i] : ' ');
    sound[135] = Checksum(sound);
    return sound;
}

std::string NameOf(const Bytes& dump) { return std::string(dump.begin() + 120, dump.begin() + 134); }

Bytes Ask(Zelto2Synth& synth, const char* request) { return synth.Receive(*ParseHex(request)).at(0); }

}  // namespace

// Only a whole dump for its device with the right checksum is kept.
TEST(Zelto2Synth, StoresARightDumpInItsSlotOrEditBufferAndRefusesAnyOther)
{
    Zelto2Synth synth(0x00);
    std::string refusal = "-";
    synth.Receive(NamedSound("BASS", {false, 256}), &refusal);
    synth.Receive(NamedSound("LEAD", {true, 0}));
    EXPECT_EQ(refusal, "");
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "LEAD          ");
    EXPECT_EQ(NameOf(Ask(synth, "F0 3E 16 00 00 02 00 F7")), "BASS          ");
    Bytes badChecksum = NamedSound("WRONG", {false, 256}), cut = badChecksum;
    badChecksum[135] ^= 1;
    cut.erase(cut.begin() + 130);
    for (const Bytes& dump : {NamedSound("WRONG", {false, 256}, 0x09), badChecksum, cut}) {
        synth.Receive(dump, &refusal);
        EXPECT_NE(refusal, "");
        EXPECT_EQ(NameOf(synth.Sound({false, 256})), "BASS          ") << refusal;
    }
}

// Addresses of the SysEx map in resources/sysex.xml; bytes as the dump maps decode them (semitone
// b - 16, arpeggiator clock b - 1, master tune b - 54, transpose b - 40). Nothing else changes.
TEST(Zelto2Synth, ParameterMessagesChangeOnlyTheByteTheDumpMapsGiveTheirAddress)
{
    const std::tuple<const char*, bool, int, uint8_t> rows[] = {{"01 31 40", true, 49, 0x40},
        {"01 09 20", true, 9, 0x30}, {"01 2E 0F", true, 46, 0x10}, {"6B 00 01", true, 19, 1},
        {"10 00 51", true, 59, 0x51}, {"02 05 0A", false, 5, 64}, {"02 06 18", false, 6, 64}};
    for (const auto& [message, sound, index, byte] : rows) {
        SCOPED_TRACE(message);
        Zelto2Synth synth(0x02), untouched(0x02);
        std::string refusal = "-";
        synth.Receive(*ParseHex(std::string("F0 3E 16 02 41 ") + message + " 00 F7"), &refusal);
        const char* request = sound ? "F0 3E 16 02 00 7F 00 F7" : "F0 3E 16 02 04 F7";
        const Bytes answer = Ask(synth, request), before = Ask(untouched, request);
        EXPECT_EQ(refusal, "");
        EXPECT_EQ(answer[answer.size() - 2], Checksum(answer));
        for (size_t i = 0; i + 2 < answer.size(); ++i)
            EXPECT_EQ(answer[i], i == size_t(index) ? byte : before[i]) << i;
    }
}

TEST(Zelto2Synth, AnswersAndTakesParametersOnlyForItsDeviceRefusesUnknownAddressesAndANewDeviceIdTakesEffect)
{
    Zelto2Synth synth(0x05);
    const Bytes answer = Ask(synth, "F0 3E 16 05 00 02 00 F7");
    EXPECT_EQ(ToHex(Bytes(answer.begin(), answer.begin() + 7)), "F0 3E 16 05 10 02 00");
    EXPECT_EQ(NameOf(answer), "INIT          ");
    EXPECT_EQ(Ask(synth, "F0 3E 16 05 04 F7"), synth.GlobalDump());
    std::string refusal;
    // Then carried byte 88, a pattern step, global byte 25, nine bytes.
    for (const char* ignored : {"F0 3E 16 00 00 7F 00 F7", "F0 3E 16 00 04 F7", "F0 3E 16 04 41 01 31 40 00 F7"}) {
        EXPECT_TRUE(synth.Receive(*ParseHex(ignored), &refusal).empty()) << ignored;
        EXPECT_EQ(refusal, "") << ignored;
    }
    for (const char* unknown : {"F0 3E 16 05 41 01 58 01 00 F7", "F0 3E 16 05 41 01 61 01 00 F7",
             "F0 3E 16 05 41 02 19 01 00 F7", "F0 3E 16 05 41 01 31 40 F7"}) {
        synth.Receive(*ParseHex(unknown), &refusal);
        EXPECT_NE(refusal, "") << unknown;
    }
    EXPECT_EQ(synth.Sound({true, 0}), InitSound());
    synth.Receive(*ParseHex("F0 3E 16 05 41 02 41 03 00 F7"));
    synth.Receive(*ParseHex("F0 3E 16 05 41 02 09 07 00 F7"));
    EXPECT_EQ(synth.PolyChain(1), 3);
    EXPECT_TRUE(synth.Receive(*ParseHex("F0 3E 16 05 04 F7")).empty());
    EXPECT_EQ(ToHex(Bytes(synth.GlobalDump().begin(), synth.GlobalDump().begin() + 5)), "F0 3E 16 07 14");
}

TEST(Zelto2Synth, ControllersAndNrpnsPlayWithoutChangingTheSoundWhileProgramChangeAndAFilesDumpsLoadSounds)
{
    Zelto2Synth synth(0x00);
    synth.Receive(NamedSound("PAD", {false, 320}));
    for (const char* message : {"B3 01 40", "B0 63 02", "B0 62 14", "B0 06 4A", "B0 00 00", "B0 20 03"})
        synth.Receive(*ParseHex(message));
    EXPECT_EQ(synth.Controller(1), 0x40);
    EXPECT_EQ(synth.Nrpn(2, 20), 0x4A);
    EXPECT_FALSE(synth.Nrpn(2, 21).has_value());
    EXPECT_EQ(synth.Sound({true, 0}), InitSound());
    synth.Receive(*ParseHex("C0 14"));
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "PAD           ");
    // A file's dumps fill the slots in order after the addressed ones.
    EXPECT_EQ(synth.LoadSounds({NamedSound("FIRST", {true, 0}), NamedSound("SLOT ZERO", {false, 0}, 0x05),
                  NamedSound("SECOND", {true, 0}), *ParseHex("F0 3E 16 00 04 F7")}),
        3);
    EXPECT_EQ(NameOf(synth.Sound({false, 0})), "SLOT ZERO     ");
    EXPECT_EQ(NameOf(synth.Sound({false, 1})), "FIRST         ");
    EXPECT_EQ(NameOf(synth.Sound({false, 2})), "SECOND        ");
}

// A bank file of the editor's library names slot 0 in every dump (00 00), and
// a bank converted from the older model carries command 00: such a file still
// fills one slot per sound, in file order, and answers requests for them.
TEST(Zelto2Synth, ALibraryBankWhoseDumpsAllNameSlotZeroFillsTheSlotsInFileOrder)
{
    std::vector<Bytes> bank;
    for (int i = 0; i < 100; ++i)
        bank.push_back(NamedSound("SOUND " + std::to_string(i + 1), {false, 0}));
    bank[1][4] = 0x00;
    bank[1][135] = Checksum(bank[1]);
    Zelto2Synth synth(0x00);
    EXPECT_EQ(synth.LoadSounds(bank), 100);
    for (int slot : {0, 1, 2, 99})
        EXPECT_EQ(NameOf(synth.Sound({false, slot})), NameOf(bank[size_t(slot)])) << slot;
    EXPECT_EQ(NameOf(Ask(synth, "F0 3E 16 00 00 00 01 F7")), "SOUND 2       ");
}
