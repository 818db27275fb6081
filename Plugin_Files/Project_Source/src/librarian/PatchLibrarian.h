#pragma once
// The patch library: bank files found below the "Patches" folder of the data
// folder, the category and search banks derived from them, and the three folder
// trees the popup menus offer them through.
//
// Threads: the scan, the derived banks and the writers run on the host's main
// thread. setSysexDatatoSelectedSlot runs on the MIDI input thread; it and every
// operation that replaces the lists take libraryLock(), so a store never lands
// in a bank that a reload is releasing. Code on other threads that walks the
// lists takes libraryLock() too.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

class Zelto2X;
class DebuggerOutput;
class LibrarianHost;
class ByteChunk;

// One complete SysEx message as stored in a slot, F0 to F7 inclusive.
struct PatchSysexMessage {
    std::vector<unsigned char> bytes;
};

// One slot of a bank file.
class LibrarianPatch {
public:
    // Copies name and category into target and appends copies of this slot's
    // messages after the target's own. Any thread that owns both slots.
    void clone(LibrarianPatch& target) const;

    // Appends the four-letter text of the category byte (134) of the first
    // message; nothing for codes above 20 or a message shorter than 135 bytes.
    void parseCategory();

    // The 14 name bytes (120..133) of message, upper-cased; empty for a message
    // shorter than 134 bytes.
    static std::string nameFromMessage(const std::vector<unsigned char>& message);
    // A slot holding the one dump, named and categorised from it.
    static LibrarianPatch fromSoundDump(const std::vector<unsigned char>& dump);

    std::string name;
    std::string category;
    std::vector<PatchSysexMessage> messages;
};

// One bank file in memory, read from disk or derived (category, search).
class PatchFile {
public:
    // A copy owned by the caller: kind 0, flag kept only when it is 1, all slots,
    // the file name; folder fields empty and number 0.
    std::unique_ptr<PatchFile> clone() const;
    // The file's whole path; empty for a derived bank, which has no file.
    // Folder and file names repeat across folders: only the path tells two
    // banks of the library apart.
    std::string path() const;

    int32_t kind = 0;
    int32_t flag = 0;
    std::vector<LibrarianPatch> patches;
    std::string fileName;
    std::string folderName;
    std::vector<std::string> folderPath;
    std::string directory;
    int32_t number = 0;
    // A stamp of the file's bytes as last read or written (libraryfs::contentStamp);
    // 0 for a bank no file of which was read. Save compares it with the disk.
    uint64_t diskStamp = 0;
};

// What the last loadFromChunk found beyond the slots themselves, so an import
// can tell the user how much of a damaged file it could read.
struct ReadReport {
    int slotsRead = 0;                // slots taken from the data, before any padding
    int cutShort = 0;                 // sound dumps begun but too short or cut off by the end: not kept
    std::vector<size_t> damagedSlots; // kept slots whose message is no sound dump's length
    int damagedSounds = 0;            // the sounds those slots stand for (a run over a lost F7 swallows more)
    int badChecksums = 0;             // whole current-model dumps whose checksum does not match
    int leftOutByImport() const { return cutShort + damagedSounds; }
};

// Second-level folder node; refers to files it does not own.
struct SubFolderFiles2 {
    std::string name;
    std::vector<PatchFile*> files;
};

// First-level folder node.
struct SubFolderFiles {
    std::string name;
    std::vector<SubFolderFiles2> subFolders;
    std::vector<PatchFile*> files;
};

// Top-level folder node.
struct FolderFiles {
    FolderFiles() = default;
    FolderFiles(const std::string& nodeName, const SubFolderFiles& firstSubFolder);

    std::string name;
    std::vector<SubFolderFiles> subFolders;
    std::vector<PatchFile*> files;
};

using PatchFileList = std::vector<std::unique_ptr<PatchFile>>;
using FolderTree = std::vector<std::unique_ptr<FolderFiles>>;

// The four-letter category texts of codes 0..20 ("NONE" .. "INIT"); null above.
const char* categoryText(int code);
constexpr int kCategoryCodeCount = 21;     // 0..20
constexpr int kCategoryBankCount = 20;     // INIT (20) has no category bank
constexpr int kCategoryInit = 20;

constexpr int kLibraryBankSize = 100;
constexpr int kMinimumBankFileSize = 2201;

// What the library needs of the editor: the LOG switch and writer, the save
// prompt and the names of the upper list's bank. The editor supplies one; tests
// supply a fake. Main thread.
class LibrarianHost {
public:
    virtual ~LibrarianHost() = default;
    // Writes one LOG line; the host drops it while its debug switch is off.
    virtual void writeLogLine(const std::string& text) = 0;
    // Save panel: the full path chosen, or an empty text when cancelled or no
    // window is open.
    virtual std::string promptForSaveFile(const std::string& defaultName, const std::string& startFolder,
                                          const std::string& extension) = 0;
    // The bank the folder menus tick as the upper list's bank, and the path
    // of its file, by which the lists find it again after the next reload.
    virtual void setUpperBankNames(const std::string& folderName, const std::string& bankName,
                                   const std::string& path) = 0;
    // A bank the user saved could not be written (the file at path is as it was).
    virtual void reportSaveFailure(const std::string& /*path*/) {}
    // Save found the file at path changed on disk since it was read, and left it.
    virtual void reportChangedOnDisk(const std::string& /*path*/) {}
};

class PatchLibrarian {
public:
    explicit PatchLibrarian(LibrarianHost* host = nullptr);
    ~PatchLibrarian();
    PatchLibrarian(const PatchLibrarian&) = delete;
    PatchLibrarian& operator=(const PatchLibrarian&) = delete;

    void setHost(LibrarianHost* host) { m_host = host; }

    // Held by every operation that replaces lists or stores into a slot.
    std::recursive_mutex& libraryLock() { return m_lock; }

    // --- Scan and bank files on disk (main thread) ---------------------------
    // Reads every bank file below libraryFolder (no trailing separator) into
    // bankFiles and bankFolders, normalising the library on disk, then builds
    // the category banks.
    void loadPatchesFromFilesystem(const std::string& libraryFolder);
    // Empties lists and trees, then scans again.
    void initBankFilesOnDiscard(const std::string& libraryFolder);
    // Appends the full paths of all folders below folder.
    void buildFolderStructure(const std::string& folder, std::vector<std::string>& out);
    // Reads one file at path (depth below the library folder, lower-case
    // extension). Returns the bank when it becomes an ordinary bank file of
    // the tree (already appended to bankFiles), else null.
    PatchFile* parseFolderFiles(const std::string& path, int depth, int number, const std::string& extension);
    // Places a bank file into bankFolders by its folderPath.
    void createFolderFilesStructure(PatchFile* file, const std::string& directory);
    // Pads a bank of 1..99 slots (kind 0) with named INIT slots.
    void checkBankSizeAndAddData(PatchFile* file);
    // Pads a bank of 0..99 slots with unnamed INIT slots.
    void fillUncompletedBankFiles(PatchFile* file);
    // 0 bank tree, 2 category tree, 3 search tree; other values do nothing.
    void clearDataStructures(int which);

    // --- Category and search banks (main thread) -----------------------------
    void createNewCategoryPatchFiles();
    void createNewSearchPatchFiles(const std::string& searchText);

    // --- Reading (pure over the bytes; main thread) --------------------------
    // Reads every sound dump of data[0..length) into bank and finishes it.
    void loadFromChunk(const unsigned char* data, int length, PatchFile* bank, int isMidi);
    void loadFromChunk(const ByteChunk* chunk, int length, PatchFile* bank, int isMidi);
    // Finds and keeps or drops the next dump from position; > 0 asks for another call.
    int readSysexMessage(const unsigned char* data, int length, int& position, PatchFile* bank, int slot);
    int readSysexMessage2(const unsigned char* data, int length, int& position, PatchFile* bank, int slot);
    // What the last loadFromChunk read (it starts each one afresh).
    const ReadReport& lastRead() const { return m_lastRead; }
    // Reads forward until value has been read; position just past it, or -1.
    static bool findByte(const unsigned char* data, int length, int& position, int value);
    static bool findByte(const ByteChunk* chunk, int& position, int value);
    // A 137-byte current-model dump built from an older-model message.
    static PatchSysexMessage convertPatchToZelto2Format(const PatchSysexMessage* source, int unused = 0);

    // --- Writing (main thread) -----------------------------------------------
    // Makes piece of a split or converted source, named for the folder of
    // filePath; the scan writes all pieces at once when it replaces the source
    // and then appends them to bankFiles. False for an empty piece.
    bool createNewPatchFile(PatchFile* source, const std::string& folderName, const std::string& fileName,
                            const std::string& extension, const std::string& filePath, int number, int piece,
                            bool isMidi);
    // "Save As...": the upper list's bank to a file the user picks.
    bool savePatchAs(const char* defaultName, const std::string& startFolder, bool asMidi);
    // "Save (Overwrite current bank)": the upper list's bank over path. Refuses
    // (false, the host told) when the file changed on disk since it was read.
    bool saveEditedPatch(const std::string& path, const std::string& fileName);
    // A copy of the upper list's bank at path, written as Save writes its
    // file; the bank, its file and the lists stay as they are. False without
    // a bank or when the write failed.
    bool writeUpperBankCopy(const std::string& path);

    // The bank bytes as written to disk (pure; tests and writers). Messages go
    // out as held, each whole sound dump with the checksum of its bytes; with
    // numberSlots ("Save As...") each SMF event carries 01 and its slot in bytes 4 and 5.
    static std::vector<unsigned char> rawBankBytes(const PatchFile& bank);
    static std::vector<unsigned char> midiBankBytes(const PatchFile& bank, bool numberSlots);

    // --- Library transfers ---------------------------------------------------
    // Stores a received sound into slot transferSlot of the upper list's bank;
    // false, with nothing stored, without that bank or slot.
    // MIDI input thread; takes libraryLock().
    bool setSysexDatatoSelectedSlot(const LibrarianPatch* received);

    // Imports and view transfers: replaces slot transferSlot of the upper bank
    // with sound, padding the bank to 100 slots first. False (nothing changed)
    // for a sound without messages, a missing bank or a slot outside 0..99.
    // Any thread; takes libraryLock().
    bool replaceTransferSlot(const LibrarianPatch& sound);

    // Slot of the upper list's bank, the bank brought to exactly 100 slots
    // first; null without a bank or for a slot outside 0..99. Caller holds libraryLock().
    LibrarianPatch* upperBankSlot(int slot);

    // The upper list's bank, or null while there is none (selectionKind not 0,
    // upperSelection outside bankFiles). Caller holds libraryLock() off the main thread.
    PatchFile* upperBank();

    // The path of the bank that holds the first sounds of the file at path
    // after the last scan: path itself, or the first piece or converted copy
    // that took its place. Caller holds libraryLock().
    std::string bankPathMadeFrom(const std::string& path) const;

    // --- Fields, in the order of the library model ---------------------------
    int32_t upperSelection = 0;
    int32_t menuSelection = -1;
    int32_t splitPieceCount = 0;
    int32_t selectionKind = 0;
    bool splitSeen = false;
    bool fileWasSplit = false;
    bool rescanRequested = false;
    std::stringstream logStream;
    Zelto2X* editor = nullptr;
    DebuggerOutput* debugOutput = nullptr;
    int32_t transferSlot = 0;
    bool olderModelSoundRead = false;
    std::vector<std::string> folderPaths;
    PatchFileList bankFiles;
    PatchFileList searchFiles;
    PatchFileList categoryFiles;
    FolderTree bankFolders;
    FolderTree searchFolders;
    FolderTree categoryFolders;

private:
    void scanOnce(const std::string& libraryFolder, bool mayRescan);
    void logLine(const std::string& text);
    void replaceSourceWithPendingPieces(const std::string& sourcePath,
                                        const std::vector<unsigned char>& sourceBytes);
    std::unique_ptr<PatchFile> makePiece(const PatchFile& source, const std::string& name, int start) const;
    std::string pieceName(const std::string& fileName, int piece) const;
    bool writeBankFile(const std::string& path, const std::vector<unsigned char>& bytes);
    bool writeUpperBank(PatchFile& bank, const std::string& path, bool asMidi, bool numberSlots);
    void reportSaveFailure(const std::string& path);

    LibrarianHost* m_host = nullptr;
    std::recursive_mutex m_lock;
    std::string m_libraryFolder;
    // The pieces createNewPatchFile made of the source being replaced.
    PatchFileList m_pendingPieces;
    // Source path -> path of the first bank written in its place, for the scan now running.
    std::map<std::string, std::string> m_madeFrom;
    ReadReport m_lastRead;
    // Empty category banks listed only in categoryFolders.
    PatchFileList m_emptyCategoryBanks;
};

// Removes from text every occurrence of every character of chars.
void removeCharsFromString(std::string& text, const char* chars);

// The fixed parts of a bank written as a Standard MIDI File.
extern const unsigned char midiSingleStartHeader_Z2100[53];
extern const unsigned char midiSingleInBetweenHeader_Z2100[5];
extern const unsigned char midiSingleEndBytes_Z2100[4];
