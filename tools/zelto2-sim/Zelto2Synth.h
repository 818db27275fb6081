#pragma once
// The simulated Zelto 2's memory and its answers: 500 sound slots, the edit
// buffer and the global settings. Data in, bytes out: the program around it
// does the MIDI, the delays and the log.

#include <array>
#include <optional>

#include "Zelto2Protocol.h"

namespace zelto2sim {

class Zelto2Synth {
public:
    explicit Zelto2Synth(uint8_t deviceId);

    // Handles one incoming message; returns what the synth answers (often
    // nothing). Requests are answered only when their device byte is ours.
    std::vector<Bytes> Receive(const Bytes& message);

    // Stores the sound dumps of a .syx file: each slot-addressed dump in its
    // slot; edit-buffer dumps fill the slots from 0 upward that no
    // slot-addressed dump of the file names. Returns how many were stored.
    int LoadSounds(const std::vector<Bytes>& messages);

    // How slot-addressed replies carry their slot (default: the slot form).
    void SetReplyForm(ReplyForm form) { replyForm_ = form; }

    uint8_t DeviceId() const { return deviceId_; }
    int Bank() const { return bank_; }
    const Bytes& Sound(const SoundAddress& address) const;
    const Bytes& GlobalDump() const { return globalDump_; }

private:
    Bytes& SoundAt(const SoundAddress& address);
    std::vector<Bytes> Answer(const Request& request) const;
    void ReceiveChannelMessage(const Bytes& message);

    uint8_t deviceId_;
    ReplyForm replyForm_ = ReplyForm::Slot;
    int bank_ = 0;
    std::array<Bytes, kSlotCount> slots_;
    Bytes editBuffer_;
    Bytes globalDump_;
};

}  // namespace zelto2sim
