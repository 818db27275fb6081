// The JACK server stopping under the real editor's open ports, which lead to
// the simulated Zelto 2 program. The enquiry's waits run in virtual time.

#include <chrono>
#include <thread>

#include "EditorFixture.h"
#include "IGraphicsStructs.h"
#include "dovor/timing.h"
#include "support/JackSynthTest.h"

namespace {

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
