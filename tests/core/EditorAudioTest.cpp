// The render routine: timed output of the queue, All Notes Off after a reset,
// the host tempo on the arpeggiator, the activity LED; and the editor's Reset.
#include <algorithm>

#include "EditorCoreSupport.h"
#include "MIDIMessageManager.h"
#include "dovor/timing.h"

using namespace coretest;

namespace {

class EditorAudio : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        editor->GetParam(kGlobalMidiChannel)->Set(3);
        editor->resetPending = false;  // the start-up Reset's
    }
    // Control changes with data1 = 1, 2, ... at the offsets, on an empty queue and wire.
    void queueAfresh(std::initializer_list<int> offsets)
    {
        editor->clearWire();
        editor->midiQueue.Clear();
        queued = 0;
        queue(offsets);
    }
    void queue(std::initializer_list<int> offsets)
    {
        for (int offset : offsets) {
            IMidiMsg msg(offset, 0xB2, static_cast<uint8_t>(++queued), 1);
            editor->midiQueue.Add(&msg);
        }
    }
    std::vector<int> sentData1()
    {
        std::vector<int> out;
        for (const Bytes& msg : editor->wire())
            out.push_back(msg[1]);
        return out;
    }

    int queued = 0;
};

}  // namespace

TEST_F(EditorAudio, WithoutAnOutputTheBlockOnlyFollowsTheTransport)
{
    editor->midiOutSet = false;
    editor->hostPlaying = true;
    editor->toDAWBuffer = true;
    editor->dawOffset = 512;
    editor->midiLedOn = 1;
    queue({0});
    clock.sleepMicroseconds(500000);
    editor->render();
    EXPECT_EQ((std::vector<int> {1, 1, 1}),
              (std::vector<int> {editor->midiQueue.ToDo(), editor->midiLedOn, editor->transportRunning}));
    EXPECT_TRUE(editor->wire().empty());
    editor->hostPlaying = false;
    editor->render();
    EXPECT_FALSE(editor->transportRunning);  // the value display reads it
}

TEST_F(EditorAudio, QueuedMessagesLeaveBelowTheDawOffsetInOrderWithoutTheHostBufferDueOnesAreDiscardedABusyPortKeepsThem)
{
    struct Case {
        bool hostBuffer;
        int dawOffset;
        std::vector<int> sentFirstBlock;
        int left;
    } const cases[] = {{true, 0, {}, 4}, {true, 1, {1, 2}, 2}, {true, 1024, {1, 2, 3}, 1}, {true, -5, {1, 2}, 2},
                       {false, 0, {}, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hostBuffer << " " << c.dawOffset);
        editor->toDAWBuffer = c.hostBuffer;
        editor->dawOffset = c.dawOffset;
        queueAfresh({0, 0, 1023, 1024});
        editor->render();
        EXPECT_EQ(c.sentFirstBlock, sentData1());
        EXPECT_EQ(c.left, editor->midiQueue.ToDo());
    }
    // A busy port keeps them queued in their order.
    editor->toDAWBuffer = true;
    editor->dawOffset = 512;
    queueAfresh({0, 10});
    editor->portBusy = true;
    editor->render();
    EXPECT_TRUE(editor->wire().empty());
    queue({0});  // arrives after them, due at once
    editor->portBusy = false;
    editor->render();
    EXPECT_EQ((std::vector<int> {1, 2, 3}), sentData1());
}

TEST_F(EditorAudio, HostTempoReachesTheArpeggiatorOnlyWhenItChanges)
{
    // The arpeggiator's value is the tempo less 65; a user's value stays until the host tempo changes.
    const struct {
        double override, hostTempo, arpBefore, arpAfter;
    } blocks[] = {{1, 120, 0, 55}, {1, 120, 0, 0}, {1, 140.5, 0, 75}, {0, 90, 75, 75}};
    for (const auto& b : blocks) {
        editor->GetParam(kOverrideTempo)->Set(b.override);
        editor->GetParam(kArpTempo)->Set(b.arpBefore);
        editor->hostTempo = b.hostTempo;
        editor->render();
        EXPECT_DOUBLE_EQ(b.arpAfter, editor->paramValue(kArpTempo)) << b.hostTempo;
    }
}

TEST_F(EditorAudio, TheLedGoesOutOnlyAfterMoreThan100MsAlsoAcrossTheTickWrap)
{
    editor->midiLedOn = 1;
    editor->GetParam(kMIDILed)->Set(1.0);
    editor->midiLedTime = static_cast<uint32_t>(-64);  // lit 64 ms before the tick count wrapped
    clock.sleepMicroseconds(36000);
    editor->render();
    EXPECT_EQ(1, editor->midiLedOn);
    clock.sleepMicroseconds(1000);
    editor->render();
    EXPECT_EQ(0, editor->midiLedOn);
    EXPECT_DOUBLE_EQ(0.0, editor->paramValue(kMIDILed));
}

// The MIDI-out delay text is the render-count test's (with its port open on JACK).
TEST_F(EditorAudio, AResetSizesTheQueueSetsTheDawOffsetWhileItIsZeroAndSendsAllNotesOffOnceTheTransportStands)
{
    editor->SetBlockSize(1100);
    editor->dawOffset = 0;
    editor->hostPlaying = true;
    editor->Reset();
    EXPECT_EQ((std::vector<int> {1536, 1100, 1}),
              (std::vector<int> {editor->midiQueue.GetSize(), editor->dawOffset, editor->resetPending}));
    editor->render();
    EXPECT_TRUE(editor->wire().empty());
    editor->hostPlaying = false;
    editor->portBusy = true;  // a busy port: tried again next block
    editor->render();
    editor->portBusy = false;
    editor->render();
    editor->render();
    EXPECT_EQ("B2 7B 00", editor->wireHex());
}

// A start that meets the stop job still running is posted again once the
// worker is free, so the hardware clock ends up following the transport.
TEST(EditorClockJobs, ATransportRestartWhileTheStopStillRunsStartsTheClockAgain)
{
    DataFolder folder;
    RecordingEditor editor;
    openOutput(editor);
    editor.continuousClockStarted = true;
    editor.sendClockPointer = true;
    editor.hostPlaying = true;
    ASSERT_EQ((std::vector<uint8_t> {0xFA}), editor.renderUntilBytes(1));

    editor.setGate(false);
    editor.hostPlaying = false;
    ASSERT_TRUE(editor.renderUntilHeld()) << "the stop job holds its worker";
    editor.hostPlaying = true;  // this edge meets the busy worker
    editor.render();
    editor.render();
    editor.setGate(true);
    EXPECT_EQ((std::vector<uint8_t> {0xFA, 0xFC, 0xFA}), editor.renderUntilBytes(3));
    editor.hostPlaying = false;
    EXPECT_EQ((std::vector<uint8_t> {0xFA, 0xFC, 0xFA, 0xFC}), editor.renderUntilBytes(4));
}

// While the host buffer carries the output, a transport start leaves the hardware clock alone; the clock follows again
// from the next start after the switch-off. The start the block would post goes before the continuous clock posted in
// the same block, so once a tick is out and the start/stop worker idle, a start would be on the wire.
TEST(EditorClockJobs, WhileTheHostBufferCarriesTheOutputTheTransportLeavesTheClockAlone)
{
    DataFolder folder;
    RecordingEditor editor;
    openOutput(editor);
    editor.toDAWBuffer = true;
    editor.sendClockPointer = editor.sendClockInfo = true;
    editor.GetParam(kOverrideTempo)->Set(1.0);  // ticks at the host's 120 BPM
    editor.hostPlaying = true;
    ASSERT_EQ(0xF8, editor.renderUntilBytes(1).at(0));
    const std::vector<uint8_t> playing = editor.renderUntil(
        [&](const auto&, bool) { return editor.midiMessageManager->clockStartStopThreadIdle(); });
    EXPECT_EQ(0, std::count(playing.begin(), playing.end(), 0xFA));

    editor.toDAWBuffer = false;
    editor.hostPlaying = false;
    editor.render();
    editor.hostPlaying = true;
    const std::vector<uint8_t> bytes = editor.renderUntil(
        [](const std::vector<uint8_t>& sent, bool) { return std::count(sent.begin(), sent.end(), 0xFA) > 0; });
    EXPECT_EQ(1, std::count(bytes.begin(), bytes.end(), 0xFA));
    EXPECT_EQ(0, std::count(bytes.begin(), bytes.end(), 0xFC));
}
