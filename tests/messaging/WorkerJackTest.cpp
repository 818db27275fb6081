// The JACK server stopping under the real editor's open ports, which lead to
// the simulated Zelto 2 program. The enquiry's waits run in virtual time; a
// bank request or store the server stops under runs in real time, its ports
// chosen as the user chooses them, so the port watch follows them.

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "EditorFixture.h"
#include "IGraphicsStructs.h"
#include "dovor/timing.h"
#include "support/JackSynthTest.h"

namespace {

using std::chrono::steady_clock;

// Counts the sound dumps it sends. Its workers end before its counter goes.
class CountingEditor : public Zelto2X {
public:
    CountingEditor() : Zelto2X(IPluginInstanceInfo()) {}
    ~CountingEditor() override
    {
        delete midiMessageManager;
        midiMessageManager = nullptr;
    }
    bool SendMidiSysex2(std::vector<unsigned char> bytes) override
    {
        soundsSent += bytes.size() == kDocumentedInitSound.size();
        return Zelto2X::SendMidiSysex2(std::move(bytes));
    }
    std::atomic<int> soundsSent {0};
};

// The starts of the synth's wire-log lines for the requests of bank 0's sounds and for the sounds stored.
constexpr const char* kBankRequest = "F0 3E 16 00 00 00 ";
constexpr const char* kStoreDump = "F0 3E 16 00 10 ";

size_t linesStarting(const std::vector<std::string>& lines, const char* start)
{
    return static_cast<size_t>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

bool within(std::chrono::seconds limit, const std::function<bool()>& condition)
{
    const auto deadline = steady_clock::now() + limit;
    while (!condition() && steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return condition();
}

class WorkerJack : public testsupport::JackSynthTest {
protected:
    void SetUp() override
    {
        testing::internal::CaptureStdout();
        dovor::SetVirtualClock(&clock);
        JackSynthTest::SetUp();
    }
    void TearDown() override
    {
        editor.reset();
        endJobLogCapture(HasFailure());
        JackSynthTest::TearDown();
    }

    // The editor of a bank request or store: real time, 100 ms delays, the
    // synth's ports chosen in the device menus and its device enquiry
    // answered, an upper bank of 100 slots, each holding the INIT sound when
    // filled.
    CountingEditor& editorWithChosenPorts(bool filled)
    {
        dovor::SetVirtualClock(nullptr);
        auto owned = std::make_unique<CountingEditor>();
        CountingEditor& counting = *owned;
        editor = std::move(owned);
        giveConfiguredRanges(counting);
        counting.GetParam(kLibSyncTimer)->Set(4);
        status = std::make_unique<ITextControl>(&counting, IRECT(0, 0, 10, 10), &font);
        counting.statusText = status.get();
        PatchLibrarian& library = *counting.patchLibrarian;
        library.initBankFilesOnDiscard("");
        library.bankFiles.push_back(std::make_unique<PatchFile>());
        library.bankFiles.back()->patches.resize(100);
        for (LibrarianPatch& slot : library.bankFiles.back()->patches)
            if (filled)
                slot.messages.push_back({kDocumentedInitSound});
        library.upperSelection = 0;
        const std::pair<int, std::string> choices[] = {
            {kDeviceInSelection, synth.OutputPortName()}, {kDeviceOutSelection, synth.InputPortName()}};
        for (const auto& [param, port] : choices) {
            const std::vector<std::string> names =
                param == kDeviceInSelection ? counting.getExternalMIDIInNames() : counting.getExternalMIDIOutNames();
            counting.GetParam(param)->InitEnum("device", 0, static_cast<int>(names.size()));
            for (size_t i = 0; i < names.size(); ++i)
                counting.GetParam(param)->SetDisplayText(static_cast<int>(i), names[i].c_str());
            counting.GetParam(param)->Set(static_cast<double>(std::find(names.begin(), names.end(), port) - names.begin()));
            counting.OnParamChange(param);
        }
        EXPECT_TRUE(within(std::chrono::seconds(30), [&] {
            return counting.midiMessageManager->requestThreadIdle() && status->GetTextString() == "Plug-in is ready to go!";
        })) << status->GetTextString();
        return counting;
    }
    // Stops the server once the synth has logged `count` lines starting so;
    // true when the running job then ends within a few seconds.
    bool jobEndsSoonAfterTheServerStops(const char* start, size_t count)
    {
        EXPECT_TRUE(synth.WaitForReceivedLines(
            [&](const std::vector<std::string>& lines) { return linesStarting(lines, start) >= count; }));
        server.Stop();
        return within(std::chrono::seconds(5), [&] { return editor->midiMessageManager->requestThreadIdle(); });
    }

    dovor::SteppedClock clock;
    IText font;
    std::unique_ptr<ITextControl> status;
    std::unique_ptr<Zelto2X> editor;
};

}  // namespace

TEST_F(WorkerJack, JackServerStoppingUnderOpenPortsLeavesTheEditorWorkingAndClosable)
{
    editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
    editor->patchLibrarian->initBankFilesOnDiscard("");  // the banks are the test's own
    giveConfiguredRanges(*editor);
    status = std::make_unique<ITextControl>(editor.get(), IRECT(0, 0, 10, 10), &font);
    editor->statusText = status.get();
    editor->getExternalMIDIInNames();
    editor->getExternalMIDIOutNames();
    int in = 1, out = 1;
    ASSERT_GT(editor->setExternalMIDIIn(in, synth.OutputPortName().c_str()), 0);
    ASSERT_GT(editor->setExternalMIDIOut(out, synth.InputPortName().c_str()), 0);
    editor->midiOutSet = true;

    synth.Stop();
    server.Stop();
    editor->SetParameterFromGUI(kFilterCutoff, 0.5);
    ASSERT_TRUE(editor->midiMessageManager->sendDeviceIdEnquiry());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!editor->midiMessageManager->requestThreadIdle() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    EXPECT_EQ(status->GetTextString(), "No response from Hardware");
    editor.reset();
}

// A whole-bank request the server stops under ends within a few seconds, not after a device-ID search a sound left;
// the sounds that came stay in the bank, UNSAVED.
TEST_F(WorkerJack, BankRequestEndsWithinSecondsOfItsServerStoppingAndKeepsWhatCameUnsaved)
{
    CountingEditor& counting = editorWithChosenPorts(false);
    counting.libRequestBank(0);
    EXPECT_TRUE(jobEndsSoonAfterTheServerStops(kBankRequest, 10));
    const std::string text = status->GetTextString();
    EXPECT_TRUE(text == "MIDI IN gone! Request ended" || text == "MIDI OUT gone! Request ended") << text;
    const std::vector<LibrarianPatch>& slots = counting.patchLibrarian->bankFiles.back()->patches;
    EXPECT_GE(std::count_if(slots.begin(), slots.end(), [](const LibrarianPatch& slot) { return !slot.messages.empty(); }),
        9);
    EXPECT_EQ(counting.paramValue(kBankEditUnsaved), 1.0);
}

// A bank store the server stops under ends within a few seconds, not told completed: told how many sounds it sent,
// none fewer than reached the synth (those sent before the watch's next look went nowhere).
TEST_F(WorkerJack, BankStoreEndsWithinSecondsOfItsServerStoppingAndSaysHowManyItSent)
{
    CountingEditor& counting = editorWithChosenPorts(true);
    counting.storeAllPatchesToDeviceFromLibrarian(1, 0);
    EXPECT_TRUE(jobEndsSoonAfterTheServerStops(kStoreDump, 10));
    const size_t reached = linesStarting(synth.Received(), kStoreDump);
    const int sent = counting.soundsSent;
    EXPECT_TRUE(reached <= static_cast<size_t>(sent) && sent < 100) << reached << " reached, " << sent << " sent";
    EXPECT_EQ(status->GetTextString(), "MIDI OUT gone! " + std::to_string(sent) + " of 100 sent");
}
