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

}  // namespace

TEST(Zelto2Synth, AnswersSoundAndGlobalRequestsForItsDeviceAndIgnoresOtherDevices)
{
    Zelto2Synth synth(0x05);
    const std::vector<Bytes> answers = synth.Receive(*ParseHex("F0 3E 16 05 00 02 00 F7"));
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(ToHex(Bytes(answers[0].begin(), answers[0].begin() + 7)), "F0 3E 16 05 10 02 00");
    EXPECT_EQ(NameOf(answers[0]), "INIT          ");
    EXPECT_EQ(synth.Receive(*ParseHex("F0 3E 16 05 04 F7")), std::vector<Bytes> {synth.GlobalDump()});
    EXPECT_TRUE(synth.Receive(*ParseHex("F0 3E 16 00 00 7F 00 F7")).empty());
    EXPECT_TRUE(synth.Receive(*ParseHex("F0 3E 16 00 04 F7")).empty());
}

TEST(Zelto2Synth, StoresAWholeDumpForItsDeviceAndRefusesAnyOther)
{
    Zelto2Synth synth(0x00);
    std::string refusal = "-";
    EXPECT_TRUE(synth.Receive(NamedSound("BASS", {false, 256}), &refusal).empty());
    EXPECT_EQ(refusal, "");
    synth.Receive(NamedSound("LEAD", {true, 0}));
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "LEAD          ");
    EXPECT_EQ(NameOf(synth.Receive(*ParseHex("F0 3E 16 00 00 02 00 F7")).at(0)), "BASS          ");

    Bytes badChecksum = NamedSound("WRONG", {false, 256});
    badChecksum[135] ^= 1;
    Bytes cut = NamedSound("WRONG", {false, 256});
    cut.erase(cut.begin() + 130);
    for (const Bytes& dump : {NamedSound("WRONG", {false, 256}, 0x09), badChecksum, cut}) {
        synth.Receive(dump, &refusal);
        EXPECT_NE(refusal, "");
        EXPECT_EQ(NameOf(synth.Sound({false, 256})), "BASS          ") << refusal;
    }
}

// Addresses and offsets from the parameter map in resources/sysex.xml and the
// dump maps' decoding (semitone b - 16, arpeggiator clock b - 1, master tune b - 54, transpose b - 40).
TEST(Zelto2Synth, ParameterMessagesChangeTheByteTheDumpMapsGiveTheirAddress)
{
    struct Row {
        const char* addressAndValue;
        Memory memory;
        int index;
        uint8_t byte;
    };
    const Row rows[] = {{"01 31 40", Memory::Sound, 49, 0x40}, {"01 09 20", Memory::Sound, 9, 0x30},
        {"01 72 05", Memory::Sound, 114, 5}, {"01 2E 0F", Memory::Sound, 46, 0x10}, {"00 02 03", Memory::Sound, 7, 3}, {"29 00 02", Memory::Sound, 13, 2},
        {"6B 00 01", Memory::Sound, 19, 1}, {"70 00 07", Memory::Sound, 26, 7}, {"7B 01 09", Memory::Sound, 113, 9},
        {"10 00 51", Memory::Sound, 59, 0x51}, {"02 05 0A", Memory::Global, 5, 64}, {"02 06 18", Memory::Global, 6, 64},
        {"02 24 7F", Memory::Global, 36, 127}, {"02 41 03", Memory::PolyChain, 1, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.addressAndValue);
        Zelto2Synth synth(0x02);
        std::string refusal = "-";
        synth.Receive(*ParseHex(std::string("F0 3E 16 02 41 ") + row.addressAndValue + " 00 F7"), &refusal);
        EXPECT_EQ(refusal, "");
        if (row.memory == Memory::PolyChain) {
            EXPECT_EQ(synth.PolyChain(row.index), row.byte);
            continue;
        }
        const Bytes answer = synth.Receive(*ParseHex(row.memory == Memory::Sound ? "F0 3E 16 02 00 7F 00 F7"
                                                                                 : "F0 3E 16 02 04 F7")).at(0);
        EXPECT_EQ(answer[row.index], row.byte);
        const size_t checksum = answer.size() - 2;
        EXPECT_EQ(answer[checksum], Checksum(answer));
        Bytes before = row.memory == Memory::Sound ? MakeSoundDump(InitSound(), 2, {true, 0}) : Zelto2Synth(2).GlobalDump();
        before[row.index] = row.byte;
        before[checksum] = answer[checksum];
        EXPECT_EQ(answer, before) << "only that byte changed";
    }
}

TEST(Zelto2Synth, ParameterMessagesForOtherDevicesAreIgnoredUnknownAddressesRefusedAndTheDeviceIdTakesEffect)
{
    Zelto2Synth synth(0x00);
    std::string refusal;
    synth.Receive(*ParseHex("F0 3E 16 04 41 01 31 40 00 F7"), &refusal);
    EXPECT_EQ(refusal, "");
    for (const char* unknown : {"F0 3E 16 00 41 01 58 01 00 F7", "F0 3E 16 00 41 01 61 01 00 F7",
             "F0 3E 16 00 41 02 19 01 00 F7", "F0 3E 16 00 41 01 31 40 F7"}) {
        synth.Receive(*ParseHex(unknown), &refusal);
        EXPECT_NE(refusal, "") << unknown;
    }
    EXPECT_EQ(synth.Sound({true, 0}), InitSound());

    synth.Receive(*ParseHex("F0 3E 16 00 41 02 09 07 00 F7"));
    EXPECT_TRUE(synth.Receive(*ParseHex("F0 3E 16 00 04 F7")).empty());
    EXPECT_EQ(ToHex(Bytes(synth.GlobalDump().begin(), synth.GlobalDump().begin() + 5)), "F0 3E 16 07 14");
    EXPECT_EQ(synth.Receive(*ParseHex("F0 3E 16 07 04 F7")).size(), 1u);
}

TEST(Zelto2Synth, ControllersAndNrpnsPlayWithoutChangingTheSoundAndBankSelectAndProgramChangeLoadIt)
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
    EXPECT_EQ(synth.Bank(), 3);
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "PAD           ");
}

TEST(Zelto2Synth, LoadsSoundsFromAFilesDumpsFillingSlotsInOrderAfterAddressedOnes)
{
    Zelto2Synth synth(0x00);
    EXPECT_EQ(synth.LoadSounds({NamedSound("FIRST", {true, 0}), NamedSound("SLOT ZERO", {false, 0}, 0x05),
                  NamedSound("SECOND", {true, 0}), *ParseHex("F0 3E 16 00 04 F7")}),
        3);
    EXPECT_EQ(NameOf(synth.Sound({false, 0})), "SLOT ZERO     ");
    EXPECT_EQ(NameOf(synth.Sound({false, 1})), "FIRST         ");
    EXPECT_EQ(NameOf(synth.Sound({false, 2})), "SECOND        ");
}
