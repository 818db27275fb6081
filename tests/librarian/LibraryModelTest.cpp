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
    EXPECT_EQ(copy->kind, 0);
    EXPECT_EQ(copy->flag, 0);
    EXPECT_EQ(copy->fileName, "A.zt2");
    EXPECT_TRUE(copy->folderName.empty() && copy->folderPath.empty() && copy->directory.empty());
    EXPECT_EQ(copy->number, 0);
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
    EXPECT_EQ(target.name, paddedName("NEW"));
    EXPECT_EQ(target.category, "LEAD");
}

TEST(LibraryModel, CategoryNeedsAMessageWithACategoryByteOfTwentyOrLess)
{
    LibrarianPatch empty;  // no message at all
    empty.parseCategory();
    EXPECT_EQ(empty.category, "");
    Bytes shortMessage = currentDump(1, "A", 3);
    shortMessage.resize(134);
    const auto bank = bankOf({currentDump(1, "A", 13), currentDump(1, "A", 20), currentDump(1, "A", 21), shortMessage});
    EXPECT_EQ(bank->patches[0].category, "DUB ");
    EXPECT_EQ(bank->patches[1].category, "INIT");
    EXPECT_EQ(bank->patches[2].category, "");
    EXPECT_EQ(bank->patches[3].category, "");
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
    for (int slot : {-1, 100, 127}) {
        library.transferSlot = slot;
        library.setSysexDatatoSelectedSlot(&received);
    }
    library.transferSlot = 42;
    library.selectionKind = 1;
    library.setSysexDatatoSelectedSlot(&received);
    library.selectionKind = 0;
    library.upperSelection = 1;
    library.setSysexDatatoSelectedSlot(&received);
    EXPECT_TRUE(library.bankFiles[0]->patches.empty());

    library.upperSelection = 0;
    library.setSysexDatatoSelectedSlot(&received);
    const PatchFile& stored = *library.bankFiles[0];
    ASSERT_EQ(stored.patches.size(), 100u);
    ASSERT_EQ(stored.patches[42].messages.size(), 1u);
    EXPECT_EQ(stored.patches[42].messages[0].bytes.size(), 137u);
    EXPECT_EQ(stored.patches[42].name, paddedName("RECEIVED"));
    EXPECT_EQ(stored.patches[42].category, "DRUM");
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
