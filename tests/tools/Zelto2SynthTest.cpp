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

TEST(Zelto2Synth, StoresAnIncomingDumpInTheAddressedSlotOrEditBuffer)
{
    Zelto2Synth synth(0x00);
    EXPECT_TRUE(synth.Receive(NamedSound("BASS", {false, 256}, 0x09)).empty());
    synth.Receive(NamedSound("LEAD", {true, 0}));
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "LEAD          ");
    const Bytes answer = synth.Receive(*ParseHex("F0 3E 16 00 00 02 00 F7")).at(0);
    EXPECT_EQ(answer[3], 0x00);  // its own device ID, not the stored one
    EXPECT_EQ(NameOf(answer), "BASS          ");
}

TEST(Zelto2Synth, BankSelectAndProgramChangeLoadTheEditBuffer)
{
    Zelto2Synth synth(0x00);
    synth.Receive(NamedSound("PAD", {false, 320}));
    for (const char* message : {"B0 00 00", "B0 20 03", "C0 14"})
        synth.Receive(*ParseHex(message));
    EXPECT_EQ(synth.Bank(), 3);
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "PAD           ");
}

TEST(Zelto2Synth, LoadsSoundsFromAFilesDumpsFillingSlotsInOrderAfterAddressedOnes)
{
    Zelto2Synth synth(0x00);
    EXPECT_EQ(synth.LoadSounds({NamedSound("FIRST", {true, 0}), NamedSound("SLOT ZERO", {false, 0}),
                  NamedSound("SECOND", {true, 0}), *ParseHex("F0 3E 16 00 04 F7")}),
        3);
    EXPECT_EQ(NameOf(synth.Sound({false, 0})), "SLOT ZERO     ");
    EXPECT_EQ(NameOf(synth.Sound({false, 1})), "FIRST         ");
    EXPECT_EQ(NameOf(synth.Sound({false, 2})), "SECOND        ");
}
