#pragma once
// The Zelto 2's SysEx protocol as the simulated synth speaks it: framing,
// addresses, the checksum and the dumps. Pure functions over byte vectors;
// nothing here touches a port or a thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "SysExProtocol.h"

namespace zelto2sim {

using Bytes = std::vector<uint8_t>;

// The frame, commands and sizes are the editor's own protocol tables.
constexpr uint8_t kManufacturer = zsysex::kManufacturer;
constexpr uint8_t kModel = zsysex::kModel;
constexpr uint8_t kSoundRequest = zsysex::kCommandSoundRequest;
constexpr uint8_t kGlobalRequest = zsysex::kCommandGlobalRequest;
constexpr uint8_t kSoundDump = zsysex::kCommandSoundDump;
constexpr uint8_t kGlobalDump = zsysex::kCommandGlobalDump;

constexpr size_t kSoundRequestSize = 8;
constexpr size_t kGlobalRequestSize = 6;
constexpr size_t kSoundDumpSize = zsysex::kSoundDumpSize;
constexpr size_t kGlobalDumpSize = zsysex::kGlobalDumpSize;
constexpr size_t kChecksumOffset = zsysex::kSoundChecksumByte;
constexpr int kProgramsPerBank = zsysex::kProgramsPerBank;
constexpr int kSlotCount = (zsysex::kSoundBankMax + 1) * kProgramsPerBank;

// Where a sound lives: the edit buffer (address 7F 00) or slot 0..499
// (address = slot div 128, slot mod 128).
struct SoundAddress {
    bool editBuffer = false;
    int slot = 0;

    bool operator==(const SoundAddress& other) const
    {
        return editBuffer == other.editBuffer && (editBuffer || slot == other.slot);
    }
};

// Empty for an address that names neither the edit buffer nor a slot.
std::optional<SoundAddress> DecodeAddress(uint8_t high, uint8_t low);
// The two address bytes.
Bytes EncodeAddress(const SoundAddress& address);

// The built-in INIT sound: a framed 137-byte dump for the edit buffer.
const Bytes& InitSound();

// (sum of bytes 1 .. n-3) mod 128 of a framed message: the value of the byte
// before F7. 0 for fewer than 4 bytes.
uint8_t Checksum(const Bytes& framed);

// F0 3E 16 ... F7 with a device and a command byte.
bool IsZelto2Message(const Bytes& message);

// A sound dump of `sound` (any framed 137-byte dump) for `device` at
// `address`, with its checksum.
Bytes MakeSoundDump(const Bytes& sound, uint8_t device, const SoundAddress& address);

// The synth's global settings as a 39-byte global dump for `device`.
Bytes MakeDefaultGlobalDump(uint8_t device);

// What a request asks for.
struct Request {
    uint8_t command = 0;
    uint8_t device = 0;
    SoundAddress address;  // sound requests only
};
// Empty when the message is not a well-formed sound or global request.
std::optional<Request> ParseRequest(const Bytes& message);

// A sound dump to store: its address; empty when not a well-formed dump.
std::optional<SoundAddress> ParseSoundDumpAddress(const Bytes& message);

// Every F0 .. F7 message of a byte stream (a .syx file), in order; bytes
// outside a message are skipped, an unterminated tail is dropped.
std::vector<Bytes> SplitSysEx(const Bytes& stream);

// "F0 3E 16" style: upper-case pairs separated by single blanks.
std::string ToHex(const Bytes& bytes);
// Reads blank-separated hex pairs; empty on anything else.
std::optional<Bytes> ParseHex(const std::string& text);

}  // namespace zelto2sim
