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

}  // namespace

TEST_F(ControlActions, ControlChangeGoesOutOncePerIntegerStepOnTheDeviceChannelAndASwitchSendsItsTwoValues)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC);
    action->ccNumber = 74;
    act(action, kFilterCutoff, 63.2);
    act(action, kFilterCutoff, 63.9);
    act(action, kFilterCutoff, 64.0);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 74, 63}, {0xB0, 74, 64}}));
    EXPECT_EQ(ccLine->GetTextString(), "CC|74");

    const std::pair<double, uint8_t> channels[] = {{0, 0xB0}, {1, 0xB0}, {16, 0xBF}};
    for (const auto& [setting, status] : channels) {
        editor->clearWire();
        editor->GetParam(kGlobalMidiChannel)->Set(setting);
        act(action, kFilterCutoff, value(kFilterCutoff) + 1);
        ASSERT_EQ(editor->wire().size(), 1u);
        EXPECT_EQ(editor->wire()[0][0], status) << setting;
    }

    editor->clearWire();
    editor->GetParam(kGlobalMidiChannel)->Set(1);
    ControlAction* sw = bindAction(kSustainSwitch, kActionCCSwitch);
    sw->ccNumber = 64;
    sw->zeroValue = 0;
    sw->onValue = 127;
    for (double v : {0, 1, 2})
        act(sw, kSustainSwitch, v);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 64, 0}, {0xB0, 64, 127}, {0xB0, 64, 127}}));
}

TEST_F(ControlActions, SemitonesAndArpeggiatorTimingCarryTheirOffsetsLimitedToSevenBits)
{
    bindAction(kOscillator2Semitone, kActionCC)->ccNumber = 36;
    bindAction(kArpSwing, kActionCC)->ccNumber = 80;
    quietly([&] {
        change(kOscillator2Semitone, 0);
        change(kArpSwing, 127);  // the handler scales it to 100 first
        change(kOscillator2Semitone, 111);
        change(kOscillator2Semitone, 112);  // 128 would not fit a data byte
    });
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 36, 16}, {0xB0, 80, 114}, {0xB0, 36, 127}, {0xB0, 36, 127}}));
}

TEST_F(ControlActions, NrpnSendsItsTripleInOrder)
{
    ControlAction* action = bindAction(kUnisonDetune, kActionNRPN);
    action->msbValue = 1;
    action->lsbControl = 20;
    action->lsbValue = 64;
    action->ccNumber = 6;
    editor->GetParam(kGlobalMidiChannel)->Set(3);
    act(action, kUnisonDetune, 10);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB2, 99, 1}, {0xB2, 98, 20}, {0xB2, 6, 74}}));
    EXPECT_EQ(ccLine->GetTextString(), "MSB/LSB");
}

TEST_F(ControlActions, SysExTemplatesAndMultiMessageListsGetTheDeviceIdAndThePartLevelRewrite)
{
    const SysExMessage partLevel {0x3E, 0x16, 0x00, 0x41, 0x43, 0x01, 0x10, 0x05};
    const SysExMessage other {0x3E, 0x16, 0x00, 0x41, 0x43, 0x02, 0x10, 0x05};
    ControlAction* single = bindAction(kGlobalVolume, kActionSysEx);
    single->sysEx.messages = {partLevel, other};
    ControlAction* sw = bindAction(kGlobalPanning, kActionSysExSwitch);
    sw->sysEx.messages = {partLevel};
    editor->currentDeviceId = 5;
    act(single, kGlobalVolume, 0);
    act(single, kGlobalVolume, 1);
    act(sw, kGlobalPanning, 0);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xF0, 0x3E, 0x16, 0x05, 0x41, 0x43, 0x01, 0x7F, 0x7F, 0xF7},
                                  {0xF0, 0x3E, 0x16, 0x05, 0x41, 0x43, 0x02, 0x10, 0x05, 0xF7},
                                  {0xF0, 0x3E, 0x16, 0x05, 0x41, 0x43, 0x01, 0x10, 0x05, 0xF7}}));
    EXPECT_EQ(ccLine->GetTextString(), "SysEx");

    editor->clearWire();
    ControlAction* multi = bindAction(kMainVolume, kActionSysEx);
    multi->sysEx.isMulti = true;
    multi->sysEx.multiMessages = {{}, {{0x3E, 0x16, 0x00, 0x01}, {0x3E, 0x16, 0x00, 0x02}}};
    act(multi, kMainVolume, 1);
    EXPECT_EQ(editor->wire(),
        (std::vector<Bytes> {{0xF0, 0x3E, 0x16, 0x05, 0x01, 0xF7}, {0xF0, 0x3E, 0x16, 0x05, 0x02, 0xF7}}));
}

TEST_F(ControlActions, ValueOutsideTheTemplateListSendsNothing)
{
    ControlAction* action = bindAction(kGlobalVolume, kActionSysEx);
    action->sysEx.messages = {{0x3E, 0x16, 0x00, 0x01}, {0x3E, 0x16, 0x00, 0x02}};
    act(action, kGlobalVolume, 2);
    act(action, kGlobalVolume, 200);
    ControlAction* multi = bindAction(kGlobalPanning, kActionSysEx);
    multi->sysEx.isMulti = true;
    act(multi, kGlobalPanning, 0);
    ControlAction* none = bindAction(kMainVolume, 4);
    act(none, kMainVolume, 3);
    EXPECT_TRUE(editor->wire().empty());
}

TEST_F(ControlActions, WithoutAnOutputTheUserIsToldAndTheValueIsSentOnceAPortOpens)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC);
    action->ccNumber = 74;
    editor->midiOutSet = false;
    act(action, kFilterCutoff, 20);
    EXPECT_EQ(nameLine->GetTextString(), "Set MIDI I/O First!");
    EXPECT_TRUE(editor->wire().empty());
    editor->midiOutSet = true;
    act(action, kFilterCutoff, 20);
    EXPECT_EQ(editor->wire(), (std::vector<Bytes> {{0xB0, 74, 20}}));

    nameLine->SetTextFromPlug("-");
    editor->midiOutSet = false;
    ControlAction* channel = bindAction(kGlobalMidiChannel, kActionCC);
    act(channel, kGlobalMidiChannel, 2);
    EXPECT_EQ(nameLine->GetTextString(), "-");
}

namespace {

// A control that the incoming-message decoder moves and that hands the value
// on through the GUI path, as a change made while a message is handled.
class ForwardingControl : public ProbeControl {
public:
    using ProbeControl::ProbeControl;
    void SetValueFromHardware(double value) override
    {
        GetPlug()->SetParameterFromGUI(ParamIdx(), value);
    }
};

}  // namespace

TEST_F(ControlActions, EchoRuleSendsGuiChangesAndChangesFromTheHostButHardwareOnesOnlyWithoutLocalControl)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC);
    action->ccNumber = 74;
    ForwardingControl incoming(editor.get(), kFilterCutoff);
    editor->uiConfig->ccControls.addToControlMap(0, 71, 0, &incoming);
    enum Source { kGui, kHardware, kHost };
    const std::tuple<Source, bool, bool> cases[] = {
        {kHardware, true, false}, {kHardware, false, true}, {kHost, true, true}, {kGui, true, true}};
    uint8_t v = 10;
    for (const auto& c : cases) {
        const Source source = std::get<0>(c);
        const bool local = std::get<1>(c);
        const bool sent = std::get<2>(c);
        editor->clearWire();
        editor->localControl = local;
        IMidiMsg cc(0, 0xB0, 71, ++v);
        quietly([&] {
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
        int actionMessages = 0;
        for (const Bytes& message : editor->wire())
            actionMessages += message[1] == 74 ? 1 : 0;
        EXPECT_EQ(actionMessages, sent ? 1 : 0) << source << " local " << local;
    }
}

TEST_F(ControlActions, HardwareValuesMoveEveryBoundControlButSendNothing)
{
    ControlAction* action = bindAction(kFilterCutoff, kActionCC);
    action->ccNumber = 74;
    ProbeControl first(editor.get(), kFilterCutoff);
    ProbeControl second(editor.get(), kFilterCutoff);
    action->controls = {&first, &second};
    editor->GetParam(kFilterCutoff)->Set(100);
    quietly([&] { editor->OnParamChange2(kFilterCutoff); });
    EXPECT_DOUBLE_EQ(first.GetValue(), 0.5);
    EXPECT_DOUBLE_EQ(second.GetValue(), 0.5);
    EXPECT_TRUE(editor->wire().empty());
    EXPECT_FALSE(editor->hardwareChangeActive);
}
