// The librarian with the simulated Zelto 2 as a separate program on a private
// JACK server: a sound imported into a bank, the bank saved, one slot sent to
// the edit buffer and the whole bank stored; what the synth received is
// compared byte for byte with the bank file on disk.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "IGraphics.h"
#include "IPopupMenuControl.h"
#include "LibrarianScenario.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "dovor/timing.h"
#include "platform/HeadlessWindowSystem.h"
#include "support/JackSynthTest.h"

namespace {

using namespace librarytest;
using testsupport::kGenerousTimeout;

// Real time, ten times faster: a bank store paces its 100 dumps as the
// hardware needs, in a tenth of the wait.
class FastClock : public dovor::VirtualClock {
public:
    void sleepMicroseconds(int64_t us) override { std::this_thread::sleep_for(std::chrono::microseconds(us / 10)); }
    uint32_t tickCount() override
    {
        const auto since = std::chrono::steady_clock::now() - m_start;
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() * 10);
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The sound: parameters, name and category, hex as the wire log writes it.
std::string bodyHex(const Bytes& dump)
{
    std::string hexText;
    char pair[4];
    for (size_t i = 7; i < 135 && i < dump.size(); ++i) {
        std::snprintf(pair, sizeof pair, i == 7 ? "%02X" : " %02X", dump[i]);
        hexText += pair;
    }
    return hexText;
}
std::string bodyOfLine(const std::string& line)
{
    return line.size() >= 135 * 3 ? line.substr(7 * 3, 128 * 3 - 1) : std::string();
}

class LibrarianJackTest : public testsupport::JackSynthTest {
protected:
    void SetUp() override
    {
        JackSynthTest::SetUp();
        if (HasFatalFailure())
            return;
        std::vector<Bytes> alpha;
        for (int i = 0; i < 100; ++i)
            alpha.push_back(validDump(i, "ALPHA " + std::to_string(i + 1), 1 + i % 10));
        writeFile(data.patches() + "/Alpha.zt2", concat(alpha));
        dovor::SetVirtualClock(&clock);
        auto system = std::make_unique<platform::HeadlessWindowSystem>();
        headless = system.get();
        platform::WindowSystem::SetShared(std::move(system));
        editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
        givePlainRanges(*editor);
        editor->GetParam(kLibSyncTimer)->Set(4);
        editor->GetGUI()->OpenWindow(nullptr);
        editor->getExternalMIDIOutNames();
        int out = 1;
        ASSERT_GT(editor->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
        editor->midiOutSet = true;
        ASSERT_TRUE(outputFlows());
    }
    void TearDown() override
    {
        if (editor)
            waitForIdleWorker();
        editor.reset();
        platform::WindowSystem::SetShared(nullptr);
        dovor::SetVirtualClock(nullptr);
        JackSynthTest::TearDown();
    }

    // JACK takes a new connection into use at a later cycle: tune requests until one arrives.
    bool outputFlows()
    {
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        do {
            editor->SendMidiSysex2({0xF6});
            if (synth.WaitForReceived("F6", std::chrono::milliseconds(200)))
                return true;
        } while (std::chrono::steady_clock::now() < deadline);
        return false;
    }
    bool waitForIdleWorker()
    {
        const auto deadline = std::chrono::steady_clock::now() + kGenerousTimeout;
        while (!editor->midiMessageManager->requestThreadIdle())
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return true;
    }
    // The sound dumps among wire-log lines.
    static std::vector<std::string> dumpsIn(const std::vector<std::string>& lines)
    {
        std::vector<std::string> dumps;
        for (const std::string& line : lines)
            if (line.size() == 137 * 3 - 1 && line.compare(0, 14, "F0 3E 16 00 10") == 0)
                dumps.push_back(line);
        return dumps;
    }
    std::vector<std::string> dumpsReceived() const { return dumpsIn(synth.Received()); }
    Bytes diskSlot(int slot) const
    {
        const Bytes file = readFile(data.patches() + "/Alpha.zt2");
        return Bytes(file.begin() + slot * 137, file.begin() + (slot + 1) * 137);
    }

    TempDataFolder data;
    FastClock clock;
    platform::HeadlessWindowSystem* headless = nullptr;
    std::unique_ptr<Zelto2X> editor;
};

TEST_F(LibrarianJackTest, ImportedSavedBankReachesTheSynthByteForByte)
{
    const Bytes imported = validDump(77, "IMPORTED", 4);
    writeFile(data.root + "/Outside/One.syx", imported);
    const size_t soundsBefore = soundsOnDisk(data.patches()).size();

    importAndSave(*editor, *headless, data.root + "/Outside/One.syx", 4);
    ASSERT_EQ(imported, diskSlot(4));
    EXPECT_EQ(soundsBefore, soundsOnDisk(data.patches()).size());

    editor->sendPatchToDeviceFromLibrarian(4, 0);
    ASSERT_TRUE(synth.WaitForReceivedLines([](const std::vector<std::string>& lines) { return !dumpsIn(lines).empty(); }));
    ASSERT_TRUE(waitForIdleWorker());
    ASSERT_EQ(1u, dumpsReceived().size());
    EXPECT_EQ(bodyHex(diskSlot(4)), bodyOfLine(dumpsReceived()[0]));

    editor->SendAllProgramsFromLibrarian(1);
    ASSERT_TRUE(synth.WaitForReceivedLines(
        [](const std::vector<std::string>& lines) { return dumpsIn(lines).size() >= 101; }));
    const std::vector<std::string> stored = dumpsReceived();
    for (int slot = 0; slot < 100; ++slot)
        EXPECT_EQ(bodyHex(diskSlot(slot)), bodyOfLine(stored[static_cast<size_t>(slot) + 1])) << slot;
}

}  // namespace
