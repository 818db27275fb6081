#include "Zelto2Protocol.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cstdio>

namespace zelto2sim {

namespace {

// The INIT sound as the documentation lists it, 16 bytes a row.
const uint8_t kInitSound[kSoundDumpSize] = {
    0xF0, 0x3E, 0x16, 0x00, 0x10, 0x7F, 0x00, 0x00, 0x7F, 0x40, 0x40, 0x01, 0x28, 0x00, 0x7F, 0x40,
    0x40, 0x01, 0x00, 0x00, 0x00, 0x40, 0x40, 0x00, 0x00, 0x40, 0x00, 0x40, 0x00, 0x0A, 0x00, 0x00,
    0x2A, 0x2A, 0x2A, 0x00, 0x02, 0x00, 0x2A, 0x7F, 0x2A, 0x00, 0x02, 0x00, 0x01, 0x25, 0x09, 0x00,
    0x00, 0x7F, 0x00, 0x40, 0x00, 0x40, 0x40, 0x00, 0x00, 0x40, 0x00, 0x64, 0x40, 0x02, 0x46, 0x00,
    0x00, 0x40, 0x0A, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00, 0x40, 0x00, 0x00,
    0x40, 0x00, 0x00, 0x40, 0x00, 0x0A, 0x0A, 0x0A, 0x00, 0x00, 0x00, 0x00, 0x03, 0x03, 0x06, 0x40,
    0x40, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32, 0x32,
    0x32, 0x0F, 0x0D, 0x00, 0x00, 0x00, 0x00, 0x01, 0x49, 0x4E, 0x49, 0x54, 0x20, 0x20, 0x20, 0x20,
    0x20, 0x20, 0x20, 0x20, 0x20, 0x20, 0x00, 0x2A, 0xF7,
};
constexpr uint8_t kEditBufferHigh = 0x7F;
constexpr uint8_t kEditBufferLow = 0x00;

// Global settings of a synth fresh from the factory, bytes 5..37 of the
// global dump: tune and transpose centred, MIDI channel 1, local control on,
// parameters transmitted, mid contrast, full volume, centre panning.
const uint8_t kFactoryGlobals[kGlobalDumpSize - 6] = {
    54, 40, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 64, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 127, 64,
    0,
};
constexpr size_t kGlobalDeviceOffset = 9;

// The parameter map of resources/sysex.xml: address 01 b carries sound byte b,
// 02 b global byte b; six sound parameters keep addresses of their own.
constexpr uint8_t kSoundAddressPage = 0x01;
constexpr uint8_t kGlobalAddressPage = 0x02;
constexpr uint8_t kPolyChainIdAddress = 0x40;
struct OwnAddress {
    uint8_t a, b;
    int soundByte;
};
const OwnAddress kOwnAddresses[] = {
    {0x00, 0x02, 7},    // oscillator 1 shape
    {0x29, 0x00, 13},   // oscillator 2 shape
    {0x6B, 0x00, 19},   // oscillator 3 shape
    {0x70, 0x00, 26},   // LFO 1 shape
    {0x7B, 0x01, 113},  // pattern length
    {0x10, 0x00, 59},   // volume
};

// Sound bytes a single value sets: the dump map's bytes 7..114 without the
// four carried ones (88..91) and the pattern steps (97..112), whose byte
// packs three settings. The semitones are stored 16 up, the arpeggiator
// clock one up (its byte 0 and 1 both read as 0).
bool IsSoundParameterByte(int byte)
{
    return byte >= 7 && byte <= 114 && !(byte >= 88 && byte <= 91) && !(byte >= 97 && byte <= 112);
}
int SoundOffset(int byte)
{
    if (byte == 46) {
        return 1;
    }
    return byte == 9 || byte == 15 || byte == 21 ? 16 : 0;
}
// Global bytes with a setting: 5..24, volume 35 and panning 36; master tune
// and transpose are stored 54 and 40 up.
bool IsGlobalParameterByte(int byte)
{
    return (byte >= 5 && byte <= 24) || byte == 35 || byte == 36;
}
int GlobalOffset(int byte)
{
    return byte == 5 ? 54 : byte == 6 ? 40 : 0;
}

bool IsFramedOfSize(const Bytes& message, size_t size, uint8_t command)
{
    return message.size() == size && IsZelto2Message(message) && message[4] == command;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

}  // namespace

std::optional<SoundAddress> DecodeAddress(uint8_t high, uint8_t low)
{
    if (high == kEditBufferHigh && low == kEditBufferLow) {
        return SoundAddress{true, 0};
    }
    if (high > 0x7F || low > 0x7F) {
        return std::nullopt;
    }
    const int slot = high * 128 + low;
    if (slot >= kSlotCount) {
        return std::nullopt;
    }
    return SoundAddress{false, slot};
}

Bytes EncodeAddress(const SoundAddress& address, ReplyForm form)
{
    if (address.editBuffer) {
        return {kEditBufferHigh, kEditBufferLow};
    }
    if (form == ReplyForm::BankProgram) {
        return {static_cast<uint8_t>(address.slot / kProgramsPerBank),
            static_cast<uint8_t>(address.slot % kProgramsPerBank)};
    }
    return {static_cast<uint8_t>(address.slot / 128), static_cast<uint8_t>(address.slot % 128)};
}

const Bytes& InitSound()
{
    static const Bytes sound(kInitSound, kInitSound + kSoundDumpSize);
    return sound;
}

uint8_t Checksum(const Bytes& framed)
{
    unsigned sum = 0;
    for (size_t i = 1; i + 2 < framed.size(); ++i) {
        sum += framed[i];
    }
    return static_cast<uint8_t>(sum % 128);
}

bool IsZelto2Message(const Bytes& message)
{
    return message.size() >= 6 && message.front() == kSysExStart && message.back() == kSysExEnd
        && message[1] == kManufacturer && message[2] == kModel;
}

Bytes MakeSoundDump(const Bytes& sound, uint8_t device, const SoundAddress& address, ReplyForm form)
{
    Bytes dump = sound;
    dump.resize(kSoundDumpSize, 0);
    dump[0] = kSysExStart;
    dump[1] = kManufacturer;
    dump[2] = kModel;
    dump[3] = device;
    dump[4] = kSoundDump;
    const Bytes addressBytes = EncodeAddress(address, form);
    dump[5] = addressBytes[0];
    dump[6] = addressBytes[1];
    dump[kSoundDumpSize - 1] = kSysExEnd;
    dump[kChecksumOffset] = Checksum(dump);
    return dump;
}

Bytes MakeDefaultGlobalDump(uint8_t device)
{
    Bytes dump(kGlobalDumpSize);
    const uint8_t header[] = {kSysExStart, kManufacturer, kModel, device, kGlobalDump};
    std::copy(std::begin(header), std::end(header), dump.begin());
    std::copy(std::begin(kFactoryGlobals), std::end(kFactoryGlobals), dump.begin() + sizeof header);
    dump[kGlobalDumpSize - 1] = kSysExEnd;
    dump[kGlobalDeviceOffset] = device;
    dump[kGlobalDumpSize - 2] = Checksum(dump);
    return dump;
}

std::optional<Request> ParseRequest(const Bytes& message)
{
    if (IsFramedOfSize(message, kGlobalRequestSize, kGlobalRequest)) {
        return Request{kGlobalRequest, message[3], {}};
    }
    if (IsFramedOfSize(message, kSoundRequestSize, kSoundRequest)) {
        if (auto address = DecodeAddress(message[5], message[6])) {
            return Request{kSoundRequest, message[3], *address};
        }
    }
    return std::nullopt;
}

std::optional<SoundAddress> ParseSoundDumpAddress(const Bytes& message)
{
    if (!IsFramedOfSize(message, kSoundDumpSize, kSoundDump)) {
        return std::nullopt;
    }
    return DecodeAddress(message[5], message[6]);
}

std::optional<ParameterTarget> ParameterTargetOf(uint8_t a, uint8_t b)
{
    for (const OwnAddress& own : kOwnAddresses) {
        if (own.a == a && own.b == b) {
            return ParameterTarget{Memory::Sound, own.soundByte, 0};
        }
    }
    if (a == kSoundAddressPage && IsSoundParameterByte(b)) {
        return ParameterTarget{Memory::Sound, b, SoundOffset(b)};
    }
    if (a == kGlobalAddressPage && IsGlobalParameterByte(b)) {
        return ParameterTarget{Memory::Global, b, GlobalOffset(b)};
    }
    if (a == kGlobalAddressPage && (b == kPolyChainIdAddress || b == kPolyChainIdAddress + 1)) {
        return ParameterTarget{Memory::PolyChain, b - kPolyChainIdAddress, 0};
    }
    return std::nullopt;
}

std::vector<Bytes> SplitSysEx(const Bytes& stream)
{
    std::vector<Bytes> messages;
    Bytes current;
    bool inside = false;
    for (uint8_t byte : stream) {
        if (byte == kSysExStart) {
            current.assign(1, byte);
            inside = true;
        } else if (inside) {
            current.push_back(byte);
            if (byte == kSysExEnd) {
                messages.push_back(current);
                inside = false;
            }
        }
    }
    return messages;
}

std::string ToHex(const Bytes& bytes)
{
    std::string text;
    char pair[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        if (i > 0) {
            text += ' ';
        }
        text += pair;
    }
    return text;
}

std::optional<Bytes> ParseHex(const std::string& text)
{
    Bytes bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size()) {
            return std::nullopt;
        }
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        const bool separated = i + 2 == text.size() || std::isspace(static_cast<unsigned char>(text[i + 2]));
        if (high < 0 || low < 0 || !separated) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        i += 2;
    }
    return bytes;
}

}  // namespace zelto2sim
