// The library's records: copy rules, categories, trees and storing a received
// sound into the selected slot.

#include "LibraryTestSupport.h"

#include "Patch.h"
#include "PatchSaveDialog.h"

#include <thread>

using namespace librarytest;

namespace {

LibrarianPatch slotWith(const Bytes& message)
{
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage{message});
    slot.name = LibrarianPatch::nameFromMessage(message);
    slot.parseCategory();
    return slot;
}

}  // namespace

TEST(LibraryModel, PatchFileCloneKeepsOnlyFlagOneAndResetsKind)
{
    PatchFile file;
    file.kind = 5;
    file.flag = 2;
    file.fileName = "A.zt2";
    file.folderName = "Patches";
    file.folderPath = {"Patches"};
    file.directory = "/x";
    file.number = 4;
    file.patches.push_back(slotWith(currentDump(1, "ONE")));
    auto copy = file.clone();
    EXPECT_EQ(copy->kind, 0);
    EXPECT_EQ(copy->flag, 0);
    EXPECT_EQ(copy->fileName, "A.zt2");
    EXPECT_TRUE(copy->folderName.empty());
    EXPECT_TRUE(copy->folderPath.empty());
    EXPECT_TRUE(copy->directory.empty());
    EXPECT_EQ(copy->number, 0);
    EXPECT_EQ(copy->patches.at(0).name, paddedName("ONE"));
    file.flag = 1;
    EXPECT_EQ(file.clone()->flag, 1);
}

TEST(LibraryModel, SlotCloneAppendsAfterTheTargetsMessages)
{
    const LibrarianPatch source = slotWith(currentDump(1, "NEW", 7));
    LibrarianPatch target = slotWith(currentDump(2, "OLD", 3));
    source.clone(target);
    ASSERT_EQ(target.messages.size(), 2u);
    EXPECT_EQ(target.messages[0].bytes, currentDump(2, "OLD", 3));
    EXPECT_EQ(target.name, paddedName("NEW"));
    EXPECT_EQ(target.category, "LEAD");
}

TEST(LibraryModel, CategoryNeedsAMessageWithACategoryByteOfTwentyOrLess)
{
    LibrarianPatch empty;
    empty.parseCategory();
    EXPECT_EQ(empty.category, "");
    EXPECT_EQ(slotWith(currentDump(1, "A", 13)).category, "DUB ");
    EXPECT_EQ(slotWith(currentDump(1, "A", 20)).category, "INIT");
    EXPECT_EQ(slotWith(currentDump(1, "A", 21)).category, "");
    Bytes shortMessage = currentDump(1, "A", 3);
    shortMessage.resize(134);
    EXPECT_EQ(slotWith(shortMessage).category, "");
}

TEST(LibraryModel, ClearingAnUnknownTreeChangesNothing)
{
    PatchLibrarian library;
    library.bankFolders.push_back(std::make_unique<FolderFiles>());
    library.clearDataStructures(1);
    EXPECT_EQ(library.bankFolders.size(), 1u);
    library.clearDataStructures(0);
    EXPECT_TRUE(library.bankFolders.empty());
}

TEST(LibraryModel, StoresAReceivedSoundIntoTheTransferSlotOfAHundredSlotBank)
{
    PatchLibrarian library;
    auto bank = std::make_unique<PatchFile>();
    bank->patches.resize(60);
    library.bankFiles.push_back(std::move(bank));
    library.transferSlot = 42;
    LibrarianPatch received;
    received.messages.push_back(PatchSysexMessage{Bytes(20, 0x01)});  // a stray short reply
    received.messages.push_back(PatchSysexMessage{currentDump(3, "RECEIVED", 4)});
    received.name = paddedName("RECEIVED");
    received.category = "DRUM";
    library.setSysexDatatoSelectedSlot(&received);
    const PatchFile& stored = *library.bankFiles[0];
    ASSERT_EQ(stored.patches.size(), 100u);
    ASSERT_EQ(stored.patches[42].messages.size(), 1u);
    EXPECT_EQ(stored.patches[42].messages[0].bytes.size(), 137u);
    EXPECT_EQ(stored.patches[42].name, paddedName("RECEIVED"));
    EXPECT_EQ(stored.patches[42].category, "DRUM");
    EXPECT_TRUE(stored.patches[99].messages.empty());
}

TEST(LibraryModel, StoresNothingWithoutAUsableSelection)
{
    PatchLibrarian library;
    library.bankFiles.push_back(std::make_unique<PatchFile>());
    LibrarianPatch received = slotWith(currentDump(3, "R"));
    for (int slot : {-1, 100, 127}) {
        library.transferSlot = slot;
        library.setSysexDatatoSelectedSlot(&received);
    }
    library.transferSlot = 0;
    library.selectionKind = 1;
    library.setSysexDatatoSelectedSlot(&received);
    library.selectionKind = 0;
    library.upperSelection = 1;
    library.setSysexDatatoSelectedSlot(&received);
    EXPECT_TRUE(library.bankFiles[0]->patches.empty());
}

TEST(LibraryModel, StoringWhileTheLibraryReloadsIsSafe)
{
    TempDataFolder data;
    writeFile(data.patches() + "/A.zt2", concat(currentDumps(100, "A")));
    PatchLibrarian library;
    library.loadPatchesFromFilesystem(data.patches());
    const LibrarianPatch received = slotWith(currentDump(3, "R"));
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

TEST(LibraryModel, CurrentPatchRecordStartsEmptyWithFiveInitTexts)
{
    Patch patch;
    EXPECT_EQ(patch.data.Size(), 0);
    EXPECT_EQ(patch.texts, std::vector<std::string>(5, "- INIT -"));
}

TEST(LibraryModel, BankNameDialogRecordMatchesItsTemplate)
{
    EXPECT_EQ(IDD_PATCH_SAVE.resourceId, 10014);
    EXPECT_STREQ(IDD_PATCH_SAVE.title, "Enter Bank Name");
    EXPECT_EQ(IDD_PATCH_SAVE.windowTypeFlags, 12);
    EXPECT_EQ(IDD_PATCH_SAVE.width, 396);
    EXPECT_EQ(IDD_PATCH_SAVE.height, 144);
    EXPECT_EQ(IDD_PATCH_SAVE.items[1].id, 10013);
    EXPECT_STREQ(IDD_PATCH_SAVE.items[3].text, "&OK    ");
    EXPECT_EQ(IDD_PATCH_SAVE.items[3].id, 10006);
}
