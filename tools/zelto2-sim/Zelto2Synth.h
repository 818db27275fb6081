#pragma once
// The simulated Zelto 2's memory and its answers: 500 sound slots, the edit
// buffer, the global settings and the performance controllers. Data in,
// bytes out: the program around it does the MIDI, the delays and the log.

#include <array>
#include <map>
#include <optional>
#include <string>

#include "Zelto2Protocol.h"

namespace zelto2sim {

class Zelto2Synth {
public:
    explicit Zelto2Synth(uint8_t deviceId);

    // Handles one incoming message; returns what the synth answers (often
    // nothing). Requests are answered only when their device byte is ours.
    // A sound dump for another device, with a wrong checksum or of the wrong
    // length, and a parameter message for an address the synth does not
    // have, are refused: nothing changes and *refusal says why (it is left
    // empty for everything else).
    std::vector<Bytes> Receive(const Bytes& message, std::string* refusal = nullptr);

    // Stores the sound dumps of a .syx file: each slot-addressed dump in its
    // slot; edit-buffer dumps, and dumps naming a slot an earlier dump of the
    // file took, fill the slots from 0 upward that no slot-addressed dump of
    // the file names. Returns how many were stored.
    // A file is the synth's memory, not a transfer: its dumps may carry any
    // device byte and checksum byte (the INIT sound's documented 2A is not
    // the sum), and a converted sound's command 00.
    int LoadSounds(const std::vector<Bytes>& messages);

    // How slot-addressed replies carry their slot (default: the slot form).
    void SetReplyForm(ReplyForm form) { replyForm_ = form; }

    uint8_t DeviceId() const { return deviceId_; }
    int Bank() const { return bank_; }
    const Bytes& Sound(const SoundAddress& address) const;
    const Bytes& GlobalDump() const { return globalDump_; }
    // The poly-chain ID (0) and chain length (1).
    uint8_t PolyChain(int which) const { return polyChain_[which]; }
    // The last value of a control change on any channel (0 before the first).
    uint8_t Controller(int cc) const { return controllers_[cc]; }
    // The last value data entry (CC 6) gave the NRPN that CC 99 and 98 chose.
    std::optional<uint8_t> Nrpn(int msb, int lsb) const;

private:
    Bytes& SoundAt(const SoundAddress& address);
    std::vector<Bytes> Answer(const Request& request) const;
    std::string StoreSoundDump(const Bytes& dump);
    std::string ApplyParameter(const Bytes& message);
    void SetGlobalByte(int index, uint8_t value);
    void ReceiveChannelMessage(const Bytes& message);
    void ReceiveControlChange(uint8_t cc, uint8_t value);

    uint8_t deviceId_;
    ReplyForm replyForm_ = ReplyForm::Slot;
    int bank_ = 0;
    std::array<Bytes, kSlotCount> slots_;
    Bytes editBuffer_;
    Bytes globalDump_;
    std::array<uint8_t, 2> polyChain_{};
    std::array<uint8_t, 128> controllers_{};
    int nrpnMsb_ = -1;
    int nrpnLsb_ = -1;
    std::map<int, uint8_t> nrpns_;
};

}  // namespace zelto2sim
