// The five popups that offer the library's folder trees: the bank tree for
// the upper list, the lower list and the bank-name menu; the category tree
// and the search results for the lower list.

#include "IPopupMenuControl.h"

#include <map>
#include <mutex>

#include "IGraphics.h"
#include "IParam.h"
#include "LibrarianViewControl.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "Zelto2X.h"

namespace {
using LibraryGuard = std::lock_guard<std::recursive_mutex>;
}

// One refresh: the ticking state and the files' indexes in the control's list.
struct LibraryTreePopupMenu::Build {
    int selection = 0;
    std::string bankName;
    std::string folderName;
    int position = 0;
    bool ticked = false;
    std::map<const PatchFile*, int> indexOf;
    std::map<const IPopupMenu*, std::vector<int>> items;

    // Appends an item for file, ticking it when it is the named bank, else
    // when its running position is the selection; only the first tick counts.
    void append(IPopupMenu* menu, const PatchFile* file, const std::string& folder)
    {
        const int j = menu->GetNItems();
        menu->AddItem(file->fileName.c_str());
        const auto found = indexOf.find(file);
        items[menu].push_back(found == indexOf.end() ? -1 : found->second);
        if (ticked)
            return;
        if ((folder == folderName && file->fileName == bankName) || position + j == selection) {
            menu->CheckItemAlone(j);
            ticked = true;
        }
    }
    void appendSubmenu(IPopupMenu* menu, const std::string& title, IPopupMenu* submenu)
    {
        menu->AddItem(title.c_str(), submenu);
        items[menu].push_back(-1);
    }
};

LibraryTreePopupMenu::LibraryTreePopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect,
    Zelto2X* editor, LibraryList list, bool upperList, const std::string& bankName, const std::string& folderName)
    : IPopupMenuControl(plug, library, rect, editor), m_list(list), m_upperList(upperList)
{
    refreshFolderStructure(library, editor, 0, bankName, folderName);
}

LibraryTreePopupMenu::~LibraryTreePopupMenu() = default;

LeftPatchPopupMenu::LeftPatchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : LibraryTreePopupMenu(plug, library, rect, editor, LibraryList::Banks, true, editor->upperBankName,
          editor->upperFolderName)
{
}

RightPatchPopupMenu::RightPatchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect, Zelto2X* editor)
    : LibraryTreePopupMenu(plug, library, rect, editor, LibraryList::Banks, false, editor->lowerBankName,
          editor->lowerFolderName)
{
}

RightCategoryPopupMenu::RightCategoryPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect,
    Zelto2X* editor)
    : LibraryTreePopupMenu(plug, library, rect, editor, LibraryList::Categories, false, editor->lowerBankName,
          editor->lowerFolderName)
{
}

RightSearchPopupMenu::RightSearchPopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect,
    Zelto2X* editor)
    : LibraryTreePopupMenu(plug, library, rect, editor, LibraryList::SearchResults, false, editor->lowerBankName,
          editor->lowerFolderName)
{
}

ProgBankNamePopupMenu::ProgBankNamePopupMenu(IPluginBase* plug, PatchLibrarian* library, IRECT rect,
    Zelto2X* editor)
    : LibraryTreePopupMenu(plug, library, rect, editor, LibraryList::Banks, true, editor->lowerBankName,
          editor->lowerFolderName)
{
}

bool ProgBankNamePopupMenu::refreshPatchNames(PatchLibrarian* library, Zelto2X* editor, int selection,
    std::string bankName, std::string folderName)
{
    return refreshFolderStructure(library, editor, selection, std::move(bankName), std::move(folderName));
}

// ---- The control's file list ----------------------------------------------------------

const PatchFileList& LibraryTreePopupMenu::files() const
{
    return m_list == LibraryList::Banks ? library->bankFiles
        : m_list == LibraryList::Categories ? library->categoryFiles
                                            : library->searchFiles;
}

PatchFile* LibraryTreePopupMenu::fileAt(int index) const
{
    LibraryGuard lock(library->libraryLock());
    const PatchFileList& list = files();
    return index >= 0 && index < static_cast<int>(list.size()) ? list[static_cast<size_t>(index)].get() : nullptr;
}

// ---- Refresh ----------------------------------------------------------------------------

IPopupMenu* LibraryTreePopupMenu::newMenu()
{
    m_ownedMenus.push_back(std::make_unique<IPopupMenu>());
    return m_ownedMenus.back().get();
}

void LibraryTreePopupMenu::registerMenu(IPopupMenu* menu, const std::string& name, std::vector<int> fileIndexes)
{
    m_registered.push_back(menu);
    m_menuNames.push_back(name);
    m_itemFiles.push_back(std::move(fileIndexes));
}

void LibraryTreePopupMenu::deleteMenus()
{
    m_registered.clear();
    m_menuNames.clear();
    m_itemFiles.clear();
    m_ownedMenus.clear();
    m_rootMenu = std::make_unique<IPopupMenu>();
}

bool LibraryTreePopupMenu::refreshFolderStructure(PatchLibrarian*, Zelto2X*, int selection, std::string bankName,
    std::string folderName)
{
    LibraryGuard lock(library->libraryLock());
    deleteMenus();
    Build build;
    build.selection = selection;
    build.bankName = bankName;
    build.folderName = folderName;
    const PatchFileList& list = files();
    for (size_t i = 0; i < list.size(); ++i)
        build.indexOf[list[i].get()] = static_cast<int>(i);
    if (m_list == LibraryList::Banks)
        buildBankTree(build);
    else if (m_list == LibraryList::Categories)
        buildCategoryTree(build);
    else
        buildSearchTree(build);

    // The bank of that name becomes the list's selection: the selected one
    // when it bears the name (banks in other folders may too), else the last
    // of equal names.
    const auto named = [&](int i) {
        return i >= 0 && i < static_cast<int>(list.size()) && list[static_cast<size_t>(i)]->folderName == folderName
            && list[static_cast<size_t>(i)]->fileName == bankName;
    };
    int chosen = named(selection) ? selection : -1;
    for (int i = 0; chosen != selection && i < static_cast<int>(list.size()); ++i)
        if (named(i))
            chosen = i;
    if (chosen >= 0) {
        applySelection(chosen);
        if (m_list == LibraryList::Banks)
            checkMenuItemAlone(library, editor, chosen);
    }
    return true;
}

void LibraryTreePopupMenu::buildBankTree(Build& build)
{
    const FolderTree& tree = library->bankFolders;
    for (size_t n = 0; n < tree.size(); ++n) {
        const FolderFiles& node = *tree[n];
        for (const SubFolderFiles& sub : node.subFolders) {
            IPopupMenu* subMenu = newMenu();
            for (const SubFolderFiles2& subSub : sub.subFolders) {
                IPopupMenu* subSubMenu = newMenu();
                for (const PatchFile* file : subSub.files)
                    build.append(subSubMenu, file, file->folderName);
                build.position += static_cast<int>(subSub.files.size());
                build.appendSubmenu(subMenu, subSub.name, subSubMenu);
                registerMenu(subSubMenu, subSub.name, build.items[subSubMenu]);
            }
            for (const PatchFile* file : sub.files)
                build.append(subMenu, file, file->folderName);
            build.position += static_cast<int>(sub.files.size());
            build.appendSubmenu(m_rootMenu.get(), sub.name, subMenu);
            registerMenu(subMenu, sub.name, build.items[subMenu]);
        }
        if (!node.subFolders.empty())
            continue;  // files placed beside subfolders are not offered
        for (const PatchFile* file : node.files)
            build.append(m_rootMenu.get(), file, "Patches");
        build.position += static_cast<int>(node.files.size());
        if (n + 1 == tree.size())
            registerMenu(m_rootMenu.get(), "Patches", build.items[m_rootMenu.get()]);
    }
}

void LibraryTreePopupMenu::buildCategoryTree(Build& build)
{
    for (const auto& node : library->categoryFolders)
        for (const SubFolderFiles& sub : node->subFolders) {
            if (sub.files.empty())
                continue;
            IPopupMenu* subMenu = newMenu();
            for (const PatchFile* file : sub.files)
                build.append(subMenu, file, file->folderName);
            build.appendSubmenu(m_rootMenu.get(), sub.name, subMenu);
            registerMenu(subMenu, sub.name, build.items[subMenu]);
            build.position += static_cast<int>(sub.files.size());
        }
    registerMenu(m_rootMenu.get(), "", build.items[m_rootMenu.get()]);
}

void LibraryTreePopupMenu::buildSearchTree(Build& build)
{
    for (const auto& node : library->searchFolders) {
        for (const PatchFile* file : node->files)
            build.append(m_rootMenu.get(), file, "Patches");
        build.position += static_cast<int>(node->files.size());
    }
    if (!library->searchFolders.empty())
        registerMenu(m_rootMenu.get(), "Patches", build.items[m_rootMenu.get()]);
}

void LibraryTreePopupMenu::applySelection(int index)
{
    const int param = m_upperList ? kPatchSelectionListUpper : kPatchSelectionListLower;
    editor->setParamValueClamped(param, index);
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(param, index, false);
    IControl* listControl = m_upperList ? editor->upperListControl : editor->lowerListControl;
    if (listControl)
        listControl->SetValueFromPlug(editor->GetParam(param)->GetNormalized());
    LibraryGuard lock(library->libraryLock());
    (m_upperList ? library->upperSelection : library->menuSelection) = index;
}

void LibraryTreePopupMenu::checkMenuItemAlone(PatchLibrarian*, Zelto2X*, int index)
{
    bool found = false;
    for (size_t k = 0; k < m_registered.size(); ++k) {
        m_registered[k]->CheckItemAlone(-1);
        const std::vector<int>& items = m_itemFiles[k];
        for (size_t j = 0; !found && index >= 0 && j < items.size(); ++j)
            if (items[j] == index) {
                m_registered[k]->CheckItemAlone(static_cast<int>(j));
                found = true;
            }
    }
}

// ---- Choosing -----------------------------------------------------------------------------

int LibraryTreePopupMenu::doPopupMenu(Zelto2X*, int& selection)
{
    m_chosen = false;
    IPopupMenu* chosen = showMenu(m_rootMenu.get());
    if (!chosen)
        return 0;
    const int c = chosen->GetChosenItemIdx();
    std::string bankName, folderName;
    for (size_t k = 0; k < m_registered.size(); ++k) {
        m_registered[k]->CheckItemAlone(-1);
        if (m_chosen || m_registered[k] != chosen || c < 0 || c >= chosen->GetNItems())
            continue;
        chosen->CheckItemAlone(c);
        m_chosen = true;
        // The item names the bank by its index at refresh time; a list that
        // changed since keeps the selection.
        const int index = c < static_cast<int>(m_itemFiles[k].size()) ? m_itemFiles[k][static_cast<size_t>(c)] : -1;
        LibraryGuard lock(library->libraryLock());
        if (const PatchFile* file = fileAt(index)) {
            selection = index;
            bankName = file->fileName;
            folderName = file->folderName;
        } else {
            bankName = chosen->GetItemText(c);
            folderName = m_menuNames[k];
        }
    }
    (m_upperList ? editor->upperBankName : editor->lowerBankName) = bankName;
    (m_upperList ? editor->upperFolderName : editor->lowerFolderName) = folderName;
    return selection;
}

void LibraryTreePopupMenu::runMenu(int, int)
{
    {
        LibraryGuard lock(library->libraryLock());
        selection = m_upperList ? library->upperSelection : library->menuSelection;
    }
    doPopupMenu(editor, selection);
    afterMenu();
}

void LibraryTreePopupMenu::afterMenu()
{
    editor->selectListBank(m_upperList ? 0 : 1, selection);
}

void ProgBankNamePopupMenu::runMenu(int x, int y)
{
    if (!editor->refuseWhileUnsaved())
        LibraryTreePopupMenu::runMenu(x, y);
}

void ProgBankNamePopupMenu::afterMenu()
{
    // A dismissed menu sends nothing to the hardware.
    if (!m_chosen)
        return;
    editor->selectListBank(0, selection);
    if (IGraphics* graphics = GetGUI())
        graphics->SetParameterFromPlug(kCurrentBank, selection, false);
    LibrarianViewControl* view = editor->librarianView;
    editor->updateBankAndProgramMenuNames(true);
    const int slot = view ? view->upperSelectedSlot.load() : -1;
    {
        LibraryGuard lock(library->libraryLock());
        library->transferSlot = slot;
    }
    editor->sendPatchToDeviceFromLibrarian(slot, 0);
}
