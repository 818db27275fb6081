// Reading bank files: dump discovery in raw streams and Standard MIDI Files,
// rebuilt headers, names and categories, and the older-model conversion.

#include "LibraryTestSupport.h"

#include <sstream>

using namespace librarytest;

namespace {

Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    std::string token;
    while (in >> token)
        bytes.push_back(static_cast<unsigned char>(std::stoi(token, nullptr, 16)));
    return bytes;
}

Bytes asciiBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

// The converted dump of an older-model message whose file byte k is k (7..75),
// from the conversion table, with the given 14 name bytes and category.
Bytes expectedConversion(const std::string& name14, unsigned char category)
{
    Bytes expected = hex(
        "F0 3E 16 00 00 00 00  08 09 00 07  01  13 0C 0D 0A 0B  0F 14 12  00  10 11 0E 15"
        "  17 18 19 1A  29 2A  1B 1C 1D 1E  00  20 21 22 23 24  00  26  38 39 3A 3B  00"
        "  3C 3D 43 3F  00  3E 40  00 00  46 16 44 45"
        "  2C 2D 2E 2F 30 31 32 33 34 35 36 37  28 27  00  41 42  0A"
        "  00 40 00 00 40 00 0A 0A 0A 00 00 00 00  2B 2B"
        "  06 40 40 32 32 32 32 32 32 32 32 32 32 32 32 32 32 32 32 0F 0D 00 00 00 00 01");
    const Bytes nameBytes = asciiBytes(name14);
    expected.insert(expected.end(), nameBytes.begin(), nameBytes.end());
    expected.push_back(category);
    expected.push_back(0x2A);
    expected.push_back(0xF7);
    return expected;
}

PatchFile read(PatchLibrarian& library, const Bytes& bytes, bool midi = false)
{
    PatchFile bank;
    library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), &bank, midi ? 1 : 0);
    return bank;
}

}  // namespace

TEST(PatchFileReader, RebuildsTheHeaderAndUpperCasesTheName)
{
    PatchLibrarian library;
    const Bytes dump = currentDump(1, "deep pad", 9, 0x05, 0x10, 0x01, 0x2A);
    const PatchFile bank = read(library, concat({dump, Bytes(20, 0x00)}));
    ASSERT_EQ(bank.patches.size(), 100u);
    const Bytes& stored = bank.patches[0].messages.at(0).bytes;
    EXPECT_EQ(Bytes(stored.begin(), stored.begin() + 7), hex("F0 3E 16 00 10 00 00"));
    EXPECT_EQ(Bytes(stored.begin() + 7, stored.end()), Bytes(dump.begin() + 7, dump.end()));
    EXPECT_EQ(bank.patches[0].name, "DEEP PAD      ");
    EXPECT_EQ(bank.patches[0].category, "PAD ");
    EXPECT_EQ(stored[120], 'd');
}

TEST(PatchFileReader, FindsDumpsSeparatedByArbitraryBytes)
{
    PatchLibrarian library;
    const Bytes junk = hex("01 02 F7 00 7F 55 F0 F0");
    const PatchFile bank = read(library, concat({junk, currentDump(1, "ONE"), junk, currentDump(2, "TWO"), junk}));
    EXPECT_EQ(bank.patches[0].name, paddedName("ONE"));
    EXPECT_EQ(bank.patches[1].name, paddedName("TWO"));
    EXPECT_EQ(bank.patches[2].name, paddedName("INIT"));
}

TEST(PatchFileReader, SkipsCandidatesWithBadHeaderBytes)
{
    PatchLibrarian library;
    const Bytes badModel = hex("F0 3E 17 00 10 00 00 F7");
    const Bytes badDevice = hex("F0 3E 16 80 10 00 00 F7");
    const Bytes badCommand = hex("F0 3E 16 00 11 00 00 F7");
    const Bytes badProgram = hex("F0 3E 16 00 10 00 80 F7");
    const PatchFile bank =
        read(library, concat({badModel, badDevice, badCommand, badProgram, currentDump(3, "GOOD")}));
    EXPECT_EQ(bank.patches[0].name, paddedName("GOOD"));
    EXPECT_EQ(bank.patches[1].name, paddedName("INIT"));
}

TEST(PatchFileReader, CopiesHighBodyBytesAndEndsAtTheFirstF7)
{
    PatchLibrarian library;
    Bytes dump = currentDump(4, "HIGH");
    dump[40] = 0xF0;
    dump[41] = 0x90;
    const PatchFile bank = read(library, dump);
    EXPECT_EQ(bank.patches[0].messages[0].bytes[40], 0xF0);
    EXPECT_EQ(bank.patches[0].messages[0].bytes[41], 0x90);
    EXPECT_EQ(bank.patches[0].messages[0].bytes.size(), 137u);
}

TEST(PatchFileReader, ReadsNoNameOrCategoryPastAShortOrLongMessage)
{
    PatchLibrarian library;
    Bytes longDump = currentDump(5, "LONG");
    longDump.insert(longDump.end() - 1, {0x01, 0x02, 0x03});  // 140 bytes
    Bytes shortDump = currentDump(6, "SHORT");
    shortDump.resize(127);
    shortDump.push_back(0xF7);  // 128 bytes: no name, no category byte
    Bytes noCategory = currentDump(7, "NOCAT");
    noCategory.resize(134);
    noCategory.push_back(0xF7);  // 135 bytes: a name, but no category byte

    const PatchFile bank = read(library, concat({longDump, shortDump, noCategory}));
    EXPECT_EQ(bank.patches[0].messages[0].bytes.size(), 140u);
    EXPECT_EQ(bank.patches[0].name, "");
    EXPECT_EQ(bank.patches[0].category, "");
    EXPECT_EQ(bank.patches[1].messages[0].bytes.size(), 128u);
    EXPECT_EQ(bank.patches[1].name, "");
    EXPECT_EQ(bank.patches[1].category, "");
    EXPECT_EQ(bank.patches[2].name, paddedName("NOCAT"));
    EXPECT_EQ(bank.patches[2].category, "");
}

TEST(PatchFileReader, DropsMessagesShorterThan75BytesBeforeF7)
{
    PatchLibrarian library;
    Bytes tiny{0xF0, 0x3E, 0x16, 0x00, 0x10, 0x00, 0x00};
    tiny.resize(74, 0x01);
    tiny.push_back(0xF7);
    const PatchFile bank = read(library, concat({tiny, Bytes(10, 0)}));
    EXPECT_TRUE(bank.patches.empty());
}

TEST(PatchFileReader, IgnoresFilesShorterThan15BytesAndFinishesNothingWithoutADump)
{
    PatchLibrarian library;
    EXPECT_TRUE(read(library, Bytes(14, 0x3E)).patches.empty());
    EXPECT_TRUE(read(library, Bytes(15, 0x00)).patches.empty());
}

TEST(PatchFileReader, ReportsARawStreamWithoutACurrentModelHeader)
{
    PatchLibrarian library;
    testing::internal::CaptureStdout();
    const PatchFile bank = read(library, concat({olderDump(92), Bytes(4, 0)}));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("PatchLibrarian: File format not supported!\n"), std::string::npos);
    EXPECT_EQ(bank.patches.size(), 100u);
    EXPECT_TRUE(library.olderModelSoundRead);
}

TEST(PatchFileReader, ConvertsA92ByteOlderModelDumpByTheTable)
{
    PatchLibrarian library;
    const PatchFile bank = read(library, concat({olderDump(92, "old strings", 15), Bytes(4, 0)}));
    EXPECT_EQ(bank.patches[0].messages[0].bytes, expectedConversion(paddedName("old strings"), 15));
    EXPECT_EQ(bank.patches[0].name, "OLD STRINGS   ");
    EXPECT_EQ(bank.patches[0].category, "STRG");
}

TEST(PatchFileReader, NamesUnnamedOlderModelDumpsBySlot)
{
    PatchLibrarian library;
    std::vector<Bytes> parts;
    for (int i = 0; i < 5; ++i)
        parts.push_back(olderDump(i == 4 ? 77 : 76));
    const PatchFile bank = read(library, concat(parts));
    EXPECT_EQ(bank.patches[0].messages[0].bytes, expectedConversion("Sound       01", 20));
    EXPECT_EQ(bank.patches[0].name, "SOUND       01");
    EXPECT_EQ(bank.patches[0].category, "INIT");
    EXPECT_EQ(bank.patches[4].messages[0].bytes, expectedConversion("Sound       05", 20));
    EXPECT_EQ(bank.patches[4].name, "SOUND       05");
}

TEST(PatchFileReader, NamesTheHundredthUnnamedSoundWithThreeDigitsAndThenWraps)
{
    PatchLibrarian library;
    std::vector<Bytes> parts(120, olderDump(76));
    const PatchFile bank = read(library, concat(parts));
    ASSERT_EQ(bank.patches.size(), 120u);
    EXPECT_EQ(bank.patches[98].name, "SOUND       99");
    EXPECT_EQ(bank.patches[99].name, "SOUND      100");
    EXPECT_EQ(bank.patches[100].name, "SOUND       01");
    EXPECT_EQ(bank.patches[119].name, "SOUND       20");
}

TEST(PatchFileReader, ConversionNeverReadsPastAShortOlderModelMessage)
{
    PatchSysexMessage shortOld;
    shortOld.bytes = hex("F0 3E 16 00 10 00 00");
    for (int k = 7; k < 80; ++k)
        shortOld.bytes.push_back(static_cast<unsigned char>(k));
    shortOld.bytes.push_back(0xF7);  // 81 bytes: name cut after 4 bytes, no category
    const PatchSysexMessage result = PatchLibrarian::convertPatchToZelto2Format(&shortOld);
    ASSERT_EQ(result.bytes.size(), 137u);
    EXPECT_EQ(Bytes(result.bytes.begin() + 120, result.bytes.begin() + 134),
              hex("4C 4D 4E 4F 20 20 20 20 20 20 20 20 20 20"));
    EXPECT_EQ(result.bytes[134], 20);
    EXPECT_EQ(result.bytes[136], 0xF7);

    const PatchSysexMessage fromNothing = PatchLibrarian::convertPatchToZelto2Format(nullptr);
    EXPECT_EQ(fromNothing.bytes.size(), 137u);
}

TEST(PatchFileReader, DropsADumpCutOffByTheEndOfTheData)
{
    PatchLibrarian library;
    Bytes cut = currentDump(8, "CUT");
    cut.pop_back();
    const PatchFile bank = read(library, concat({currentDump(9, "WHOLE"), cut}));
    EXPECT_EQ(bank.patches[0].name, paddedName("WHOLE"));
    EXPECT_EQ(bank.patches[1].name, paddedName("INIT"));
}

TEST(PatchFileReader, FindByteStopsAtTheEnd)
{
    const Bytes data = hex("01 3E 02");
    int position = 0;
    EXPECT_TRUE(PatchLibrarian::findByte(data.data(), 3, position, 0x3E));
    EXPECT_EQ(position, 2);
    EXPECT_FALSE(PatchLibrarian::findByte(data.data(), 3, position, 0x3E));
    EXPECT_EQ(position, -1);
    EXPECT_FALSE(PatchLibrarian::findByte(data.data(), 3, position, 0x01));
}
