#pragma once
// The Zelto 2's SysEx protocol as the simulated synth speaks it: framing,
// addresses, the checksum and the dumps. Pure functions over byte vectors;
// nothing here touches a port or a thread.
//
// This is deliberately a second reading of the protocol, written from the
// documented tables apart from the editor's own protocol code: the frame, the
// INIT sound, the checksum, the addresses and the dump layout are repeated
// here on purpose, so that a fault in the editor's reading cannot hide by
// being shared with the synth it is tested against.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelto2sim {

using Bytes = std::vector<uint8_t>;

constexpr uint8_t kSysExStart = 0xF0;
constexpr uint8_t kSysExEnd = 0xF7;
constexpr uint8_t kManufacturer = 0x3E;
constexpr uint8_t kModel = 0x16;
constexpr uint8_t kSoundRequest = 0x00;
constexpr uint8_t kGlobalRequest = 0x04;
constexpr uint8_t kSoundDump = 0x10;
constexpr uint8_t kGlobalDump = 0x14;
constexpr uint8_t kParameterChange = 0x41;

constexpr size_t kSoundRequestSize = 8;
constexpr size_t kGlobalRequestSize = 6;
constexpr size_t kSoundDumpSize = 137;
constexpr size_t kGlobalDumpSize = 39;
constexpr size_t kParameterMessageSize = 10;
constexpr size_t kChecksumOffset = 135;
constexpr int kProgramsPerBank = 100;
constexpr int kSlotCount = 5 * kProgramsPerBank;

// How the synth writes a slot into the address bytes of its replies: the
// slot number in two 7-bit bytes (as requests address it) or the bank and
// the program as two bytes. Which one the hardware uses is not documented.
enum class ReplyForm { Slot, BankProgram };

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
// The two address bytes (requests and stores use the slot form).
Bytes EncodeAddress(const SoundAddress& address, ReplyForm form = ReplyForm::Slot);

// The built-in INIT sound: a framed 137-byte dump for the edit buffer.
const Bytes& InitSound();

// (sum of bytes 1 .. n-3) mod 128 of a framed message: the value of the byte
// before F7. 0 for fewer than 4 bytes.
uint8_t Checksum(const Bytes& framed);

// F0 3E 16 ... F7 with a device and a command byte.
bool IsZelto2Message(const Bytes& message);

// A sound dump of `sound` (any framed 137-byte dump) for `device` at
// `address`, with its checksum.
Bytes MakeSoundDump(const Bytes& sound, uint8_t device, const SoundAddress& address,
    ReplyForm form = ReplyForm::Slot);

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

// What a single-parameter message F0 3E 16 dd 41 A B vv xx F7 changes: a
// byte of the sound in the edit buffer, a byte of the global settings, or one
// of the two poly-chain settings that no dump carries.
enum class Memory { Sound, Global, PolyChain };
struct ParameterTarget {
    Memory memory = Memory::Sound;
    int index = 0;   // dump byte; poly chain: 0 the chain ID, 1 the chain length
    int offset = 0;  // the byte is vv + offset, the inverse of the dump map's decoding
};
// Empty for an address (A, B) that names no setting of the synth.
std::optional<ParameterTarget> ParameterTargetOf(uint8_t a, uint8_t b);

// Every F0 .. F7 message of a byte stream (a .syx file), in order; bytes
// outside a message are skipped, an unterminated tail is dropped.
std::vector<Bytes> SplitSysEx(const Bytes& stream);

// "F0 3E 16" style: upper-case pairs separated by single blanks.
std::string ToHex(const Bytes& bytes);
// Reads blank-separated hex pairs; empty on anything else.
std::optional<Bytes> ParseHex(const std::string& text);

}  // namespace zelto2sim
