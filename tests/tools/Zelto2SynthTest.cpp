// The simulated Zelto 2's memory and answers, without any MIDI port.

#include <gtest/gtest.h>

#include "Zelto2Synth.h"

using namespace zelto2sim;

namespace {

Bytes NamedSound(const std::string& name, uint8_t device, SoundAddress address)
{
    Bytes sound = MakeSoundDump(InitSound(), device, address);
    for (size_t i = 0; i < 14; ++i) {
        sound[120 + i] = static_cast<uint8_t>(i < name.size() ? name[i] : ' ');
    }
    sound[135] = Checksum(sound);
    return sound;
}

std::string NameOf(const Bytes& dump)
{
    return std::string(dump.begin() + 120, dump.begin() + 134);
}

}  // namespace

TEST(Zelto2Synth, AnswersSoundAndGlobalRequestsForItsDeviceAndIgnoresOtherDevices)
{
    Zelto2Synth synth(0x05);
    const std::vector<Bytes> answers = synth.Receive({0xF0, 0x3E, 0x16, 0x05, 0x00, 0x02, 0x00, 0xF7});
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(Bytes(answers[0].begin(), answers[0].begin() + 7), (Bytes{0xF0, 0x3E, 0x16, 0x05, 0x10, 0x02, 0x00}));
    EXPECT_EQ(NameOf(answers[0]), "INIT          ");
    const std::vector<Bytes> global = synth.Receive({0xF0, 0x3E, 0x16, 0x05, 0x04, 0xF7});
    ASSERT_EQ(global.size(), 1u);
    EXPECT_EQ(global[0], synth.GlobalDump());
    EXPECT_EQ(global[0].size(), 39u);

    EXPECT_TRUE(synth.Receive({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x7F, 0x00, 0xF7}).empty());
    EXPECT_TRUE(synth.Receive({0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7}).empty());
}

TEST(Zelto2Synth, StoresAnIncomingDumpInTheAddressedSlotOrEditBuffer)
{
    Zelto2Synth synth(0x00);
    EXPECT_TRUE(synth.Receive(NamedSound("BASS", 0x09, {false, 256})).empty());
    synth.Receive(NamedSound("LEAD", 0x00, {true, 0}));
    EXPECT_EQ(NameOf(synth.Sound({false, 256})), "BASS          ");
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "LEAD          ");
    const Bytes answer = synth.Receive({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x02, 0x00, 0xF7}).at(0);
    EXPECT_EQ(answer[3], 0x00);  // its own device ID, not the stored one
    EXPECT_EQ(NameOf(answer), "BASS          ");
}

TEST(Zelto2Synth, BankSelectAndProgramChangeLoadTheEditBuffer)
{
    Zelto2Synth synth(0x00);
    synth.Receive(NamedSound("PAD", 0x00, {false, 320}));
    synth.Receive({0xB0, 0x00, 0x00});
    synth.Receive({0xB0, 0x20, 0x03});
    synth.Receive({0xC0, 20});
    EXPECT_EQ(synth.Bank(), 3);
    EXPECT_EQ(NameOf(synth.Sound({true, 0})), "PAD           ");
}

TEST(Zelto2Synth, LoadsSoundsFromAFilesDumps)
{
    Zelto2Synth synth(0x00);
    const int stored = synth.LoadSounds({
        NamedSound("FIRST", 0x00, {true, 0}),
        NamedSound("SLOT ZERO", 0x00, {false, 0}),
        NamedSound("SECOND", 0x00, {true, 0}),
        {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7},
    });
    EXPECT_EQ(stored, 3);
    EXPECT_EQ(NameOf(synth.Sound({false, 0})), "SLOT ZERO     ");
    EXPECT_EQ(NameOf(synth.Sound({false, 1})), "FIRST         ");
    EXPECT_EQ(NameOf(synth.Sound({false, 2})), "SECOND        ");
}
