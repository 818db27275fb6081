// Faults a user meets while the real editor talks to the simulated Zelto 2
// program on a private JACK server: the synth vanishes mid-request, the JACK
// server stops under open ports. Time runs ten times faster than real time, so
// a request's 100 ms wait is 10 ms: longer than a JACK round trip (two 2.7 ms
// periods), yet a whole bank takes about a second.

#include <algorithm>
#include <atomic>
#include <functional>
#include <thread>

#include "EditorFixture.h"
#include "IGraphicsStructs.h"
#include "dovor/timing.h"
#include "support/JackSynthTest.h"

namespace {

class TenfoldClock : public dovor::VirtualClock {
public:
    void sleepMicroseconds(int64_t us) override
    {
        std::this_thread::sleep_for(std::chrono::microseconds(us / 10));
        m_nowUs += us;
    }
    uint32_t tickCount() override { return static_cast<uint32_t>(m_nowUs.load() / 1000); }

private:
    std::atomic<int64_t> m_nowUs {0};
};

class CountingEditor : public Zelto2X {
public:
    CountingEditor() : Zelto2X(IPluginInstanceInfo()) {}
    void ProcessSysEx(ISysEx* msg, bool fromHardware) override
    {
        ++sysexReceived;
        Zelto2X::ProcessSysEx(msg, fromHardware);
    }
    std::atomic<int> sysexReceived {0};
};

class WorkerJack : public testsupport::JackSynthTest {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        dovor::SetVirtualClock(&clock);
        JackSynthTest::SetUp();
        if (HasFatalFailure())
            return;
        editor = std::make_unique<CountingEditor>();
        editor->patchLibrarian->initBankFilesOnDiscard("");  // the banks are the test's own
        EditorFixture::giveConfiguredRanges(*editor);
        editor->GetParam(kLibSyncTimer)->Set(4);
        status = std::make_unique<ITextControl>(editor.get(), IRECT(0, 0, 10, 10), &font);
        editor->statusText = status.get();
        editor->getExternalMIDIInNames();
        editor->getExternalMIDIOutNames();
        int in = 1, out = 1;
        ASSERT_GT(editor->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
        ASSERT_GT(editor->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
        editor->midiOutSet = true;
        // JACK takes new connections into use at a later cycle: both ways
        // carry a first message before the test starts.
        ASSERT_TRUE(flows([&] { synth.Send("F0 7E 7F 06 01 F7"); }, [&] { return editor->sysexReceived > 0; }));
        ASSERT_TRUE(flows([&] { editor->SendMidiSysex2({0xF6}); },
            [&] { return synth.WaitForReceived("F6", std::chrono::milliseconds(50)); }));
    }
    void TearDown() override
    {
        editor.reset();
        endJobLogCapture(HasFailure());
        JackSynthTest::TearDown();
    }

    static bool flows(const std::function<void()>& send, const std::function<bool()>& arrived)
    {
        const auto deadline = std::chrono::steady_clock::now() + testsupport::kGenerousTimeout;
        while (std::chrono::steady_clock::now() < deadline) {
            send();
            for (int i = 0; i < 50; ++i) {
                if (arrived())
                    return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
        }
        return false;
    }
    bool requestJobEnded()
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!editor->midiMessageManager->requestThreadIdle()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return true;
    }

    TenfoldClock clock;
    IText font;
    std::unique_ptr<CountingEditor> editor;
    std::unique_ptr<ITextControl> status;
};

}  // namespace

TEST_F(WorkerJack, SynthVanishingMidBankRequestTimesOutGoesOnWithTheNextSoundsAndEndsOnCancel)
{
    PatchFile& bank = EditorFixture::giveLibraryBank(*editor, 0);
    MIDIMessageManager& manager = *editor->midiMessageManager;
    ASSERT_TRUE(manager.sendAllPatchRequestSysexFromLibrarian(1));
    // Three requests answered, then the synth and its ports are gone.
    ASSERT_TRUE(synth.WaitForReceivedLines([](const std::vector<std::string>& lines) {
        return std::count_if(lines.begin(), lines.end(), [](const std::string& line) { return line != "F6"; }) >= 3;
    }));
    synth.Stop();
    // After the first time-out the overlay counts on to the next sound.
    int timedOutAt = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline && (!timedOutAt || manager.progress.get().done <= timedOutAt)) {
        if (!timedOutAt && manager.sender->timedOut)
            timedOutAt = manager.progress.get().done;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_GT(timedOutAt, 0);
    EXPECT_GT(manager.progress.get().done, timedOutAt);
    EXPECT_FALSE(bank.patches[0].messages.empty());
    editor->GetParam(kCancelDataRequestParam)->Set(1);
    editor->OnParamChange(kCancelDataRequestParam);
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(status->GetTextString(), "Data request CANCELLED!");
}

TEST_F(WorkerJack, JackServerStoppingUnderOpenPortsLeavesTheEditorWorkingAndClosable)
{
    synth.Stop();
    server.Stop();
    editor->SetParameterFromGUI(kFilterCutoff, 0.5);
    ASSERT_TRUE(editor->midiMessageManager->sendDeviceIdEnquiry());
    ASSERT_TRUE(requestJobEnded());
    EXPECT_EQ(status->GetTextString(), "No response from Hardware");
    editor.reset();
}
