// The simulated Zelto 2's protocol functions against the documented bytes.

#include <gtest/gtest.h>

#include "Zelto2Protocol.h"
#include "messaging/DocumentedInitSound.h"

using namespace zelto2sim;

namespace {

Bytes B(const char* hex) { return ParseHex(hex).value(); }
std::string Hex(const Bytes& b, size_t from, size_t to) { return ToHex({b.begin() + from, b.begin() + to}); }

}  // namespace

TEST(Zelto2Protocol, AddressesNameTheEditBufferOrASlot)
{
    EXPECT_TRUE(DecodeAddress(0x7F, 0x00)->editBuffer);
    EXPECT_EQ(DecodeAddress(0x02, 0x00)->slot, 256);
    EXPECT_EQ(DecodeAddress(0x01, 0x7F)->slot, 255);
    EXPECT_EQ(DecodeAddress(0x00, 0x05)->slot, 5);
    EXPECT_FALSE(DecodeAddress(0x03, 0x74).has_value());  // slot 500
    EXPECT_FALSE(DecodeAddress(0x7F, 0x01).has_value());
    EXPECT_EQ(ToHex(EncodeAddress({false, 256})), "02 00");
    EXPECT_EQ(ToHex(EncodeAddress({true, 0})), "7F 00");
    // Replies may carry bank 1, program 30 as bank and program instead.
    EXPECT_EQ(ToHex(EncodeAddress({false, 130}, ReplyForm::BankProgram)), "01 1E");
    EXPECT_EQ(ToHex(EncodeAddress({false, 499}, ReplyForm::BankProgram)), "04 63");
    EXPECT_EQ(ToHex(EncodeAddress({true, 0}, ReplyForm::BankProgram)), "7F 00");
}

TEST(Zelto2Protocol, DumpsCarryDeviceAddressAndChecksumAndTheInitSoundIsTheDocumentedOne)
{
    EXPECT_EQ(InitSound(), kDocumentedInitSound);
    Bytes sound = kDocumentedInitSound;
    sound[134] = 0x7F;  // the last summed byte counts too, and the sum passes 0x80
    const Bytes dump = MakeSoundDump(sound, 0x05, {false, 255});
    ASSERT_EQ(dump.size(), 137u);
    EXPECT_EQ(Hex(dump, 0, 7), "F0 3E 16 05 10 01 7F");
    EXPECT_EQ(Bytes(dump.begin() + 7, dump.begin() + 135), Bytes(sound.begin() + 7, sound.begin() + 135));
    EXPECT_EQ(Hex(dump, 135, 137), "2E F7");

    // Master tune and transpose 0 are 54 and 40; byte 9 repeats the device.
    const Bytes global = MakeDefaultGlobalDump(0x11);
    ASSERT_EQ(global.size(), 39u);
    EXPECT_EQ(Hex(global, 0, 7), "F0 3E 16 11 14 36 28");
    EXPECT_EQ(global[9], 0x11);
    EXPECT_EQ(global[38], 0xF7);
}

TEST(Zelto2Protocol, RequestsAreRecognisedOnlyWhenWellFormed)
{
    const Request sound = ParseRequest(B("F0 3E 16 03 00 7F 00 F7")).value();
    EXPECT_EQ(std::tuple(sound.command, sound.device, sound.address.editBuffer), std::tuple(kSoundRequest, 3, true));
    EXPECT_EQ(ParseRequest(B("F0 3E 16 00 04 F7")).value().command, kGlobalRequest);
    for (const char* bad : {"F0 3E 0B 00 04 F7" /* older model */, "F0 3E 16 00 00 7F F7",
             "F0 3E 16 00 00 04 00 F7" /* slot 512 */})
        EXPECT_FALSE(ParseRequest(B(bad)).has_value()) << bad;
}
