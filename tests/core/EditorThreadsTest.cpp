// The editor with its threads meeting at once: the render thread, the GUI changing parameters and sending, the hardware
// MIDI input, the clock worker and the host saving the state. Built for ThreadSanitizer, which reports any race; in any
// build every message the GUI routed through the queue reaches the wire once.
#include <algorithm>
#include <thread>

#include "EditorCoreSupport.h"

using namespace coretest;

TEST(EditorThreads, RenderGuiMidiInputAndStateSavesRunTogether)
{
    DataFolder folder;
    folder.write(kLogFile, "");  // the render thread's LOG lines go to the job dispatcher
    RecordingEditor editor;
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
    std::vector<int> routed, arrived;
    for (int i = 0; i < kRounds; ++i)
        routed.push_back(i % 128);
    for (const Bytes& message : editor.wire())
        if (message.size() == 3 && message[0] == 0xB0 && message[1] == 74)
            arrived.push_back(message[2]);
    std::sort(arrived.begin(), arrived.end());
    std::sort(routed.begin(), routed.end());
    EXPECT_EQ(routed, arrived);
}


// The render thread lets the next clock loop run in the very next block after a switch-off; the running loop must still
// end at its next tick.
TEST(EditorThreads, SwitchingTheClockOffWhilePlayingEndsItsTicksWithinOneTick)
{
    DataFolder folder;
    RecordingEditor editor;
    plainRanges(editor);
    readyToRender(editor, 64);
    editor.hostPlaying = true;
    editor.GetParam(kOverrideTempo)->Set(1.0);  // the host's 120 BPM: a tick every 20.8 ms
    for (int round = 0; round < 3; ++round) {
        editor.SetParameterFromGUI(kSendMIDIClockInfo, 1.0 / 127.0);
        const size_t on = editor.renderUntilBytes(0).size();
        ASSERT_LE(on + 2, editor.renderUntilBytes(on + 2).size()) << round;
        editor.SetParameterFromGUI(kSendMIDIClockInfo, 0.0);
        const size_t off = editor.renderUntilBytes(0).size();
        editor.renderUntil([&](const auto&, bool) { return editor.midiMessageManager->clockThreadIdle(); });
        EXPECT_TRUE(editor.midiMessageManager->clockThreadIdle()) << round << ": the clock goes on";
        EXPECT_LE(editor.renderUntilBytes(0).size(), off + 1) << round;
    }
}
