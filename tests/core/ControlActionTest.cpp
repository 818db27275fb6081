// Control actions to MIDI: each kind's bytes on the wire, the per-step
// repeat rule, the channel, the echo rule and the refusals.
#include "EditorCoreSupport.h"
#include "UIConfigManager.h"

namespace {

class ControlActions : public CoreTest {
protected:
    // Runs the action the way the handlers do, with the parameter at v.
    void act(ControlAction* action, int paramIdx, double v)
    {
        editor->GetParam(paramIdx)->Set(v);
        quietly([&] { editor->processControlAction(action, paramIdx, v); });
    }
};

// A control that the incoming-message decoder moves and that hands the value
// on through the GUI path, as a change made while a message is handled.
class ForwardingControl : public ProbeControl {
public:
    using ProbeControl::ProbeControl;
    void SetValueFromHardware(double value) override { GetPlug()->SetParameterFromGUI(ParamIdx(), value); }
};

}  // namespace

TEST_F(ControlActions, ControlChangeGoesOutOncePerIntegerStepOnTheDeviceChannelASwitchSendsItsTwoValuesAndNrpnItsTriple)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC, 74);
    for (double v : {63.2, 63.9, 64.0})
        act(action, kFilterCutoff, v);
    EXPECT_EQ("B0 4A 3F | B0 4A 40", editor->wireHex());
    EXPECT_EQ(ccLine->GetTextString(), "CC|74");
    for (double channel : {0, 1, 16}) {  // 0 counts as the first channel
        editor->GetParam(kGlobalMidiChannel)->Set(channel);
        act(action, kFilterCutoff, value(kFilterCutoff) + 1);
    }
    EXPECT_EQ("B0 4A 3F | B0 4A 40 | B0 4A 41 | B0 4A 42 | BF 4A 43", editor->wireHex());

    editor->clearWire();
    editor->GetParam(kGlobalMidiChannel)->Set(1);
    ControlAction* sw = bindAction(kSustainSwitch, kActionCCSwitch, 64);
    sw->zeroValue = 0;
    sw->onValue = 127;
    for (double v : {0, 1, 2})
        act(sw, kSustainSwitch, v);
    EXPECT_EQ("B0 40 00 | B0 40 7F | B0 40 7F", editor->wireHex());

    editor->clearWire();
    ControlAction* nrpn = bindAction(kUnisonDetune, kActionNRPN, 6);
    nrpn->msbValue = 1;
    nrpn->lsbControl = 20;
    nrpn->lsbValue = 64;
    editor->GetParam(kGlobalMidiChannel)->Set(3);
    act(nrpn, kUnisonDetune, 10);
    EXPECT_EQ("B2 63 01 | B2 62 14 | B2 06 4A", editor->wireHex());
    EXPECT_EQ(ccLine->GetTextString(), "MSB/LSB");
}

TEST_F(ControlActions, SemitonesAndArpeggiatorTimingCarryTheirOffsetsLimitedToSevenBits)
{
    bindAction(kOscillator2Semitone, kActionCC, 36);
    bindAction(kArpSwing, kActionCC, 80);
    quietly([&] {
        change(kOscillator2Semitone, 0);
        change(kArpSwing, 127);  // the handler scales it to 100 first
        change(kOscillator2Semitone, 111);
        change(kOscillator2Semitone, 112);  // 128 would not fit a data byte
    });
    EXPECT_EQ("B0 24 10 | B0 50 72 | B0 24 7F | B0 24 7F", editor->wireHex());
}

TEST_F(ControlActions, SysExTemplatesAndMultiMessageListsGetTheDeviceIdAndThePartLevelRewriteAndOthersSendNothing)
{
    const SysExMessage partLevel {0x3E, 0x16, 0x00, 0x41, 0x43, 0x01, 0x10, 0x05};
    ControlAction* single = bindAction(kGlobalVolume, kActionSysEx);
    single->sysEx.messages = {partLevel, {0x3E, 0x16, 0x00, 0x41, 0x43, 0x02, 0x10, 0x05}};
    ControlAction* sw = bindAction(kGlobalPanning, kActionSysExSwitch);
    sw->sysEx.messages = {partLevel};
    ControlAction* multi = bindAction(kMainVolume, kActionSysEx);
    multi->sysEx.isMulti = true;
    multi->sysEx.multiMessages = {{}, {{0x3E, 0x16, 0x00, 0x01}, {0x3E, 0x16, 0x00, 0x02}}};
    ControlAction* noMessages = bindAction(kGlobalMasterTune, kActionSysEx);
    noMessages->sysEx.isMulti = true;
    editor->currentDeviceId = 5;
    // Values outside the template lists, a multi action without messages and an unknown kind send nothing.
    act(single, kGlobalVolume, 2);
    act(single, kGlobalVolume, 200);
    act(noMessages, kGlobalMasterTune, 0);
    act(bindAction(kGlobalTranspose, 4), kGlobalTranspose, 3);
    act(single, kGlobalVolume, 0);
    act(single, kGlobalVolume, 1);
    act(sw, kGlobalPanning, 0);
    EXPECT_EQ(ccLine->GetTextString(), "SysEx");
    act(multi, kMainVolume, 1);
    EXPECT_EQ("F0 3E 16 05 41 43 01 7F 7F F7 | F0 3E 16 05 41 43 02 10 05 F7 | F0 3E 16 05 41 43 01 10 05 F7 | "
              "F0 3E 16 05 01 F7 | F0 3E 16 05 02 F7",
              editor->wireHex());
}

TEST_F(ControlActions, WithoutAnOutputTheUserIsToldWhateverTheActionSendsAndTheValueIsSentOnceAPortOpens)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC, 74);
    editor->midiOutSet = false;
    act(bindAction(kDisplayAboutWindow, kActionNone), kDisplayAboutWindow, 1);  // a window button sends nothing
    EXPECT_EQ(nameLine->GetTextString(), "Set MIDI I/O First!");
    nameLine->SetTextFromPlug("-");
    act(action, kFilterCutoff, 20);
    EXPECT_EQ(nameLine->GetTextString(), "Set MIDI I/O First!");
    editor->midiOutSet = true;
    act(action, kFilterCutoff, 20);
    EXPECT_EQ("B0 4A 14", editor->wireHex());

    nameLine->SetTextFromPlug("-");  // the channel setting itself is not told about
    editor->midiOutSet = false;
    act(bindAction(kGlobalMidiChannel, kActionCC, 1), kGlobalMidiChannel, 2);
    EXPECT_EQ(nameLine->GetTextString(), "-");
}

TEST_F(ControlActions, EchoRuleSendsGuiChangesAndChangesFromTheHostButHardwareOnesOnlyWithoutLocalControl)
{
    bindAction(kFilterCutoff, kActionCC, 74);
    ForwardingControl incoming(editor.get(), kFilterCutoff);
    editor->uiConfig->ccControls.addToControlMap(0, 71, 0, &incoming);
    enum Source { kGui, kHardware, kHost };
    const std::tuple<Source, bool, bool> cases[] = {
        {kHardware, true, false}, {kHardware, false, true}, {kHost, true, true}, {kGui, true, true}};
    uint8_t v = 10;
    for (const auto& [source, local, sent] : cases) {
        editor->clearWire();
        editor->localControl = local;
        IMidiMsg cc(0, 0xB0, 71, ++v);
        quietly([&, source = source] {
            if (source == kGui) {
                // A hardware message on another thread is half-way through.
                editor->midiMessageManager->suppressEcho = true;
                editor->midiMessageManager->messageFromHost = false;
                editor->SetParameterFromGUI(kFilterCutoff, v / 200.0);
                editor->midiMessageManager->suppressEcho = false;
            } else {
                editor->ProcessMidiMsg(&cc, source == kHardware);
            }
        });
        const std::vector<Bytes> wire = editor->wire();
        EXPECT_EQ(std::count_if(wire.begin(), wire.end(), [](const Bytes& m) { return m[1] == 74; }), sent ? 1 : 0)
            << source << " local " << local;
    }
}

TEST_F(ControlActions, HardwareValuesMoveEveryBoundControlButSendNothing)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC, 74);
    ProbeControl first(editor.get(), kFilterCutoff), second(editor.get(), kFilterCutoff);
    action->controls = {&first, &second};
    editor->GetParam(kFilterCutoff)->Set(100);
    quietly([&] { editor->OnParamChange2(kFilterCutoff); });
    EXPECT_EQ((std::pair<double, double> {0.5, 0.5}),
              (std::pair<double, double> {first.GetValue(), second.GetValue()}));
    EXPECT_TRUE(editor->wire().empty());
    EXPECT_FALSE(editor->hardwareChangeActive);
}
