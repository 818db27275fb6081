// The editor with its threads meeting at once: the render thread, the GUI changing parameters and sending, the hardware
// MIDI input, the clock worker and the host saving the state. Built for ThreadSanitizer, which reports any race.
#include <chrono>
#include <thread>

#include "EditorCoreSupport.h"
#include "RenderLog.h"

using namespace coretest;

namespace {

// Counts the continuous clock's F8 bytes as the clock worker sends them.
class ClockCountingEditor : public RecordingEditor {
public:
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override
    {
        ticks += bytes == std::vector<unsigned char> {0xF8};
        return true;
    }
    // Renders a block every millisecond until done() or 5 s have passed.
    bool renderUntil(const std::function<bool()>& done)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!done() && std::chrono::steady_clock::now() < deadline) {
            render(64);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return done();
    }
    void switchClock(bool on)
    {
        GetParam(kSendMIDIClockInfo)->Set(on ? 1.0 : 0.0);
        OnParamChange(kSendMIDIClockInfo);
    }
    std::atomic<int> ticks {0};
};

}  // namespace

// The render thread lets the next clock loop run in the very next block after
// a switch-off; the running loop must still end at its next tick.
TEST(EditorThreads, SwitchingTheClockOffWhilePlayingEndsItsTicksWithinOneTick)
{
    DataFolder folder;
    ClockCountingEditor editor;
    plainRanges(editor);
    readyToRender(editor, 64);
    editor.hostPlaying = true;
    editor.GetParam(kOverrideTempo)->Set(1.0);  // the host's 120 BPM: a tick every 20.8 ms
    quietly([&] {
        for (int round = 0; round < 3; ++round) {
            editor.switchClock(true);
            const int on = editor.ticks;
            ASSERT_TRUE(editor.renderUntil([&] { return editor.ticks >= on + 2; })) << "round " << round;
            editor.switchClock(false);
            const int off = editor.ticks;
            EXPECT_TRUE(editor.renderUntil([&] { return editor.midiMessageManager->clockThreadIdle(); }))
                << "round " << round << ": the clock loop goes on";
            EXPECT_LE(editor.ticks - off, 1) << "round " << round;
        }
    });
}

TEST(EditorThreads, RenderGuiMidiInputAndStateSavesRunTogether)
{
    DataFolder folder;
    Zelto2X editor {IPluginInstanceInfo()};
    plainRanges(editor);
    readyToRender(editor, 64);
    // The render thread starts the clock worker, which sends its ticks alongside.
    editor.continuousClockStarted = false;
    editor.sendClockInfo = true;
    editor.GetParam(kOverrideTempo)->Set(1.0);
    constexpr int kRounds = 300;

    std::thread render([&] {
        for (int i = 0; i < kRounds; ++i)
            editor.ProcessDoubleReplacing(nullptr, nullptr, 64);
    });
    std::thread gui([&] {
        for (int i = 0; i < kRounds; ++i) {
            editor.SetParameterFromGUI(kFilterCutoff, (i % 128) / 127.0);
            IMidiMsg msg(i % 100, 0xB0, 74, static_cast<uint8_t>(i % 128));
            editor.MIDIOutRoutingSwitch(&msg);
        }
    });
    std::thread midiInput([&] {
        Bytes dump = initDump();
        for (int i = 0; i < kRounds; ++i) {
            IMidiMsg cc(0, 0xB0, 7, static_cast<uint8_t>(i % 128));
            editor.ProcessMidiMsg(&cc, true);
            if (i % 50 == 0) {
                ISysEx sysex(0, dump.data(), static_cast<int>(dump.size()));
                editor.ProcessSysEx(&sysex, true);
            }
        }
    });
    std::thread host([&] {
        for (int i = 0; i < kRounds / 10; ++i) {
            ByteChunk chunk;
            editor.SerializeState(&chunk);
            EXPECT_EQ(3952, chunk.Size());  // five 8-character names around the short form
        }
    });
    quietly([&] {
        render.join();
        gui.join();
        midiInput.join();
        host.join();
    });
    // Whatever the GUI queued for the hardware leaves in later blocks.
    for (int i = 0; i < 200 && editor.midiQueue.ToDo() > 0; ++i)
        editor.ProcessDoubleReplacing(nullptr, nullptr, 64);
    EXPECT_EQ(0, editor.midiQueue.ToDo());
}

// The render thread's LOG lines reach the writing thread whole and in order; a line that finds the ring full is lost
// and says so.
TEST(EditorThreads, RenderLogLinesReachTheWriterWholeAndInOrder)
{
    RenderLog log;
    constexpr int kLines = 3000;
    std::atomic<int> lost {0};
    std::atomic<bool> posted {false};
    std::thread render([&] {
        for (int i = 0; i < kLines; ++i)
            lost += !log.post("PROCESSOR: line %d", i);
        posted = true;
    });
    std::vector<std::string> written;
    auto write = [&] { log.drain([&](const char* line) { written.emplace_back(line); }); };
    while (!posted)
        write();
    render.join();
    write();
    ASSERT_EQ(kLines, lost + static_cast<int>(written.size()));
    for (size_t i = 1; i < written.size(); ++i)
        EXPECT_LT(std::stoi(written[i - 1].substr(16)), std::stoi(written[i].substr(16))) << written[i];
    for (const std::string& line : written)
        EXPECT_EQ(line, "PROCESSOR: line " + line.substr(16));
}
