// The bank display names, the list parameters after a change of what the
// lower list shows, and the librarian popups: trees, commands, numbers.
#include "LibrarianEditorFixture.h"

#include <thread>

namespace {

using namespace librarytest;

TEST(BankDisplayName, LongNamesAreShortenedWithARunningNumber)
{
    const std::string p47(47, 'a'), n52 = std::string(48, 'b') + ".zt2";
    const std::pair<std::string, std::string> names[] = {{n52, n52},
        {std::string(49, 'c') + ".zt2", std::string(47, 'c') + "~1.zt2"}, {p47 + "one of many.ZT2", p47 + "~1.zt2"},
        {"short.syx", "short.syx"}, {p47 + "two of many.zt2", p47 + "~2.zt2"},
        {std::string(47, 'd') + "-other prefix.MID", std::string(47, 'd') + "~1.mid"}, {std::string(60, 'e'), ""},
        {p47 + "x.abcdefghij", ""}};
    std::string prefix;
    int number = 0;
    for (const auto& [name, expected] : names) {
        const std::string result = Zelto2X::bankDisplayName(name, prefix, number);
        EXPECT_TRUE(expected.empty() || expected == result) << result;
        EXPECT_LE(result.size(), 55u) << name;
    }
}

TEST_F(LibrarianEditorTest, BankTreeChoiceSelectsTheBankByItsIndexAndNames)
{
    choose(editor->leftPatchPopupMenu, "Beta.zt2");
    EXPECT_EQ("Alpha.zt2 [x]\nBeta.zt2\n", headless->shownMenus.back());
    EXPECT_TRUE(editor->leftPatchPopupMenu->rootMenu()->IsItemChecked(1));
    EXPECT_EQ(1, library->upperSelection);
    EXPECT_EQ("Patches/Beta.zt2: BETA 1        ", editor->upperFolderName + "/" + editor->upperBankName + ": " +
                                                      view->slotText(0, 0));
    choose(editor->leftPatchPopupMenu, "none");
    EXPECT_EQ(1, library->upperSelection);
    library->bankFiles[1]->fileName = "Alpha.zt2";  // two of one name in one folder: told apart by index
    library->upperSelection = 0;
    editor->leftPatchPopupMenu->refreshFolderStructure(library, editor.get(), 0, "", "");
    choose(editor->leftPatchPopupMenu, "1");
    EXPECT_EQ("1 BETA 1        ", std::to_string(library->upperSelection) + " " + view->slotText(0, 0));
}

// A search after categories overwrites only the lower list's entries it has.
TEST_F(LibrarianEditorTest, LowerTreesOfCategoriesAndSearchResultsFillTheLowerListWithTheirOwnEntries)
{
    library->createNewSearchPatchFiles("ALPHA 1");  // ALPHA 1, 10..19, 100: one result bank
    IParam* lower = editor->GetParam(kPatchSelectionListLower);
    const int categories = static_cast<int>(library->categoryFiles.size());
    ASSERT_GT(categories, 3);
    std::string lastCategory;
    for (const bool showCategories : {true, false}) {
        editor->lowerShowsCategories = showCategories;
        editor->lowerShowsSearch = !showCategories;
        editor->patchTypeChanged(0, showCategories ? 1 : 4, false);
        lastCategory = showCategories ? lower->GetDisplayText(categories - 1) : lastCategory;
        library->menuSelection = -1;  // only a choice sets it again
        choose(showCategories ? static_cast<IControl*>(editor->rightCategoryPopupMenu) : editor->rightSearchPopupMenu,
               showCategories ? "1/0" : "0");
        const PatchFileList& files = showCategories ? library->categoryFiles : library->searchFiles;
        const int chosen = library->menuSelection;
        ASSERT_TRUE(chosen >= 0 && chosen < static_cast<int>(files.size())) << showCategories;
        EXPECT_EQ(files[size_t(chosen)]->fileName + "|" + files[size_t(chosen)]->patches[0].name,
                  editor->lowerBankName + "|" + view->slotText(1, 0)) << showCategories;
    }
    EXPECT_EQ("ALPHA 1       ALPHA 10      ", view->slotText(1, 0) + view->slotText(1, 1));
    EXPECT_EQ(library->searchFiles[0]->fileName + "|" + lastCategory,
              lower->GetDisplayText(0) + "|" + lower->GetDisplayText(categories - 1));
    EXPECT_EQ("Alpha.zt2", editor->GetParam(kPatchSelectionListUpper)->GetDisplayText(0));
    library->upperSelection = 1;  // an unknown kind: only the selections go back to the first bank
    editor->patchTypeChanged(0, 2, false);
    EXPECT_EQ(0, library->upperSelection);
    EXPECT_EQ(1, editor->GetParam(kCurrentOpenPatchBankR)->GetNDisplayTexts());
}

TEST_F(LibrarianEditorTest, StaleMenuItemKeepsTheSelection)
{
    library->bankFiles.pop_back();  // the menu still lists Beta
    choose(editor->leftPatchPopupMenu, "Beta.zt2");
    EXPECT_EQ(0, library->upperSelection);
}

TEST_F(LibrarianEditorTest, ProgressOverlayTakesEveryClickWhileATransferRuns)
{
    editor->DisplayProcessingIndicator(true);
    for (const auto& [x, y] : {std::pair{0, 0}, {700, 400}, {1499, 756}})
        EXPECT_EQ(static_cast<IControl*>(editor->progressIndicator), graphics()->HitTest(x, y)) << x << "," << y;
}

TEST_F(LibrarianEditorTest, BankEditMenuHoldsEveryCommandInOrder)
{
    editor->bankEditPopupMenu->AddMenuItemsIn(editor.get());  // a rebuild gives the same menu
    choose(editor->bankEditPopupMenu, "none");
    EXPECT_EQ("Request Patch Data >\n  from Active Slot to Plug-in GUI\n  from Active Slot to Librarian\n"
              "  from Selected Program Slot & Bank\n  ---\n  Patches from 001-100\n  Patches from 101-200\n"
              "  Patches from 201-300\n  Patches from 301-400\n  Patches from 401-500\n---\n"
              "Store Patch Data >\n  To Currently Selected Slot & Bank\n  ---\n  All Patches to P001-P100\n"
              "  All Patches to P101-P200\n  All Patches to P201-P300\n  All Patches to P301-P400\n"
              "  All Patches to P401-P500\n---\nSync Current Data from HW\nPush Current Data to HW\n---\n"
              "Save (Overwrite current bank)\nSave As... >\n  Standard MIDI (*.mid)\n  Zelto2X Format (*.zt2)\n---\n"
              "Import... >\n  Standard MIDI (*.mid)\n  SysEx (*.syx / *.zt2)\nRefresh Folders\n"
              "Other Helpful things... >\n  Open Data Folder\n  Open User Manual\n  Open Support Ticket\n"
              "  Check for Updates\n  DAW Setup Guides\n---\nAbout this Plug-in...\n",
        headless->shownMenus.back());
    EXPECT_EQ(15, editor->bankEditPopupMenu->bankEditMenu.GetNItems());
}

TEST_F(LibrarianEditorTest, HelpItemsOpenTheDataFolderTheManualAndTheSupportPages)
{
    const std::pair<const char*, std::string> cases[] = {{"Open Data Folder", editor->getDataFolder()},
        {"Open User Manual", "Marnvik-Zelto2X-User-Manual-v101.pdf"}, {"Open Support Ticket", "tickets"},
        {"Check for Updates", "downloads"}, {"DAW Setup Guides", "articles"}};
    writeFile(data.root + "/Marnvik-Zelto2X-User-Manual-v101.pdf", hex("25 50 44 46"));
    for (const auto& [item, opened] : cases) {
        const size_t before = headless->openedURLs.size();
        choose(editor->bankEditPopupMenu, std::string("Other Helpful things.../") + item);
        ASSERT_EQ(before + 1, headless->openedURLs.size()) << item;
        EXPECT_NE(std::string::npos, headless->openedURLs.back().find(opened)) << headless->openedURLs.back();
    }
}

// The hardware's banks 0..4 and programs 0..99: the next number outside ticks nothing.
TEST_F(LibrarianEditorTest, NumberMenusTickOnlyTheHardwaresBanksAndPrograms)
{
    BankNumberPopupMenu& banks = *editor->bankNumberPopupMenu;
    ProgramNumberPopupMenu& programs = *editor->programNumberPopupMenu;
    for (const auto& [number, bankItem, programItem] : {std::tuple{0, 0, 0}, {4, 4, 4}, {5, -1, 5}, {-1, -1, -1},
             {99, -1, 99}, {100, -1, -1}}) {
        banks.refreshPatchNames(library, editor.get(), number);
        programs.refreshPatchNames(library, editor.get(), number);
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(i == bankItem, i < 5 && banks.bankMenu.IsItemChecked(i)) << number << " bank item " << i;
            EXPECT_EQ(i == programItem, programs.programRangeMenus[size_t(i / 10)].IsItemChecked(i % 10))
                << number << " program item " << i;
        }
    }
    EXPECT_EQ(std::string(programs.programRangeMenus[0].GetItemText(0)) + "/" + programs.programRangeMenus[9].GetItemText(9),
              "Program 01/Program 100");
}

TEST_F(LibrarianEditorTest, MenusAskedForFromAnotherThreadAreRebuiltOnTheMainThread)
{
    ProgramNumberPopupMenu& menu = *editor->programNumberPopupMenu;
    menu.refreshPatchNames(library, editor.get(), 0);
    editor->GetParam(kCurrentPatch)->Set(42);
    std::thread other([&] { editor->updateBankAndProgramMenuNames(false); });
    other.join();
    EXPECT_TRUE(menu.programRangeMenus[0].IsItemChecked(0));
    editor->runPendingLibrarianWork();
    EXPECT_FALSE(menu.programRangeMenus[0].IsItemChecked(0));
    EXPECT_TRUE(menu.programRangeMenus[4].IsItemChecked(2));
}

}  // namespace
