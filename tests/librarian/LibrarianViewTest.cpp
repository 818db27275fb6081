// The librarian view: slot geometry, list filling, selection, arrow keys,
// dragging, copy and paste, and the slot menus a right click opens.
#include "LibrarianEditorFixture.h"

namespace {

using namespace librarytest;

TEST_F(LibrarianEditorTest, SlotRectanglesFollowTheColumnLayoutAtEachScale)
{
    const struct {
        double scale;
        int list, slot;
        IRECT rect;
    } cases[] = {{1.0, 0, 0, {100, 201, 220, 219}}, {1.0, 0, 25, {258, 201, 378, 219}},
        {1.0, 0, 24, {100, 633, 220, 651}}, {1.0, 1, 0, {793, 200, 913, 218}}, {1.0, 1, 99, {1267, 632, 1387, 650}},
        {1.0, 1, 100, {}},
        {0.75, 0, 0, {100, 203, 190, 216}}, {0.75, 0, 26, {218, 216, 308, 229}}, {0.75, 1, 99, {973, 515, 1063, 528}},
        {1.25, 0, 0, {100, 201, 251, 223}}, {1.25, 0, 26, {298, 223, 449, 245}}, {1.25, 1, 99, {1560, 729, 1711, 751}}};
    for (const auto& c : cases) {
        IBitmap none;
        LibrarianViewControl sized(editor.get(), kViewX, kViewY, kLibrarianArea, &none, IRECT(), library, c.scale);
        EXPECT_EQ(sized.slotRect(c.list, c.slot), c.rect) << c.scale << " " << c.list << "/" << c.slot;
    }
}

TEST_F(LibrarianEditorTest, ArrowKeysStepAndWrapThroughTheBankOfTheListLastClicked)
{
    const int cases[][3] = {{0, 1, 99}, {99, 2, 0}, {80, 4, 5}, {10, 3, 85}, {24, 3, 99}, {74, 4, 99}, {5, 2, 6}};
    for (const auto& [from, key, to] : cases) {
        view->activeSlot = view->upperSelectedSlot = from;
        EXPECT_TRUE(view->OnKeyDown(0, 0, key));
        EXPECT_EQ(std::tuple(to, to, double(to)),
                  std::tuple(view->activeSlot.load(), view->upperSelectedSlot.load(), value(kCurrentPatch)))
            << from << " key " << key;
    }
    EXPECT_FALSE(view->OnKeyDown(0, 0, 0));  // space is not ours
    // After a click in the lower list the down arrow starts there, at slot 0.
    click(1, 30);
    EXPECT_EQ(std::pair(-1, 30), std::pair(view->activeSlot.load(), view->lowerSelectedSlot.load()));
    EXPECT_TRUE(view->OnKeyDown(0, 0, 2));
    EXPECT_EQ(std::pair(0, 1), std::pair(view->lowerSelectedSlot.load(), int(view->lowerListActive.load())));
}

TEST_F(LibrarianEditorTest, OnlyADragFromTheLowerListToAnUpperSlotCopiesTheSoundAndAnyDropMarksTheBankUnsaved)
{
    const Bytes before = upperBytes(9);
    drag(0, 2, 0, 9);
    EXPECT_FALSE(view->dragActive);
    drag(1, 4, 1, 9);
    view->OnMouseDrag(0, 0, 0, 0, nullptr);
    library->bankFiles[0]->patches[20] = LibrarianPatch();
    drag(1, 20, 0, 9);  // an empty slot: nothing filed, yet a transfer
    EXPECT_TRUE(before == upperBytes(9) && markedUnsaved());
    drag(1, 5, 0, 3);  // both lists show Alpha, and both show the new sound
    EXPECT_EQ("ALPHA 6       |ALPHA 6       ", view->slotText(0, 3) + "|" + view->slotText(1, 3));

    editor->rightPatchPopupMenu->refreshFolderStructure(library, editor.get(), 0, "Beta.zt2", "Patches");
    ASSERT_EQ(1, library->menuSelection);  // Beta below
    view->patchSelectionLowerChanged();
    drag(1, 4, 0, 9);
    EXPECT_EQ(library->bankFiles[1]->patches[4].messages[0].bytes, upperBytes(9));
    EXPECT_EQ("BETA 5        ", view->slotText(0, 9));
    expectDiskUnchanged();
}

TEST_F(LibrarianEditorTest, RightClickOffersTheFullSlotMenuOnTheUpperListAndCopyElsewhereAndRenamesOnlyASound)
{
    rightClickChoosing(0, 3, "none");
    EXPECT_EQ("Paste\n---\nRename\nSet Category >\n  None\n  Arp\n  Atmo\n  Bass\n  Drum\n  FX\n  Keys\n  Lead\n"
              "  Mono\n  Pad\n  Perc\n  Poly\n  Seq\n  Dub\n  Lush\n  Strg\n  Pluk\n  Wind\n  Nois\n  Exfx\n"
              "  Init\n---\nInitialize Slot\nGet DATA from.. >\n  Plug-in (active patch)\n  ---\n"
              "  Hardware Edit Buffer\n  Hardware by Prog No.\n---\nImport.. >\n  Zelto 1 Single Patch\n"
              "  Zelto 2 Single Patch\n",
        headless->shownMenus.back());
    rightClickChoosing(1, 3, "none");
    EXPECT_EQ("Copy\n", headless->shownMenus.back());
    EXPECT_EQ(-1, library->transferSlot);
    // Rename needs an upper slot with a sound.
    view->upperSelectedSlot = -1;
    view->renameSlot(0, 0);
    EXPECT_TRUE(editor->renameHandled);
    rightClickChoosing(0, 6, "Rename");
    EXPECT_FALSE(editor->renameHandled);
    EXPECT_EQ("ALPHA 7", editor->GetParam(kPatchRename)->GetDisplayText(0));  // without its padding
    click(0, 6);
    EXPECT_TRUE(editor->renameHandled);
}

// The MIDI input thread refills both lists (a finished library request) while the main thread stores sounds into
// slots: every name is read under the library lock, which ThreadSanitizer checks, and the last refill shows the last
// stores.
TEST_F(LibrarianEditorTest, ListsRefilledOnAnotherThreadWhileSlotsChangeReadTheNamesUnderTheLibraryLock)
{
    std::atomic<bool> stop {false};
    std::atomic<int> refills {0};
    std::thread midiInput([&] {
        while (!stop) {
            view->patchSelectionUpperChanged();
            view->patchSelectionLowerChanged();
            ++refills;
        }
    });
    const auto refilledAgain = [&] {
        const int from = refills;
        return waitFor([&] { return refills > from + 1; });
    };
    ASSERT_TRUE(refilledAgain());
    LibrarianPatch sound = upperSlot(0);
    for (int round = 0; round < 2000; ++round) {
        sound.name = "ROUND " + std::to_string(round);
        library->transferSlot = round % 100;
        ASSERT_TRUE(library->replaceTransferSlot(sound));
    }
    EXPECT_TRUE(refilledAgain());
    stop = true;
    midiInput.join();
    // Both lists show Alpha.
    EXPECT_EQ("ROUND 1999|ROUND 1999|ROUND 1900", view->slotText(0, 99) + "|" + view->slotText(1, 99) + "|" +
                                                      view->slotText(0, 0));
}

}  // namespace
