#pragma once
// The simulated Zelto 2 (tools/zelto2-sim) as a child process of a test: its
// wire log (one line of hex bytes per received message) and its status
// lines are collected; Send() makes it send a message.

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/Subprocess.h"

namespace testsupport {

// How long a wait for something that must come may take: it ends a test
// only on a fault, so it is sized for a machine under heavy load.
constexpr std::chrono::milliseconds kGenerousTimeout{30000};

class SimulatedSynth {
public:
    // Stops the program the way a person would, so its MIDI clients close.
    ~SimulatedSynth() { Stop(); }
    // extraArgs: options of the program; name: its MIDI client prefix.
    bool Start(std::string* error, std::vector<std::string> extraArgs = {}, const std::string& name = "Zelto 2");
    // 0: its input closed, as a user quits it; SIGKILL: at once.
    void Stop(int signal = 0);

    // Full port names as the JACK back end lists them.
    std::string InputPortName() const { return name_ + " In:MIDI In"; }
    std::string OutputPortName() const { return name_ + " Out:MIDI Out"; }

    // Makes the synth send one message given as hex, e.g. "90 3C 64".
    bool Send(const std::string& hex) { return process_.WriteLine("send " + hex); }
    // Waits for a wire-log line equal to hex.
    bool WaitForReceived(const std::string& hex, std::chrono::milliseconds timeout = kGenerousTimeout) const
    {
        return process_.Stdout().WaitFor([&](const std::string& line) { return line == hex; }, timeout);
    }
    // Waits until done holds for the wire-log lines so far.
    bool WaitForReceivedLines(const std::function<bool(const std::vector<std::string>&)>& done,
        std::chrono::milliseconds timeout = kGenerousTimeout) const
    {
        return process_.Stdout().WaitForLines(done, timeout);
    }
    std::vector<std::string> Received() const { return process_.Stdout().Lines(); }
    // What it refused so far ("refused a sound dump with checksum ..."): a
    // session that ends with none has sent only dumps with the synth's
    // device byte and a right checksum.
    std::vector<std::string> Refusals() const;

private:
    std::string name_;
    Subprocess process_;
};

}  // namespace testsupport
