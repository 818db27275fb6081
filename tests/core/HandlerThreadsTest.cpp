// Parameter changes from the GUI, MIDI arriving from the hardware and the render routine all at once (run under
// ThreadSanitizer): every change sent from the GUI reaches the wire whole, the transport moving under the host-timed
// output never starts the hardware clock, the last lock change holds, and nothing races.
#include <thread>

#include "EditorCoreSupport.h"
#include "UIConfigManager.h"

using HandlerThreads = CoreTest;

TEST_F(HandlerThreads, GuiChangesHardwareInputAndRenderRunTogether)
{
    constexpr int kRounds = 300;
    ControlAction* cutoff = bindAction(kFilterCutoff, kActionCC, 74);
    auto* knob = new ProbeControl(editor.get(), kFilterCutoff);
    editor->GetGUI()->AttachControl(knob);
    cutoff->controls = {knob};
    bindAction(kFilterResonance, kActionCC, 71);
    auto* incoming = new ProbeControl(editor.get(), kFilterResonance);
    editor->GetGUI()->AttachControl(incoming);
    editor->uiConfig->ccControls.addToControlMap(0, 71, 0, incoming);
    editor->rememberControls();
    editor->SetBlockSize(256);
    // Queued output, drained by the render thread; local control on, so
    // the hardware's own changes are not echoed while the GUI's must be.
    editor->SetParameterFromGUI(kMIDIFilterToDAWBuffer, 1.0 / 200.0);
    editor->dawOffset = 256;
    editor->SetParameterFromGUI(kGlobalLocalControl, 1.0 / 200.0);
    editor->SetParameterFromGUI(kSendMIDIClockPointer, 1.0 / 200.0);

    quietly([&] {
        std::thread gui([&] {
            for (int i = 0; i < kRounds; ++i) {
                editor->SetParameterFromGUI(kFilterCutoff, (i % 2 ? 10.0 : 20.0) / 200.0);
                editor->SetParameterFromGUI(kSectionLockOsc1, (i % 2) / 200.0);
                editor->SetParameterFromGUI(kMIDIFilterDAWNotePassThrough, (i % 2) / 200.0);
            }
        });
        std::thread midiInput([&] {
            for (int i = 0; i < kRounds; ++i) {
                IMidiMsg cc(0, 0xB0, 71, static_cast<uint8_t>(i % 100));
                editor->ProcessMidiMsg(&cc, true);
                const uint8_t request[] = {0xF0, 0x3E, 0x16, 0x00, 0x04, 0xF7};
                ISysEx sysex(0, request, sizeof request);
                editor->ProcessSysEx(&sysex, true);
            }
        });
        std::thread render([&] {
            for (int i = 0; i < kRounds * 4; ++i) {
                editor->hostPlaying = (i / 50) % 2 == 1;
                editor->ProcessDoubleReplacing(nullptr, nullptr, 256);
            }
        });
        gui.join();
        midiInput.join();
        render.join();
    });
    // Whatever was still queued for the audio thread leaves with the next blocks.
    for (int i = 0; i < 4; ++i)
        editor->ProcessDoubleReplacing(nullptr, nullptr, 256);

    const std::vector<Bytes> wire = editor->wire();
    EXPECT_EQ(kRounds, std::count_if(wire.begin(), wire.end(), [](const Bytes& m) {
                  return m == hex("B0 4A 0A") || m == hex("B0 4A 14");
              }));
    EXPECT_EQ(0, std::count_if(wire.begin(), wire.end(), [](const Bytes& m) { return m[0] == 0xFA || m[0] == 0xFC; }));
    EXPECT_TRUE(editor->sectionLockActive);
}
