#pragma once
// Shared helpers of the librarian tests: a temporary data folder, a recording
// host, sound dumps built from the documented layout, and a count of the
// sounds on disk that knows nothing of the library's own reader.

#include "PatchLibrarian.h"
#include "../support/FileBytes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace librarytest {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// A data folder of its own with an empty "Patches" folder inside, in parent.
class TempDataFolder {
public:
    explicit TempDataFolder(const std::string& parent = "/tmp")
    {
        std::string pattern = parent + "/zelto2x-librarian-XXXXXX";
        root = mkdtemp(pattern.data());
        setenv("ZELTO2X_DATA_FOLDER", (root + "/").c_str(), 1);
        fs::create_directories(patches());
    }
    ~TempDataFolder()
    {
        std::error_code ignored;
        fs::remove_all(root, ignored);
        unsetenv("ZELTO2X_DATA_FOLDER");
    }
    std::string patches() const { return root + "/Patches"; }
    std::string converted() const { return root + "/Converted Banks"; }
    std::string root;
};

// Records the log and answers the save prompt with chosenPath.
struct RecordingHost : LibrarianHost {
    void writeLogLine(const std::string& text) override { lines.push_back(text); }
    std::string promptForSaveFile(const std::string&, const std::string&, const std::string& extension) override
    {
        promptedExtension = extension;
        return chosenPath;
    }
    void setUpperBankNames(const std::string& folderName, const std::string& bankName, const std::string&) override
    {
        upperFolderName = folderName;
        upperBankName = bankName;
    }
    void reportSaveFailure(const std::string& path) override { saveFailures.push_back(path); }
    void reportChangedOnDisk(const std::string& path) override { changedOnDisk.push_back(path); }
    int count(const std::string& text) const { return static_cast<int>(std::count(lines.begin(), lines.end(), text)); }

    std::vector<std::string> lines, saveFailures, changedOnDisk;
    std::string chosenPath, promptedExtension, upperFolderName = "unset", upperBankName = "unset";
};

inline Bytes hex(const std::string& text)
{
    Bytes bytes;
    std::istringstream in(text);
    for (std::string token; in >> token;)
        bytes.push_back(static_cast<unsigned char>(std::stoi(token, nullptr, 16)));
    return bytes;
}

// The 14 name bytes: text padded with blanks.
inline std::string paddedName(const std::string& text) { return (text + std::string(14, ' ')).substr(0, 14); }

// The documented checksum of a sound dump: the 7-bit sum of bytes 1..134.
inline unsigned char documentedChecksum(const Bytes& dump)
{
    unsigned sum = 0;
    for (size_t i = 1; i <= 134; ++i)
        sum += dump[i];
    return static_cast<unsigned char>(sum % 128);
}

// A 137-byte current-model sound dump: F0 3E 16 dev cmd bank prog, 113 sound
// bytes, 14 name bytes, the category, its checksum and F7.
inline Bytes currentDump(int seed, const std::string& name, int category = 3, int device = 0, int command = 0x10,
                         int bank = 0, int program = 0)
{
    Bytes dump{0xF0, 0x3E, 0x16, static_cast<unsigned char>(device), static_cast<unsigned char>(command),
               static_cast<unsigned char>(bank), static_cast<unsigned char>(program)};
    for (int i = 7; i < 120; ++i)
        dump.push_back(static_cast<unsigned char>((seed * 7 + i) & 0x7F));
    const std::string padded = paddedName(name);
    dump.insert(dump.end(), padded.begin(), padded.end());
    dump.insert(dump.end(), {static_cast<unsigned char>(category), 0x00, 0xF7});
    dump[135] = documentedChecksum(dump);
    return dump;
}

// The dump as "Save As..." writes it into a Standard MIDI File at slot: 01
// and the slot in bytes 4 and 5, its checksum.
inline Bytes numberedForMidi(Bytes dump, int slot)
{
    dump[4] = 0x01, dump[5] = static_cast<unsigned char>(slot);
    dump[135] = documentedChecksum(dump);
    return dump;
}

inline std::vector<Bytes> currentDumps(int count, const std::string& prefix, int category = 3)
{
    std::vector<Bytes> dumps;
    for (int i = 0; i < count; ++i)
        dumps.push_back(currentDump(i, prefix + std::to_string(i + 1), category));
    return dumps;
}

// An older-model file message of total bytes (76, 77 or 92): F0 3E 0B dev cmd
// bank prog, then body bytes whose value at file offset k is k, except the name
// (76..89) and category (90) of a 92-byte message.
inline Bytes olderDump(int total, const std::string& name = "OLDSOUND", int category = 9)
{
    Bytes dump{0xF0, 0x3E, 0x0B, 0x01, 0x10, 0x00, 0x05};
    for (int k = 7; k < total - 1; ++k)
        dump.push_back(static_cast<unsigned char>(k));
    if (total == 92) {
        const std::string padded = paddedName(name);
        std::copy(padded.begin(), padded.end(), dump.begin() + 76);
        dump[90] = static_cast<unsigned char>(category);
    }
    dump.push_back(0xF7);
    return dump;
}

inline Bytes concat(const std::vector<Bytes>& parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A bank in memory whose slots hold the given sounds, named as the reader names them.
inline std::unique_ptr<PatchFile> bankOf(const std::vector<Bytes>& sounds)
{
    auto file = std::make_unique<PatchFile>();
    for (const Bytes& sound : sounds) {
        LibrarianPatch& slot = file->patches.emplace_back();
        slot.messages.push_back(PatchSysexMessage{sound});
        slot.name = LibrarianPatch::nameFromMessage(sound);
        slot.parseCategory();
    }
    return file;
}

// Slots and banks as one text each, to compare several fields at once:
// "NAME|CAT|size of the first message" and "file|folder|number|slots".
inline std::string slotText(const LibrarianPatch& slot)
{
    return slot.name + "|" + slot.category + "|" +
           std::to_string(slot.messages.empty() ? 0 : slot.messages[0].bytes.size());
}
inline std::vector<std::string> slotTexts(const PatchFile& bank, std::initializer_list<size_t> slots)
{
    std::vector<std::string> texts;
    for (size_t slot : slots)
        texts.push_back(slot < bank.patches.size() ? slotText(bank.patches[slot]) : "none");
    return texts;
}
inline std::string bankText(const PatchFile& bank)
{
    return bank.fileName + "|" + bank.folderName + "|" + std::to_string(bank.number) + "|" +
           std::to_string(bank.patches.size());
}

inline std::vector<std::string> bankTexts(const PatchFileList& files)
{
    std::vector<std::string> texts;
    for (const auto& file : files)
        texts.push_back(bankText(*file));
    return texts;
}

// Bytes 3 to 6 (device, command, address) of every current-model dump of a
// bank file (raw: F0 3E 16 ..., Standard MIDI File: 3E 16 ... after the event
// length) in hex, with " checksum" added where byte 135 is not the 7-bit sum
// of bytes 1..134.
inline std::vector<std::string> dumpHeads(const Bytes& file)
{
    std::vector<std::string> heads;
    for (size_t i = 0; i + 135 < file.size(); ++i) {
        if (file[i] != 0x3E || file[i + 1] != 0x16 || file[i + 135] != 0xF7)
            continue;
        unsigned sum = 0;
        for (size_t k = i; k < i + 134; ++k)
            sum += file[k];
        char head[12];
        std::snprintf(head, sizeof head, "%02X %02X %02X %02X", file[i + 2], file[i + 3], file[i + 4], file[i + 5]);
        heads.push_back(head + std::string(file[i + 134] == sum % 128 ? "" : " checksum"));
        i += 135;
    }
    return heads;
}

inline constexpr auto* writeFile = &testsupport::WriteFileBytes;
inline constexpr auto* readFile = &testsupport::ReadFileBytes;

// Sound payloads (what follows the program byte, up to F7) of every dump in
// every file below root, found by the simplest scan: 3E, model 16 or 0B, four
// header bytes, then up to F7. A converted copy differs from its source, but
// the source itself must still be on disk (in "Converted Banks").
inline std::multiset<std::string> soundsOnDisk(const std::string& root)
{
    std::multiset<std::string> sounds;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const Bytes bytes = entry.is_regular_file() ? readFile(entry.path().string()) : Bytes();
        for (size_t i = 0; i + 6 < bytes.size(); ++i) {
            if (bytes[i] != 0x3E || (bytes[i + 1] != 0x16 && bytes[i + 1] != 0x0B))
                continue;
            const auto end = std::find(bytes.begin() + static_cast<long>(i) + 6, bytes.end(), 0xF7);
            if (end == bytes.end())
                break;
            sounds.emplace(bytes.begin() + static_cast<long>(i) + 6, end);
            i = static_cast<size_t>(end - bytes.begin());
        }
    }
    return sounds;
}

}  // namespace librarytest
