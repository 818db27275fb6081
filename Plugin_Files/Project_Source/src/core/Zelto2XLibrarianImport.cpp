// Sounds brought into the library from outside: a bank file copied into the
// library folder, single sounds read from a file into the transfer slot, and
// a new category byte for the selected slot.

#include "Zelto2X.h"

#include "DurableFile.h"
#include "IGraphics.h"
#include "LibraryFileSystem.h"
#include "LibrarianViewControl.h"
#include "PatchImport.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "wdlstring.h"

namespace {

LibrarianPatch slotOf(const std::vector<unsigned char>& dump)
{
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage {dump});
    slot.name = LibrarianPatch::nameFromMessage(dump);
    slot.parseCategory();
    return slot;
}

}  // namespace

std::string Zelto2X::promptForOpenFile(const char* extensions)
{
    IGraphics* graphics = GetGUI();
    if (!graphics)
        return std::string();
    ROZ_String fileName("");
    ROZ_String folder(dialogFolder.c_str());
    graphics->PromptForFile(&fileName, kFileOpen, &folder, extensions);
    dialogFolder = folder.Get();
    return fileName.Get();
}

bool Zelto2X::readChosenFile(const char* extensions, std::string* path, std::vector<unsigned char>* bytes)
{
    *path = promptForOpenFile(extensions);
    return !path->empty() && libraryfs::readFile(*path, *bytes);
}

namespace {

// Whether the library's scan would list the file as a bank: its extension,
// its size and at least one sound the reader finds in it.
bool readsAsBank(PatchLibrarian& library, const std::string& path, const std::vector<unsigned char>& bytes)
{
    const std::string extension = libraryfs::lowerExtension(path);
    if ((extension != "mid" && extension != "syx" && extension != "zt2")
        || bytes.size() < static_cast<size_t>(kMinimumBankFileSize))
        return false;
    std::lock_guard<std::recursive_mutex> lock(library.libraryLock());
    const bool olderModelSoundRead = library.olderModelSoundRead;
    PatchFile bank;
    library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), &bank, extension == "mid");
    library.olderModelSoundRead = olderModelSoundRead;
    return !bank.patches.empty();
}

std::string fileNameOf(const std::string& path)
{
    std::string folder, file;
    libraryfs::splitPath(path, folder, file);
    return file;
}

}  // namespace

std::string Zelto2X::saveImportedFile(bool asMidi)
{
    std::string path;
    std::vector<unsigned char> bytes;
    const bool read = readChosenFile(asMidi ? "mid" : "syx zt2", &path, &bytes);
    if (path.empty()) {
        showLibrarianResult("Import cancelled");
        return std::string();
    }
    const std::string name = fileNameOf(path);
    if (!read) {
        showLibrarianResult("Import failed!", "File cannot be read");
        return std::string();
    }
    if (!readsAsBank(*patchLibrarian, path, bytes)) {
        showLibrarianResult("Import failed!", "Not a Zelto bank file");
        return std::string();
    }
    const std::string libraryFolder = getPatchesFolderStr();
    logDebug("FILE IMPORTER: patch file copied to " + libraryFolder);
    // A bank of the same name already in the library stays whole if the copy fails.
    if (!durable::writeFile(libraryFolder + "/" + name, bytes)) {
        showLibrarianResult("Import failed!", libraryfs::folderWritable(libraryFolder)
                ? "Disk full or file locked" : "Library folder not writable");
        return std::string();
    }
    return name;
}

void Zelto2X::importBankFile(bool asMidi)
{
    // The folder refresh that lists the new bank would drop the edits.
    if (refuseWhileUnsaved())
        return;
    const std::string name = saveImportedFile(asMidi);
    if (name.empty())
        return;
    setUpperBankNames("Patches", name);
    OnParamChange(kRefreshFolders);
    showLibrarianResult("Bank imported!", name);
}

void Zelto2X::ImportSingleZeltoPatches(bool olderModel)
{
    if (refuseWithoutBank(0, "No bank to import into!"))
        return;
    std::string path;
    std::vector<unsigned char> bytes;
    const bool read = readChosenFile("mid syx", &path, &bytes);
    if (path.empty()) {
        showLibrarianResult("Import cancelled");
        return;
    }
    if (!read) {
        showLibrarianResult("Import failed!", "File cannot be read");
        return;
    }
    const std::vector<std::vector<unsigned char>> sounds = patchimport::readSingleSounds(bytes, path, olderModel);
    if (sounds.empty()) {
        showLibrarianResult("Import failed!",
            olderModel ? "No Zelto 1 sound in the file" : "No Zelto 2 sound in the file");
        return;
    }
    // Each sound found goes into the transfer slot in turn; the last one stays.
    for (const auto& sound : sounds)
        if (sound.size() == static_cast<size_t>(zsysex::kSoundDumpSize))
            storeSoundInTransferSlot(slotOf(sound));
    reportSlotStored(sounds.size() == 1 ? "Sound imported!" : "Imported, last sound kept");
}

void Zelto2X::SetCategoryForLibrarianPatch(int code)
{
    if (code < 0 || code >= kCategoryCodeCount || !librarianView || refuseWithoutBank(0, "No bank to fill!"))
        return;
    const int slot = librarianView->upperSelectedSlot;
    std::vector<unsigned char> dump;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        const LibrarianPatch* patch = patchLibrarian->upperBankSlot(slot);
        // An empty slot, or one too short to hold a name, has no category byte.
        if (!patch || patch->messages.empty() || patch->messages.front().bytes.size() < 134) {
            showLibrarianResult("Slot is empty!", "No category to set");
            return;
        }
        const std::vector<unsigned char>& old = patch->messages.front().bytes;
        dump.assign(old.begin(), old.begin() + 134);
        dump.push_back(static_cast<unsigned char>(code));
        dump.push_back(0x00);
        dump.push_back(zsysex::kEnd);
        patchLibrarian->transferSlot = slot;
    }
    DisplayProcessingIndicator(true);
    storeSoundInTransferSlot(slotOf(dump), 50);
    DisplayProcessingIndicator(false);
    reportSlotStored((std::string("Category set: ") + categoryText(code)).c_str());
}
