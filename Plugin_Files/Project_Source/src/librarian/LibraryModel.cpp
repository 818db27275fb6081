// The library's records: slots, bank files, folder nodes, and the fields and
// transfers of PatchLibrarian that are not about files.

#include "PatchLibrarian.h"
#include "SysExProtocol.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kCategoryTexts[kCategoryCodeCount] = {
    "NONE", "ARP ", "ATMO", "BASS", "DRUM", "FX  ", "KEYS", "LEAD", "MONO", "PAD ", "PERC",
    "POLY", "SEQ ", "DUB ", "LUSH", "STRG", "PLUK", "WIND", "NOIS", "EXFX", "INIT"};

constexpr size_t kNameOffset = zsysex::kSoundNameByte;
constexpr size_t kNameLength = zsysex::kSoundNameLength;
constexpr size_t kCategoryOffset = zsysex::kSoundCategoryByte;

char upperAscii(unsigned char c)
{
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

}  // namespace

const char* categoryText(int code)
{
    return code >= 0 && code < kCategoryCodeCount ? kCategoryTexts[code] : nullptr;
}

// ---- LibrarianPatch -------------------------------------------------------

void LibrarianPatch::clone(LibrarianPatch& target) const
{
    target.name = name;
    target.category = category;
    target.messages.insert(target.messages.end(), messages.begin(), messages.end());
}

void LibrarianPatch::parseCategory()
{
    if (messages.empty() || messages.front().bytes.size() <= kCategoryOffset)
        return;
    if (const char* text = categoryText(messages.front().bytes[kCategoryOffset]))
        category += text;
}

std::string LibrarianPatch::nameFromMessage(const std::vector<unsigned char>& message)
{
    std::string result;
    if (message.size() < kNameOffset + kNameLength)
        return result;
    result.reserve(kNameLength);
    for (size_t i = 0; i < kNameLength; ++i)
        result += upperAscii(message[kNameOffset + i]);
    return result;
}

LibrarianPatch LibrarianPatch::fromSoundDump(const std::vector<unsigned char>& dump)
{
    LibrarianPatch slot;
    slot.messages.push_back(PatchSysexMessage {dump});
    slot.name = nameFromMessage(dump);
    slot.parseCategory();
    return slot;
}

// ---- PatchFile and folder nodes --------------------------------------------

std::unique_ptr<PatchFile> PatchFile::clone() const
{
    auto copy = std::make_unique<PatchFile>();
    copy->flag = flag == 1 ? 1 : 0;
    copy->patches = patches;
    copy->fileName = fileName;
    return copy;
}

std::string PatchFile::path() const
{
    return directory.empty() ? std::string() : directory + "/" + fileName;
}

FolderFiles::FolderFiles(const std::string& nodeName, const SubFolderFiles& firstSubFolder)
    : name(nodeName), subFolders{firstSubFolder}
{
}

// ---- PatchLibrarian: lifetime, trees, transfers ------------------------------

PatchLibrarian::PatchLibrarian(LibrarianHost* host) : m_host(host) {}

PatchLibrarian::~PatchLibrarian()
{
    // Trees refer to listed files: release them first.
    bankFolders.clear();
    searchFolders.clear();
    categoryFolders.clear();
}

void PatchLibrarian::clearDataStructures(int which)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    switch (which) {
    case 0:
        bankFolders.clear();
        break;
    case 2:
        categoryFolders.clear();
        m_emptyCategoryBanks.clear();
        break;
    case 3:
        searchFolders.clear();
        break;
    default:
        break;
    }
}

void PatchLibrarian::logLine(const std::string& text)
{
    logStream.str(std::string());
    logStream.clear();
    logStream << text;
    if (m_host)
        m_host->writeLogLine(logStream.str());
}

PatchFile* PatchLibrarian::upperBank()
{
    if (selectionKind != 0 || upperSelection < 0 || upperSelection >= static_cast<int32_t>(bankFiles.size()))
        return nullptr;
    return bankFiles[static_cast<size_t>(upperSelection)].get();
}

bool PatchLibrarian::setSysexDatatoSelectedSlot(const LibrarianPatch* received)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    PatchFile* bank = upperBank();
    if (!received || !bank || transferSlot < 0 || transferSlot >= kLibraryBankSize)
        return false;

    // A request may collect stray short messages before the dump; the slot keeps
    // only the sound dump itself when there is one.
    const auto dump = std::find_if(received->messages.rbegin(), received->messages.rend(),
                                   [](const PatchSysexMessage& message) {
                                       return message.bytes.size() == static_cast<size_t>(zsysex::kSoundDumpSize);
                                   });
    LibrarianPatch stored;
    stored.name = received->name;
    stored.category = received->category;
    if (dump != received->messages.rend())
        stored.messages.push_back(*dump);
    else
        stored.messages = received->messages;
    bank->patches.resize(kLibraryBankSize);
    bank->patches[static_cast<size_t>(transferSlot)] = std::move(stored);
    return true;
}

LibrarianPatch* PatchLibrarian::upperBankSlot(int slot)
{
    PatchFile* bank = upperBank();
    if (!bank || slot < 0 || slot >= kLibraryBankSize)
        return nullptr;
    bank->patches.resize(kLibraryBankSize);
    return &bank->patches[static_cast<size_t>(slot)];
}

bool PatchLibrarian::replaceTransferSlot(const LibrarianPatch& sound)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    PatchFile* bank = upperBank();
    if (sound.messages.empty() || !bank || transferSlot < 0 || transferSlot >= kLibraryBankSize)
        return false;
    bank->patches.resize(kLibraryBankSize);
    bank->patches[static_cast<size_t>(transferSlot)] = sound;
    return true;
}

void removeCharsFromString(std::string& text, const char* chars)
{
    if (!chars || !*chars)
        return;
    std::string kept;
    kept.reserve(text.size());
    for (char c : text)
        if (c == '\0' || !std::strchr(chars, c))
            kept += c;
    text.swap(kept);
}
