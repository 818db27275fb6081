// What the library page says agrees with what it does: each list's label,
// its slots, the bank its actions use and the names the menus tick are one
// bank after searches, categories, bank steps, reloads and Discard; the
// category boxes, the rename field and the search field hold what they show.
#include "LibrarianEditorFixture.h"

#include <functional>

#include "TabSwitchFunctions.h"
#include "UIConfigManager.h"

namespace {

using namespace librarytest;

class ListsTest : public LibrarianEditorTest {
protected:
    void SetUp() override
    {
        LibrarianEditorTest::SetUp();
        for (int param : {kCategorySelection, kPatchSearch, kRefreshFolders, kDiscardBankData, kLibLowerNextBank,
                 kLibLowerPreviousBank, kLibUpperNextBank, kOverwriteBank})
            editor->GetParam(param)->InitDouble("command", 0, 0, 1, 1, "", "Librarian");  // as the panel's buttons
        editor->GetParam(kCategoryName)->InitDouble("category", 0, 0, 21, 1);
        IText style;
        for (auto [probe, paramIdx] : {std::pair{&soundCategory, kControlDisplayCategory},
                 std::pair{&slotCategory, kControlDisplayLibCategory}}) {
            *probe = new ITextControl(editor.get(), IRECT(0, 0, 100, 20), &style, "-");
            (*probe)->SetParamIdx(paramIdx);
            graphics()->AttachControl(*probe);
        }
        editor->rememberControls();
        // The two layers that share the spot right of the search switch.
        graphics()->AttachLayer(new ControlLayer(91, "categoryLimit"));
        graphics()->AttachLayer(new ControlLayer(92, "searchField"));
    }
    void search(const std::string& text)
    {
        editor->GetParam(kPatchSearchString)->SetDisplayText(0, text.c_str());
        editor->OnParamChange(kPatchSearchString);
    }
    // The label over a list: its selection parameter's text at its value.
    std::string label(int list) const
    {
        const IParam* param = editor->GetParam(list == 0 ? kPatchSelectionListUpper : kPatchSelectionListLower);
        return param->GetDisplayText(static_cast<int>(param->Value()));
    }
    // Label, first slot shown, the menus' name and the bank the list's actions
    // use ("-" for none), joined; they agree when one name repeats four times.
    std::string listState(int list)
    {
        const PatchFile* bank = editor->librarianListBank(list);
        const std::string used = bank ? bank->fileName + "/" + bank->patches.at(0).name : "-";
        const std::string& menuName = list == 0 ? editor->upperBankName : editor->lowerBankName;
        return label(list) + "|" + menuName + "|" + used + "|" + view->slotText(list, 0);
    }
    static std::string agreed(const std::string& bank, const std::string& first)
    {
        return bank + "|" + bank + "|" + bank + "/" + first + "|" + first;
    }
    ITextControl *soundCategory = nullptr, *slotCategory = nullptr;
};

TEST_F(ListsTest, ANewSearchShowsItsFirstResultBankAndEveryActionOnTheListActsOnWhatItShows)
{
    writeFile(data.patches() + "/Gamma.zt2", concat(currentDumps(100, "GAMMA ")));
    command(kRefreshFolders, 1);
    command(kPatchSearch, 1);
    search("A ");  // 300 hits: three full result banks and an empty fourth
    command(kLibLowerNextBank, 1);
    EXPECT_EQ(agreed("Search Results 2", paddedName("BETA 1")), listState(1));
    search("LPHA 1");  // 12 hits, one bank
    EXPECT_EQ(agreed("Search Results 1", paddedName("ALPHA 1")), listState(1));
    EXPECT_EQ(0.0, value(kPatchSelectionListLower));
    rightClickChoosing(1, 1, "Copy");
    EXPECT_EQ("Sound copied!|Slot 2: ALPHA 10", status());
    drag(1, 2, 0, 5);
    EXPECT_EQ(paddedName("ALPHA 11"), view->slotText(0, 5));
    command(kLibLowerPreviousBank, 1);
    EXPECT_EQ(agreed("Search Results 1", paddedName("ALPHA 1")), listState(1));
}

TEST_F(ListsTest, LabelListMenusAndStoredBankNameOneBankThroughCategoriesSearchesReloadAndDiscard)
{
    writeFile(data.patches() + "/Gamma.zt2", concat(currentDumps(100, "GAMMA ")));
    const struct {
        std::function<void()> act;
        const char* what;
    } steps[] = {
        {[&] { command(kRefreshFolders, 1); }, "reload"},
        {[&] { command(kLibLowerNextBank, 1), command(kLibLowerNextBank, 1); }, "lower on Gamma"},
        {[&] { command(kCategorySelection, 1); }, "categories on"},
        {[&] { command(kLibLowerNextBank, 1), command(kLibLowerNextBank, 1); }, "third category"},
        {[&] { command(kCategorySelection, 0); }, "categories off"},
        {[&] { choose(editor->leftPatchPopupMenu, "Gamma.zt2"), command(kLibLowerNextBank, 1); }, "both on Gamma"},
        {[&] { fs::remove(data.patches() + "/Gamma.zt2"), command(kRefreshFolders, 1); }, "Gamma gone"},
        {[&] { command(kLibUpperNextBank, 1), drag(1, 0, 0, 0), command(kDiscardBankData, 1); }, "discard"},
        {[&] { command(kPatchSearch, 1), search("ETA 1"), command(kRefreshFolders, 1); }, "reload results"},
        {[&] { command(kPatchSearch, 0); }, "search off"},
        {[&] { EXPECT_TRUE(editor->selectBankByFileName("Patches", "Beta.zt2")); }, "chosen by name"},
    };
    for (const auto& step : steps) {
        step.act();
        for (int list : {0, 1}) {
            const PatchFile* bank = editor->librarianListBank(list);
            ASSERT_TRUE(bank) << step.what;
            EXPECT_EQ(agreed(bank->fileName, bank->patches.at(0).name), listState(list)) << step.what << " " << list;
        }
    }
    EXPECT_EQ("Beta.zt2", editor->librarianListBank(0)->fileName);
    EXPECT_FALSE(editor->selectBankByFileName("Patches", "Gamma.zt2"));
    expectDiskUnchanged();
}

// Banks of one file name in folders of one name (Patches/A/Same, Patches/B/Same)
// are two banks: each list keeps the one chosen through a reload and SHOW
// CATEGORIES, its slots show it, and Save writes it, not the other.
TEST_F(ListsTest, BanksOfOneNameInLikeNamedFoldersStayApartThroughReloadCategoriesAndSave)
{
    const std::string a = data.patches() + "/A/Same", b = data.patches() + "/B/Same";
    writeFile(a + "/Bank.zt2", concat(currentDumps(100, "FROM A ")));
    writeFile(b + "/Bank.zt2", concat(currentDumps(100, "FROM B ")));
    const Bytes otherBefore = readFile(b + "/Bank.zt2");
    command(kRefreshFolders, 1);
    choose(editor->leftPatchPopupMenu, "A/Same/Bank.zt2");
    choose(editor->rightPatchPopupMenu, "A/Same/Bank.zt2");
    // The folder of the bank each list uses, and the first slot each shows.
    const auto shown = [&](int list) {
        const PatchFile* bank = editor->librarianListBank(list);
        return (bank ? bank->directory : "-") + "|" + view->slotText(list, 0);
    };
    command(kRefreshFolders, 1);
    EXPECT_EQ(a + "|" + paddedName("FROM A 1"), shown(0));
    EXPECT_EQ(a + "|" + paddedName("FROM A 1"), shown(1));
    rightClickChoosing(1, 1, "Copy");
    rightClickChoosing(0, 0, "Paste");
    command(kCategorySelection, 1);
    EXPECT_EQ(a + "|" + paddedName("FROM A 2"), shown(0));
    choose(editor->bankEditPopupMenu, "Save (Overwrite current bank)");
    EXPECT_EQ("Bank saved!|Bank.zt2", status());
    EXPECT_EQ(a + "|" + paddedName("FROM A 2"), shown(0));
    std::vector<Bytes> saved = currentDumps(100, "FROM A ");
    saved[0] = saved[1];
    EXPECT_EQ(concat(saved), readFile(a + "/Bank.zt2"));
    EXPECT_EQ(otherBefore, readFile(b + "/Bank.zt2"));
}

// Of two banks of one name in folders of one name, the second chosen in each
// list stays that list's bank through Refresh Folders, not the first of the name.
TEST_F(ListsTest, EachListKeepsTheSecondOfTwoLikeNamedBanksThroughRefreshFolders)
{
    const std::string b = data.patches() + "/B/Same";
    writeFile(data.patches() + "/A/Same/Bank.zt2", concat(currentDumps(100, "FROM A ")));
    writeFile(b + "/Bank.zt2", concat(currentDumps(100, "FROM B ")));
    command(kRefreshFolders, 1);
    choose(editor->leftPatchPopupMenu, "B/Same/Bank.zt2");
    choose(editor->rightPatchPopupMenu, "B/Same/Bank.zt2");
    command(kRefreshFolders, 1);
    for (int list : {0, 1}) {
        const PatchFile* bank = editor->librarianListBank(list);
        EXPECT_EQ(b + "|" + agreed("Bank.zt2", paddedName("FROM B 1")),
            (bank ? bank->directory : "-") + "|" + listState(list)) << list;
    }
}

TEST_F(ListsTest, TheCategoryBoxesShowTheCurrentSoundAndTheClickedSlot)
{
    library->bankFiles[0]->patches[4].category.clear();
    library->bankFiles[1]->patches[2] = LibrarianPatch();
    auto soundArrives = [&](int category) {
        const Bytes dump = currentDump(0, "CURRENT", category);
        editor->midiMessageManager->loadSoundIntoEditor(dump.data(), static_cast<int>(dump.size()));
    };
    const struct {
        std::function<void()> act;
        const char* sound;
        const char* slot;
    } steps[] = {
        {[&] { soundArrives(7), TabSwitchFunctions::mainTabSwitch(editor.get(), kMainTab, 1, 0); }, "LEAD",
            "ARP"},  // upper slot 1 selected at start
        {[&] { command(kCategoryName, 5); }, "LEAD", "ARP"},  // with no output the sound keeps its word
        {[&] { soundArrives(5); }, "FX", "ARP"},
        {[&] { click(0, 2); }, "FX", "BASS"},
        {[&] { click(1, 5); }, "FX", "KEYS"},
        {[&] { click(0, 4); }, "FX", "category unset!"},
        {[&] { choose(editor->rightPatchPopupMenu, "Beta.zt2"), click(1, 3); }, "FX", "BASS"},
        {[&] { click(1, 2); }, "FX", "BASS"},  // an empty slot shows nothing new
        {[&] { command(kCategorySelection, 1), click(1, 1); }, "FX", "ARP"},  // ARP 1 below
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(std::string(step.sound) + "|" + step.slot,
            soundCategory->GetTextString() + "|" + slotCategory->GetTextString());
    }
}

// The box names the sound now in the clicked slot, whatever put it there.
TEST_F(ListsTest, TheSlotCategoryBoxFollowsTheSoundThatStoreSetCategoryAndDiscardLeaveInTheClickedSlot)
{
    click(0, 7);  // ALPHA 8
    command(kCategoryName, 5);  // the panel's sound
    const struct {
        std::function<void()> act;
        const char* slot;
    } steps[] = {
        {[] {}, "MONO"},
        {[&] {
             command(kOverwriteBank, 1);
             EXPECT_TRUE(requestJobEnded());
         },
            "FX"},
        {[&] { rightClickChoosing(0, 7, "Set Category/Lead"); }, "LEAD"},
        {[&] { command(kDiscardBankData, 1); }, "MONO"},
    };
    for (const auto& step : steps) {
        step.act();
        EXPECT_EQ(step.slot, slotCategory->GetTextString());
    }
}

TEST_F(ListsTest, TheRenameFieldHoldsTheNameUnpaddedAndOnlyAChangedNameIsReportedAndUnsaved)
{
    const struct {
        const char* entered;
        const char* status;
        bool unsaved;
    } cases[] = {{"ALPHA 7", "Name unchanged|Slot 7: ALPHA 7", false}, {"alpha 7", "Name unchanged|Slot 7: ALPHA 7", false},
        {"ALPHA 7 X", "Sound renamed!|Slot 7: ALPHA 7 X", true}};
    for (const auto& c : cases) {
        rightClickChoosing(0, 6, "Rename");
        EXPECT_TRUE(view->renamePending);
        EXPECT_EQ("ALPHA 7", editor->GetParam(kPatchRename)->GetDisplayText(0).substr(0, 7));
        EXPECT_NE(' ', editor->GetParam(kPatchRename)->GetDisplayText(0).back());
        editor->GetParam(kPatchRename)->SetDisplayText(0, c.entered);
        editor->GetParam(kPatchRename)->Set(1);  // an entry toggles the value; the text stays in display text 0
        editor->OnParamChange(kPatchRename);
        EXPECT_EQ(c.status, status()) << c.entered;
        EXPECT_EQ(c.unsaved, markedUnsaved()) << c.entered;
        EXPECT_FALSE(view->renamePending);
    }
    EXPECT_EQ("ALPHA 7 X", view->slotText(0, 6));
}

TEST_F(ListsTest, SaveAsKeepsABankExtensionTheUserTyped)
{
    const struct {
        const char *typed, *format, *written;
    } cases[] = {{"Bank5.syx", "Zelto2X Format (*.zt2)", "Bank5.syx"}, {"Bank6", "Zelto2X Format (*.zt2)", "Bank6.zt2"},
        {"Bank7.ZT2", "Zelto2X Format (*.zt2)", "Bank7.ZT2"}, {"Bank8.mid", "Standard MIDI (*.mid)", "Bank8.mid"}};
    for (const auto& c : cases) {
        headless->QueueFilePanelAnswer(data.patches() + "/" + c.typed);
        choose(editor->bankEditPopupMenu, std::string("Save As.../") + c.format);
        EXPECT_EQ(std::string("Bank saved!|") + c.written, status());
        EXPECT_TRUE(fs::exists(data.patches() + "/" + c.written)) << c.written;
    }
    EXPECT_FALSE(fs::exists(data.patches() + "/Bank5.syx.zt2"));
}

TEST_F(ListsTest, TheSearchPromptIsNeverSearchedAndComesBackAfterASearchWithoutResults)
{
    // The field opens empty; left as it opened, nothing is searched and search ends.
    IControl* entry = editor->uiConfig->createNameDisplay("Search", kPatchSearchString, 1000, 136, 224, 18, 16, 0,
        nullptr, "Librarian");
    auto* window = static_cast<platform::HeadlessWindow*>(headless->FrontWindow());
    // With no output every action asks for a port first, over the search's own texts.
    editor->midiOutSet = true;
    command(kPatchSearch, 1);
    editor->showStatusLines("-", "");
    IMouseMod left(true);
    entry->OnMouseDown(1001, 137, &left);
    EXPECT_EQ("", window->TextFieldText());
    window->InjectText("1");  // one character: the prompt back, its second report no search
    window->InjectReturn();
    EXPECT_EQ("Enter 2 digits or more!|search...|1", status() + editor->GetParam(kPatchSearchString)->GetDisplayText(0) +
                                                          "|" + std::to_string(int(value(kPatchSearch))));
    editor->showStatusLines("-", "");
    entry->OnMouseDown(1001, 137, &left);
    EXPECT_EQ("", window->TextFieldText());
    window->InjectReturn();
    EXPECT_EQ("-|search...|0", status() + editor->GetParam(kPatchSearchString)->GetDisplayText(0) + "|" +
                                 std::to_string(int(value(kPatchSearch))));

    command(kPatchSearch, 1);
    IParam* field = editor->GetParam(kPatchSearchString);
    search("ZZ");
    EXPECT_EQ("No results - Try another keyword!|Tip: Letter size matters..|search...",
        status() + "|" + field->GetDisplayText(0));
    search("ALPHA 1");
    EXPECT_EQ(agreed("Search Results 1", paddedName("ALPHA 1")), listState(1));
    editor->showStatusLines("-", "");
    search("search...");  // the prompt handed over as text: nothing searched, nothing changed
    EXPECT_EQ("-||search...", status() + "|" + field->GetDisplayText(0));
    EXPECT_EQ(agreed("Search Results 1", paddedName("ALPHA 1")), listState(1));
    search("");  // an empty field ends the search: the bank list back
    EXPECT_EQ(agreed("Alpha.zt2", paddedName("ALPHA 1")), listState(1));
    // The search field and SHOW CATEGORIES take turns at one spot, whatever
    // ended the search and whatever redraws the page.
    auto shown = [&] {
        editor->DisplayProcessingIndicator(true);
        editor->DisplayProcessingIndicator(false);
        TabSwitchFunctions::mainTabSwitch(editor.get(), kMainTab, 1, 0);
        return std::string(editor->findLayer("searchField")->IsVisible() ? "field" : "") +
               (editor->findLayer("categoryLimit")->IsVisible() ? "categories" : "");
    };
    EXPECT_EQ("0 categories", std::to_string(int(value(kPatchSearch))) + " " + shown());
    command(kPatchSearch, 1);
    EXPECT_EQ("field", shown());
}

}  // namespace
