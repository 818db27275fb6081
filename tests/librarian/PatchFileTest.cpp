// Bank files: reading (dump discovery, rebuilt headers, names and categories,
// the older-model conversion against the documented tables) and writing
// (Standard MIDI Files and raw streams byte for byte, the two user commands).

#include "LibraryTestSupport.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

#include <functional>

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

Bytes body(const Bytes& message) { return Bytes(message.begin() + 7, message.end()); }

// The message cut or filled to size bytes, F7 last.
Bytes cutTo(Bytes message, size_t size, unsigned char fill = 0)
{
    message.resize(size - 1, fill);
    message.push_back(0xF7);
    return message;
}

PatchFile read(const Bytes& bytes)
{
    PatchLibrarian library;
    PatchFile bank;
    library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), &bank, 0);
    return bank;
}

// The documented start of a bank written as a Standard MIDI File.
const Bytes kStartHeader = hex(
    "4D 54 68 64 00 00 00 06 00 01 00 02 01 E0  4D 54 72 6B 00 00 00 13"
    "  00 FF 58 04 04 02 18 08  00 FF 51 03 07 A1 20  00 FF 2F 00  4D 54 72 6B 00 00 37 17  00 F0 81 08");
// Slot 7's event: the start header and its first dump body, then six full events.
constexpr size_t kSlot7Event = 53 + 136 + 6 * 141;

// A library whose upper bank holds the given sounds (no INIT filling), in a
// temporary data folder.
struct UpperBank {
    explicit UpperBank(const std::vector<Bytes>& sounds)
    {
        library.setHost(&host);
        library.bankFiles.push_back(bankOf(sounds));
        library.bankFiles.back()->folderName = "Patches";
    }
    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library;
};

}  // namespace

// Junk, wrong headers, noise and a cut dump are skipped; a dump's header is
// rebuilt and its body copied whatever its bytes; names and categories are
// read only where the message holds them, categories up to 20.
TEST(PatchFileReader, KeepsWholeDumpsRebuildsTheirHeadersAndReadsNamesAndCategoriesOnlyWhereTheyAre)
{
    Bytes high = currentDump(1, "deep pad", 9, 0x05, 0x10, 0x01, 0x2A), cut = currentDump(8, "CUT"),
          longDump = currentDump(5, "LONG");
    high[40] = 0xF0;
    high[41] = 0x90;
    cut.pop_back();
    longDump.insert(longDump.end() - 1, {0x01, 0x02, 0x03});  // 140 bytes
    // 74 bytes before F7: noise; 128 bytes: no name, no category byte; 135 bytes: a name, but no category byte.
    const Bytes tiny = cutTo(hex("F0 3E 16 00 10 00 00"), 75, 0x01), shortDump = cutTo(currentDump(6, "SHORT"), 128),
                noCategory = cutTo(currentDump(7, "NOCAT"), 135);
    const Bytes junk = hex("01 02 F7 00 7F 55 F0 F0");
    const PatchFile bank = read(concat({junk, high, hex("F0 3E 17 00 10 00 00 F7"), hex("F0 3E 16 80 10 00 00 F7"),
        hex("F0 3E 16 00 11 00 00 F7"), hex("F0 3E 16 00 10 00 80 F7"), tiny, junk, currentDump(2, "TWO"), longDump,
        shortDump, noCategory, currentDump(1, "A", 20), currentDump(1, "B", 21), cut}));
    ASSERT_EQ(bank.patches.size(), 100u);
    EXPECT_EQ(slotTexts(bank, {0, 1, 2, 3, 4, 5, 6, 7}),
              (std::vector<std::string>{"DEEP PAD      |PAD |137", "TWO           |BASS|137", "||140", "||128",
                  "NOCAT         ||135", "A             |INIT|137", "B             ||137", "INIT          |NONE|137"}));
    EXPECT_EQ(bank.patches[0].messages.at(0).bytes, concat({hex("F0 3E 16 00 10 00 00"), body(high)}));
    // Files shorter than 15 bytes are not read at all.
    EXPECT_TRUE(read(Bytes(14, 0x3E)).patches.empty());
    EXPECT_TRUE(read(Bytes(15, 0x00)).patches.empty());
}

TEST(PatchFileReader, ConvertsANamedOlderModelStreamByTheTableAndReportsItsHeader)
{
    PatchLibrarian library;
    PatchFile bank;
    const Bytes file = concat({olderDump(92, "old strings", 15), Bytes(4, 0)});
    testing::internal::CaptureStdout();
    library.loadFromChunk(file.data(), static_cast<int>(file.size()), &bank, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "PatchLibrarian: File format not supported!\n");
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
    EXPECT_EQ(slotTexts(bank, {0, 99, 100}),
              (std::vector<std::string>{"SOUND       01|INIT|137", "SOUND      100|INIT|137", "SOUND       01|INIT|137"}));
}

TEST(PatchFileReader, ConversionNeverReadsPastAShortOlderModelMessage)
{
    PatchSysexMessage shortOld{olderDump(81)};  // name cut after 4 bytes, no category
    std::copy_n(hex("F0 3E 16 00 10 00 00").begin(), 7, shortOld.bytes.begin());
    const PatchSysexMessage result = PatchLibrarian::convertPatchToZelto2Format(&shortOld);
    ASSERT_EQ(result.bytes.size(), 137u);
    EXPECT_EQ(Bytes(result.bytes.begin() + 120, result.bytes.end()),
              hex("4C 4D 4E 4F 20 20 20 20 20 20 20 20 20 20  14 2A F7"));
    EXPECT_EQ(PatchLibrarian::convertPatchToZelto2Format(nullptr).bytes.size(), 137u);
}

// Save As: a Standard MIDI File of one hundred events that reads back, or the raw stream of the bank's sounds.
TEST(PatchFileWriter, SavesAsAStandardMidiFileOfOneHundredEventsOrAsTheRawSounds)
{
    const std::vector<Bytes> sounds = currentDumps(60, "MIDI ");
    UpperBank upper(sounds);
    upper.host.chosenPath = upper.data.root + "/Banks/Live.mid";
    fs::create_directories(upper.data.root + "/Banks");
    ASSERT_TRUE(upper.library.savePatchAs("Live", upper.data.root, true));
    EXPECT_EQ(upper.host.promptedExtension + " " + upper.host.upperFolderName + "/" + upper.host.upperBankName,
              "mid Banks/Live.mid");
    const Bytes file = readFile(upper.host.chosenPath);
    ASSERT_EQ(file.size(), 14152u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 53), kStartHeader);
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), hex("00 FF 2F 00"));
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event, file.begin() + kSlot7Event + 5), hex("83 74 F0 81 08"));
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event + 8, file.begin() + kSlot7Event + 10), hex("01 07"));  // slot 7
    PatchFile back;
    upper.library.loadFromChunk(file.data(), static_cast<int>(file.size()), &back, 1);
    ASSERT_EQ(back.patches.size(), 100u);
    for (size_t i = 0; i < 60; ++i)
        EXPECT_EQ(body(back.patches[i].messages[0].bytes), body(numberedForMidi(sounds[i], static_cast<int>(i))));
    for (size_t i : {60, 99})
        EXPECT_EQ(back.patches[i].name, paddedName("INIT"));  // an empty slot is written as the INIT sound

    upper.host.chosenPath = upper.data.root + "/Raw.zt2";
    ASSERT_TRUE(upper.library.savePatchAs("Raw", upper.data.root, false));
    EXPECT_EQ(upper.host.promptedExtension, "zt2");
    const Bytes raw = readFile(upper.host.chosenPath);
    ASSERT_EQ(raw.size(), 8220u);
    EXPECT_EQ(Bytes(raw.begin() + 7, raw.begin() + 138), concat({body(sounds[0]), {0xF0}}));
}

// Sounds as read (00 10 00 00) and a converted one (00 00 00 00, the INIT
// sound's checksum byte 2A kept) go out as held, each with its own checksum.
TEST(PatchFileWriter, SaveEditedPatchKeepsTheRealFileNameAndTheSlotsOwnBytes)
{
    std::vector<Bytes> sounds = currentDumps(100, "EDIT ");
    sounds[1] = expectedConversion(paddedName("OLDER"), 9);
    UpperBank upper(sounds);
    const std::string syx = upper.data.patches() + "/Live.syx";
    ASSERT_TRUE(upper.library.saveEditedPatch(syx, "Live.syx"));
    EXPECT_EQ(upper.host.upperBankName, "Live.syx");
    sounds[1][135] = documentedChecksum(sounds[1]);
    EXPECT_EQ(readFile(syx), concat(sounds));  // 13700 bytes

    const std::string mid = upper.data.patches() + "/Live.mid";
    ASSERT_TRUE(upper.library.saveEditedPatch(mid, "Live.mid"));
    const Bytes file = readFile(mid);
    ASSERT_EQ(file.size(), 14152u);
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event + 8, file.begin() + kSlot7Event + 10), hex("10 00"));
    std::vector<std::string> heads(100, "00 10 00 00");
    heads[1] = "00 00 00 00";
    EXPECT_EQ(heads, dumpHeads(file));
}

// A split bank holding an older-model sound: its pieces hold each dump as the
// reader rebuilt it (00 10 00 00) or as the conversion made it (00 00 00 00).
// The piece read back, Save and a raw Save As write its dumps as held, a Save
// As into a Standard MIDI File numbers them 01 and the slot. Every dump goes
// out with the checksum of its own bytes, not the one it was read or converted with.
TEST(PatchFileWriter, EveryBankFileWrittenHoldsTheDumpsAsHeldOrNumberedWithTheChecksumOfItsBytes)
{
    TempDataFolder data;
    std::vector<Bytes> sounds;
    for (int i = 0; i < 150; ++i)
        sounds.push_back(currentDump(i, "SOUND " + std::to_string(i), 3, 5, 0x10, 3, i % 100));
    sounds[1] = olderDump(92, "OLDER");
    writeFile(data.patches() + "/Big.syx", concat(sounds));
    RecordingHost host;
    PatchLibrarian library(&host);
    library.loadPatchesFromFilesystem(data.patches());
    ASSERT_EQ(2u, library.bankFiles.size());
    const std::string folder = data.patches() + "/", piece = folder + library.bankFiles[0]->fileName;
    std::vector<Bytes> expected(sounds.begin(), sounds.begin() + 100);
    for (Bytes& dump : expected)
        std::copy_n(hex("00 10 00 00").begin(), 4, dump.begin() + 3);
    expected[1] = expectedConversion(paddedName("OLDER"), 9);
    for (Bytes& dump : expected)
        dump[135] = documentedChecksum(dump);
    EXPECT_EQ(concat(expected), readFile(piece)) << "piece written by the scan";

    std::vector<std::string> asHeld(100, "00 10 00 00"), numbered;
    for (int slot = 0; slot < 100; ++slot) {
        char head[12];
        std::snprintf(head, sizeof head, "00 01 %02X 00", slot);
        numbered.push_back(head);
    }
    const struct {
        std::function<bool()> write;
        std::string path;
        const std::vector<std::string>& heads;
    } writes[] = {
        {[&] { return library.saveEditedPatch(piece, library.bankFiles[0]->fileName); }, piece, asHeld},
        {[&] { return library.saveEditedPatch(folder + "Live.mid", "Live.mid"); }, folder + "Live.mid", asHeld},
        {[&] { return library.savePatchAs("", folder, false); }, folder + "As.zt2", asHeld},
        {[&] { return library.savePatchAs("", folder, true); }, folder + "As.mid", numbered},
    };
    for (const auto& w : writes) {
        host.chosenPath = w.path;
        ASSERT_TRUE(w.write()) << w.path;
        EXPECT_EQ(w.heads, dumpHeads(readFile(w.path))) << w.path;
    }
}

// A bank file another program changed since it was read is not overwritten:
// Save says so and both versions stay (the file's on disk, the edits in memory);
// the bank's own saves do not count as changes.
TEST(PatchFileWriter, SaveLeavesABankFileChangedOnDiskSinceItWasRead)
{
    TempDataFolder data;
    const std::string path = data.patches() + "/Live.syx";
    writeFile(path, concat(currentDumps(100, "LIVE ")));
    RecordingHost host;
    PatchLibrarian library(&host);
    library.loadPatchesFromFilesystem(data.patches());
    library.bankFiles[0]->patches[2] = *bankOf({currentDump(7, "EDITED")})->patches.begin();
    ASSERT_TRUE(library.saveEditedPatch(path, "Live.syx"));
    ASSERT_TRUE(library.saveEditedPatch(path, "Live.syx"));

    Bytes changed = readFile(path);
    std::copy_n("RENAMED", 7, changed.begin() + 137 * 5 + 120);
    writeFile(path, changed);
    EXPECT_FALSE(library.saveEditedPatch(path, "Live.syx"));
    EXPECT_EQ(changed, readFile(path));
    EXPECT_EQ(std::vector<std::string>{path}, host.changedOnDisk);
    EXPECT_EQ("EDITED        ", library.bankFiles[0]->patches[2].name);

    library.initBankFilesOnDiscard(data.patches());  // RELOAD takes the file's version
    EXPECT_EQ("RENAMED       ", library.bankFiles[0]->patches[5].name);
    EXPECT_TRUE(library.saveEditedPatch(path, "Live.syx"));
}

// A read-only folder or a full disk: both commands fail, say so to the user
// and in the LOG, and the bank already on disk stays whole with nothing beside it.
TEST(PatchFileWriter, SavingIntoAReadOnlyFolderOrOntoAFullDiskFailsAndLeavesTheOldBankWhole)
{
    for (int fault = 0; fault < 4; ++fault) {  // a skip for want of a read-only folder comes last
        const bool fullDisk = fault < 2, saveAs = fault % 2;
        SCOPED_TRACE(std::string(fullDisk ? "full disk" : "read-only folder") + (saveAs ? ", Save As" : ", Save"));
        UpperBank upper(currentDumps(100, "NEW "));
        const std::string folder = upper.data.root + "/Disk", old = folder + (saveAs ? "/Old.mid" : "/Old.syx");
        fs::create_directories(folder);
        using testsupport::FullDisk, testsupport::ReadOnlyFolder;
        std::unique_ptr<FullDisk> disk(fullDisk ? new FullDisk(folder, 4096) : nullptr);
        const Bytes oldBytes = concat(currentDumps(20, "OLD "));
        writeFile(old, oldBytes);
        std::unique_ptr<ReadOnlyFolder> readOnly(fullDisk ? nullptr : new ReadOnlyFolder(folder));
        ASSERT_TRUE(!disk || disk->Fill());
        if (readOnly && !readOnly->Active())
            GTEST_SKIP() << "no way to make a folder read-only here";
        upper.host.chosenPath = old;
        EXPECT_FALSE(saveAs ? upper.library.savePatchAs("Old", folder, true)
                            : upper.library.saveEditedPatch(old, "Old.syx"));
        if (disk)
            disk->Lift();
        EXPECT_EQ(readFile(old), oldBytes);
        EXPECT_EQ(upper.host.saveFailures, std::vector<std::string>{old});
        EXPECT_EQ(upper.host.count("PATCH LIBRARIAN: could not write file " + old), 1);
        EXPECT_EQ(upper.host.upperBankName, "unset");
        for (const auto& entry : fs::directory_iterator(folder))
            EXPECT_TRUE(entry.path() == old || entry.path().filename().string().rfind(".filler", 0) == 0)
                << entry.path();
    }
}
