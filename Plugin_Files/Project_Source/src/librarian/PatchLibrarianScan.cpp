// The library scan: every bank file below the library folder into bankFiles and
// the bank folder tree. Banks of more than 100 sounds are cut into pieces and
// older-model banks converted; the source of either is replaced by the new
// banks all at once (see SourceReplacement.h), kept in "Converted Banks", so
// no sound the user owns is ever overwritten, lost or doubled.

#include "PatchLibrarian.h"
#include "DurableFile.h"
#include "LibraryFileSystem.h"
#include "SourceReplacement.h"
#include "SysExProtocol.h"
#include "platform/DataFolder.h"

#include <algorithm>

namespace {

const char* const kAcceptedExtensions[] = {"mid", "syx", "zt2", "zty"};

bool isAcceptedExtension(const std::string& extension)
{
    for (const char* accepted : kAcceptedExtensions)
        if (extension == accepted)
            return true;
    return false;
}

std::string withoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
        path.pop_back();
    return path;
}

std::string lastComponent(const std::string& path)
{
    std::string folder, name;
    libraryfs::splitPath(path, folder, name);
    return name;
}

// The folder names from the library folder down to directory.
std::vector<std::string> folderPathBelow(const std::string& libraryFolder, const std::string& directory)
{
    std::vector<std::string> names{lastComponent(libraryFolder)};
    if (directory.size() <= libraryFolder.size())
        return names;
    const std::string relative = directory.substr(libraryFolder.size() + 1);
    size_t start = 0;
    for (;;) {
        const size_t cut = relative.find('/', start);
        names.push_back(relative.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
        if (cut == std::string::npos)
            return names;
        start = cut + 1;
    }
}

LibrarianPatch initSlot(bool named)
{
    LibrarianPatch slot;
    PatchSysexMessage message;
    message.bytes.assign(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    slot.messages.push_back(std::move(message));
    if (named) {
        slot.name = LibrarianPatch::nameFromMessage(slot.messages.front().bytes);
        slot.parseCategory();
    }
    return slot;
}

}  // namespace

void PatchLibrarian::loadPatchesFromFilesystem(const std::string& libraryFolder)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    m_madeFrom.clear();
    scanOnce(withoutTrailingSeparators(libraryFolder), true);
}

std::string PatchLibrarian::bankPathMadeFrom(const std::string& path) const
{
    const auto made = m_madeFrom.find(path);
    return made == m_madeFrom.end() ? path : made->second;
}

void PatchLibrarian::initBankFilesOnDiscard(const std::string& libraryFolder)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    for (int tree : {0, 2, 3})
        clearDataStructures(tree);
    bankFiles.clear();
    searchFiles.clear();
    categoryFiles.clear();
    loadPatchesFromFilesystem(libraryFolder);
}

void PatchLibrarian::buildFolderStructure(const std::string& folder, std::vector<std::string>& out)
{
    libraryfs::listFoldersBelow(folder, out);
}

void PatchLibrarian::scanOnce(const std::string& libraryFolder, bool mayRescan)
{
    if (!libraryfs::isDirectory(libraryFolder)) {
        logLine("PLUGIN IS NOT ABLE TO FIND PATCHES FOLDER...");
        return;
    }
    if (mayRescan)
        sourcereplacement::finishInterrupted(platform::DataFolderPath(), libraryFolder);
    m_libraryFolder = libraryFolder;
    folderPaths.clear();
    buildFolderStructure(libraryFolder, folderPaths);
    std::sort(folderPaths.begin(), folderPaths.end());
    folderPaths.push_back(libraryFolder);

    for (const std::string& folder : folderPaths) {
        std::vector<libraryfs::Entry> entries;
        if (!libraryfs::listEntries(folder, entries))
            continue;
        for (libraryfs::Entry& entry : entries)
            entry.path = folder + "/" + lastComponent(entry.path);
        std::sort(entries.begin(), entries.end(),
                  [](const libraryfs::Entry& a, const libraryfs::Entry& b) { return a.path < b.path; });
        const int depth = static_cast<int>(folderPathBelow(libraryFolder, folder).size()) - 1;
        for (const libraryfs::Entry& entry : entries) {
            if (entry.isFile && durable::isAbandonedTemporary(lastComponent(entry.path))) {
                durable::removeFile(entry.path);
                continue;
            }
            const std::string extension = libraryfs::lowerExtension(entry.path);
            if (!entry.isFile || !isAcceptedExtension(extension) || entry.size < kMinimumBankFileSize)
                continue;
            if (PatchFile* file = parseFolderFiles(entry.path, depth, 0, extension))
                createFolderFilesStructure(file, file->directory);
        }
    }

    if (rescanRequested && mayRescan) {
        // Pieces and converted banks were written: read them like any bank.
        logLine("FOLDER RESCAN INITIATED BY PATCH LIBRARIAN");
        rescanRequested = false;
        clearDataStructures(0);
        clearDataStructures(2);
        bankFiles.clear();
        categoryFiles.clear();
        scanOnce(libraryFolder, false);
        return;
    }
    rescanRequested = false;
    createNewCategoryPatchFiles();
}

PatchFile* PatchLibrarian::parseFolderFiles(const std::string& path, int depth, int number,
                                            const std::string& extension)
{
    fileWasSplit = false;
    auto file = std::make_unique<PatchFile>();
    std::string fileName;
    libraryfs::splitPath(path, file->directory, fileName);
    if (extension == "zty")
        return nullptr;  // listed by the filter, never read

    file->fileName = fileName;
    file->folderName = lastComponent(file->directory);
    file->folderPath = m_libraryFolder.empty() ? std::vector<std::string>{file->folderName}
                                               : folderPathBelow(m_libraryFolder, file->directory);
    if (static_cast<int>(file->folderPath.size()) > depth + 1)
        file->folderPath.erase(file->folderPath.begin(), file->folderPath.end() - (depth + 1));
    file->number = number;
    logLine("PATCH LIBRARIAN: loaded file " + path);

    std::vector<unsigned char> bytes;
    if (!libraryfs::readFile(path, bytes)) {
        logLine("PATCH LIBRARIAN: could not read file " + path + ", skipped");
        return nullptr;
    }
    file->diskStamp = libraryfs::contentStamp(bytes);
    olderModelSoundRead = false;
    const bool isMidi = extension == "mid";
    loadFromChunk(bytes.data(), static_cast<int>(bytes.size()), file.get(), isMidi ? 1 : 0);
    if (file->patches.empty()) {
        logLine("PATCH LIBRARIAN: no sound found in file " + path + ", skipped");
        return nullptr;
    }

    const int count = static_cast<int>(file->patches.size());
    if (count > kLibraryBankSize) {
        splitPieceCount = count / kLibraryBankSize;
        fileWasSplit = true;
        splitSeen = true;
    }
    const bool converted = olderModelSoundRead;
    olderModelSoundRead = false;
    if (!fileWasSplit && !converted) {
        // loadFromChunk has already padded the bank to 100 slots.
        bankFiles.push_back(std::move(file));
        return bankFiles.back().get();
    }

    const int pieces = fileWasSplit ? (count + kLibraryBankSize - 1) / kLibraryBankSize : 1;
    m_pendingPieces.clear();
    for (int piece = -1; piece < pieces - 1; ++piece)
        createNewPatchFile(file.get(), file->folderName, fileName, extension, path, number, piece, isMidi);
    replaceSourceWithPendingPieces(path, bytes);
    return nullptr;
}

void PatchLibrarian::replaceSourceWithPendingPieces(const std::string& sourcePath,
                                                    const std::vector<unsigned char>& sourceBytes)
{
    const std::string dataFolder = platform::DataFolderPath();
    const std::string fileName = lastComponent(sourcePath);
    sourcereplacement::Plan plan;
    plan.source = sourcePath;
    plan.copy = libraryfs::freePathFor(dataFolder + "Converted Banks/" + fileName);
    std::vector<std::vector<unsigned char>> pieceBytes;
    for (const auto& piece : m_pendingPieces) {
        plan.pieces.push_back(piece->directory + "/" + piece->fileName);
        pieceBytes.push_back(rawBankBytes(*piece));
    }
    if (!m_pendingPieces.empty())
        m_madeFrom[sourcePath] = plan.pieces.front();
    if (sourcereplacement::replace(plan, sourceBytes, pieceBytes, dataFolder)) {
        for (size_t i = 0; i < m_pendingPieces.size(); ++i)
            m_pendingPieces[i]->diskStamp = libraryfs::contentStamp(pieceBytes[i]);
        logLine("PATCH LIBRARIAN: moved file " + fileName + " because it is not Zelto 1 standard formatted!");
        rescanRequested = true;
    } else {
        // The sounds are offered from memory; the source stays and is read again next time.
        logLine("PATCH LIBRARIAN: could not move file " + fileName + " to Converted Banks; it stays in the library");
    }
    for (auto& piece : m_pendingPieces) {
        bankFiles.push_back(std::move(piece));
        createFolderFilesStructure(bankFiles.back().get(), bankFiles.back()->directory);
    }
    m_pendingPieces.clear();
}

void PatchLibrarian::createFolderFilesStructure(PatchFile* file, const std::string& /*directory*/)
{
    if (!file || file->folderPath.empty())
        return;
    const std::vector<std::string>& names = file->folderPath;
    if (names.size() == 1) {
        for (auto& node : bankFolders) {
            if (node->name == names[0]) {
                node->files.push_back(file);
                return;
            }
        }
        auto node = std::make_unique<FolderFiles>();
        node->name = names[0];
        node->files.push_back(file);
        bankFolders.push_back(std::move(node));
        return;
    }
    if (names.size() > 3)
        return;  // deeper folders are listed but not offered in the tree

    SubFolderFiles* first = nullptr;
    for (auto& node : bankFolders) {
        for (SubFolderFiles& sub : node->subFolders) {
            if (sub.name == names[1]) {
                first = &sub;
                break;
            }
        }
        if (first)
            break;
    }
    if (!first) {
        SubFolderFiles sub;
        sub.name = names[1];
        bankFolders.push_back(std::make_unique<FolderFiles>(std::string(), sub));
        first = &bankFolders.back()->subFolders.front();
    }
    if (names.size() == 2) {
        first->files.push_back(file);
        return;
    }
    for (SubFolderFiles2& second : first->subFolders) {
        if (second.name == names[2]) {
            second.files.push_back(file);
            return;
        }
    }
    SubFolderFiles2 second;
    second.name = names[2];
    second.files.push_back(file);
    first->subFolders.push_back(second);
}

void PatchLibrarian::checkBankSizeAndAddData(PatchFile* file)
{
    if (!file || file->kind != 0 || file->patches.empty() || file->patches.size() >= kLibraryBankSize)
        return;
    const LibrarianPatch init = initSlot(true);
    file->patches.resize(kLibraryBankSize, init);
}

void PatchLibrarian::fillUncompletedBankFiles(PatchFile* file)
{
    if (!file || file->patches.size() >= kLibraryBankSize)
        return;
    const LibrarianPatch init = initSlot(false);
    file->patches.resize(kLibraryBankSize, init);
}
