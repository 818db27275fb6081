// Writing banks: Standard MIDI Files and raw streams byte for byte, the two
// user commands, and the pieces of a split bank.

#include "LibraryTestSupport.h"

using namespace librarytest;

namespace {

// The documented start of a bank written as a Standard MIDI File.
const Bytes kStartHeader = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0, 0x4D, 0x54, 0x72, 0x6B,
    0x00, 0x00, 0x00, 0x13, 0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1,
    0x20, 0x00, 0xFF, 0x2F, 0x00, 0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x37, 0x17, 0x00, 0xF0, 0x81, 0x08};
const Bytes kInBetween = {0x83, 0x74, 0xF0, 0x81, 0x08};
const Bytes kEnd = {0x00, 0xFF, 0x2F, 0x00};

// A library whose upper bank holds the given sounds, read as the scan reads.
struct UpperBankLibrary {
    explicit UpperBankLibrary(const std::vector<Bytes>& sounds)
    {
        library.setHost(&host);
        auto bank = std::make_unique<PatchFile>();
        const Bytes bytes = concat(sounds);
        library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), bank.get(), 0);
        bank->patches.resize(sounds.size());  // as many slots as sounds, no INIT filling
        bank->fileName = "Live.syx";
        bank->folderName = "Patches";
        library.bankFiles.push_back(std::move(bank));
    }
    RecordingHost host;
    PatchLibrarian library;
};

}  // namespace

TEST(PatchFileWriter, SavesOneHundredSoundsAsAStandardMidiFileOf14152Bytes)
{
    TempDataFolder data;
    const std::vector<Bytes> sounds = currentDumps(100, "MIDI ");
    UpperBankLibrary fixture(sounds);
    fixture.host.chosenPath = data.root + "/Banks/Live.mid";
    fs::create_directories(data.root + "/Banks");

    ASSERT_TRUE(fixture.library.savePatchAs("Live", data.root, true));
    EXPECT_EQ(fixture.host.promptedExtension, "mid");
    const Bytes file = readFile(fixture.host.chosenPath);
    ASSERT_EQ(file.size(), 14152u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 53), kStartHeader);
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), kEnd);
    // Slot 7 is the eighth event: 53 + 136 bytes, then 7 x (5 + 136) before its body.
    const size_t slot7 = 53 + 136 + 6 * 141;
    EXPECT_EQ(Bytes(file.begin() + static_cast<long>(slot7), file.begin() + static_cast<long>(slot7) + 5), kInBetween);
    EXPECT_EQ(file[slot7 + 5 + 3], 0x01);  // dump byte 4
    EXPECT_EQ(file[slot7 + 5 + 4], 0x07);  // dump byte 5
    EXPECT_EQ(fixture.host.upperFolderName, "Banks");
    EXPECT_EQ(fixture.host.upperBankName, "Live.mid");

    PatchFile back;
    fixture.library.loadFromChunk(file.data(), static_cast<int>(file.size()), &back, 1);
    ASSERT_EQ(back.patches.size(), 100u);
    for (size_t i = 0; i < 100; ++i)
        EXPECT_EQ(Bytes(back.patches[i].messages[0].bytes.begin() + 7, back.patches[i].messages[0].bytes.end()),
                  Bytes(sounds[i].begin() + 7, sounds[i].end()));
}

TEST(PatchFileWriter, WritesTheInitSoundForEmptySlotsOfAStandardMidiFile)
{
    TempDataFolder data;
    UpperBankLibrary fixture(currentDumps(60, "HALF "));
    fixture.host.chosenPath = data.root + "/Half.mid";
    ASSERT_TRUE(fixture.library.savePatchAs("Half", data.root, true));
    const Bytes file = readFile(fixture.host.chosenPath);
    ASSERT_EQ(file.size(), 14152u);
    PatchFile back;
    fixture.library.loadFromChunk(file.data(), static_cast<int>(file.size()), &back, 1);
    EXPECT_EQ(back.patches[59].name, paddedName("HALF 60"));
    EXPECT_EQ(back.patches[60].name, paddedName("INIT"));
    EXPECT_EQ(back.patches[99].name, paddedName("INIT"));
}

TEST(PatchFileWriter, SavesSixtySoundsRawAs8220Bytes)
{
    TempDataFolder data;
    const std::vector<Bytes> sounds = currentDumps(60, "RAW ");
    UpperBankLibrary fixture(sounds);
    fixture.host.chosenPath = data.root + "/Raw.zt2";
    ASSERT_TRUE(fixture.library.savePatchAs("Raw", data.root, false));
    EXPECT_EQ(fixture.host.promptedExtension, "zt2");
    const Bytes file = readFile(fixture.host.chosenPath);
    ASSERT_EQ(file.size(), 8220u);
    EXPECT_EQ(Bytes(file.begin() + 7, file.begin() + 137), Bytes(sounds[0].begin() + 7, sounds[0].end()));
    EXPECT_EQ(file[137], 0xF0);
}

TEST(PatchFileWriter, CancelledSaveAsWritesNothingAndKeepsTheNames)
{
    TempDataFolder data;
    UpperBankLibrary fixture(currentDumps(3, "X"));
    fixture.host.chosenPath = "";
    EXPECT_FALSE(fixture.library.savePatchAs("X", data.root, false));
    EXPECT_EQ(fixture.host.upperBankName, "unset");
}

TEST(PatchFileWriter, SaveAsWithoutAnUpperBankNeverTouchesTheChosenFile)
{
    TempDataFolder data;
    UpperBankLibrary fixture(currentDumps(3, "X"));
    const std::string precious = data.root + "/Precious.zt2";
    writeFile(precious, Bytes(5000, 0x42));
    fixture.host.chosenPath = precious;
    fixture.library.upperSelection = 3;
    EXPECT_FALSE(fixture.library.savePatchAs("X", data.root, false));
    fixture.library.upperSelection = 0;
    fixture.library.selectionKind = 1;
    EXPECT_FALSE(fixture.library.savePatchAs("X", data.root, false));
    EXPECT_EQ(fixture.host.prompts, 0);
    EXPECT_EQ(readFile(precious), Bytes(5000, 0x42));
}

TEST(PatchFileWriter, SaveEditedPatchKeepsTheRealFileNameAndTheSlotsOwnBytes)
{
    TempDataFolder data;
    UpperBankLibrary fixture(currentDumps(100, "EDIT "));
    const std::string syx = data.patches() + "/Live.syx";
    ASSERT_TRUE(fixture.library.saveEditedPatch(syx, "Live.syx"));
    EXPECT_EQ(readFile(syx).size(), 13700u);
    EXPECT_EQ(fixture.host.upperBankName, "Live.syx");
    EXPECT_FALSE(fs::exists(data.patches() + "/Live.zt2"));

    const std::string mid = data.patches() + "/Live.mid";
    ASSERT_TRUE(fixture.library.saveEditedPatch(mid, "Live.mid"));
    const Bytes file = readFile(mid);
    ASSERT_EQ(file.size(), 14152u);
    const size_t slot7 = 53 + 136 + 6 * 141 + 5;
    EXPECT_EQ(file[slot7 + 3], 0x10);  // read dumps hold command 10 and location 00
    EXPECT_EQ(file[slot7 + 4], 0x00);
}

TEST(PatchFileWriter, LeavesNoTemporaryFileBehind)
{
    TempDataFolder data;
    UpperBankLibrary fixture(currentDumps(10, "T"));
    ASSERT_TRUE(fixture.library.saveEditedPatch(data.patches() + "/T.zt2", "T.zt2"));
    int files = 0;
    for (const auto& entry : fs::directory_iterator(data.patches())) {
        ++files;
        EXPECT_EQ(entry.path().filename(), "T.zt2");
    }
    EXPECT_EQ(files, 1);
}

TEST(PatchFileWriter, NamesEveryPieceOfASplitBankAndWritesNothingForAnEmptyPiece)
{
    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library(&host);
    PatchFile big;
    big.fileName = "Big.syx";
    for (const Bytes& sound : currentDumps(200, "BIG ")) {
        LibrarianPatch slot;
        slot.messages.push_back(PatchSysexMessage{sound});
        big.patches.push_back(slot);
    }
    library.fileWasSplit = true;
    const std::string source = data.patches() + "/Big.syx";
    EXPECT_TRUE(library.createNewPatchFile(&big, "Patches", "Big.syx", "syx", source, 0, -1, false));
    EXPECT_TRUE(library.createNewPatchFile(&big, "Patches", "Big.syx", "syx", source, 0, 0, false));
    EXPECT_FALSE(library.createNewPatchFile(&big, "Patches", "Big.syx", "syx", source, 0, 1, false));
    EXPECT_EQ(readFile(data.patches() + "/Big Singles 1.zt2").size(), 13700u);
    EXPECT_EQ(readFile(data.patches() + "/Big Singles 2.zt2").size(), 13700u);
    EXPECT_FALSE(fs::exists(data.patches() + "/Big Singles 3.zt2"));
    EXPECT_EQ(library.bankFiles.size(), 2u);
}

TEST(PatchFileWriter, RemovesEveryListedCharacter)
{
    std::string text = "/Banks\\";
    removeCharsFromString(text, "/\\");
    EXPECT_EQ(text, "Banks");
    removeCharsFromString(text, "");
    EXPECT_EQ(text, "Banks");
}
