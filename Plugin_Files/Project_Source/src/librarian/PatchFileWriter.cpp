// Writing banks: pieces of split or converted banks during the scan, and the
// user's "Save As..." and "Save (Overwrite current bank)". Every bank file goes
// to the disk whole or not at all (DurableFile.h).

#include "PatchLibrarian.h"
#include "DurableFile.h"
#include "LibraryFileSystem.h"
#include "SysExProtocol.h"

const unsigned char midiSingleStartHeader_Z2100[53] = {
    0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x02, 0x01, 0xE0,  // MThd
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x00, 0x13,                                      // track 1
    0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08,                                      // 4/4
    0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,                                            // 120 bpm
    0x00, 0xFF, 0x2F, 0x00,                                                              // end of track 1
    0x4D, 0x54, 0x72, 0x6B, 0x00, 0x00, 0x37, 0x17,                                      // track 2
    0x00, 0xF0, 0x81, 0x08};                                                             // first event
const unsigned char midiSingleInBetweenHeader_Z2100[5] = {0x83, 0x74, 0xF0, 0x81, 0x08};
const unsigned char midiSingleEndBytes_Z2100[4] = {0x00, 0xFF, 0x2F, 0x00};

namespace {

// The start header: the header chunk and track 1 up to track 2's length, that
// length (written anew for the bank's size), then the first event's own start.
constexpr size_t kTrackLengthAt = 45;
constexpr size_t kTrackLengthBytes = 4;
constexpr size_t kFirstEventAt = kTrackLengthAt + kTrackLengthBytes;

void append(std::vector<unsigned char>& out, const unsigned char* bytes, size_t count)
{
    out.insert(out.end(), bytes, bytes + count);
}

bool isWholeSoundDump(const std::vector<unsigned char>& message)
{
    return message.size() == static_cast<size_t>(zsysex::kSoundDumpSize) && message.front() == zsysex::kStart &&
           message[1] == zsysex::kManufacturer && message[2] == zsysex::kModel && message.back() == zsysex::kEnd;
}

// The reader rebuilds a dump's header and the older-model conversion keeps
// the INIT sound's checksum byte, so a held dump's checksum may not match its
// bytes; every dump is written with the checksum of the bytes it goes out with.
void applyOwnChecksum(std::vector<unsigned char>& message)
{
    if (isWholeSoundDump(message))
        zsysex::applyOutgoingChecksum(message.data(), zsysex::kSoundDumpSize);
}

// The slot's sound as one SMF event body: exactly a sound dump long, framed,
// the INIT sound for an empty slot. Numbered, it carries 01 and its slot in
// bytes 4 and 5, where the synth's own file transfer looks for the program.
std::vector<unsigned char> eventDump(const LibrarianPatch& slot, size_t index, bool numberSlots)
{
    std::vector<unsigned char> dump;
    if (slot.messages.empty())
        dump.assign(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    else
        dump = slot.messages.front().bytes;
    dump.resize(zsysex::kSoundDumpSize, 0x00);
    dump.front() = zsysex::kStart;
    if (numberSlots) {
        dump[4] = 0x01;
        dump[5] = static_cast<unsigned char>(index);
    }
    dump.back() = zsysex::kEnd;
    applyOwnChecksum(dump);
    return dump;
}

std::string baseName(const std::string& fileName)
{
    const size_t dot = fileName.rfind('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

}  // namespace

std::vector<unsigned char> PatchLibrarian::rawBankBytes(const PatchFile& bank)
{
    std::vector<unsigned char> out;
    out.reserve(bank.patches.size() * zsysex::kSoundDumpSize);
    for (const LibrarianPatch& slot : bank.patches)
        for (const PatchSysexMessage& message : slot.messages) {
            std::vector<unsigned char> bytes = message.bytes;
            applyOwnChecksum(bytes);
            out.insert(out.end(), bytes.begin(), bytes.end());
        }
    return out;
}

std::vector<unsigned char> PatchLibrarian::midiBankBytes(const PatchFile& bank, bool numberSlots)
{
    // Every event is exactly one sound dump long, so the delta, F0 and length
    // before each dump are the fixed bytes of the header tables.
    std::vector<unsigned char> track;
    track.reserve(bank.patches.size() * (sizeof midiSingleInBetweenHeader_Z2100 + zsysex::kSoundDumpSize) +
                  sizeof midiSingleEndBytes_Z2100);
    for (size_t i = 0; i < bank.patches.size(); ++i) {
        const std::vector<unsigned char> dump = eventDump(bank.patches[i], i, numberSlots);
        if (i == 0)
            append(track, midiSingleStartHeader_Z2100 + kFirstEventAt,
                   sizeof midiSingleStartHeader_Z2100 - kFirstEventAt);
        else
            append(track, midiSingleInBetweenHeader_Z2100, sizeof midiSingleInBetweenHeader_Z2100);
        track.insert(track.end(), dump.begin() + 1, dump.end());
    }
    append(track, midiSingleEndBytes_Z2100, sizeof midiSingleEndBytes_Z2100);

    std::vector<unsigned char> out;
    out.reserve(kFirstEventAt + track.size());
    append(out, midiSingleStartHeader_Z2100, kTrackLengthAt);
    const uint32_t length = static_cast<uint32_t>(track.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>(length >> shift));
    out.insert(out.end(), track.begin(), track.end());
    return out;
}

std::unique_ptr<PatchFile> PatchLibrarian::makePiece(const PatchFile& source, const std::string& name,
                                                     int start) const
{
    auto piece = std::make_unique<PatchFile>();
    piece->fileName = name;
    piece->folderName = source.folderName;
    piece->folderPath = source.folderPath;
    piece->directory = source.directory;
    piece->number = source.number;
    const size_t first = static_cast<size_t>(start);
    const size_t last = std::min(source.patches.size(), first + kLibraryBankSize);
    if (first < last)
        piece->patches.assign(source.patches.begin() + static_cast<std::ptrdiff_t>(first),
                              source.patches.begin() + static_cast<std::ptrdiff_t>(last));
    return piece;
}

std::string PatchLibrarian::pieceName(const std::string& fileName, int piece) const
{
    // Every piece of a split bank gets its own number, converted or not, so no
    // piece can overwrite another.
    std::string name = baseName(fileName);
    if (fileWasSplit)
        name += " Singles " + std::to_string(piece + 2);
    return name + ".zt2";
}

bool PatchLibrarian::createNewPatchFile(PatchFile* source, const std::string& folderName,
                                        const std::string& fileName, const std::string& /*extension*/,
                                        const std::string& filePath, int number, int piece, bool /*isMidi*/)
{
    if (!source)
        return false;
    const int count = static_cast<int>(source->patches.size());
    const int start = kLibraryBankSize * (piece + 1);
    const int rest = count - start;
    splitPieceCount = count / kLibraryBankSize + (rest > 0 && rest < kLibraryBankSize ? 1 : 0);
    if (rest <= 0)
        return false;

    std::unique_ptr<PatchFile> bank = makePiece(*source, pieceName(fileName, piece), start);
    bank->folderName = folderName;
    bank->number = number;
    fillUncompletedBankFiles(bank.get());

    std::string folder, unusedName;
    libraryfs::splitPath(filePath, folder, unusedName);
    std::string target = (folder.empty() ? std::string() : folder + "/") + bank->fileName;
    // A converted bank of the source's own name takes its place; any other
    // piece gets a free name, so it never overwrites a bank of the user's.
    if (target != filePath)
        target = libraryfs::freePathFor(target);
    libraryfs::splitPath(target, bank->directory, bank->fileName);
    m_pendingPieces.push_back(std::move(bank));
    return true;
}

bool PatchLibrarian::writeBankFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    return durable::writeFile(path, bytes);
}

void PatchLibrarian::reportSaveFailure(const std::string& path)
{
    logLine("PATCH LIBRARIAN: could not write file " + path);
    if (m_host)
        m_host->reportSaveFailure(path);
}

bool PatchLibrarian::writeUpperBank(PatchFile& bank, const std::string& path, bool asMidi, bool numberSlots)
{
    std::unique_ptr<PatchFile> copy = bank.clone();
    copy->patches.resize(kLibraryBankSize);
    const std::vector<unsigned char> bytes = asMidi ? midiBankBytes(*copy, numberSlots) : rawBankBytes(*copy);
    if (!writeBankFile(path, bytes))
        return false;
    // The bank's own file now holds what was written: the next Save checks against that.
    if (path == bank.directory + "/" + bank.fileName)
        bank.diskStamp = libraryfs::contentStamp(bytes);
    return true;
}

bool PatchLibrarian::savePatchAs(const char* defaultName, const std::string& startFolder, bool asMidi)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    // The bank is found before the user's file is touched.
    PatchFile* bank = upperBank();
    if (!bank || !m_host)
        return false;
    const std::string path =
        m_host->promptForSaveFile(defaultName ? defaultName : "", startFolder, asMidi ? "mid" : "zt2");
    if (path.empty())
        return false;

    std::string folderPart, filePart;
    libraryfs::splitPath(path, folderPart, filePart);
    std::string folderName;
    if (folderPart.empty()) {
        folderName = "Patches";
    } else {
        std::string unusedParent;
        libraryfs::splitPath(folderPart, unusedParent, folderName);
        removeCharsFromString(folderName, "/\\");
    }
    if (!writeUpperBank(*bank, path, asMidi, true)) {
        reportSaveFailure(path);
        return false;
    }
    m_host->setUpperBankNames(folderName, filePart, path);
    return true;
}

bool PatchLibrarian::saveEditedPatch(const std::string& path, const std::string& fileName)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    PatchFile* bank = upperBank();
    if (!bank)
        return false;
    // The bank keeps its real file name and extension: a .syx bank is written
    // back as a raw stream under its own name.
    const bool asMidi = libraryfs::lowerExtension(fileName) == "mid";
    // Another program changed the file since it was read: both versions are
    // kept, the user chooses (Save As, or DISCARD for the file's).
    if (bank->diskStamp != 0 && libraryfs::changedSince(path, bank->diskStamp)) {
        logLine("PATCH LIBRARIAN: file " + path + " changed on disk, not overwritten");
        if (m_host)
            m_host->reportChangedOnDisk(path);
        return false;
    }
    if (!writeUpperBank(*bank, path, asMidi, false)) {
        reportSaveFailure(path);
        return false;
    }
    if (m_host)
        m_host->setUpperBankNames(bank->folderName, fileName, path);
    return true;
}

bool PatchLibrarian::writeUpperBankCopy(const std::string& path)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    PatchFile* bank = upperBank();
    return bank && writeUpperBank(*bank, path, libraryfs::lowerExtension(bank->fileName) == "mid", false);
}
