// A whole session in one process for ThreadSanitizer: the editor with the
// bundle's configuration and its view open on the headless window system,
// the host's render thread playing and stopping the transport with the clock
// on, the GUI turning knobs and starting requests and randomizing, and the
// simulated synth's answers and knob moves arriving on a MIDI input thread,
// while the request, clock and clock start/stop workers run their jobs (the
// device enquiry first, which tells a recovered bank when it ends). At the
// end the panel shows the sound the synth holds, and the synth refused nothing.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <thread>

#include "IGraphics.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "Zelto2Synth.h"
#include "Zelto2X.h"
#include "e2e/SoundDumpMap.h"
#include "dovor/timing.h"
#include "platform/DataFolder.h"
#include "platform/HeadlessWindowSystem.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Real time, ten times faster: the workers' pauses pass quickly.
struct FastClock : dovor::VirtualClock {
    void sleepMicroseconds(int64_t us) override { std::this_thread::sleep_for(std::chrono::microseconds(us / 10)); }
    uint32_t tickCount() override
    {
        const auto since = std::chrono::steady_clock::now() - m_start;
        return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count() * 10);
    }
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// The editor wired to the simulated synth: what it sends reaches the synth
// at once; the synth's answers wait for the MIDI input thread, as on a port.
class SessionEditor : public Zelto2X {
public:
    SessionEditor() : Zelto2X(IPluginInstanceInfo()) {}
    // The workers call into this class: they are stopped and joined before its members go.
    ~SessionEditor() override
    {
        stopInput();
        delete midiMessageManager;
        midiMessageManager = nullptr;
    }

    bool SendMidiMsg(IMidiMsg* msg) override { return deliver({msg->mStatus, msg->mData1, msg->mData2}); }
    bool SendMidiSysex(unsigned char* data, int size) override
    {
        Bytes message(data, data + size);
        if (message.empty() || message.front() != 0xF0) {
            message.insert(message.begin(), 0xF0);
            message.push_back(0xF7);
        }
        return deliver(message);
    }
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override { return deliver(bytes); }
    double GetTempo() override { return 240.0; }
    void GetTime(ITimeInfo* info) override { info->mTransportIsRunning = playing.load(); }

    // The MIDI input thread: the synth's answers and its own knob moves.
    void runInput()
    {
        for (int knob = 0;; ++knob) {
            std::deque<Bytes> arrived;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_arrived.wait_for(lock, std::chrono::milliseconds(2), [this] { return m_stop || !m_answers.empty(); });
                if (m_stop)
                    return;
                arrived.swap(m_answers);
            }
            for (Bytes& answer : arrived) {
                ISysEx sysex(0, answer.data(), static_cast<int>(answer.size()));
                ProcessSysEx(&sysex, true);
            }
            IMidiMsg cc(0, 0xB0, 74, static_cast<uint8_t>(knob % 128));
            ProcessMidiMsg(&cc, true);
        }
    }
    void stopInput()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
        m_arrived.notify_all();
    }
    // What the synth answered, refused and heard so far.
    struct Heard {
        size_t answers = 0;
        std::vector<std::string> refusals;
        size_t realtime[8] = {};  // one-byte real-time messages (F8, FA, FC) by their low three bits
    };
    Heard heard() const { std::lock_guard<std::mutex> lock(m_mutex); return m_heard; }
    Bytes synthSound() const { std::lock_guard<std::mutex> lock(m_mutex); return m_synth.Sound({true, 0}); }

    std::atomic<bool> playing {false};

private:
    bool deliver(const Bytes& message)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (message.size() == 1 && message[0] >= 0xF8)
            ++m_heard.realtime[message[0] & 0x07];
        std::string refusal;
        for (Bytes& answer : m_synth.Receive(message, &refusal)) {
            m_answers.push_back(std::move(answer));
            ++m_heard.answers;
        }
        if (!refusal.empty())
            m_heard.refusals.push_back(refusal);
        m_arrived.notify_all();
        return true;
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    zelto2sim::Zelto2Synth m_synth {0};
    std::deque<Bytes> m_answers;
    Heard m_heard;
    bool m_stop = false;
};

class SessionThreads : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The data folder is the test program's own (tests/support/TestIsolation.cpp).
        ASSERT_NE(nullptr, dlopen(ZELTO2X_MARKER_MODULE, RTLD_NOW | RTLD_LOCAL)) << dlerror();
        dovor::SetVirtualClock(&clock);
        platform::WindowSystem::SetShared(std::make_unique<platform::HeadlessWindowSystem>());
        headless = static_cast<platform::HeadlessWindowSystem*>(&platform::WindowSystem::Shared());
    }
    void TearDown() override
    {
        platform::WindowSystem::SetShared(nullptr);
        dovor::SetVirtualClock(nullptr);
    }

    // Steps the window's loop (redraws included) until done holds or the deadline passes.
    bool runGuiUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        bool held;
        for (; !(held = done()) && std::chrono::steady_clock::now() <= deadline; headless->ProcessEvents(40))
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return held;
    }

    FastClock clock;
    platform::HeadlessWindowSystem* headless = nullptr;
};

TEST_F(SessionThreads, GuiRenderMidiInputAndTheThreeWorkersRunTogether)
{
    testing::internal::CaptureStdout();
    // A bank the last session kept: told from the request worker once the enquiry has its answer.
    const std::string recovered = platform::DataFolderPath() + "Recovered Banks/";
    std::filesystem::create_directories(recovered);
    std::ofstream(recovered + "Kept.syx") << "kept";
    std::ofstream(recovered + ".untold") << "Kept.syx";
    auto editor = std::make_unique<SessionEditor>();
    editor->GetGUI()->OpenWindow(nullptr);
    editor->midiMessageManager->startJobDispatcher();  // as choosing the output does
    editor->midiOutSet = true;
    editor->GetParam(kOverrideTempo)->Set(1.0);
    editor->SetParameterFromGUI(kSendMIDIClockPointer, 1.0);
    editor->SetParameterFromGUI(kSendMIDIClockInfo, 1.0);

    std::thread input([&] { editor->runInput(); });
    std::atomic<bool> rendering {true};
    std::thread render([&] {
        for (int block = 0; rendering; ++block) {
            editor->playing = (block / 40) % 2 == 0;
            editor->ProcessDoubleReplacing(nullptr, nullptr, 256);
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });

    // Told, the note goes (the synth's knob moves take the status display at once).
    editor->sendSysExInitialization();
    EXPECT_TRUE(runGuiUntil([&] { return !std::filesystem::exists(recovered + ".untold"); }));

    // The GUI: random sounds and requests, with knobs turned meanwhile.
    for (int round = 0; round < 6; ++round) {
        // A busy worker drops a new job: each starts once the last one ended.
        ASSERT_TRUE(runGuiUntil([&] { return editor->midiMessageManager->requestThreadIdle(); })) << round;
        const size_t answers = editor->heard().answers;
        // Pressed and released, as the panel's buttons do.
        editor->SetParameterFromGUI(round % 2 ? kRequestTempData : kRandomize, 1.0);
        editor->SetParameterFromGUI(round % 2 ? kRequestTempData : kRandomize, 0.0);
        for (int turn = 0; turn < 20; ++turn) {
            editor->SetParameterFromGUI(kFilterCutoff, ((round * 20 + turn) % 128) / 127.0);
            headless->ProcessEvents(40);
        }
        EXPECT_TRUE(round % 2 == 0 || runGuiUntil([&] { return editor->heard().answers > answers; })) << round;
    }
    // The last request's answer fills the panel: every value but the cutoff
    // the synth's knob keeps turning.
    const auto panelShowsTheSynthsSound = [&] {
        for (const auto& [param, value] : e2e::PanelValuesOf(editor->synthSound()))
            if (param != kFilterCutoff && editor->GetParam(param)->Value() != value)
                return false;
        return true;
    };
    EXPECT_TRUE(runGuiUntil(panelShowsTheSynthsSound));
    EXPECT_EQ(std::vector<std::string> {}, editor->heard().refusals);
    const auto realtime = [&](uint8_t status) { return editor->heard().realtime[status & 0x07]; };
    EXPECT_TRUE(runGuiUntil([&] { return realtime(0xF8) > 0 && realtime(0xFA) > 1 && realtime(0xFC) > 1; }));
    EXPECT_TRUE(runGuiUntil([&] { return editor->midiMessageManager->requestThreadIdle(); }));

    rendering = false;
    render.join();
    editor->stopInput();
    input.join();
    editor.reset();
    if (const std::string printed = testing::internal::GetCapturedStdout(); HasFailure())
        std::fputs(printed.c_str(), stdout);
}

}  // namespace
