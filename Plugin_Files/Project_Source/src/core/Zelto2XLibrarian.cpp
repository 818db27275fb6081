// The editor's librarian glue: the progress overlay, the bank lists and the
// librarian popups, what the lists show, the display texts, and the road of a
// library sound to the hardware.

#include "Zelto2X.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "IParam.h"
#include "IPopupMenuControl.h"
#include "LibrarianViewControl.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "ProgressIndicator.h"
#include "TabSwitchFunctions.h"
#include "UIConfigManager.h"
#include "dovor/timing.h"
#include "platform/CocoaWindowSystem.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

constexpr int kCancelDataRequest = 296;  // the unnamed parameter of the two cancel buttons
constexpr size_t kMaxDisplayText = 55;

// The popups of the librarian, each in a layer of its own (unscaled rectangles):
// over the bank fields and the MENU key of the library page, and over the bank
// and program numbers of the sound display (resources/uiconfig.xml places them).
struct MenuLayer {
    const char* name;
    int id;
    IRECT rect;
    bool hidden;
};
constexpr MenuLayer kMenuLayers[] = {
    {"LeftPatchPopupMenu", 70, IRECT(144, 192, 560, 224), true},
    {"RightPatchPopupMenu", 71, IRECT(840, 192, 1256, 224), true},
    {"BANKEDITMENU", 74, IRECT(576, 192, 656, 224), true},
    {"RightCategoryPopupMenu", 75, IRECT(840, 192, 1256, 224), true},
    {"PROGRAMNUMBERMENU", 76, IRECT(488, 56, 536, 72), false},
    {"BANKNUMBERMENUPROGRAMS", 77, IRECT(464, 56, 488, 72), false},
    {"RightSearchPopupMenu", 78, IRECT(840, 192, 1256, 224), true},
    {"PROGBANKNAMEMENUPROGRAMS", 80, IRECT(464, 56, 488, 72), true},
};

std::string lowerCase(const std::string& text)
{
    std::string out = text;
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) { return std::tolower(c); });
    return out;
}

std::string extensionOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return lowerCase(dot == std::string::npos ? name : name.substr(dot + 1));
}

// The file names of a list: 0 bank files, 1 category banks, 4 search results.
std::vector<std::string> fileNames(PatchLibrarian& library, int kind)
{
    LibraryGuard lock(library.libraryLock());
    const PatchFileList& files = kind == 1 ? library.categoryFiles : kind == 4 ? library.searchFiles : library.bankFiles;
    std::vector<std::string> names;
    for (const auto& file : files)
        names.push_back(file->fileName);
    return names;
}

// The index in files of the bank whose file is at path; with no path (a
// category or search bank), of the bank (folderName, fileName), the last of
// equal names as the folder menus take it. -1 when there is none.
int indexOfBank(const PatchFileList& files, const std::string& path, const std::string& folderName,
    const std::string& fileName)
{
    int found = -1;
    for (size_t i = 0; i < files.size(); ++i)
        if (path.empty() ? files[i]->folderName == folderName && files[i]->fileName == fileName
                         : files[i]->path() == path)
            found = static_cast<int>(i);
    return found;
}

IRECT scaled(const IRECT& r, double s)
{
    return IRECT(static_cast<int>(r.L * s), static_cast<int>(r.T * s), static_cast<int>(r.R * s),
        static_cast<int>(r.B * s));
}

}  // namespace

// ---- Start-up steps (main thread, from the constructor) ----------------------------

void Zelto2X::installLibrarianViewFactory()
{
    uiConfig->setLibrarianViewFactory([this](int x, int y, IBitmap* bitmap, IRECT bounds) -> IControl* {
        librarianView = new LibrarianViewControl(this, x, y, kLibrarianArea, bitmap, bounds, patchLibrarian, guiScale);
        return librarianView;
    });
}

void Zelto2X::createProgressOverlay()
{
    IGraphics* graphics = GetGUI();
    if (!graphics || progressLayer)
        return;
    // The constructor attaches the layer after all others, so it lies on top.
    progressLayer = new ControlLayer(0, "PROGRESS");
    // At the interface scale, so the picture covers the whole view at every
    // size; it is the image table's copy, already in the cache, not a second decode.
    IBitmap picture = graphics->LoadIBitmap(118, "resources/img/overlayer.png", guiScale, 1, false);
    const int w = static_cast<int>(kEditorWidth * guiScale);
    const int h = static_cast<int>(kEditorHeight * guiScale);
    progressIndicator = new ProgressIndicator(progressLayer, this, 0, 0, w, h, -1, &picture, IRECT(0, 0, w, h));
    // In the overlay's box; the factory scales the position itself.
    for (IControl** button : {&librarianCancelButton, &editorCancelButton})
        *button = uiConfig->createAutoOffSwitchControl("Cancel Data Request", kCancelDataRequest,
            ProgressIndicator::kCancelKeyX, ProgressIndicator::kCancelKeyY, "BUTTON_LIB_CANCEL_ID", 0, progressLayer,
            "Global");
    progressIndicator->Hide(true);
    progressLayer->Hide(true);
}

void Zelto2X::createLibrarianMenus()
{
    IGraphics* graphics = GetGUI();
    if (!graphics || leftPatchPopupMenu)
        return;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        patchLibrarian->upperSelection = 0;
        patchLibrarian->menuSelection = 0;
    }
    auto buildList = [this](int paramIdx, const char* listName, std::string& bankName, std::string& folderName) {
        const std::vector<std::string> names = fileNames(*patchLibrarian, 0);
        {
            // The menus tick the bank by its real name, so that is what the list keeps.
            LibraryGuard lock(patchLibrarian->libraryLock());
            if (!patchLibrarian->bankFiles.empty()) {
                bankName = patchLibrarian->bankFiles.front()->fileName;
                folderName = patchLibrarian->bankFiles.front()->folderName;
            }
        }
        GetParam(paramIdx)->InitEnum(listName, 0, static_cast<int>(names.size()), "", "", -1, -1);
        setBankDisplayTexts(names, {paramIdx});
        return paramControl(paramIdx);
    };
    upperListControl = buildList(kPatchSelectionListUpper, "Bank Selection List 1", upperBankName, upperFolderName);
    for (const MenuLayer& entry : kMenuLayers) {
        const IRECT rect = scaled(entry.rect, guiScale);
        IControl* control = nullptr;
        const std::string name = entry.name;
        if (name == "LeftPatchPopupMenu")
            control = leftPatchPopupMenu = new LeftPatchPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "RightPatchPopupMenu")
            control = rightPatchPopupMenu = new RightPatchPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "BANKEDITMENU")
            control = bankEditPopupMenu = new BankEditPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "RightCategoryPopupMenu")
            control = rightCategoryPopupMenu = new RightCategoryPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "PROGRAMNUMBERMENU")
            control = programNumberPopupMenu = new ProgramNumberPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "BANKNUMBERMENUPROGRAMS")
            control = bankNumberPopupMenu = new BankNumberPopupMenu(this, patchLibrarian, rect, this);
        else if (name == "RightSearchPopupMenu")
            control = rightSearchPopupMenu = new RightSearchPopupMenu(this, patchLibrarian, rect, this);
        else
            control = progBankNamePopupMenu = new ProgBankNamePopupMenu(this, patchLibrarian, rect, this);
        auto* layer = new ControlLayer(entry.id, entry.name);
        layer->AddControl(control);
        graphics->AttachLayer(layer);
        layer->Hide(entry.hidden);
        if (name == "LeftPatchPopupMenu")
            lowerListControl =
                buildList(kPatchSelectionListLower, "Bank Selection List 2", lowerBankName, lowerFolderName);
    }
    // The overlay lies above every other layer, so it goes last.
    if (progressLayer)
        graphics->AttachLayer(progressLayer);
    // The view was filled while the configuration was read, before the lists had a bank.
    updatePatchLibrarianView(2);
}

// ---- Lookups --------------------------------------------------------------------------

PatchFileList& Zelto2X::librarianListFiles(int list)
{
    if (list == 0)
        return patchLibrarian->bankFiles;
    const int kind = lowerListedKind;
    return kind == 1 ? patchLibrarian->categoryFiles : kind == 4 ? patchLibrarian->searchFiles : patchLibrarian->bankFiles;
}

PatchFile* Zelto2X::librarianListBank(int list)
{
    LibraryGuard lock(patchLibrarian->libraryLock());
    if (list == 0)
        return patchLibrarian->upperBank();
    const auto& files = librarianListFiles(list);
    const int index = patchLibrarian->menuSelection;
    return index >= 0 && index < static_cast<int>(files.size()) ? files[static_cast<size_t>(index)].get() : nullptr;
}

void Zelto2X::selectListBank(int list, int index)
{
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        const PatchFileList& files = librarianListFiles(list);
        if (index < 0 || index >= static_cast<int>(files.size()))
            index = 0;
        (list == 0 ? patchLibrarian->upperSelection : patchLibrarian->menuSelection) = index;
        if (!storeListBankNames(list, index))
            setListBankNames(list, PatchFile());
    }
    setParamValueClamped(list == 0 ? kPatchSelectionListUpper : kPatchSelectionListLower, index);
    updatePatchLibrarianView(list == 0 ? 0 : 1);
}

bool Zelto2X::selectBankByFileName(const std::string& folderName, const std::string& fileName,
    const std::string& path)
{
    int index;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        index = indexOfBank(patchLibrarian->bankFiles, path, folderName, fileName);
    }
    if (index < 0)
        return false;
    selectListBank(0, index);
    setParamValueClamped(kCurrentOpenPatchBankL, index + bankKindOffset);
    refreshListPopup(0, index);
    updateBankAndProgramMenuNames(false);
    return true;
}

void Zelto2X::showLowerListMenu()
{
    const int kind = lowerListedKind;
    showLayer("RightPatchPopupMenu", kind != 1 && kind != 4);
    showLayer("RightCategoryPopupMenu", kind == 1);
    showLayer("RightSearchPopupMenu", kind == 4);
}

void Zelto2X::showSearchOrCategorySwitch()
{
    const bool searching = paramValue(kPatchSearch) == 1.0;
    showLayer("searchField", searching);
    showLayer("categoryLimit", !searching);
}

// ---- Bank and program selection parameters -----------------------------------------

std::string Zelto2X::bankDisplayName(const std::string& fileName, std::string& prefix, int& number)
{
    if (fileName.size() < 53)
        return fileName;
    const std::string head = fileName.substr(0, 47);
    number = head == prefix ? number + 1 : 1;
    prefix = head;
    std::string shown = head + "~" + std::to_string(number) + "." + extensionOf(fileName);
    // Only a name without "." or with a long extension gets here; its end is cut.
    if (shown.size() > kMaxDisplayText)
        shown.resize(kMaxDisplayText);
    return shown;
}

void Zelto2X::patchTypeChanged(int, int kind, bool reload)
{
    if (reload) {
        // A request job stores into the upper bank; a reload would free it
        // under the job's feet, so it waits for the job to end.
        if (midiMessageManager && midiMessageManager->requestThreadRunning()) {
            pendingReloadKind = kind;
            return;
        }
        pendingReloadKind = -1;
        patchLibrarian->initBankFilesOnDiscard(getPatchesFolderStr());
        // The reload dropped the results; the same search finds them in the banks as read now.
        if (kind == 4 && !searchAgain())
            kind = 0;
    }
    if (kind != 0 && kind != 1 && kind != 4) {
        {
            LibraryGuard lock(patchLibrarian->libraryLock());
            patchLibrarian->upperSelection = 0;
            patchLibrarian->menuSelection = 0;
        }
        updatePatchLibrarianView(2);
        return;
    }
    lowerListedKind = kind;
    const std::vector<std::string> names = fileNames(*patchLibrarian, kind);
    // The upper list always shows the bank files; after a reload its texts
    // are rebuilt whatever the lower list shows, or they would name banks of
    // the library as it was.
    const bool upperToo = kind == 0 || reload;
    std::vector<int> cleared = {kCurrentOpenPatchBankR, kCurrentOpenPerfBankL, kCurrentOpenPerfBankR};
    if (upperToo)
        cleared.insert(cleared.begin(), kCurrentOpenPatchBankL);
    for (int index : cleared) {
        GetParam(index)->ResetDisplayTexts();
        setParamValueClamped(index, 0);
    }
    if (kind == 0) {
        setBankDisplayTexts(names, {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPatchBankL,
            kCurrentOpenPatchBankR});
    } else {
        if (upperToo)
            setBankDisplayTexts(fileNames(*patchLibrarian, 0), {kPatchSelectionListUpper, kCurrentOpenPatchBankL});
        setBankDisplayTexts(names, {kPatchSelectionListLower, kCurrentOpenPatchBankR});
    }
    // The upper list keeps the bank being edited while the library holds it;
    // the lower list keeps its bank through a reload, and a new listing
    // (a search, categories on or off) opens on its first bank.
    int upper, lower = 0;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        upper = indexOfBank(patchLibrarian->bankFiles, upperBankPath, upperFolderName, upperBankName);
        if (reload)
            lower = indexOfBank(librarianListFiles(1), lowerBankPath, lowerFolderName, lowerBankName);
    }
    selectListBank(0, upper);
    selectListBank(1, lower);
    if (static_cast<int>(paramValue(kMainTab)) == 1)
        showLowerListMenu();
    refreshPopUpMenus();
}

void Zelto2X::ResetPatchSelectionMenus()
{
    setBankDisplayTexts(fileNames(*patchLibrarian, 0),
        {kPatchSelectionListUpper, kPatchSelectionListLower, kCurrentOpenPatchBankL, kCurrentOpenPatchBankR});
    updatePatchLibrarianView(2);
}

void Zelto2X::setBankDisplayTexts(const std::vector<std::string>& names, const std::vector<int>& params)
{
    std::string prefix;
    int number = 0;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string shown = bankDisplayName(names[i], prefix, number);
        if (shown != names[i])
            logDebug("PATCH LIBRARIAN: Filename " + names[i] + " RENAMED TO " + shown
                + " Because the filename was too long to fit in plug-in display!");
        for (int index : params)
            GetParam(index)->SetDisplayText(static_cast<int>(i), shown.c_str());
    }
}

void Zelto2X::runPendingLibrarianWork()
{
    std::vector<std::function<void()>> work;
    {
        std::lock_guard<std::mutex> lock(m_pendingMenuMutex);
        work.swap(m_pendingMenuWork);
    }
    for (const auto& step : work)
        step();
    const int kind = pendingReloadKind;
    if (kind < 0 || (midiMessageManager && midiMessageManager->requestThreadRunning()))
        return;
    IMutexLock lock(this);
    patchTypeChanged(0, kind, true);
    finishBankImport();
}

void Zelto2X::refreshPopUpMenus()
{
    onMenuThread([this] {
        int upper, lower;
        {
            LibraryGuard lock(patchLibrarian->libraryLock());
            upper = patchLibrarian->upperSelection;
            lower = patchLibrarian->menuSelection;
        }
        // Each list's own bank, of the banks its names may stand for.
        refreshListPopup(0, upper);
        refreshListPopup(1, lower);
        if (progBankNamePopupMenu)
            progBankNamePopupMenu->refreshPatchNames(patchLibrarian, this, 0, "", "");
    });
    updatePatchLibrarianView(2);
}

void Zelto2X::updateBankAndProgramMenuNames(bool keepBankMenu)
{
    ControlLayer* numberLayer = findLayer("BANKNUMBERMENUPROGRAMS");
    ControlLayer* nameLayer = findLayer("PROGBANKNAMEMENUPROGRAMS");
    for (ControlLayer* layer : {numberLayer, nameLayer})
        if (layer)
            layer->Hide(true);
    const int program = static_cast<int>(paramValue(kCurrentPatch));
    const int bank = static_cast<int>(paramValue(kCurrentBank));
    const bool refreshBankMenu = !libraryControl || !keepBankMenu;
    if (libraryControl)
        selectLibrarianSlot(program);
    if (ControlLayer* shown = libraryControl ? nameLayer : numberLayer)
        shown->Hide(false);
    onMenuThread([this, program, bank, refreshBankMenu] {
        if (programNumberPopupMenu)
            programNumberPopupMenu->refreshPatchNames(patchLibrarian, this, program);
        if (refreshBankMenu && bankNumberPopupMenu)
            bankNumberPopupMenu->refreshPatchNames(patchLibrarian, this, bank);
    });
}

void Zelto2X::updateUserInterfaceAndMenus()
{
    // A sound sent from the library page leaves the user there: the arrow keys
    // go on stepping through the bank.
    const bool librarian = paramValue(kShowLibrarian) == 1.0 || static_cast<int>(paramValue(kMainTab)) == 1;
    const int tab = paramValue(kShowModMatrix) == 1.0 ? 3 : (librarian ? 1 : 2);
    const int program = static_cast<int>(paramValue(kCurrentPatch));
    onMenuThread([this, program] {
        rebuildMainLibrarianMenu();
        if (programNumberPopupMenu)
            programNumberPopupMenu->refreshPatchNames(patchLibrarian, this, program);
    });
    // The tab buttons show the page the switch opens.
    setFromPlug(kMainTab, tab);
    showProgressOverlay(true);
    TabSwitchFunctions::mainTabSwitch(this, kMainTab, tab, 0);
    showProgressOverlay(false);
}

// ---- View and menus -------------------------------------------------------------------

void Zelto2X::setLibrarianViewDirty()
{
    if (librarianView)
        librarianView->SetDirty(false);
}

void Zelto2X::updatePatchLibrarianView(int list)
{
    if (!librarianView || list < 0 || list > 2)
        return;
    librarianView->requestExtraRedraw();
    if (list != 1)
        librarianView->patchSelectionUpperChanged();
    if (list != 0)
        librarianView->patchSelectionLowerChanged();
    // A store, a discard or another bank may have put another sound under the selection.
    showSelectedSlotCategory();
}

void Zelto2X::SlotMenuDeleter::operator()(FileEditPopupMenu* menu) const
{
    delete menu;
}

void Zelto2X::SlotMenuDeleter::operator()(FileCopyPopupMenu* menu) const
{
    delete menu;
}

void Zelto2X::showFileEditMenu(int x, int y)
{
    // The new menu runs before it replaces (and frees) the previous one, so a
    // menu is never freed while it runs.
    std::unique_ptr<FileEditPopupMenu, SlotMenuDeleter> menu(
        new FileEditPopupMenu(this, patchLibrarian, IRECT(x, y, x, y), this));
    menu->doPopupMenu(this, x, y);
    fileEditPopupMenu = std::move(menu);
}

void Zelto2X::showFileCopyMenu(int x, int y)
{
    std::unique_ptr<FileCopyPopupMenu, SlotMenuDeleter> menu(
        new FileCopyPopupMenu(this, patchLibrarian, IRECT(x, y, x, y), this));
    menu->doPopupMenu(this, x, y);
    fileCopyPopupMenu = std::move(menu);
}

void Zelto2X::selectLibrarianSlot(int slot)
{
    selectLibrarianListSlot(0, slot);
}

void Zelto2X::selectLibrarianListSlot(int list, int slot)
{
    if (librarianView) {
        (list == 0 ? librarianView->upperSelectedSlot : librarianView->lowerSelectedSlot) = slot;
        librarianView->activeSlot = slot;
        librarianView->requestExtraRedraw();
    }
    LibraryGuard lock(patchLibrarian->libraryLock());
    patchLibrarian->transferSlot = slot;
}

int Zelto2X::librarianListActive() const
{
    return librarianView ? librarianView->lowerListActive.load() : 0;
}

int Zelto2X::librarianSelectedSlot(int list)
{
    if (!librarianView)
        return -1;
    return list == 0 ? librarianView->upperSelectedSlot.load() : librarianView->lowerSelectedSlot.load();
}

void Zelto2X::setLibrarianDragEnabled(bool enabled)
{
    if (librarianView)
        librarianView->dragEnabled = enabled;
}

int Zelto2X::librarianCurrentProgram()
{
    return librarianView ? librarianView->activeSlot.load() : -1;
}

void Zelto2X::setLibrarianCurrentProgram(int program)
{
    if (librarianView)
        librarianView->activeSlot = program;
}

void Zelto2X::clearPendingRename()
{
    if (librarianView)
        librarianView->renamePending = false;
}

void Zelto2X::refreshListPopup(int list, int index)
{
    if (!platform::OnProcessMainThread()) {
        onMenuThread([this, list, index] { refreshListPopup(list, index); });
        return;
    }
    if (list == 0) {
        if (leftPatchPopupMenu)
            leftPatchPopupMenu->refreshFolderStructure(patchLibrarian, this, index, upperBankName, upperFolderName);
        return;
    }
    const int kind = lowerListedKind;
    LibraryTreePopupMenu* lower = kind == 1 ? static_cast<LibraryTreePopupMenu*>(rightCategoryPopupMenu)
        : kind == 4                         ? static_cast<LibraryTreePopupMenu*>(rightSearchPopupMenu)
                                            : static_cast<LibraryTreePopupMenu*>(rightPatchPopupMenu);
    if (lower)
        lower->refreshFolderStructure(patchLibrarian, this, index, lowerBankName, lowerFolderName);
}

void Zelto2X::rebuildMainLibrarianMenu()
{
    onMenuThread([this] {
        if (bankEditPopupMenu)
            bankEditPopupMenu->AddMenuItemsIn(this);
    });
}

void Zelto2X::onMenuThread(std::function<void()> work)
{
    if (platform::OnProcessMainThread()) {
        work();
        return;
    }
    std::lock_guard<std::mutex> lock(m_pendingMenuMutex);
    m_pendingMenuWork.push_back(std::move(work));
}

// ---- Display texts ----------------------------------------------------------------------

void Zelto2X::displayText(const std::string& name, const std::string& value, const std::string& cc)
{
    setTextOfParam(kControlDisplayName, name.c_str());
    setTextOfParam(kControlDisplayValue, value.c_str());
    setTextOfParam(kControlDisplayCC, cc.c_str());
}

void Zelto2X::displayPatchName(const std::string& text)
{
    setTextOfParam(kPatchName, text.c_str());
}

void Zelto2X::displayCategoryName(const std::string& text)
{
    setTextOfParam(kControlDisplayCategory, text.c_str());
}

void Zelto2X::DisplayLibrarianPatchCategory(int slot, int list)
{
    std::string category;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        PatchFile* bank = librarianListBank(list);
        if (!bank)
            return;
        bank->patches.resize(std::max<size_t>(bank->patches.size(), kLibraryBankSize));
        if (slot < 0 || slot >= static_cast<int>(bank->patches.size()))
            return;
        const LibrarianPatch& sound = bank->patches[static_cast<size_t>(slot)];
        if (sound.messages.empty())
            return;
        category = sound.category;
    }
    // The four-letter code without the blanks that fill it ("FX  ").
    category.erase(category.find_last_not_of(' ') + 1);
    setTextOfParam(kControlDisplayLibCategory, category.empty() ? "category unset!" : category.c_str());
}

void Zelto2X::showSelectedSlotCategory()
{
    const int upper = librarianSelectedSlot(0);
    DisplayLibrarianPatchCategory(upper >= 0 ? upper : librarianSelectedSlot(1), librarianListActive());
}

// ---- Request routing and unsaved state ------------------------------------------------------

void Zelto2X::SetLibrarianRequestActive(bool toLibrary)
{
    if (toLibrary) {
        midiMessageManager->patchRequested = false;
        std::printf("patch request to library is on\n");
        midiMessageManager->libraryRequest.clear();
        midiMessageManager->libraryAnswersRefused = false;
        midiMessageManager->libraryRequest.libraryRequestActive = true;
    } else {
        std::printf("patch request to user interface is on\n");
        midiMessageManager->patchRequested = true;
        midiMessageManager->libraryRequest.libraryRequestActive = false;
    }
    incomingSysExProcessed = false;
    midiMessageManager->dataProcessed = false;
}

void Zelto2X::SetLibrarianStatusUnsaved(bool unsaved)
{
    if (!unsaved)
        return;
    midiMessageManager->patchRequested = false;
    midiMessageManager->libraryRequest.libraryRequestActive = false;
    // The light and both lists show it: the lower list may show the same bank.
    setFromPlug(kBankEditUnsaved, 1);
    setParamValueClamped(kDiscardBankData, 0);
    showLayer("discardChangesLayerRight", true);
    showLayer("LeftPatchPopupMenu", false);
    showLayer("saveChangesLayer", false);
    updatePatchLibrarianView(2);
}

void Zelto2X::noteBankBeforeRequest()
{
    BankBeforeRequest before;
    before.unsaved = static_cast<int>(paramValue(kBankEditUnsaved)) == 1;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        if (const PatchFile* bank = patchLibrarian->upperBank()) {
            before.path = bank->path();
            if (before.unsaved)
                before.patches = bank->patches;
        }
    }
    m_bankBeforeRequest = std::move(before);
}

bool Zelto2X::restoreUnsavedBankBeforeRequest()
{
    BankBeforeRequest before = std::exchange(m_bankBeforeRequest, BankBeforeRequest());
    if (!before.unsaved)
        return false;
    {
        // The steps and RELOAD that change the editing bank are refused while
        // it is unsaved; a bank that still changed under the request is left.
        LibraryGuard lock(patchLibrarian->libraryLock());
        PatchFile* bank = patchLibrarian->upperBank();
        if (bank && bank->path() == before.path)
            bank->patches = std::move(before.patches);
    }
    updatePatchLibrarianView(2);
    return true;
}

bool Zelto2X::storeSoundInTransferSlot(const LibrarianPatch& sound, int pauseMs)
{
    const bool stored = patchLibrarian->replaceTransferSlot(sound);
    if (pauseMs > 0)
        Sleep(pauseMs);
    SetLibrarianStatusUnsaved(true);
    return stored;
}
