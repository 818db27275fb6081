// The menus of fixed commands: the librarian's command menu, the context menu
// of an upper-list slot and the one-item "Copy" menu.

#include "IPopupMenuControl.h"

#include <cstring>
#include <mutex>

#include "ControlLayer.h"
#include "LibrarianViewControl.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "Zelto2X.h"

namespace {

const char* const kRequestItems[] = {"from Active Slot to Plug-in GUI", "from Active Slot to Librarian",
    "from Selected Program Slot & Bank", nullptr, "Patches from 001-100", "Patches from 101-200",
    "Patches from 201-300", "Patches from 301-400", "Patches from 401-500"};
const char* const kStoreItems[] = {"To Currently Selected Slot & Bank", nullptr, "All Patches to P001-P100",
    "All Patches to P101-P200", "All Patches to P201-P300", "All Patches to P301-P400", "All Patches to P401-P500"};
const char* const kSaveAsItems[] = {"Standard MIDI (*.mid)", "Zelto2X Format (*.zt2)"};
const char* const kImportItems[] = {"Standard MIDI (*.mid)", "SysEx (*.syx / *.zt2)"};
const char* const kHelpItems[] = {"Open Data Folder", "Open User Manual", "Open Support Ticket", "Check for Updates",
    "DAW Setup Guides"};
const char* const kCategoryItems[] = {"None", "Arp", "Atmo", "Bass", "Drum", "FX", "Keys", "Lead", "Mono", "Pad",
    "Perc", "Poly", "Seq", "Dub", "Lush", "Strg", "Pluk", "Wind", "Nois", "Exfx", "Init"};
const char* const kGetDataItems[] = {"Plug-in (active patch)", nullptr, "Hardware Edit Buffer",
    "Hardware by Prog No."};
const char* const kImportSingleItems[] = {"Zelto 1 Single Patch", "Zelto 2 Single Patch"};

// Appends the texts in order; a null entry is a separator.
template <size_t N>
void fill(IPopupMenu& menu, const char* const (&items)[N])
{
    for (const char* item : items) {
        if (item)
            menu.AddItem(item);
        else
            menu.AddSeparator();
    }
}

void empty(IPopupMenu& menu)
{
    menu.GetItems()->Empty(true);
}

// The position of the chosen item among the non-separator items 0.. of items,
// counting from first; -1 when it is not one of them.
template <size_t N>
int itemNumber(const char* const (&items)[N], int index, int first = 0)
{
    if (index < 0 || index >= static_cast<int>(N) || !items[index])
        return -1;
    int number = 0;
    for (int i = first; i < index; ++i)
        if (items[i])
            ++number;
    return index < first ? -1 : number;
}

}  // namespace

// ---- BankEditPopupMenu ------------------------------------------------------------------

BankEditPopupMenu::BankEditPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : IPopupMenuControl(plug, library, rect, editor)
{
    AddMenuItemsIn(editor);
}

BankEditPopupMenu::~BankEditPopupMenu()
{
    emptyMenus();
}

void BankEditPopupMenu::emptyMenus()
{
    for (IPopupMenu* menu : {&bankEditMenu, &requestMenu, &storeMenu, &saveAsMenu, &importMenu, &helpMenu})
        empty(*menu);
}

void BankEditPopupMenu::AddMenuItemsIn(Zelto2X*)
{
    emptyMenus();
    bankEditMenu.AddItem("Request Patch Data", &requestMenu);
    bankEditMenu.AddSeparator();
    bankEditMenu.AddItem("Store Patch Data", &storeMenu);
    bankEditMenu.AddSeparator();
    bankEditMenu.AddItem("Sync Current Data from HW");
    bankEditMenu.AddItem("Push Current Data to HW");
    bankEditMenu.AddSeparator();
    bankEditMenu.AddItem("Save (Overwrite current bank)");
    bankEditMenu.AddItem("Save As...", &saveAsMenu);
    bankEditMenu.AddSeparator();
    bankEditMenu.AddItem("Import...", &importMenu);
    bankEditMenu.AddItem("Refresh Folders");
    bankEditMenu.AddItem("Other Helpful things...", &helpMenu);
    bankEditMenu.AddSeparator();
    bankEditMenu.AddItem("About this Plug-in...");
    fill(requestMenu, kRequestItems);
    fill(storeMenu, kStoreItems);
    fill(saveAsMenu, kSaveAsItems);
    fill(importMenu, kImportItems);
    fill(helpMenu, kHelpItems);
}

void BankEditPopupMenu::runMenu(int, int)
{
    doPopupMenu(editor);
}

void BankEditPopupMenu::doPopupMenu(Zelto2X*)
{
    IPopupMenu* chosen = showMenu(&bankEditMenu);
    if (chosen)
        carryOut(chosen, chosen->GetChosenItemIdx());
    for (IPopupMenu* menu : {&bankEditMenu, &requestMenu, &storeMenu, &saveAsMenu, &importMenu, &helpMenu})
        menu->CheckItemAlone(-1);
}

void BankEditPopupMenu::carryOut(IPopupMenu* chosen, int index)
{
    const std::string text = chosen->GetItemText(index);
    if (chosen == &bankEditMenu) {
        if (text == "Sync Current Data from HW")
            editor->libRequestEditBuffer();
        else if (text == "Push Current Data to HW")
            editor->libPushCurrentData();
        else if (text == "Save (Overwrite current bank)")
            editor->saveLibraryBank();
        else if (text == "Refresh Folders")
            editor->OnParamChange(kRefreshFolders);
        else if (text == "About this Plug-in...")
            editor->showLayer("aboutWindow", true);
    } else if (chosen == &requestMenu) {
        if (index == 0)
            editor->libRequestEditBuffer();
        else if (index == 1 || index == 2)
            editor->libRequestSound(index == 1);
        else if (int bank = itemNumber(kRequestItems, index, 4); bank >= 0)
            editor->libRequestBank(bank);
    } else if (chosen == &storeMenu) {
        if (index == 0)
            editor->SendSingleProgramFromLibrarian(false);
        else if (int bank = itemNumber(kStoreItems, index, 2); bank >= 0)
            editor->SendAllProgramsFromLibrarian(bank);
    } else if (chosen == &saveAsMenu) {
        editor->saveLibraryBankAs(index == 0);
    } else if (chosen == &importMenu) {
        editor->importBankFile(index == 0);
    } else if (chosen == &helpMenu) {
        editor->libOpenHelp(index);
    }
}

// ---- FileEditPopupMenu ------------------------------------------------------------------

FileEditPopupMenu::FileEditPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : IPopupMenuControl(plug, library, rect, editor)
{
    AddMenuItemsIn();
}

FileEditPopupMenu::~FileEditPopupMenu()
{
    for (IPopupMenu* menu : {&fileEditMenu, &getDataMenu, &importSingleMenu, &categoryMenu})
        empty(*menu);
}

void FileEditPopupMenu::AddMenuItemsIn()
{
    fileEditMenu.AddItem("Paste");
    fileEditMenu.AddSeparator();
    fileEditMenu.AddItem("Rename");
    fileEditMenu.AddItem("Set Category", &categoryMenu);
    fileEditMenu.AddSeparator();
    fileEditMenu.AddItem("Initialize Slot");
    fileEditMenu.AddItem("Get DATA from..", &getDataMenu);
    fileEditMenu.AddSeparator();
    fileEditMenu.AddItem("Import..", &importSingleMenu);
    fill(categoryMenu, kCategoryItems);
    fill(getDataMenu, kGetDataItems);
    fill(importSingleMenu, kImportSingleItems);
}

void FileEditPopupMenu::runMenu(int x, int y)
{
    doPopupMenu(editor, x, y);
}

void FileEditPopupMenu::doPopupMenu(Zelto2X*, int x, int y)
{
    IPopupMenu* chosen = showMenu(&fileEditMenu);
    if (chosen)
        carryOut(chosen, chosen->GetChosenItemIdx(), x, y);
    else
        reportNothingChosen();
    for (IPopupMenu* menu : {&fileEditMenu, &getDataMenu, &importSingleMenu, &categoryMenu})
        menu->CheckItemAlone(-1);
}

void FileEditPopupMenu::carryOut(IPopupMenu* chosen, int index, int x, int y)
{
    LibrarianViewControl* view = editor->librarianView;
    const std::string text = chosen->GetItemText(index);
    if (chosen == &categoryMenu) {
        editor->SetCategoryForLibrarianPatch(index);
    } else if (chosen == &importSingleMenu) {
        editor->ImportSingleZeltoPatches(index == 0);
    } else if (chosen == &getDataMenu) {
        if (text == "Plug-in (active patch)")
            editor->libCurrentSoundToSlot();
        else if (text == "Hardware Edit Buffer" || text == "Hardware by Prog No.")
            editor->libRequestSound(text == "Hardware Edit Buffer");
    } else if (text == "Paste") {
        if (view)
            view->PasteSlotData(x, y);
    } else if (text == "Rename") {
        if (view)
            view->renameSlot(x, y);
    } else if (text == "Initialize Slot") {
        editor->libInitSlot();
    }
}

// ---- FileCopyPopupMenu ------------------------------------------------------------------

FileCopyPopupMenu::FileCopyPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : IPopupMenuControl(plug, library, rect, editor)
{
    fileCopyMenu.AddItem("Copy");
}

FileCopyPopupMenu::~FileCopyPopupMenu()
{
    empty(fileCopyMenu);
}

void FileCopyPopupMenu::runMenu(int x, int y)
{
    doPopupMenu(editor, x, y);
}

void FileCopyPopupMenu::doPopupMenu(Zelto2X*, int x, int y)
{
    IPopupMenu* chosen = showMenu(&fileCopyMenu);
    if (chosen && editor->librarianView)
        editor->librarianView->CopySlotData(x, y);
    else if (!chosen)
        reportNothingChosen();
    fileCopyMenu.CheckItemAlone(-1);
}
