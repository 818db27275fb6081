// Reading bank files: sound dumps found in raw SysEx streams and Standard MIDI
// Files by scanning for the maker byte, rebuilt as current-model dumps, with
// older-model dumps converted. Every read is bounded by the data's own length.

#include "PatchLibrarian.h"
#include "IPluginStructs.h"
#include "SysExProtocol.h"
#include "debugger.h"

#include <algorithm>
#include <cstring>

namespace {

using consolelog::log;

// "MThd" and its length: the start every Standard MIDI File shares with ours.
constexpr size_t kMidiFileHeaderLength = 8;
constexpr int kMidiFileScanStart = 14;
constexpr int kMinimumFileLength = 15;
constexpr int kHighestDataByte = 0x7F;
constexpr int kHighestCommand = 0x10;
constexpr size_t kDroppedUpTo = 74;       // messages this short before F7 are noise
constexpr size_t kUnnamedUpTo = 76;       // older-model dumps without a name
constexpr size_t kConvertUpTo = 99;       // older-model messages that get converted
constexpr size_t kNamedUpTo = 138;        // longer messages keep no name or category
constexpr int kLastSlot = 99;
// Rebuilt message lengths before F7 of the sounds the file formats hold: a
// current-model dump, and older-model dumps without a name (76 and 77 bytes in
// the file) and with one (92).
constexpr size_t kWholeCurrentBeforeEnd = 136;
constexpr size_t kWholeOlderBeforeEnd[] = {75, 76, 91};

// Whether the checksum of the whole current-model dump whose maker byte is at
// maker (byte 1 of the dump) matches bytes 1..134.
bool checksumMatches(const unsigned char* maker)
{
    constexpr int kChecksumAt = zsysex::kSoundChecksumByte - 1;
    return zsysex::checksum(maker, 0, kChecksumAt - 1) == maker[kChecksumAt];
}

// The byte at position, advancing it; -1 (and position -1) outside the data.
int readByte(const unsigned char* data, int length, int& position)
{
    if (position < 0 || position >= length) {
        position = -1;
        return -1;
    }
    return data[position++];
}

// "Sound", blanks, and the slot number right-aligned to 14 characters.
void appendGeneratedName(std::vector<unsigned char>& message, int slot)
{
    const std::string digits = slot + 1 < 10 ? "0" + std::to_string(slot + 1) : std::to_string(slot + 1);
    std::string name = "Sound";
    name.append(static_cast<size_t>(zsysex::kSoundNameLength) - name.size() - digits.size(), ' ');
    name += digits;
    message.insert(message.end(), name.begin(), name.end());
    message.push_back(kCategoryInit);
}

}  // namespace

bool PatchLibrarian::findByte(const unsigned char* data, int length, int& position, int value)
{
    for (;;) {
        const int byte = readByte(data, length, position);
        if (byte < 0)
            return false;
        if (byte == value)
            return true;
    }
}

bool PatchLibrarian::findByte(const ByteChunk* chunk, int& position, int value)
{
    if (!chunk) {
        position = -1;
        return false;
    }
    return findByte(chunk->GetBytes(), chunk->Size(), position, value);
}

void PatchLibrarian::loadFromChunk(const unsigned char* data, int length, PatchFile* bank, int /*isMidi*/)
{
    m_lastRead = ReadReport();
    if (!data || !bank || length < kMinimumFileLength)
        return;
    const size_t slotsBefore = bank->patches.size();
    const bool isMidiFile = std::memcmp(data, midiSingleStartHeader_Z2100, kMidiFileHeaderLength) == 0;
    const bool goodRawHeader =
        data[1] == zsysex::kManufacturer && data[2] == zsysex::kModel && data[3] <= kHighestDataByte;
    int position = isMidiFile ? kMidiFileScanStart : 0;
    int slot = 0;
    for (bool first = true;; first = false) {
        if (!first) {
            if (!bank->patches.empty())
                ++slot;
            if (slot > kLastSlot)
                slot = 0;
        }
        const int result = isMidiFile ? readSysexMessage(data, length, position, bank, slot)
                                      : readSysexMessage2(data, length, position, bank, slot);
        if (result <= 0)
            break;
    }
    m_lastRead.slotsRead = static_cast<int>(bank->patches.size() - slotsBefore);
    checkBankSizeAndAddData(bank);
    if (!isMidiFile && !goodRawHeader)
        log("PatchLibrarian: File format not supported!\n");
}

void PatchLibrarian::loadFromChunk(const ByteChunk* chunk, int length, PatchFile* bank, int isMidi)
{
    if (!chunk)
        return;
    loadFromChunk(chunk->GetBytes(), std::min(length, chunk->Size()), bank, isMidi);
}

int PatchLibrarian::readSysexMessage2(const unsigned char* data, int length, int& position, PatchFile* bank,
                                      int slot)
{
    return readSysexMessage(data, length, position, bank, slot);
}

int PatchLibrarian::readSysexMessage(const unsigned char* data, int length, int& position, PatchFile* bank,
                                     int slot)
{
    if (!findByte(data, length, position, zsysex::kManufacturer))
        return -1;
    const int makerAt = position - 1;
    const int model = readByte(data, length, position);
    if (model < 0)
        return -1;
    if (model != zsysex::kModel && model != zsysex::kOlderModel)
        return position;
    // Device, command, bank and program are tested but not kept.
    const int highest[4] = {kHighestDataByte, kHighestCommand, kHighestDataByte, kHighestDataByte};
    int header[4] = {};
    for (int i = 0; i < 4; ++i) {
        header[i] = readByte(data, length, position);
        if (header[i] < 0)
            return -1;
        if (header[i] > highest[i])
            return position;
    }
    // A sound dump begun but not read whole is counted, so an import can say
    // so; short messages of other commands are no sounds.
    const bool soundDumpBegun = header[1] == zsysex::kCommandSoundDump;

    PatchSysexMessage message;
    message.bytes.reserve(zsysex::kSoundDumpSize + 4);
    message.bytes = {zsysex::kStart, zsysex::kManufacturer, zsysex::kModel, 0x00, zsysex::kCommandSoundDump,
                     0x00, 0x00};
    const unsigned char* body = data + position;
    const unsigned char* end = std::find(body, data + length, zsysex::kEnd);
    if (end == data + length) {
        m_lastRead.cutShort += soundDumpBegun ? 1 : 0;
        position = -1;
        return -1;  // cut off by the end of the data: dropped
    }
    message.bytes.insert(message.bytes.end(), body, end);
    position = static_cast<int>(end - data) + 1;
    if (message.bytes.size() <= kDroppedUpTo) {
        m_lastRead.cutShort += soundDumpBegun ? 1 : 0;
        return position;
    }
    const size_t lengthBeforeEnd = message.bytes.size();
    const bool whole = model == zsysex::kModel
        ? lengthBeforeEnd == kWholeCurrentBeforeEnd
        : std::count(std::begin(kWholeOlderBeforeEnd), std::end(kWholeOlderBeforeEnd), lengthBeforeEnd) > 0;
    if (whole && model == zsysex::kModel && !checksumMatches(data + makerAt))
        ++m_lastRead.badChecksums;
    if (!whole) {
        m_lastRead.damagedSlots.push_back(bank->patches.size());
        // A message that ran over a lost F7 holds about one sound per dump length.
        m_lastRead.damagedSounds +=
            std::max(1, static_cast<int>((lengthBeforeEnd + kWholeCurrentBeforeEnd / 2) / kWholeCurrentBeforeEnd));
    }
    if (message.bytes.size() <= kUnnamedUpTo) {
        if (message.bytes.size() < kUnnamedUpTo)
            message.bytes.push_back(0x00);
        appendGeneratedName(message.bytes, slot);
    }
    message.bytes.push_back(zsysex::kEnd);
    ++position;  // the byte after F7 belongs to no dump

    if (model != zsysex::kModel && message.bytes.size() <= kConvertUpTo) {
        message = convertPatchToZelto2Format(&message);
        olderModelSoundRead = true;
    }

    LibrarianPatch patch;
    const bool named = message.bytes.size() <= kNamedUpTo;
    if (named)
        patch.name = LibrarianPatch::nameFromMessage(message.bytes);
    patch.messages.push_back(std::move(message));
    if (named)
        patch.parseCategory();
    bank->kind = 0;
    bank->patches.push_back(std::move(patch));
    return position;
}
