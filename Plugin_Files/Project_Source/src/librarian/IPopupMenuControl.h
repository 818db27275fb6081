#pragma once
// The librarian's popup-menu controls: invisible controls over spots of the
// background picture; a click opens a menu at the control's rectangle, the
// choice is carried out and the control asks for a redraw.
//
// Tree menus offer the library's bank, category and search trees
// (LibraryTreePopupMenus.cpp); command menus carry the librarian's and a
// slot's commands (LibrarianCommandMenus.cpp); number menus pick the
// hardware's bank and program (NumberPopupMenus.cpp).
//
// Threads: everything here runs on the main thread (mouse handling, parameter
// changes, the editor's menu refresh). Library lists are read under the
// library lock.

#include <memory>
#include <string>
#include <vector>

#include "IControl.h"
#include "IPopupMenu.h"
#include "PatchLibrarian.h"

class Zelto2X;

// Shared shape of the family: no parameter, transparent drawing, and a
// mouse-down that runs the menu and then redraws.
class IPopupMenuControl : public IControl {
public:
    IPopupMenuControl(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);

    // ---- IControl (main thread) ----
    void OnMouseDown(int x, int y, IMouseMod* mod) override;
    bool Draw(IGraphics* graphics) override;

    PatchLibrarian* library;
    Zelto2X* editor;

protected:
    // The class's menu and follow-up.
    virtual void runMenu(int x, int y) = 0;
    // Shows menu at the control's rectangle: the (sub)menu holding the choice, or null.
    IPopupMenu* showMenu(IPopupMenu* menu);
};

// Prints the line a dismissed menu leaves on standard output.
void reportNothingChosen();

// ---- Tree menus -------------------------------------------------------------------

enum class LibraryList { Banks, Categories, SearchResults };

class LibraryTreePopupMenu : public IPopupMenuControl {
public:
    // Builds the first tree at once, ticking the bank (folderName, bankName).
    LibraryTreePopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor,
        LibraryList list, bool upperList, const std::string& bankName, const std::string& folderName);
    ~LibraryTreePopupMenu() override;

    // Rebuilds the menus; ticks the item of (folderName, bankName), else the
    // item at running position selection; a bank of that name becomes the
    // list's selection. Returns true.
    bool refreshFolderStructure(PatchLibrarian* library, Zelto2X* editor, int selection, std::string bankName,
        std::string folderName);
    // Ticks the item of file index alone (none when index is stale).
    void checkMenuItemAlone(PatchLibrarian* library, Zelto2X* editor, int index);
    // Opens the tree; a choice sets selection to the file's index at refresh
    // time and the editor's names of this list. Returns selection.
    int doPopupMenu(Zelto2X* editor, int& selection);

    int selection = 0;
    // The menu a click opens (owned), and the menus registered with their folder names.
    IPopupMenu* rootMenu() const { return m_rootMenu.get(); }
    const std::vector<std::string>& menuNames() const { return m_menuNames; }
    const std::vector<IPopupMenu*>& menus() const { return m_registered; }

protected:
    void runMenu(int x, int y) override;
    // What a click does after the menu: store and show the selection.
    virtual void afterMenu();
    // The control's file list (caller holds the library lock), and one file of it or null.
    const PatchFileList& files() const;
    PatchFile* fileAt(int index) const;
    void applySelection(int index);

    LibraryList m_list;
    bool m_upperList;
    bool m_chosen = false;  // the last menu ended with a choice

private:
    struct Build;
    void buildBankTree(Build& build);
    void buildCategoryTree(Build& build);
    void buildSearchTree(Build& build);
    IPopupMenu* newMenu();
    void registerMenu(IPopupMenu* menu, const std::string& name, std::vector<int> fileIndexes);
    void deleteMenus();

    std::unique_ptr<IPopupMenu> m_rootMenu;
    std::vector<std::unique_ptr<IPopupMenu>> m_ownedMenus;  // every submenu of the current build
    std::vector<std::string> m_menuNames;
    std::vector<IPopupMenu*> m_registered;
    // Per registered menu, per item: the file's index in the list at refresh
    // time (-1 for a submenu entry or a bank no list holds).
    std::vector<std::vector<int>> m_itemFiles;
};

class LeftPatchPopupMenu : public LibraryTreePopupMenu {
public:
    LeftPatchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
};

class RightPatchPopupMenu : public LibraryTreePopupMenu {
public:
    RightPatchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
};

class RightCategoryPopupMenu : public LibraryTreePopupMenu {
public:
    RightCategoryPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
};

class RightSearchPopupMenu : public LibraryTreePopupMenu {
public:
    RightSearchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
};

// The bank tree in place of the bank number menu while the library drives the
// hardware: a choice sends the selected slot of the chosen bank.
class ProgBankNamePopupMenu : public LibraryTreePopupMenu {
public:
    ProgBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    bool refreshPatchNames(PatchLibrarian* library, Zelto2X* editor, int selection, std::string bankName,
        std::string folderName);

protected:
    // The bank it picks becomes the editing bank: refused, menu unopened,
    // while that bank holds unsaved changes.
    void runMenu(int x, int y) override;
    void afterMenu() override;
};

// ---- Command menus ----------------------------------------------------------------

// The librarian's command menu.
class BankEditPopupMenu : public IPopupMenuControl {
public:
    BankEditPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    ~BankEditPopupMenu() override;
    // Empties and refills every menu of the control.
    void AddMenuItemsIn(Zelto2X* editor);
    void doPopupMenu(Zelto2X* editor);

    IPopupMenu bankEditMenu, requestMenu, storeMenu, saveAsMenu, importMenu, helpMenu;

protected:
    void runMenu(int x, int y) override;

private:
    void carryOut(IPopupMenu* chosen, int index);
    void emptyMenus();
};

// The context menu of an upper-list slot.
class FileEditPopupMenu : public IPopupMenuControl {
public:
    FileEditPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    ~FileEditPopupMenu() override;
    void AddMenuItemsIn();
    void doPopupMenu(Zelto2X* editor, int x, int y);

    IPopupMenu fileEditMenu, getDataMenu, importSingleMenu, categoryMenu;

protected:
    void runMenu(int x, int y) override;

private:
    void carryOut(IPopupMenu* chosen, int index, int x, int y);
};

// The context menu with "Copy" alone.
class FileCopyPopupMenu : public IPopupMenuControl {
public:
    FileCopyPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    ~FileCopyPopupMenu() override;
    void doPopupMenu(Zelto2X* editor, int x, int y);

    IPopupMenu fileCopyMenu;

protected:
    void runMenu(int x, int y) override;
};

// ---- Number menus -----------------------------------------------------------------

// "Bank P001-100" .. "Bank P401-500".
class BankNumberPopupMenu : public IPopupMenuControl {
public:
    BankNumberPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    ~BankNumberPopupMenu() override;
    bool refreshPatchNames(PatchLibrarian* library, Zelto2X* editor, int bank);
    // The chosen bank, left in bank; 0 and bank unchanged when dismissed.
    int doPopupMenu(Zelto2X* editor, int& bank);

    int selection = 0;
    IPopupMenu bankMenu;

protected:
    void runMenu(int x, int y) override;
};

// Programs 1..100 in ten submenus, or the upper bank's slot names while the
// library drives the hardware.
class ProgramNumberPopupMenu : public IPopupMenuControl {
public:
    static constexpr int kRangeCount = 10;
    ProgramNumberPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor);
    ~ProgramNumberPopupMenu() override;
    bool refreshPatchNames(PatchLibrarian* library, Zelto2X* editor, int program);
    int doPopupMenu(Zelto2X* editor, int& program);

    int selection = 0;
    IPopupMenu programMenu;
    IPopupMenu programRangeMenus[kRangeCount];

protected:
    void runMenu(int x, int y) override;

private:
    void emptyMenus();
};
