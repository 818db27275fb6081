#include "Zelto2Protocol.h"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <cstdio>

namespace zelto2sim {

namespace {

// Global settings of a synth fresh from the factory, bytes 5..37 of the
// global dump: tune and transpose centred, MIDI channel 1, local control on,
// parameters transmitted, mid contrast, full volume, centre panning.
const uint8_t kFactoryGlobals[kGlobalDumpSize - 6] = {
    54, 40, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 64, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 127, 64,
    0,
};
constexpr size_t kGlobalDeviceOffset = 9;

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
    if (high == zsysex::kEditBufferAddress.high && low == zsysex::kEditBufferAddress.low) {
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

Bytes EncodeAddress(const SoundAddress& address)
{
    const zsysex::SoundAddress bytes = address.editBuffer
        ? zsysex::kEditBufferAddress
        : zsysex::soundAddress(address.slot / kProgramsPerBank, address.slot % kProgramsPerBank);
    return {bytes.high, bytes.low};
}

const Bytes& InitSound()
{
    static const Bytes sound(zsysex::initSinglePatch, zsysex::initSinglePatch + kSoundDumpSize);
    return sound;
}

uint8_t Checksum(const Bytes& framed)
{
    // An empty range (fewer than 4 bytes) sums to 0.
    return zsysex::checksum(framed.data(), 1, static_cast<int>(framed.size()) - 3);
}

bool IsZelto2Message(const Bytes& message)
{
    return message.size() >= 6 && message.front() == zsysex::kStart && message.back() == zsysex::kEnd
        && message[1] == kManufacturer && message[2] == kModel;
}

Bytes MakeSoundDump(const Bytes& sound, uint8_t device, const SoundAddress& address)
{
    Bytes dump = sound;
    dump.resize(kSoundDumpSize, 0);
    dump[0] = zsysex::kStart;
    dump[1] = kManufacturer;
    dump[2] = kModel;
    dump[3] = device;
    dump[4] = kSoundDump;
    const Bytes addressBytes = EncodeAddress(address);
    dump[5] = addressBytes[0];
    dump[6] = addressBytes[1];
    dump[kSoundDumpSize - 1] = zsysex::kEnd;
    dump[kChecksumOffset] = Checksum(dump);
    return dump;
}

Bytes MakeDefaultGlobalDump(uint8_t device)
{
    Bytes dump(kGlobalDumpSize);
    const uint8_t header[] = {zsysex::kStart, kManufacturer, kModel, device, kGlobalDump};
    std::copy(std::begin(header), std::end(header), dump.begin());
    std::copy(std::begin(kFactoryGlobals), std::end(kFactoryGlobals), dump.begin() + sizeof header);
    dump[kGlobalDumpSize - 1] = zsysex::kEnd;
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

std::vector<Bytes> SplitSysEx(const Bytes& stream)
{
    std::vector<Bytes> messages;
    Bytes current;
    bool inside = false;
    for (uint8_t byte : stream) {
        if (byte == zsysex::kStart) {
            current.assign(1, byte);
            inside = true;
        } else if (inside) {
            current.push_back(byte);
            if (byte == zsysex::kEnd) {
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
