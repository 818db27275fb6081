#include "Zelto2Synth.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>

namespace zelto2sim {

namespace {
constexpr uint8_t kBankSelectLsb = 32;
constexpr uint8_t kDataEntry = 6;
constexpr uint8_t kNrpnLsb = 98;
constexpr uint8_t kNrpnMsb = 99;
constexpr int kBankCount = kSlotCount / kProgramsPerBank;
constexpr int kGlobalDeviceByte = 9;
constexpr size_t kGlobalChecksumByte = kGlobalDumpSize - 2;
// The command byte the editor gives a sound it converted from the older model.
constexpr uint8_t kConvertedSound = 0x00;

// A sound of a file: a sound dump, or a sound the editor converted.
std::optional<SoundAddress> FileSoundAddress(const Bytes& message)
{
    if (message.size() == kSoundDumpSize && IsZelto2Message(message) && message[4] == kConvertedSound) {
        return DecodeAddress(message[5], message[6]);
    }
    return ParseSoundDumpAddress(message);
}

std::string Format(const char* format, ...)
{
    char text[128];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}
}  // namespace

Zelto2Synth::Zelto2Synth(uint8_t deviceId)
    : deviceId_(deviceId), editBuffer_(InitSound()), globalDump_(MakeDefaultGlobalDump(deviceId))
{
    slots_.fill(InitSound());
}

const Bytes& Zelto2Synth::Sound(const SoundAddress& address) const
{
    return address.editBuffer ? editBuffer_ : slots_[address.slot];
}

Bytes& Zelto2Synth::SoundAt(const SoundAddress& address)
{
    return address.editBuffer ? editBuffer_ : slots_[address.slot];
}

std::optional<uint8_t> Zelto2Synth::Nrpn(int msb, int lsb) const
{
    const auto found = nrpns_.find(msb * 128 + lsb);
    return found == nrpns_.end() ? std::nullopt : std::optional<uint8_t>(found->second);
}

std::vector<Bytes> Zelto2Synth::Receive(const Bytes& message, std::string* refusal)
{
    std::string refused;
    std::vector<Bytes> answers;
    if (!message.empty() && message[0] != kSysExStart) {
        ReceiveChannelMessage(message);
    } else if (auto request = ParseRequest(message)) {
        answers = Answer(*request);
    } else if (IsZelto2Message(message) && message[4] == kSoundDump) {
        refused = StoreSoundDump(message);
    } else if (IsZelto2Message(message) && message[4] == kParameterChange) {
        refused = ApplyParameter(message);
    }
    if (refusal) {
        *refusal = refused;
    }
    return answers;
}

// A transfer that went wrong must never pass for a stored sound: the device
// byte and the checksum are checked before anything is kept.
std::string Zelto2Synth::StoreSoundDump(const Bytes& dump)
{
    if (dump.size() != kSoundDumpSize) {
        return Format("a sound dump of %zu bytes", dump.size());
    }
    if (dump[3] != deviceId_) {
        return Format("a sound dump for device %d (this synth is device %d)", dump[3], deviceId_);
    }
    if (dump[kChecksumOffset] != Checksum(dump)) {
        return Format("a sound dump with checksum %02X (its bytes give %02X)", dump[kChecksumOffset], Checksum(dump));
    }
    const std::optional<SoundAddress> address = DecodeAddress(dump[5], dump[6]);
    if (!address) {
        return Format("a sound dump for address %02X %02X", dump[5], dump[6]);
    }
    SoundAt(*address) = dump;
    return {};
}

// Another synth on the chain may be meant: a message for another device is
// ignored without a word, as the requests are.
std::string Zelto2Synth::ApplyParameter(const Bytes& message)
{
    if (message.size() != kParameterMessageSize) {
        return Format("a parameter message of %zu bytes", message.size());
    }
    if (message[3] != deviceId_) {
        return {};
    }
    const std::optional<ParameterTarget> target = ParameterTargetOf(message[5], message[6]);
    if (!target) {
        return Format("a parameter message for address %02X %02X", message[5], message[6]);
    }
    const uint8_t value = static_cast<uint8_t>(std::min(message[7] + target->offset, 127));
    switch (target->memory) {
    case Memory::Sound:
        // No checksum here: a reported sound gets its own when it is sent.
        editBuffer_[target->index] = value;
        break;
    case Memory::Global:
        SetGlobalByte(target->index, value);
        break;
    case Memory::PolyChain:
        polyChain_[target->index] = value;
        break;
    }
    return {};
}

// The global dump carries the device ID twice (its header and byte 9): a new
// ID is the one the synth answers to from the next message on.
void Zelto2Synth::SetGlobalByte(int index, uint8_t value)
{
    globalDump_[index] = value;
    if (index == kGlobalDeviceByte) {
        deviceId_ = value;
        globalDump_[3] = value;
    }
    globalDump_[kGlobalChecksumByte] = Checksum(globalDump_);
}

std::vector<Bytes> Zelto2Synth::Answer(const Request& request) const
{
    if (request.device != deviceId_) {
        return {};
    }
    if (request.command == kGlobalRequest) {
        return {globalDump_};
    }
    return {MakeSoundDump(Sound(request.address), deviceId_, request.address, replyForm_)};
}

// A program change loads that program of the selected bank into the edit
// buffer; any channel is heard.
void Zelto2Synth::ReceiveChannelMessage(const Bytes& message)
{
    const uint8_t kind = message[0] & 0xF0;
    if (kind == 0xB0 && message.size() >= 3 && message[1] < 128 && message[2] < 128) {
        ReceiveControlChange(message[1], message[2]);
    } else if (kind == 0xC0 && message.size() >= 2 && message[1] < kProgramsPerBank) {
        editBuffer_ = slots_[bank_ * kProgramsPerBank + message[1]];
    }
}

// Controllers play the sound; the sound itself has no byte for them, so the
// edit buffer stays as it is. Bank select LSB picks the bank.
void Zelto2Synth::ReceiveControlChange(uint8_t cc, uint8_t value)
{
    controllers_[cc] = value;
    if (cc == kBankSelectLsb && value < kBankCount) {
        bank_ = value;
    } else if (cc == kNrpnMsb) {
        nrpnMsb_ = value;
    } else if (cc == kNrpnLsb) {
        nrpnLsb_ = value;
    } else if (cc == kDataEntry && nrpnMsb_ >= 0 && nrpnLsb_ >= 0) {
        nrpns_[nrpnMsb_ * 128 + nrpnLsb_] = value;
    }
}

int Zelto2Synth::LoadSounds(const std::vector<Bytes>& messages)
{
    std::array<bool, kSlotCount> named{}, filled{};
    for (const Bytes& message : messages) {
        if (auto address = FileSoundAddress(message); address && !address->editBuffer) {
            named[address->slot] = true;
        }
    }
    int stored = 0;
    int nextFree = 0;
    for (const Bytes& message : messages) {
        auto address = FileSoundAddress(message);
        if (!address) {
            continue;
        }
        // The editor's bank files name slot 0 (00 00) in every dump: a slot
        // the file named before takes the next free one, as the edit buffer's do.
        if (address->editBuffer || filled[address->slot]) {
            while (nextFree < kSlotCount && (named[nextFree] || filled[nextFree])) {
                ++nextFree;
            }
            if (nextFree == kSlotCount) {
                continue;
            }
            address = SoundAddress{false, nextFree};
        }
        slots_[address->slot] = message;
        filled[address->slot] = true;
        ++stored;
    }
    return stored;
}

}  // namespace zelto2sim
