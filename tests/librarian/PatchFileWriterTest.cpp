// Writing banks: Standard MIDI Files and raw streams byte for byte, and the
// two user commands.

#include "LibraryTestSupport.h"
#include "support/FileFaults.h"

#include <gtest/gtest.h>

using namespace librarytest;

namespace {

// The documented start of a bank written as a Standard MIDI File.
const Bytes kStartHeader = hex(
    "4D 54 68 64 00 00 00 06 00 01 00 02 01 E0  4D 54 72 6B 00 00 00 13"
    "  00 FF 58 04 04 02 18 08  00 FF 51 03 07 A1 20  00 FF 2F 00  4D 54 72 6B 00 00 37 17  00 F0 81 08");
const Bytes kInBetween = hex("83 74 F0 81 08");
const Bytes kEnd = hex("00 FF 2F 00");
// Slot 7's event: the start header and its first dump body, then six full events.
constexpr size_t kSlot7Event = 53 + 136 + 6 * 141;

// A library whose upper bank holds the given sounds (no INIT filling), in a
// temporary data folder.
struct UpperBank {
    explicit UpperBank(const std::vector<Bytes>& sounds)
    {
        library.setHost(&host);
        auto bank = std::make_unique<PatchFile>();
        const Bytes bytes = concat(sounds);
        library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), bank.get(), 0);
        bank->patches.resize(sounds.size());
        bank->folderName = "Patches";
        library.bankFiles.push_back(std::move(bank));
    }
    TempDataFolder data;
    RecordingHost host;
    PatchLibrarian library;
};

Bytes body(const Bytes& message) { return Bytes(message.begin() + 7, message.end()); }

}  // namespace

TEST(PatchFileWriter, SavesAsAStandardMidiFileOfOneHundredEventsThatReadsBack)
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
    EXPECT_EQ(Bytes(file.end() - 4, file.end()), kEnd);
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event, file.begin() + kSlot7Event + 5), kInBetween);
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event + 8, file.begin() + kSlot7Event + 10), hex("01 07"));  // bank, program

    PatchFile back;
    upper.library.loadFromChunk(file.data(), static_cast<int>(file.size()), &back, 1);
    ASSERT_EQ(back.patches.size(), 100u);
    for (size_t i = 0; i < 60; ++i)
        EXPECT_EQ(body(back.patches[i].messages[0].bytes), body(sounds[i]));
    for (size_t i : {60, 99})
        EXPECT_EQ(back.patches[i].name, paddedName("INIT"));  // an empty slot is written as the INIT sound
}

TEST(PatchFileWriter, SavesSixtySoundsRawAs8220Bytes)
{
    const std::vector<Bytes> sounds = currentDumps(60, "RAW ");
    UpperBank upper(sounds);
    upper.host.chosenPath = upper.data.root + "/Raw.zt2";
    ASSERT_TRUE(upper.library.savePatchAs("Raw", upper.data.root, false));
    EXPECT_EQ(upper.host.promptedExtension, "zt2");
    const Bytes file = readFile(upper.host.chosenPath);
    ASSERT_EQ(file.size(), 8220u);
    EXPECT_EQ(Bytes(file.begin() + 7, file.begin() + 137), body(sounds[0]));
    EXPECT_EQ(file[137], 0xF0);
}

TEST(PatchFileWriter, SaveAsNeedsABankAndAChosenFileBeforeTouchingAnything)
{
    UpperBank upper(currentDumps(3, "X"));
    const std::string precious = upper.data.root + "/Precious.zt2";
    writeFile(precious, Bytes(5000, 0x42));
    upper.host.chosenPath = precious;
    upper.library.upperSelection = 3;
    EXPECT_FALSE(upper.library.savePatchAs("X", upper.data.root, false));
    upper.library.upperSelection = 0;
    upper.library.selectionKind = 1;
    EXPECT_FALSE(upper.library.savePatchAs("X", upper.data.root, false));
    EXPECT_EQ(upper.host.prompts, 0);
    EXPECT_EQ(readFile(precious), Bytes(5000, 0x42));

    upper.library.selectionKind = 0;
    upper.host.chosenPath = "";  // cancelled
    EXPECT_FALSE(upper.library.savePatchAs("X", upper.data.root, false));
    EXPECT_EQ(upper.host.upperBankName, "unset");
}

TEST(PatchFileWriter, SaveEditedPatchKeepsTheRealFileNameAndTheSlotsOwnBytes)
{
    UpperBank upper(currentDumps(100, "EDIT "));
    const std::string syx = upper.data.patches() + "/Live.syx";
    ASSERT_TRUE(upper.library.saveEditedPatch(syx, "Live.syx"));
    EXPECT_EQ(readFile(syx).size(), 13700u);
    EXPECT_EQ(upper.host.upperBankName, "Live.syx");

    const std::string mid = upper.data.patches() + "/Live.mid";
    ASSERT_TRUE(upper.library.saveEditedPatch(mid, "Live.mid"));
    const Bytes file = readFile(mid);
    ASSERT_EQ(file.size(), 14152u);
    // Read dumps hold command 10 and location 00.
    EXPECT_EQ(Bytes(file.begin() + kSlot7Event + 8, file.begin() + kSlot7Event + 10), hex("10 00"));
    // Written through a temporary file that is gone afterwards.
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(upper.data.patches()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"Live.mid", "Live.syx"}));
}

TEST(PatchFileWriter, FolderNamesLoseEveryListedCharacter)
{
    std::string text = "/Ba/nks\\";
    removeCharsFromString(text, "/\\");
    EXPECT_EQ(text, "Banks");
}

// A read-only folder or a full disk: both commands fail, say so to the user
// and in the LOG, and the bank already on disk stays whole with nothing beside it.
TEST(PatchFileWriter, SavingIntoAReadOnlyFolderOrOntoAFullDiskFailsAndLeavesTheOldBankWhole)
{
    for (const bool fullDisk : {true, false}) {  // a skip for want of a read-only folder comes last
        for (const bool saveAs : {false, true}) {
            SCOPED_TRACE(std::string(fullDisk ? "full disk" : "read-only folder") + (saveAs ? ", Save As" : ", Save"));
            UpperBank upper(currentDumps(100, "NEW "));
            const std::string folder = upper.data.root + "/Disk";
            fs::create_directories(folder);
            std::unique_ptr<testsupport::FullDisk> disk;
            if (fullDisk)
                disk = std::make_unique<testsupport::FullDisk>(folder, 4096);
            const std::string old = folder + (saveAs ? "/Old.mid" : "/Old.syx");
            const Bytes oldBytes = concat(currentDumps(20, "OLD "));
            writeFile(old, oldBytes);
            std::unique_ptr<testsupport::ReadOnlyFolder> readOnly;
            if (fullDisk) {
                ASSERT_TRUE(disk->Fill());
            } else {
                readOnly = std::make_unique<testsupport::ReadOnlyFolder>(folder);
                if (!readOnly->Active())
                    GTEST_SKIP() << "no way to make a folder read-only here";
            }
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
}
