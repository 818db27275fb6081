// The simulated Zelto 2's protocol functions against the documented bytes.

#include <gtest/gtest.h>

#include <numeric>

#include "Zelto2Protocol.h"
#include "messaging/DocumentedInitSound.h"

using namespace zelto2sim;

namespace {

const Bytes& kInitSound = kDocumentedInitSound;

uint8_t SumOfBytes1To134(const Bytes& dump)
{
    return static_cast<uint8_t>(std::accumulate(dump.begin() + 1, dump.begin() + 135, 0u) % 128);
}

}  // namespace

TEST(Zelto2Protocol, InitSoundIsTheDocumentedDump)
{
    EXPECT_EQ(InitSound(), kInitSound);
}

TEST(Zelto2Protocol, ChecksumIsTheSevenBitSumBetweenF0AndTheChecksum)
{
    // Bytes 1..134 all 1 sum to 134 = 0x86; the old checksum byte is no part of it.
    Bytes dump(137, 0x01);
    dump[0] = 0xF0;
    dump[135] = 0x55;
    dump[136] = 0xF7;
    EXPECT_EQ(Checksum(dump), 0x06);
    dump[134] = 0x7F;  // 133 + 127 = 0x104
    EXPECT_EQ(Checksum(dump), 0x04);
    EXPECT_EQ(Checksum({0xF0, 0xF7}), 0);
}

TEST(Zelto2Protocol, AddressesNameTheEditBufferOrASlot)
{
    EXPECT_TRUE(DecodeAddress(0x7F, 0x00)->editBuffer);
    EXPECT_EQ(DecodeAddress(0x02, 0x00)->slot, 256);
    EXPECT_EQ(DecodeAddress(0x01, 0x7F)->slot, 255);
    EXPECT_EQ(DecodeAddress(0x00, 0x05)->slot, 5);
    EXPECT_FALSE(DecodeAddress(0x03, 0x74).has_value());  // slot 500
    EXPECT_FALSE(DecodeAddress(0x7F, 0x01).has_value());
    EXPECT_EQ(EncodeAddress({false, 256}), (Bytes{0x02, 0x00}));
    EXPECT_EQ(EncodeAddress({true, 0}), (Bytes{0x7F, 0x00}));
    // Replies may carry bank 1, program 30 as bank and program instead.
    EXPECT_EQ(EncodeAddress({false, 130}, ReplyForm::BankProgram), (Bytes{0x01, 0x1E}));
    EXPECT_EQ(EncodeAddress({false, 499}, ReplyForm::BankProgram), (Bytes{0x04, 0x63}));
    EXPECT_EQ(EncodeAddress({true, 0}, ReplyForm::BankProgram), (Bytes{0x7F, 0x00}));
}

TEST(Zelto2Protocol, SoundDumpCarriesDeviceAddressAndChecksum)
{
    Bytes sound = kInitSound;
    sound[134] = 0x33;  // the last summed byte counts too
    const Bytes dump = MakeSoundDump(sound, 0x05, {false, 255});
    ASSERT_EQ(dump.size(), 137u);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 7), (Bytes{0xF0, 0x3E, 0x16, 0x05, 0x10, 0x01, 0x7F}));
    EXPECT_EQ(Bytes(dump.begin() + 7, dump.begin() + 135), Bytes(sound.begin() + 7, sound.begin() + 135));
    EXPECT_EQ(dump[135], SumOfBytes1To134(dump));
    EXPECT_EQ(dump[136], 0xF7);
}

TEST(Zelto2Protocol, GlobalDumpIsThirtyNineBytesWithTheDeviceId)
{
    const Bytes dump = MakeDefaultGlobalDump(0x11);
    ASSERT_EQ(dump.size(), 39u);
    EXPECT_EQ(Bytes(dump.begin(), dump.begin() + 5), (Bytes{0xF0, 0x3E, 0x16, 0x11, 0x14}));
    EXPECT_EQ(dump[5], 54);  // master tune 0
    EXPECT_EQ(dump[6], 40);  // transpose 0
    EXPECT_EQ(dump[9], 0x11);
    EXPECT_EQ(dump[38], 0xF7);
}

TEST(Zelto2Protocol, RequestsAreRecognisedOnlyWhenWellFormed)
{
    auto sound = ParseRequest({0xF0, 0x3E, 0x16, 0x03, 0x00, 0x7F, 0x00, 0xF7});
    ASSERT_TRUE(sound.has_value());
    EXPECT_EQ(sound->command, kSoundRequest);
    EXPECT_EQ(sound->device, 3);
    EXPECT_TRUE(sound->address.editBuffer);
    auto global = ParseRequest({0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7});
    ASSERT_TRUE(global.has_value());
    EXPECT_EQ(global->command, kGlobalRequest);
    EXPECT_FALSE(ParseRequest({0xF0, 0x3E, 0x0B, 0x00, 0x04, 0xF7}).has_value());  // older model
    EXPECT_FALSE(ParseRequest({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x7F, 0xF7}).has_value());
    EXPECT_FALSE(ParseRequest({0xF0, 0x3E, 0x16, 0x00, 0x00, 0x04, 0x00, 0xF7}).has_value());  // slot 512
}

TEST(Zelto2Protocol, SysExStreamSplitsIntoWholeMessages)
{
    const Bytes stream = {0x00, 0xF0, 0x3E, 0xF7, 0x55, 0xF0, 0x01, 0x02, 0xF7, 0xF0, 0x09};
    const std::vector<Bytes> messages = SplitSysEx(stream);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], (Bytes{0xF0, 0x3E, 0xF7}));
    EXPECT_EQ(messages[1], (Bytes{0xF0, 0x01, 0x02, 0xF7}));
}

TEST(Zelto2Protocol, HexTextRoundTrips)
{
    EXPECT_EQ(ToHex({0xF0, 0x3E, 0x0a}), "F0 3E 0A");
    EXPECT_EQ(*ParseHex(" f0 3E  0a "), (Bytes{0xF0, 0x3E, 0x0A}));
    EXPECT_FALSE(ParseHex("F0 3").has_value());
    EXPECT_FALSE(ParseHex("F03E").has_value());
    EXPECT_FALSE(ParseHex("G0").has_value());
}
