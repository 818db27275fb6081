// The editor's MIDI entry points and hardware senders, with the port replaced
// by a recorder.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "EditorCoreSupport.h"
#include "IGraphics.h"
#include "IParam.h"
#include "MIDIMessageManager.h"
#include "ParameterTable.h"
#include "SysExProtocol.h"
#include "Zelto2X.h"
#include "dovor/timing.h"

namespace {

using coretest::RecordingEditor;

class EditorMidi : public ::testing::Test {
protected:
    void SetUp() override
    {
        dovor::SetVirtualClock(&clock);
        editor = std::make_unique<RecordingEditor>();
        for (int i = 0; i < kNumParams; ++i)
            editor->GetParam(i)->InitDouble("p", 0.0, 0.0, 127.0, 1.0);
    }
    void TearDown() override
    {
        editor.reset();
        dovor::SetVirtualClock(nullptr);
    }

    std::string quietly(const std::function<void()>& action)
    {
        testing::internal::CaptureStdout();
        action();
        return testing::internal::GetCapturedStdout();
    }

    dovor::SteppedClock clock;
    std::unique_ptr<RecordingEditor> editor;
};

}  // namespace

TEST_F(EditorMidi, RequestsLeaveUnchangedAndSoundDumpsWithTheirChecksum)
{
    editor->midiOutSet = true;
    std::vector<uint8_t> request = zsysex::soundRequest(3, zsysex::soundAddress(1, 30));
    quietly([&] { editor->checksumCheckAndSend(request.data(), static_cast<int>(request.size())); });
    std::vector<uint8_t> enquiry = zsysex::globalRequest(3);
    quietly([&] { editor->checksumCheckAndSend(enquiry.data(), static_cast<int>(enquiry.size())); });
    std::vector<uint8_t> dump(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    dump[135] = 0;
    const std::string out = quietly([&] { editor->checksumCheckAndSend(dump.data(), 137); });
    ASSERT_EQ(editor->sysex.size(), 3u);
    EXPECT_EQ(zsysex::framed(editor->sysex[0]),
        (std::vector<uint8_t> {0xF0, 0x3E, 0x16, 0x03, 0x00, 0x01, 0x02, 0xF7}));
    EXPECT_EQ(zsysex::framed(editor->sysex[1]), (std::vector<uint8_t> {0xF0, 0x3E, 0x16, 0x03, 0x04, 0xF7}));
    EXPECT_EQ(editor->sysex[2][135], 0x29);  // bytes 1..134 of the INIT sound sum to 0x1029
    EXPECT_EQ(editor->sysex[2][136], 0xF7);
    EXPECT_NE(out.find("checksum for outgoing data = 41\n"), std::string::npos);
    EXPECT_NE(out.find("Plug-in MIDI Out (sysex | 137 bytes | F0 f0 3e 16 00 10 7f "), std::string::npos);
}

TEST_F(EditorMidi, SentSysExIsPrintedInLowerCaseHexAndLogLinesForAnUnopenableFileAreDropped)
{
    const unsigned char bytes[3] = {0x3E, 0x16, 0x00};
    EXPECT_EQ(quietly([&] { DebuggerOutput().logSysExOutMessageByte(bytes, 3); }),
        "Plug-in MIDI Out (sysex | 3 bytes | F0 3e 16 00 F7)\n");
    // Neither written nor echoed.
    EXPECT_EQ(quietly([&] { DebuggerOutput().printDebugInfo("/nonexistent-folder/LOG.txt", "CONFIG READER: Completed!"); }),
        "");
}

TEST_F(EditorMidi, NothingIsSentWithoutAnOutput)
{
    std::vector<uint8_t> request = zsysex::globalRequest(0);
    editor->checksumCheckAndSend(request.data(), 4);
    IMidiMsg note(0, 0x90, 60, 100);
    const std::string out = quietly([&] { editor->sendMidiMsgAndLog(&note); });
    EXPECT_TRUE(editor->sysex.empty());
    EXPECT_TRUE(editor->shortMessages.empty());
    EXPECT_EQ(out, "Build LOG: \t\t--- midiOutSet status: 0 --- NO MESSAGE SENT! ---\n");
}

TEST_F(EditorMidi, ShortMessagesAreDroppedWhileLoadingOrAwaitingADump)
{
    editor->midiOutSet = true;
    IMidiMsg note(0, 0x90, 60, 100);
    editor->patchLoading = true;
    EXPECT_EQ(quietly([&] { editor->ProcessMidiMsg(&note, false); }),
        "Build LOG: \tMessage from MIDI determinated because Patch Loading is in process!\n");
    editor->patchLoading = false;
    editor->midiMessageManager->patchRequested = true;
    EXPECT_EQ(quietly([&] { editor->ProcessMidiMsg(&note, false); }),
        "Build LOG: \t\tData from HW requested via program change or some, returning. patchRequested = true\n");
    editor->midiMessageManager->patchRequested = false;
    IMidiMsg clock(0, 0xF8, 0, 0);
    quietly([&] { editor->ProcessMidiMsg(&clock, true); });
    EXPECT_TRUE(editor->shortMessages.empty());
    quietly([&] { editor->ProcessMidiMsg(&note, false); });
    EXPECT_EQ(editor->shortMessages.size(), 1u);
}

TEST_F(EditorMidi, SysExIsDroppedWhileLoadingAndByTheHardwareFilter)
{
    std::vector<uint8_t> dump(zsysex::initSinglePatch, zsysex::initSinglePatch + zsysex::kSoundDumpSize);
    ISysEx msg(0, dump.data(), 137);
    editor->midiMessageManager->patchRequested = true;
    editor->patchLoading = true;
    EXPECT_EQ(quietly([&] { editor->ProcessSysEx(&msg, true); }),
        "Build LOG: \tMessage from SysEx determinated because Patch Loading is in process!\n");
    editor->patchLoading = false;
    editor->hwFilter[kFilterSysEx] = true;
    EXPECT_EQ(quietly([&] { editor->ProcessSysEx(&msg, true); }),
        "Build LOG: \t\tData from HW filtered, returning. incomingSysExProcessed = true\n");
    EXPECT_FALSE(editor->incomingSysExProcessed);
    editor->hwFilter[kFilterSysEx] = false;
    quietly([&] { editor->ProcessSysEx(&msg, true); });
    EXPECT_TRUE(editor->incomingSysExProcessed);
}

TEST_F(EditorMidi, LocalControlStopsHardwareNotesButNotHostNotes)
{
    editor->midiOutSet = true;
    editor->localControl = true;
    IMidiMsg note(0, 0x90, 60, 100);
    quietly([&] { editor->ProcessMidiMsg(&note, true); });
    EXPECT_TRUE(editor->shortMessages.empty());
    quietly([&] { editor->ProcessMidiMsg(&note, false); });
    EXPECT_EQ(editor->shortMessages.size(), 1u);
    editor->localControl = false;
    quietly([&] { editor->ProcessMidiMsg(&note, true); });
    EXPECT_EQ(editor->shortMessages.size(), 2u);
}

TEST_F(EditorMidi, HostProgramChangeGoesOutCappedAt100AndRequestsTheSound)
{
    editor->midiOutSet = true;
    editor->GetParam(kGlobalMidiChannel)->Set(0);
    IMidiMsg program(0, 0xC4, 120, 0);
    quietly([&] { editor->ProcessMidiMsg(&program, false); });
    ASSERT_GE(editor->shortMessages.size(), 1u);
    EXPECT_EQ(editor->shortMessages[0], (std::vector<uint8_t> {0xC0, 100, 0}));
    EXPECT_EQ(editor->midiMessageManager->lastJob().code, 5);
    EXPECT_EQ(editor->midiMessageManager->lastJob().program, 100);
}

TEST_F(EditorMidi, LibrarianDelayFollowsTheSyncTimer)
{
    const int expected[] = {200, 300, 400, 500, 100, 100};
    for (int value = 0; value < 6; ++value) {
        editor->GetParam(kLibSyncTimer)->Set(value);
        EXPECT_EQ(editor->getTimerValue(), expected[value]) << value;
    }
}

TEST_F(EditorMidi, LibrarianProgramChangeAbove99SelectsNoSlotButIsStillForwarded)
{
    editor->midiOutSet = true;
    editor->libraryControl = true;
    editor->patchLibrarian->transferSlot = 4;
    IMidiMsg program(0, 0xC0, 110, 0);
    quietly([&] { editor->ProcessMidiMsg(&program, false); });
    EXPECT_EQ(editor->patchLibrarian->transferSlot, 4);
    EXPECT_FALSE(editor->midiMessageManager->patchRequested);
    ASSERT_EQ(editor->shortMessages.size(), 1u);
    EXPECT_EQ(editor->shortMessages[0][1], 110);
}

TEST_F(EditorMidi, RoutingSwitchQueuesForTheAudioThreadWhenAsked)
{
    editor->midiOutSet = true;
    IMidiMsg cc(0, 0xB0, 74, 10);
    editor->toDAWBuffer = true;
    editor->MIDIOutRoutingSwitch(&cc);
    EXPECT_TRUE(editor->shortMessages.empty());
    editor->toDAWBuffer = false;
    editor->MIDIOutRoutingSwitch(&cc);
    EXPECT_EQ(editor->shortMessages.size(), 1u);
}
