// Reading bank files: dump discovery, rebuilt headers, names and categories,
// and the older-model conversion against the documented tables.

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>

using namespace librarytest;

namespace {

// The converted dump of an older-model message whose file byte k is k (7..75),
// written from the conversion table, with the given name bytes and category.
Bytes expectedConversion(const std::string& name14, unsigned char category)
{
    Bytes expected = hex(
        "F0 3E 16 00 00 00 00  08 09 00 07  01  13 0C 0D 0A 0B  0F 14 12  00  10 11 0E 15"
        "  17 18 19 1A  29 2A  1B 1C 1D 1E  00  20 21 22 23 24  00  26  38 39 3A 3B  00"
        "  3C 3D 43 3F  00  3E 40  00 00  46 16 44 45"
        "  2C 2D 2E 2F 30 31 32 33 34 35 36 37  28 27  00  41 42  0A"
        "  00 40 00 00 40 00 0A 0A 0A 00 00 00 00  2B 2B"
        "  06 40 40 32 32 32 32 32 32 32 32 32 32 32 32 32 32 32 32 0F 0D 00 00 00 00 01");
    expected.insert(expected.end(), name14.begin(), name14.end());
    expected.insert(expected.end(), {category, 0x2A, 0xF7});
    return expected;
}

PatchFile read(const Bytes& bytes)
{
    PatchLibrarian library;
    PatchFile bank;
    library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), &bank, 0);
    return bank;
}

}  // namespace

TEST(PatchFileReader, RebuildsTheHeaderUpperCasesTheNameAndCopiesHighBodyBytes)
{
    Bytes dump = currentDump(1, "deep pad", 9, 0x05, 0x10, 0x01, 0x2A);
    dump[40] = 0xF0;
    dump[41] = 0x90;
    const PatchFile bank = read(concat({dump, Bytes(20, 0x00)}));
    ASSERT_EQ(bank.patches.size(), 100u);
    const Bytes& stored = bank.patches[0].messages.at(0).bytes;
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 7), hex("F0 3E 16 00 10 00 00"));
    EXPECT_EQ(Bytes(stored.begin() + 7, stored.end()), Bytes(dump.begin() + 7, dump.end()));
    EXPECT_EQ(slotTexts(bank, {0}), std::vector<std::string>{"DEEP PAD      |PAD |137"});
}

TEST(PatchFileReader, KeepsOnlyWholeDumpsWithValidHeadersAmongOtherBytesAndIgnoresTinyFiles)
{
    Bytes tiny = hex("F0 3E 16 00 10 00 00"), cut = currentDump(8, "CUT");
    tiny.resize(74, 0x01);  // 74 bytes before F7: noise
    tiny.push_back(0xF7);
    cut.pop_back();
    const Bytes junk = hex("01 02 F7 00 7F 55 F0 F0");
    const PatchFile bank = read(concat({junk, currentDump(1, "ONE"), hex("F0 3E 17 00 10 00 00 F7"),
        hex("F0 3E 16 80 10 00 00 F7"), hex("F0 3E 16 00 11 00 00 F7"), hex("F0 3E 16 00 10 00 80 F7"), tiny, junk,
        currentDump(2, "TWO"), cut}));
    EXPECT_EQ(slotTexts(bank, {0, 1, 2}), (std::vector<std::string>{"ONE           |BASS|137", "TWO           |BASS|137",
                                  "INIT          |NONE|137"}));
    // Files shorter than 15 bytes are not read at all.
    EXPECT_TRUE(read(Bytes(14, 0x3E)).patches.empty());
    EXPECT_TRUE(read(Bytes(15, 0x00)).patches.empty());
}

TEST(PatchFileReader, ReadsNoNameOrCategoryPastAShortOrLongMessage)
{
    Bytes longDump = currentDump(5, "LONG"), shortDump = currentDump(6, "SHORT"), noCategory = currentDump(7, "NOCAT");
    longDump.insert(longDump.end() - 1, {0x01, 0x02, 0x03});  // 140 bytes
    shortDump.resize(127);
    shortDump.push_back(0xF7);  // 128 bytes: no name, no category byte
    noCategory.resize(134);
    noCategory.push_back(0xF7);  // 135 bytes: a name, but no category byte
    EXPECT_EQ(slotTexts(read(concat({longDump, shortDump, noCategory})), {0, 1, 2}),
              (std::vector<std::string>{"||140", "||128", "NOCAT         ||135"}));
}

TEST(PatchFileReader, ConvertsANamedOlderModelStreamByTheTableAndReportsItsHeader)
{
    PatchLibrarian library;
    PatchFile bank;
    const Bytes file = concat({olderDump(92, "old strings", 15), Bytes(4, 0)});
    testing::internal::CaptureStdout();
    library.loadFromChunk(file.data(), static_cast<int>(file.size()), &bank, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Build LOG: \tPatchLibrarian: File format not supported!\n");
    EXPECT_EQ(bank.patches[0].messages[0].bytes, expectedConversion(paddedName("old strings"), 15));
    EXPECT_EQ(slotTexts(bank, {0}), std::vector<std::string>{"OLD STRINGS   |STRG|137"});
    EXPECT_TRUE(library.olderModelSoundRead);
}

TEST(PatchFileReader, NamesUnnamedOlderModelDumpsBySlotUpToOneHundredThenWraps)
{
    std::vector<Bytes> parts(120, olderDump(76));
    parts[4] = olderDump(77);
    testing::internal::CaptureStdout();
    const PatchFile bank = read(concat(parts));
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(bank.patches.size(), 120u);
    EXPECT_EQ(bank.patches[0].messages[0].bytes, expectedConversion("Sound       01", 20));
    EXPECT_EQ(bank.patches[4].messages[0].bytes, expectedConversion("Sound       05", 20));
    EXPECT_EQ(bank.patches[0].category, "INIT");
    EXPECT_EQ(bank.patches[99].name, "SOUND      100");
    EXPECT_EQ(bank.patches[100].name, "SOUND       01");
}

TEST(PatchFileReader, ConversionNeverReadsPastAShortOlderModelMessage)
{
    PatchSysexMessage shortOld{hex("F0 3E 16 00 10 00 00")};
    for (int k = 7; k < 80; ++k)
        shortOld.bytes.push_back(static_cast<unsigned char>(k));
    shortOld.bytes.push_back(0xF7);  // 81 bytes: name cut after 4 bytes, no category
    const PatchSysexMessage result = PatchLibrarian::convertPatchToZelto2Format(&shortOld);
    ASSERT_EQ(result.bytes.size(), 137u);
    EXPECT_EQ(Bytes(result.bytes.begin() + 120, result.bytes.end()),
              hex("4C 4D 4E 4F 20 20 20 20 20 20 20 20 20 20  14 2A F7"));
    EXPECT_EQ(PatchLibrarian::convertPatchToZelto2Format(nullptr).bytes.size(), 137u);
}
