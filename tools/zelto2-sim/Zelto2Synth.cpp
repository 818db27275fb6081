#include "Zelto2Synth.h"

namespace zelto2sim {

namespace {
constexpr uint8_t kBankSelectLsb = 32;
constexpr int kBankCount = kSlotCount / kProgramsPerBank;
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

std::vector<Bytes> Zelto2Synth::Receive(const Bytes& message)
{
    if (message.empty()) {
        return {};
    }
    if (message[0] != 0xF0) {
        ReceiveChannelMessage(message);
        return {};
    }
    if (auto request = ParseRequest(message)) {
        return Answer(*request);
    }
    if (auto address = ParseSoundDumpAddress(message)) {
        SoundAt(*address) = message;
    }
    return {};
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

// Bank select LSB picks the bank, a program change loads that bank's program
// into the edit buffer; any channel is heard.
void Zelto2Synth::ReceiveChannelMessage(const Bytes& message)
{
    const uint8_t kind = message[0] & 0xF0;
    if (kind == 0xB0 && message.size() >= 3 && message[1] == kBankSelectLsb) {
        if (message[2] < kBankCount) {
            bank_ = message[2];
        }
    } else if (kind == 0xC0 && message.size() >= 2 && message[1] < kProgramsPerBank) {
        editBuffer_ = slots_[bank_ * kProgramsPerBank + message[1]];
    }
}

int Zelto2Synth::LoadSounds(const std::vector<Bytes>& messages)
{
    std::array<bool, kSlotCount> named{};
    for (const Bytes& message : messages) {
        if (auto address = ParseSoundDumpAddress(message); address && !address->editBuffer) {
            named[address->slot] = true;
        }
    }
    int stored = 0;
    int nextFree = 0;
    for (const Bytes& message : messages) {
        auto address = ParseSoundDumpAddress(message);
        if (!address) {
            continue;
        }
        if (address->editBuffer) {
            while (nextFree < kSlotCount && named[nextFree]) {
                ++nextFree;
            }
            if (nextFree == kSlotCount) {
                continue;
            }
            address = SoundAddress{false, nextFree++};
        }
        slots_[address->slot] = message;
        ++stored;
    }
    return stored;
}

}  // namespace zelto2sim
