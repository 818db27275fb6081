// The library's records: copy rules, categories and storing a received sound
// into the selected slot, also while the library reloads (TSan).

#include "LibraryTestSupport.h"

#include <gtest/gtest.h>
#include <thread>

using namespace librarytest;

TEST(LibraryModel, PatchFileCloneKeepsOnlyFlagOneAndResetsKindAndPlace)
{
    std::unique_ptr<PatchFile> file = bankOf({currentDump(1, "ONE")});
    file->kind = 5;
    file->flag = 2;
    file->fileName = "A.zt2";
    file->folderName = "Patches";
    file->folderPath = {"Patches"};
    file->directory = "/x";
    file->number = 4;
    auto copy = file->clone();
    EXPECT_EQ(bankText(*copy), "A.zt2||0|1");
    EXPECT_TRUE(copy->kind == 0 && copy->flag == 0 && copy->folderPath.empty() && copy->directory.empty());
    EXPECT_EQ(copy->patches.at(0).name, paddedName("ONE"));
    file->flag = 1;
    EXPECT_EQ(file->clone()->flag, 1);
}

TEST(LibraryModel, SlotCloneAppendsAfterTheTargetsMessages)
{
    const LibrarianPatch source = bankOf({currentDump(1, "NEW", 7)})->patches[0];
    LibrarianPatch target = bankOf({currentDump(2, "OLD", 3)})->patches[0];
    source.clone(target);
    ASSERT_EQ(target.messages.size(), 2u);
    EXPECT_EQ(target.messages[0].bytes, currentDump(2, "OLD", 3));
    EXPECT_EQ(slotText(target), paddedName("NEW") + "|LEAD|137");
}

TEST(LibraryModel, CategoryNeedsAMessageWithACategoryByteOfTwentyOrLess)
{
    Bytes shortMessage = currentDump(1, "A", 3);
    shortMessage.resize(134);
    auto bank = bankOf({currentDump(1, "A", 13), currentDump(1, "A", 20), currentDump(1, "A", 21), shortMessage});
    bank->patches.emplace_back();  // no message at all
    bank->patches.back().parseCategory();
    EXPECT_EQ(slotTexts(*bank, {0, 1, 2, 3, 4}), (std::vector<std::string>{paddedName("A") + "|DUB |137",
        paddedName("A") + "|INIT|137", paddedName("A") + "||137", paddedName("A") + "||134", "||0"}));
}

TEST(LibraryModel, StoresOnlyTheReceivedDumpIntoAUsableTransferSlot)
{
    PatchLibrarian library;
    library.bankFiles.push_back(std::make_unique<PatchFile>());
    LibrarianPatch received;
    received.messages.push_back(PatchSysexMessage{Bytes(20, 0x01)});  // a stray short reply
    received.messages.push_back(PatchSysexMessage{currentDump(3, "RECEIVED", 4)});
    received.name = paddedName("RECEIVED");
    received.category = "DRUM";
    // Slots out of range, a derived bank selected, a selection past the banks: nothing stored.
    for (const auto& [slot, kind, selection] : {std::tuple{-1, 0, 0}, {100, 0, 0}, {127, 0, 0}, {42, 1, 0}, {42, 0, 1}}) {
        library.transferSlot = slot;
        library.selectionKind = kind;
        library.upperSelection = selection;
        library.setSysexDatatoSelectedSlot(&received);
    }
    EXPECT_TRUE(library.bankFiles[0]->patches.empty());
    library.upperSelection = 0;
    library.setSysexDatatoSelectedSlot(&received);
    ASSERT_EQ(library.bankFiles[0]->patches.size(), 100u);
    EXPECT_EQ(library.bankFiles[0]->patches[42].messages.size(), 1u);
    EXPECT_EQ(slotText(library.bankFiles[0]->patches[42]), paddedName("RECEIVED") + "|DRUM|137");
}

TEST(LibraryModel, StoringWhileTheLibraryReloadsIsSafe)
{
    TempDataFolder data;
    writeFile(data.patches() + "/A.zt2", concat(currentDumps(100, "A")));
    PatchLibrarian library;
    library.loadPatchesFromFilesystem(data.patches());
    const LibrarianPatch received = bankOf({currentDump(3, "R")})->patches[0];
    std::thread midiInput([&] {
        for (int i = 0; i < 200; ++i) {
            library.transferSlot = i % 100;
            library.setSysexDatatoSelectedSlot(&received);
        }
    });
    for (int i = 0; i < 5; ++i)
        library.initBankFilesOnDiscard(data.patches());
    midiInput.join();
    std::lock_guard<std::recursive_mutex> guard(library.libraryLock());
    EXPECT_EQ(library.bankFiles.size(), 1u);
}
