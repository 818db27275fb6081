// The library on disk as the user meets it: the folder and the first bank made
// at start-up, Save and Save As of the bank being edited, and the texts that
// tell how each librarian action ended.

#include "Zelto2X.h"

#include "DurableFile.h"
#include "IControl.h"
#include "IGraphics.h"
#include "LibraryFileSystem.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "wdlstring.h"

namespace {

using LibraryGuard = std::lock_guard<std::recursive_mutex>;

constexpr const char* kFirstBankName = "User Bank 1.syx";
constexpr const char* kCheckFolderRights = "Check folder rights";
constexpr const char* kNoBankToSave = "No bank to save!";
constexpr const char* kImportABank = "Import a bank first";

std::string withoutPadding(std::string text)
{
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

}  // namespace

// ---- Start-up (constructor, main thread) ----------------------------------------------

bool Zelto2X::prepareLibraryFolder()
{
    // A music host loads the plug-in on a machine where no installer ran.
    if (libraryfs::createFolders(getPatchesFolderStr()))
        return true;
    m_startupProblem = {"Patches folder NOT created!", kCheckFolderRights};
    return false;
}

void Zelto2X::createFirstBankWhenEmpty()
{
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        if (!patchLibrarian->bankFiles.empty())
            return;
    }
    const std::string library = getPatchesFolderStr();
    if (!libraryfs::isDirectory(library))
        return;
    // A bank to request the synth's sounds into, store and save from the first
    // minute: 100 INIT sounds, written as every bank is.
    PatchFile inits;
    patchLibrarian->fillUncompletedBankFiles(&inits);
    const std::vector<unsigned char> bank = PatchLibrarian::rawBankBytes(inits);
    const std::string path = libraryfs::freePathFor(library + "/" + kFirstBankName);
    if (!durable::writeFile(path, bank)) {
        m_startupProblem = {std::string(kFirstBankName) + " NOT created!", kCheckFolderRights};
        return;
    }
    logDebug("PATCH LIBRARIAN: first bank created at " + path);
    patchLibrarian->initBankFilesOnDiscard(library);
}

// ---- Outcome texts ----------------------------------------------------------------------

void Zelto2X::showLibrarianResult(const std::string& name, const std::string& detail)
{
    if (statusHeldByRelease())
        return;
    showStatus(name.c_str());
    {
        std::lock_guard<std::mutex> lock(m_textsMutex);
        m_statusDetail = detail;
    }
    showStatusLines(nullptr, detail.c_str());
}

std::string Zelto2X::slotLabel(int slot, const std::string& name)
{
    const std::string shown = withoutPadding(name);
    return "Slot " + std::to_string(slot + 1) + (shown.empty() ? "" : ": " + shown);
}

bool Zelto2X::refuseWithoutBank(int list, const char* text)
{
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        if (list == 0 ? patchLibrarian->upperBank() != nullptr : librarianListBank(list) != nullptr)
            return false;
    }
    showLibrarianResult(text, kImportABank);
    return true;
}

bool Zelto2X::refuseWhileUnsaved()
{
    if (static_cast<int>(paramValue(kBankEditUnsaved)) != 1)
        return false;
    showLibrarianResult("Save bank or Discard changes!");
    return true;
}

bool Zelto2X::refuseWithoutOutput()
{
    if (midiOutSet)
        return false;
    showLibrarianResult("Set MIDI I/O First!");
    return true;
}

bool Zelto2X::refuseWhileBusy()
{
    // The worker takes one job at a time; a second one would be dropped unseen.
    if (!midiMessageManager->requestThreadRunning())
        return false;
    showLibrarianResult("Please wait!", "The synth is still busy");
    return true;
}

void Zelto2X::reportSlotStored(const char* what)
{
    int slot;
    std::string name;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        slot = patchLibrarian->transferSlot;
        if (const LibrarianPatch* patch = patchLibrarian->upperBankSlot(slot))
            name = patch->name;
    }
    SetLibrarianStatusUnsaved(true);
    showLibrarianResult(what, slotLabel(slot, name));
}

// ---- Save and Save As (main thread, from the librarian menu) ---------------------------

int Zelto2X::lowerListKind() const
{
    return lowerShowsCategories ? 1 : lowerShowsSearch ? 4 : 0;
}

void Zelto2X::saveLibraryBank()
{
    std::string path, fileName;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        if (const PatchFile* bank = patchLibrarian->upperBank()) {
            path = bank->path();
            fileName = bank->fileName;
        }
    }
    if (fileName.empty()) {
        showLibrarianResult(kNoBankToSave, kImportABank);
        return;
    }
    if (patchLibrarian->saveEditedPatch(path, fileName))
        bankSaved(fileName);
}

void Zelto2X::saveLibraryBankAs(bool asMidi)
{
    std::string name;
    {
        LibraryGuard lock(patchLibrarian->libraryLock());
        if (const PatchFile* bank = patchLibrarian->upperBank())
            name = bank->fileName;
    }
    if (name.empty()) {
        showLibrarianResult(kNoBankToSave, kImportABank);
        return;
    }
    name = name.substr(0, name.rfind('.')) + (asMidi ? ".mid" : ".zt2");
    const std::string library = getPatchesFolderStr();
    const std::string shownBank = upperBankName, shownFolder = upperFolderName, shownPath = upperBankPath;
    m_saveFailed = false;
    m_lastSavePath.clear();
    if (!patchLibrarian->savePatchAs(name.c_str(), saveFolder.empty() ? library : saveFolder, asMidi)) {
        if (!m_saveFailed)
            showLibrarianResult("Save cancelled");
        return;
    }
    std::string folder, fileName;
    libraryfs::splitPath(m_lastSavePath, folder, fileName);
    saveFolder = folder;
    if (folder == library || folder.rfind(library + "/", 0) == 0) {
        bankSaved(fileName);
        return;
    }
    // Outside the library the bank being edited stays the one shown, and unsaved.
    setUpperBankNames(shownFolder, shownBank, shownPath);
    showLibrarianResult("Bank saved outside library", fileName);
}

void Zelto2X::bankSaved(const std::string& fileName)
{
    setFromPlug(kBankEditUnsaved, 0);
    showLayer("discardChangesLayerRight", false);
    showLayer("saveChangesLayer", true);
    if (static_cast<int>(paramValue(kMainTab)) == 1)
        showLayer("LeftPatchPopupMenu", true);
    // Read again, so the category banks, and a bank saved under a new name,
    // come from the files; the lists keep their banks by name.
    patchTypeChanged(0, lowerListKind(), true);
    showLibrarianResult("Bank saved!", fileName);
}

// ---- LibrarianHost --------------------------------------------------------------------

std::string Zelto2X::promptForSaveFile(const std::string& defaultName, const std::string& startFolder,
    const std::string& extension)
{
    IGraphics* graphics = GetGUI();
    if (!graphics)
        return std::string();
    ROZ_String fileName(defaultName.c_str());
    ROZ_String folder(startFolder.c_str());
    // A .syx and a .zt2 bank are the same raw stream: a name typed with
    // either keeps it instead of getting a second extension.
    const std::string types = extension == "zt2" ? "zt2 syx" : extension;
    graphics->PromptForFile(&fileName, kFileSave, &folder, types.c_str());
    m_lastSavePath = fileName.Get();
    return m_lastSavePath;
}

void Zelto2X::reportSaveFailure(const std::string& path)
{
    m_saveFailed = true;
    std::string folder, file;
    libraryfs::splitPath(path, folder, file);
    showLibrarianResult("Bank NOT saved! File unchanged",
        libraryfs::folderWritable(folder) ? "Disk full or file locked" : "Folder cannot be written");
}

void Zelto2X::reportChangedOnDisk(const std::string& path)
{
    std::string folder, file;
    libraryfs::splitPath(path, folder, file);
    logDebug("PATCH LIBRARIAN: " + file + " changed on disk since it was read; not overwritten");
    showLibrarianResult("Bank changed on disk!", "NOT saved: Save As or DISCARD");
}
