#pragma once
// One user session: a private JACK server, the simulated Zelto 2 and the host
// program on the real bundle in script mode with its headless view. The test
// writes script lines and gets their answers; the synth's wire log tells what
// reached the hardware.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/FileBytes.h"
#include "support/JackServer.h"
#include "support/SimulatedSynth.h"
#include "support/Subprocess.h"

namespace e2e {

using Bytes = std::vector<uint8_t>;
using testsupport::kGenerousTimeout;

// Window pixel of a point of the panel (surface coordinates at the normal size).
struct At {
    int x, y;
};

// The sound dumps among wire-log lines.
std::vector<Bytes> DumpsIn(const std::vector<std::string>& lines);
using testsupport::ReadFileBytes, testsupport::WriteFileBytes;

// A sound dump of slot or of the edit buffer (slot < 0) for device 0, from
// the simulated synth's own reading of the protocol: the INIT sound's bytes
// with these changes, named and with its checksum.
Bytes SoundDump(int slot, const std::string& name, const std::vector<std::pair<int, uint8_t>>& changes);

class HostSession : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the synth with these options (once per session).
    void StartSynth(const std::vector<std::string>& options = {})
    {
        std::string error;
        ASSERT_TRUE(synth.Start(&error, options)) << error;
    }
    // Starts the host program and opens the view.
    void StartHost();
    // Quits the host program and waits for its end.
    void QuitHost();

    // One script line; its answer ("ok ..." or "error ...").
    std::string Run(const std::string& line);
    // Runs each line and expects "ok" answers.
    void RunAll(const std::vector<std::string>& lines);
    // "click X Y", "dblclick X Y", "drag X Y DX DY" at the panel point.
    static std::string Line(const std::string& verb, At at, const std::string& rest = "");
    // Clicks the panel point; with a menu answer queued first when given.
    void Click(At at, const std::string& menuAnswer = "")
    {
        if (!menuAnswer.empty())
            RunAll({"menu " + menuAnswer});
        RunAll({Line("click", at)});
    }
    // Runs the line until done holds: the progress overlay of a running job
    // takes the clicks, and a job started while another runs is dropped, as a
    // user pressing too early finds. (Menus are not pressed again: an answer
    // queued for a menu that never opened would answer the next one.)
    bool RepeatUntil(const std::string& line, const std::function<bool()>& done)
    {
        return WaitUntil([&] {
            RunAll({line});
            return done();
        });
    }
    bool RepeatUntilReceived(const std::string& line, const std::function<bool(const std::vector<std::string>&)>& received)
    {
        const auto heard = [&] { return synth.WaitForReceivedLines(received, std::chrono::milliseconds(500)); };
        return RepeatUntil(line, heard);
    }
    bool PressUntilReceived(At at, const std::function<bool(const std::vector<std::string>&)>& received)
    {
        return RepeatUntilReceived(Line("click", at), received);
    }
    bool PressUntilParam(At at, int index, double value)
    {
        return RepeatUntil(Line("click", at), [&] { return Param(index) == value; });
    }
    // The value `param` reads.
    double Param(int index);
    // Waits in script steps (the view runs meanwhile) until done holds, with a deadline.
    bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = kGenerousTimeout);
    bool WaitForParam(int index, double value, std::chrono::milliseconds timeout = kGenerousTimeout)
    {
        return WaitUntil([&] { return Param(index) == value; }, timeout);
    }

    // Sound dumps (137 bytes) among the wire-log lines so far.
    std::vector<Bytes> DumpsOnTheWire() const { return DumpsIn(synth.Received()); }
    bool WaitForDumps(size_t count, std::chrono::milliseconds timeout = kGenerousTimeout) const
    {
        return synth.WaitForReceivedLines([=](const auto& lines) { return DumpsIn(lines).size() >= count; }, timeout);
    }

    std::string dataFolder;  // the editor's ZELTO2X_DATA_FOLDER
    std::string scratch;     // files of the test outside the data folder
    testsupport::JackServer server;
    testsupport::SimulatedSynth synth;

private:
    testsupport::Subprocess host_;
    size_t asked_ = 0;
};

}  // namespace e2e
