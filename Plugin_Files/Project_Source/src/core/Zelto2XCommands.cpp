// The librarian and window commands of the parameter handler: bank and
// program stepping, slot rename, search, category view, discard, the tab,
// window and settings switches.
//
// Threads: every case runs inside OnParamChange, under the plug-in mutex, on
// the thread of the change (main or host). The library's lists are read under
// the library's own lock.

#include "Zelto2X.h"

#include <algorithm>
#include <cctype>

#include "ControlLayer.h"
#include "IControl.h"
#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "TabSwitchFunctions.h"
#include "dovor/timing.h"

namespace {

using consolelog::log;

constexpr const char* kSearchPrompt = kSearchFieldPrompt;

// The name a slot rename stores: cut to 14 characters, anything outside
// printable ASCII a blank, upper case.
std::string slotName(const std::string& entered)
{
    std::string name = entered.substr(0, zsysex::kSoundNameLength);
    for (char& c : name) {
        const auto byte = static_cast<unsigned char>(c);
        c = byte < 0x20 || byte > 0x7E ? ' ' : static_cast<char>(std::toupper(byte));
    }
    return name;
}

// The 14 name bytes a dump holds for name: blank-padded.
std::string paddedSlotName(const std::string& name)
{
    return (name + std::string(zsysex::kSoundNameLength, ' ')).substr(0, zsysex::kSoundNameLength);
}

std::vector<unsigned char> renamedDump(const std::vector<unsigned char>& dump, const std::string& name)
{
    std::vector<unsigned char> renamed(dump.begin(), dump.begin() + zsysex::kSoundDumpSize);
    for (int i = 0; i < zsysex::kSoundNameLength; ++i)
        renamed[static_cast<size_t>(zsysex::kSoundNameByte + i)]
            = i < static_cast<int>(name.size()) ? static_cast<unsigned char>(name[static_cast<size_t>(i)]) : ' ';
    zsysex::applyOutgoingChecksum(renamed.data(), zsysex::kSoundDumpSize);
    return renamed;
}

}  // namespace

// ---- The command cases -------------------------------------------------------------

bool Zelto2X::commandCase(int paramIdx, int n)
{
    switch (paramIdx) {
    case kRefreshFolders:
        // A reload reads the banks from disk: unsaved edits would be lost.
        if (!refuseWhileUnsaved())
            reloadLibrary();
        return false;
    case kPatchRename:
        if (!renameHandled) {
            renameSelectedSlot();
            showLayer("patchRename", false);
            renameHandled = true;
            clearPendingRename();
        }
        return false;
    case kOverwriteBank:
        if (n == 1)
            storeSoundInSelectedSlot();
        return false;
    case kCategorySelection:
        for (const char* name : {"RightSearchPopupMenu", "RightCategoryPopupMenu", "RightPatchPopupMenu"})
            showLayer(name, false);
        lowerShowsCategories = n > 0;
        patchTypeChanged(0, n > 0 ? 1 : 0, false);
        showLayer(n > 0 ? "RightCategoryPopupMenu" : "RightPatchPopupMenu", true);
        grayParamControl(kPatchSearch, n > 0);
        if (n <= 0)
            showLayer("RightSearchPopupMenu", false);
        return false;
    case kPatchSearchString:
        return searchPatches();
    case kPatchSearch:
        DisplayProcessingIndicator(true);
        lowerShowsSearch = n == 1;
        if (n != 1)
            leaveSearch();
        DisplayProcessingIndicator(false);
        return false;
    case kPatchUp:
        if (n == 1 && static_cast<int>(paramValue(kPartLock)) != 1)
            stepProgram(+1);
        else if (n != 1)
            finishProgramStep();
        return true;
    case kPatchDown:
        if (n != 0 && static_cast<int>(paramValue(kPartLock)) != 1)
            stepProgram(-1);
        return true;
    case kControlLibrary:
        libraryControl = n == 1;
        updateBankAndProgramMenuNames(false);
        return false;
    case kDiscardBankData:
        if (n == 1)
            discardBankChanges();
        return false;
    case kMainTab:
        if (n == 1)
            rebuildMainLibrarianMenu();
        TabSwitchFunctions::mainTabSwitch(this, kMainTab, n, 0);
        updateBankAndProgramMenuNames(false);
        return false;
    case kPatchSelectionListUpper:
    case kPatchSelectionListLower: {
        const int list = paramIdx == kPatchSelectionListUpper ? 0 : 1;
        storeListBankNames(list, n);
        refreshListPopup(list, n);
        return false;
    }
    default:
        return windowCommandCase(paramIdx, n);
    }
}

bool Zelto2X::windowCommandCase(int paramIdx, int n)
{
    switch (paramIdx) {
    case kShowModMatrix:
        switchTabWithProgress(n != 0 ? 3 : 2);
        return false;
    case kShowLibrarian:
        switchTabWithProgress(n < 1 ? 2 : 1);
        return false;
    case kUserInterfaceSize:
        userInterfaceSizeChanged(n);
        return true;
    case kFirstRunExit:
        firstRunExitChanged(paramValue(kFirstRunExit));
        return true;
    case kViewMIDIFilterSettings:
        showLayer("midiFilterSettings", n == 1);
        if (n != 1) {
            showProgressOverlay(true);
            showProgressOverlay(false);
        }
        return false;
    case kDisplayAboutWindow:
        if (n != 0)
            showLayer("aboutWindow", true);
        return false;
    case kExitAboutWindow:
        if (n != 0) {
            showLayer("aboutWindow", false);
            showProgressOverlay(true);
            showProgressOverlay(false);
        }
        return false;
    default:
        return false;
    }
}

void Zelto2X::switchTabWithProgress(int tab)
{
    setFromPlug(kMainTab, tab);
    showProgressOverlay(true);
    TabSwitchFunctions::mainTabSwitch(this, kMainTab, tab, 0);
    showProgressOverlay(false);
}

// ---- Banks --------------------------------------------------------------------------

bool Zelto2X::storeListBankNames(int list, int index)
{
    if (!patchLibrarian)
        return false;
    std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
    const PatchFileList& files = librarianListFiles(list);
    if (index < 0 || index >= static_cast<int>(files.size()))
        return false;
    setListBankNames(list, *files[static_cast<size_t>(index)]);
    return true;
}

void Zelto2X::setListBankNames(int list, const PatchFile& bank)
{
    // The whole file name: only the popups shorten what they show.
    (list == 0 ? upperFolderName : lowerFolderName) = bank.folderName;
    (list == 0 ? upperBankName : lowerBankName) = bank.fileName;
    (list == 0 ? upperBankPath : lowerBankPath) = bank.path();
}

void Zelto2X::stepLibraryBank(int paramIdx)
{
    const bool upper = paramIdx == kLibUpperNextBank || paramIdx == kLibUpperPreviousBank;
    const bool next = paramIdx == kLibUpperNextBank || paramIdx == kLibLowerNextBank;
    if (upper && static_cast<int>(paramValue(kBankEditUnsaved)) == 1) {
        showStatusLines("Save bank or Discard changes!", nullptr);
        return;
    }
    const int list = upper ? 0 : 1;
    IParam* param = GetParam(upper ? kPatchSelectionListUpper : kPatchSelectionListLower);
    if (!param || !patchLibrarian)
        return;
    int last = static_cast<int>(param->GetMax());
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        last = std::min(last, static_cast<int>(librarianListFiles(list).size()) - 1);
    }
    if (last < 0)
        return;
    const int k = param->Int();
    const int index = next ? (k + 1 > last ? 0 : k + 1) : (k <= 0 ? last : std::min(k - 1, last));
    selectListBank(list, index);
    setParamValueClamped(upper ? kCurrentOpenPatchBankL : kCurrentOpenPatchBankR, index + bankKindOffset);
    refreshListPopup(list, index);
    if (upper)
        updateBankAndProgramMenuNames(false);
}

void Zelto2X::discardBankChanges()
{
    DisplayProcessingIndicator(true);
    showLayer("discardChangesLayerRight", false);
    showLayer("saveChangesLayer", true);
    showLayer("patchRename", false);
    setFromPlug(kBankEditUnsaved, 0.0);
    showLayer("LeftPatchPopupMenu", true);
    storeListBankNames(0, static_cast<int>(paramValue(kPatchSelectionListUpper)));
    storeListBankNames(1, static_cast<int>(paramValue(kPatchSelectionListLower)));
    OnParamChange(kRefreshFolders);
    DisplayProcessingIndicator(false);
    // A cancelled request discards on its worker and tells its own outcome.
    if (!midiMessageManager->requestThreadRunning())
        showLibrarianResult("Changes discarded", upperBankName);
}

void Zelto2X::reloadLibrary()
{
    patchTypeChanged(0, lowerListKind(), true);
    if (pendingReloadKind >= 0)
        return;  // read once the running job ends; the job tells its own outcome
    size_t banks;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        banks = patchLibrarian->bankFiles.size();
    }
    showLibrarianResult("Library reloaded", std::to_string(banks) + (banks == 1 ? " bank" : " banks"));
}

void Zelto2X::storeSoundInSelectedSlot()
{
    // Only a slot of the bank being edited can take the sound.
    if (librarianListActive() != 0) {
        showLibrarianResult("Select a slot on the left!");
        return;
    }
    if (refuseWithoutUpperSlot() || refuseWhileBusy())
        return;
    sendGlobalBeforeSound = false;
    startWholeSoundJob(WholeSoundSend::ToLibrary);
}

// ---- Rename and search ----------------------------------------------------------------

void Zelto2X::renameSelectedSlot()
{
    if (!patchLibrarian)
        return;
    const int slot = librarianSelectedSlot(0);
    IParam* param = GetParam(kPatchRename);
    const std::string name = slotName(param ? param->GetDisplayText(0) : std::string());
    LibrarianPatch renamed;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        PatchFile* bank = patchLibrarian->upperBank();
        if (!bank || slot < 0 || slot >= kLibraryBankSize)
            return;
        bank->patches.resize(kLibraryBankSize);
        const LibrarianPatch& current = bank->patches[static_cast<size_t>(slot)];
        if (current.messages.empty() || current.messages.front().bytes.size() < zsysex::kSoundDumpSize) {
            log("Rename refused: slot %i holds no complete sound\n", slot);
            showLibrarianResult("Slot is empty!", "Nothing to rename");
            return;
        }
        // The dump holds the name blank-padded: a name that pads to the same
        // bytes changes nothing, so nothing is stored and nothing is unsaved.
        const std::vector<unsigned char>& bytes = current.messages.front().bytes;
        const auto nameBytes = bytes.begin() + zsysex::kSoundNameByte;
        if (std::string(nameBytes, nameBytes + zsysex::kSoundNameLength) == paddedSlotName(name)) {
            showLibrarianResult("Name unchanged", slotLabel(slot, current.name));
            return;
        }
        renamed.name = name;
        renamed.category = current.category;
        renamed.messages.push_back({renamedDump(current.messages.front().bytes, name)});
    }
    DisplayProcessingIndicator(true);
    {
        // Straight into the slot: the filtered SysEx input would drop or
        // misroute it, and would leave the library request armed.
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        patchLibrarian->transferSlot = slot;
        patchLibrarian->replaceTransferSlot(renamed);
    }
    Sleep(50);
    DisplayProcessingIndicator(false);
    reportSlotStored("Sound renamed!");
}

bool Zelto2X::searchPatches()
{
    IParam* param = GetParam(kPatchSearchString);
    if (!param)
        return false;
    const std::string text = param->GetDisplayText(0);
    // The prompt is never a search: it also comes back as the second report
    // of an entry (a text parameter reports each entry twice) once an
    // earlier step put it back.
    if (text == kSearchPrompt)
        return false;
    if (text.empty()) {
        lowerShowsSearch = false;
        setFromPlug(kPatchSearch, 0);
        leaveSearch();
        return false;
    }
    if (text.size() == 1) {
        param->SetDisplayText(0, kSearchPrompt);
        showStatusLines("Enter 2 digits or more!", nullptr);
        return false;
    }
    if (!lowerShowsSearch)
        return false;
    if (searchAgain()) {
        showLayer("RightPatchPopupMenu", false);
        patchTypeChanged(0, 4, false);
        showLayer("RightSearchPopupMenu", true);
        return true;
    }
    showStatusLines("No results - Try another keyword!", "Tip: Letter size matters..");
    param->SetDisplayText(0, kSearchPrompt);
    // The results listed before are gone with the new search.
    if (lowerListedKind == 4) {
        patchTypeChanged(0, 0, false);
        showLowerListMenu();
    }
    return true;
}

bool Zelto2X::searchAgain()
{
    IParam* param = GetParam(kPatchSearchString);
    const std::string text = param ? param->GetDisplayText(0) : std::string();
    std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
    patchLibrarian->searchFolders.clear();
    if (text.size() < 2 || text == kSearchPrompt) {
        patchLibrarian->searchFiles.clear();
        return false;
    }
    patchLibrarian->createNewSearchPatchFiles(text);
    return !patchLibrarian->searchFiles.empty();
}

void Zelto2X::leaveSearch()
{
    if (IParam* param = GetParam(kPatchSearchString))
        param->SetDisplayText(0, kSearchPrompt);
    // Other pages get the switch from the librarian tab when it opens.
    if (static_cast<int>(paramValue(kMainTab)) == 1)
        showSearchOrCategorySwitch();
    patchTypeChanged(0, 0, false);
    showLayer("RightSearchPopupMenu", false);
    showLayer("RightPatchPopupMenu", true);
}

// ---- Program steps ------------------------------------------------------------------

void Zelto2X::stepProgram(int direction)
{
    if (midiMessageManager)
        midiMessageManager->guiUpdatePending = false;
    if (!libraryControl) {
        // The program menu's range is the synth's: past either end the step comes round to the other.
        const int last = static_cast<int>(GetParam(kCurrentPatch)->GetMax());
        const int current = static_cast<int>(paramValue(kCurrentPatch));
        const int program = direction > 0 ? (current >= last ? 0 : current + 1) : (current <= 0 ? last : current - 1);
        currentProgram = program;
        setFromPlug(kCurrentPatch, program);
        setLibrarianCurrentProgram(program);
        selectLibrarianSlot(program);
        if (BankChangeMessage()) {
            midiMessageManager->sendPartRequestSysex(true, currentProgram);
            Sleep(getTimerValue());
            sendPartDataBackToHardware();
        }
    } else {
        // A library bank holds slots 0..99.
        int slot = librarianCurrentProgram() + direction;
        if (slot > kLibraryBankSize - 1)
            slot = 0;
        else if (slot < 0)
            slot = kLibraryBankSize - 1;
        setLibrarianCurrentProgram(slot);
        selectLibrarianSlot(slot);
        setFromPlug(kCurrentPatch, slot);
        if (BankChangeMessage())
            sendPatchToDeviceFromLibrarian(slot, 0);
    }
    finishProgramStep();
}

void Zelto2X::finishProgramStep()
{
    setLibrarianCurrentProgram(currentProgram);
    updateUserInterfaceAndMenus();
}

