// Sounds brought into the library from outside: a bank file copied into the
// library folder, single sounds read from a file into the transfer slot, and
// a new category byte for the selected slot.

#include "Zelto2X.h"

#include <algorithm>
#include <utility>

#include "DurableFile.h"
#include "IGraphics.h"
#include "IPluginStructs.h"
#include "LibraryFileSystem.h"
#include "LibrarianViewControl.h"
#include "PatchImport.h"
#include "PatchLibrarian.h"
#include "SysExProtocol.h"
#include "wdlstring.h"

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

bool isBankExtension(const std::string& extension)
{
    return extension == "mid" || extension == "syx" || extension == "zt2";
}

// The file read as the library's scan reads it, with what could not be read.
ReadReport readAsBank(PatchLibrarian& library, const std::vector<unsigned char>& bytes, bool isMidi, PatchFile& bank)
{
    std::lock_guard<std::recursive_mutex> lock(library.libraryLock());
    const bool olderModelSoundRead = library.olderModelSoundRead;
    library.loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), &bank, isMidi);
    library.olderModelSoundRead = olderModelSoundRead;
    return library.lastRead();
}

// The sounds of a damaged file that could be read, in file order, as a bank
// file of the same kind; the scan pads or splits it like any other.
std::vector<unsigned char> readableSoundsOf(PatchLibrarian& library, PatchFile& bank, const ReadReport& report,
    bool isMidi)
{
    PatchFile readable;
    for (size_t slot = 0; slot < static_cast<size_t>(report.slotsRead); ++slot)
        if (std::find(report.damagedSlots.begin(), report.damagedSlots.end(), slot) == report.damagedSlots.end())
            readable.patches.push_back(std::move(bank.patches[slot]));
    library.checkBankSizeAndAddData(&readable);
    return isMidi ? PatchLibrarian::midiBankBytes(readable, false) : PatchLibrarian::rawBankBytes(readable);
}

std::string fileNameOf(const std::string& path)
{
    std::string folder, file;
    libraryfs::splitPath(path, folder, file);
    return file;
}

std::string counted(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

Zelto2X::BankImport Zelto2X::saveImportedFile(bool asMidi)
{
    std::string path;
    std::vector<unsigned char> bytes;
    const bool read = readChosenFile(asMidi ? "mid" : "syx zt2", &path, &bytes);
    if (path.empty()) {
        showLibrarianResult("Import cancelled");
        return {};
    }
    if (!read) {
        showLibrarianResult("Import failed!", "File cannot be read");
        return {};
    }
    const std::string extension = libraryfs::lowerExtension(path);
    const bool isMidi = extension == "mid";
    PatchFile bank;
    const bool listable = isBankExtension(extension) && bytes.size() >= static_cast<size_t>(kMinimumBankFileSize);
    const ReadReport report = listable ? readAsBank(*patchLibrarian, bytes, isMidi, bank) : ReadReport();
    BankImport imported;
    imported.leftOut = report.leftOutByImport();
    imported.sounds = report.slotsRead - static_cast<int>(report.damagedSlots.size());
    imported.badChecksums = report.badChecksums;
    if (imported.sounds <= 0) {
        showLibrarianResult("Import failed!",
            imported.leftOut > 0 ? "No sound could be read" : "Not a Zelto bank file");
        return {};
    }
    if (imported.leftOut > 0)
        bytes = readableSoundsOf(*patchLibrarian, bank, report, isMidi);
    const std::string libraryFolder = getPatchesFolderStr();
    logDebug("FILE IMPORTER: patch file copied to " + libraryFolder);
    // A bank of the same name in the library is the user's: the copy gets a name of its own.
    imported.path = libraryfs::freePathFor(libraryFolder + "/" + fileNameOf(path));
    if (!durable::writeFile(imported.path, bytes)) {
        showLibrarianResult("Import failed!", libraryfs::folderWritable(libraryFolder)
                ? "Disk full or file locked" : "Library folder not writable");
        return {};
    }
    return imported;
}

void Zelto2X::importBankFile(bool asMidi)
{
    // The folder refresh that lists the new bank would drop the edits.
    if (refuseWhileUnsaved())
        return;
    m_bankImport = saveImportedFile(asMidi);
    if (m_bankImport.path.empty())
        return;
    setUpperBankNames("Patches", fileNameOf(m_bankImport.path), m_bankImport.path);
    OnParamChange(kRefreshFolders);
    if (pendingReloadKind < 0)
        finishBankImport();
}

void Zelto2X::finishBankImport()
{
    const BankImport imported = std::exchange(m_bankImport, BankImport());
    if (imported.path.empty())
        return;
    bool found = false;
    std::string folder, name = fileNameOf(imported.path), made;
    {
        std::lock_guard<std::recursive_mutex> lock(patchLibrarian->libraryLock());
        made = patchLibrarian->bankPathMadeFrom(imported.path);
        for (const auto& bank : patchLibrarian->bankFiles)
            if (bank->path() == made) {
                folder = bank->folderName;
                name = bank->fileName;
                found = true;
                break;
            }
    }
    // Label, list, store and Save follow one selection: the bank the copy became.
    if (found)
        selectBankByFileName(folder, name, made);
    if (imported.leftOut == 0 && imported.badChecksums == 0) {
        showLibrarianResult("Bank imported!", name);
        return;
    }
    // The upper list's label names the bank; the two lines tell what it holds.
    std::string damage;
    if (imported.badChecksums == 0)
        damage = counted(imported.leftOut, "damaged sound left out", "damaged sounds left out");
    else if (imported.leftOut == 0)
        damage = counted(imported.badChecksums, "sound with a bad checksum", "sounds with a bad checksum");
    else
        damage = std::to_string(imported.leftOut) + " left out, "
            + counted(imported.badChecksums, "bad checksum", "bad checksums");
    showLibrarianResult("Bank imported! " + counted(imported.sounds, "sound", "sounds"), damage);
}

int Zelto2X::ReadSysExDataFromPackage(ByteChunk* chunk, int& position, std::string path, bool olderModel)
{
    if (!chunk)
        return position = -1;
    std::vector<std::vector<unsigned char>> sound;
    const int next = patchimport::readSingleSound(chunk->GetBytes(), chunk->Size(), position, path, olderModel, sound);
    if (!sound.empty() && sound.front().size() == static_cast<size_t>(zsysex::kSoundDumpSize)) {
        storeSoundInTransferSlot(LibrarianPatch::fromSoundDump(sound.front()));
        ++m_singlesHandedOn;
    }
    return next;
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
    ByteChunk chunk;
    chunk.PutBytes(bytes.data(), static_cast<int>(bytes.size()));
    // Each sound found goes into the transfer slot in turn; the last one stays.
    m_singlesHandedOn = 0;
    int position = 0;
    while (ReadSysExDataFromPackage(&chunk, position, path, olderModel) > 0) {
    }
    if (m_singlesHandedOn == 0) {
        showLibrarianResult("Import failed!",
            olderModel ? "No Zelto 1 sound in the file" : "No Zelto 2 sound in the file");
        return;
    }
    reportSlotStored(m_singlesHandedOn == 1 ? "Sound imported!" : "Imported, last sound kept");
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
    storeSoundInTransferSlot(LibrarianPatch::fromSoundDump(dump), 50);
    DisplayProcessingIndicator(false);
    reportSlotStored((std::string("Category set: ") + categoryText(code)).c_str());
}
