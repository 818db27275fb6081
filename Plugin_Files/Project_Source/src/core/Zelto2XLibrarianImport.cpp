// Sounds brought into the library from outside: a bank file copied into the
// library folder, single sounds read from a file into the transfer slot, and
// a new category byte for the selected slot.

#include "Zelto2X.h"

#include <fstream>
#include <iterator>

#include "DurableFile.h"
#include "IGraphics.h"
#include "LibrarianViewControl.h"
#include "PatchImport.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "wdlstring.h"

namespace {

std::vector<unsigned char> readWholeFile(const std::string& path, bool* ok)
{
    std::ifstream in(path, std::ios::binary);
    *ok = static_cast<bool>(in);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

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
    bool ok = false;
    if (!path->empty())
        *bytes = readWholeFile(*path, &ok);
    return ok;
}

void Zelto2X::saveImportedFile(bool asMidi)
{
    std::string path;
    std::vector<unsigned char> bytes;
    if (!readChosenFile(asMidi ? "mid" : "syx zt2", &path, &bytes))
        return;
    const std::string libraryFolder = getPatchesFolderStr();
    logDebug("FILE IMPORTER: patch file copied to " + libraryFolder);
    const size_t slash = path.find_last_of('/');
    const std::string target = libraryFolder + "/" + (slash == std::string::npos ? path : path.substr(slash + 1));
    // A bank of the same name already in the library stays whole if the copy fails.
    if (!durable::writeFile(target, bytes))
        showStatus("Import failed!");
}

void Zelto2X::ImportSingleZeltoPatches(bool olderModel)
{
    std::string path;
    std::vector<unsigned char> bytes;
    if (!readChosenFile("mid syx", &path, &bytes))
        return;
    // Each sound found goes into the transfer slot in turn; the last one stays.
    for (const auto& sound : patchimport::readSingleSounds(bytes, path, olderModel))
        if (sound.size() == static_cast<size_t>(zsysex::kSoundDumpSize))
            storeSoundInTransferSlot(slotOf(sound));
}

void Zelto2X::SetCategoryForLibrarianPatch(int code)
{
    if (code < 0 || code >= kCategoryCodeCount || !librarianView)
        return;
    const int slot = librarianView->upperSelectedSlot;
    std::vector<unsigned char> dump;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        const LibrarianPatch* patch = patchLibrarian->upperBankSlot(slot);
        // An empty slot, or one too short to hold a name, has no category byte.
        if (!patch || patch->messages.empty() || patch->messages.front().bytes.size() < 134)
            return;
        const std::vector<unsigned char>& old = patch->messages.front().bytes;
        dump.assign(old.begin(), old.begin() + 134);
        dump.push_back(static_cast<unsigned char>(code));
        dump.push_back(0x00);
        dump.push_back(zsysex::kEnd);
        patchLibrarian->transferSlot = slot;
    }
    DisplayProcessingIndicator(true);
    storeSoundInTransferSlot(slotOf(dump));
    DisplayProcessingIndicator(false);
}
