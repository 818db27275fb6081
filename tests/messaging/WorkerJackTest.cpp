// The JACK server stops under the real editor's open ports (the simulated
// Zelto 2 program on a private server): a knob still turns, a request still
// goes out, and the editor closes without hanging. How the jobs meet a synth
// that falls silent is the in-process worker tests'.

#include "EditorFixture.h"
#include "support/JackSynthTest.h"

class WorkerJack : public testsupport::JackSynthTest {};

TEST_F(WorkerJack, JackServerStoppingUnderOpenPortsLeavesTheEditorWorkingAndClosable)
{
    testing::internal::CaptureStdout();
    auto editor = std::make_unique<Zelto2X>(IPluginInstanceInfo());
    EditorFixture::giveConfiguredRanges(*editor);
    editor->getExternalMIDIInNames();
    editor->getExternalMIDIOutNames();
    int in = 1, out = 1;
    const bool opened = editor->setExternalMIDIIn(in, synth.OutputPortName().c_str()) > 0
        && editor->setExternalMIDIOut(out, synth.InputPortName().c_str()) > 0;
    editor->midiOutSet = true;
    synth.Stop();
    server.Stop();
    editor->SetParameterFromGUI(kFilterCutoff, 0.5);
    editor->SendMidiSysex2({0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7});
    editor.reset();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(opened);
}
