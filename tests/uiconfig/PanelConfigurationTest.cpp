// The editor's own panel: resources/uiconfig.xml and resources/sysex.xml as
// the build enciphers them into the bundle, read by the real reader onto a
// real surface at each interface size (its layout is PanelLayoutTest's).
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "../messaging/DocumentedInitSound.h"
#include "EditorParameterSource.h"
#include "IParam.h"
#include "MIDIMessageSender.h"
#include "RealPanel.h"
#include "SysExProtocol.h"

namespace {

// The value lists the editor reads by name, with the parameter whose values
// each must name one by one.
const std::map<std::string, int> kDisplayLists = {{"osc1Shape", kOscillator1Shape}, {"osc2Shape", kOscillator2Shape},
    {"osc3Shape", kOscillator3Shape}, {"osc3Routing", kOscillator3Routing}, {"filterType", kFilterType},
    {"vcaDriveCurve", kVolumeDriveCurve}, {"loopingModes", kEnvelope1Loop}, {"triggerModes", kEnvelope1Trigger},
    {"lfo1Shape", kLFO1Shape}, {"glideMode", kPortamentoMode}, {"arpActiveMode", kArpOnOff},
    {"arpOctaveRange", kArpRange}, {"arpTempoValues", kArpTempo}, {"arpClock", kArpClock},
    {"arpModeList", kArpMode}, {"stepDuration", kStepDuration}, {"omniToSixteen", kGlobalMidiChannel},
    {"midiClockSource", kGlobalClock}, {"modulationSources", kModUnit1Source},
    {"modulationDestinations", kModUnit1Destination}, {"patternEventType", kPatternStep01Event},
    {"tempoValues", kArpTempo}};

// Decoded values reach the panel as a received sound sets them: through the surface.
class SurfaceSink : public zsysex::ParameterSink {
public:
    explicit SurfaceSink(IGraphics& graphics) : m_graphics(graphics) {}
    void setParameter(int index, double value) override { m_graphics.SetParameterFromPlug(index, value, false); }

private:
    IGraphics& m_graphics;
};

// The panel at normal size, built once for the tests that only read it.
class PanelConfiguration : public ::testing::Test {
protected:
    static void SetUpTestSuite() { panel = new RealPanel(1.0); }
    static void TearDownTestSuite() { delete panel; }
    static inline RealPanel* panel = nullptr;
};

void expectLoadedWithItsPagesAndTheLibrarianView(RealPanel& panel)
{
    for (const char* missing : {"MISSING", "not defined", "NOT FOUND"})
        EXPECT_EQ(panel.log.find(missing), std::string::npos) << panel.log;
    EXPECT_GT(panel.placed.size(), 250u);
    ControlLayer* root = panel.config.getLayerByName("root");
    ASSERT_EQ(root->NLayers(), 4);
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_EQ(root->GetLayer(tab)->GetID(), tab);
    // A page shows its children with id 0; these are opened one by one.
    for (const char* name : {"osc1KeytrackBtn", "osc1UnisonKnob", "osc1AmpEnvFade", "osc2KeytrackBtn",
             "osc2AmpEnvFade", "lfo1ClockedLayer", "searchField", "discardChangesLayerRight", "patchRename"})
        EXPECT_NE(panel.config.getLayerByName(name)->GetID(), 0) << name;
    // The arpeggiator page holds the sixteen step rows, ids 200 to 215.
    ControlLayer* page = panel.config.getLayerByName("arpeggiator")->GetLayer(0);
    std::set<int> rows;
    for (int i = 0; i < page->NLayers(); ++i)
        if (page->GetLayer(i)->GetID() >= 200)
            rows.insert(page->GetLayer(i)->GetID());
    EXPECT_TRUE(rows.size() == 16 && *rows.begin() == 200 && *rows.rbegin() == 215);
    // The librarian view takes the clicks on the last slot of both lists.
    ASSERT_NE(panel.view, nullptr);
    const IRECT& r = *panel.view->GetRECT();
    for (int list : {0, 1}) {
        const IRECT slot = panel.view->slotRect(list, 99);
        EXPECT_TRUE(slot.L >= r.L && slot.T >= r.T && slot.R <= r.R && slot.B <= r.B) << list;
    }
}

void expectEveryTextToFitItsControlWithTheEditorsFont(RealPanel& panel)
{
    // What the editor writes into its display lines: parameter names and
    // status messages, value texts with their bracketed number, message kinds,
    // category words.
    std::vector<std::string> names = {"All Section Locks Released", "Processing, please wait...",
        "CONNECTION TIMED OUT!", "No results - Try another keyword!", "Save bank or Discard changes!",
        "MIDI IN gone! Request ended", "MIDI OUT gone! Request ended"};
    // Every request that waits too long searches the device IDs 1 to 127 and
    // names each one: the longest status text.
    for (int id = 1; id <= 127; ++id)
        names.push_back("Please wait, checking DeviceID " + std::to_string(id));
    // A bank store cancelled or left by its output part-way says how far it got, up to 99 of 100.
    for (int stored = 0; stored < 100; ++stored) {
        names.push_back(MIDIMessageSender::cancelledStoreText(stored, 100));
        names.push_back(MIDIMessageSender::outputGoneStoreText(stored, 100));
    }
    for (int i = 0; i < kNumParams; ++i)
        names.push_back(panel.editor.GetParam(i)->GetNameForHost());
    std::vector<std::string> values = {"RIGHT 100% [127]", "< CENTER > [64]", "NOT saved: Save As or DISCARD",
        "Right-click a slot on the right"};
    for (const auto& [list, param] : kDisplayLists)
        for (const std::string& entry : panel.config.getValueList(list))
            values.push_back(entry + " [127]");
    // A bank name is shown with up to 55 characters, the longest a display text holds.
    const std::vector<std::string> bankNames = {std::string(55, 'W'), std::string(55, 'i'), "User Bank 1.syx"};
    std::map<int, std::vector<std::string>> displayTexts = {{kControlDisplayName, names},
        {kControlDisplayValue, values}, {kControlDisplayCC, {"CC|127", "MSB/LSB", "SysEx"}},
        {kControlDisplayCategory, {"NONE", "ARP ", "EXFX", "INIT"}},
        {kControlDisplayLibCategory, {"NONE", "EXFX", "category unset!"}}, {kPatchSelectionListUpper, bankNames},
        {kPatchSelectionListLower, bankNames}};
    std::map<IControl*, const std::vector<std::string>*> displays;
    for (auto& [param, texts] : displayTexts)
        if (ControlAction* action = panel.config.getControlAction(param))
            for (IControl* c : action->controls)
                displays[c] = &texts;
    int measured = 0;
    for (const PlacedControl& p : panel.placed) {
        auto* text = dynamic_cast<ITextControl*>(p.control);
        if (!text)
            continue;
        const int param = p.control->ParamIdx();
        std::vector<std::string> texts;
        if (displays.count(p.control)) {
            texts = *displays[p.control];
        } else if (param >= 0 && param != kDeviceOutSelection && param != kDeviceInSelection) {
            IParam* ip = panel.editor.GetParam(param);
            for (int t = 0; t < ip->GetNDisplayTexts(); ++t)
                texts.push_back(ip->GetDisplayTextAtIdx(t));
        }
        const IRECT& r = *p.control->GetRECT();
        EXPECT_LE(text->GetText()->mSize, r.H()) << describe(p.control);
        for (const std::string& s : texts) {
            IRECT box = r;
            panel.graphics.DrawIText(text->GetText(), s.c_str(), &box, true);
            EXPECT_LE(box.W(), r.W()) << "\"" << s << "\" in " << describe(p.control);
            measured += box.W() > 0;
        }
    }
    EXPECT_GT(measured, 1000);
}

}  // namespace

TEST_F(PanelConfiguration, AtEachSizeThePanelLoadsWholeAndEveryTextFits)
{
    for (double scale : {0.75, 1.0, 1.25}) {
        SCOPED_TRACE(scale);
        std::unique_ptr<RealPanel> other = scale == 1.0 ? nullptr : std::make_unique<RealPanel>(scale);
        RealPanel& sized = other ? *other : *panel;
        expectLoadedWithItsPagesAndTheLibrarianView(sized);
        expectEveryTextToFitItsControlWithTheEditorsFont(sized);
    }
}

TEST_F(PanelConfiguration, EverySoundParameterOfTheDumpMapHasAControlAndAMessage)
{
    std::set<std::pair<int, int>> addresses;
    for (int i = 0; i < zsysex::kSoundDumpMapCount; ++i) {
        const zsysex::SoundDumpField& field = zsysex::kSoundDumpMap[i];
        if (field.byte < zsysex::kSoundFirstParameterByte)
            continue;  // bank and program come from the librarian menus
        std::vector<int> params = {field.parameter};
        if (field.decode == zsysex::DecodeRule::PatternStep) {
            const int step = field.byte - 96;
            params = {zsysex::patternStepEventParameter(step), zsysex::patternStepTimeParameter(step),
                zsysex::patternStepGlideParameter(step)};
        }
        for (int param : params)
            EXPECT_NE(panel->config.getFirstControlForParam(param), nullptr) << int(field.byte) << " " << param;
        // Pattern steps reach the synth only inside the whole sound.
        if (field.decode == zsysex::DecodeRule::PatternStep)
            continue;
        // The LFO 1 byte carries the clocked shape, which its menu sends.
        const int sender =
            field.decode == zsysex::DecodeRule::LFO1ShapeClock ? int(kLFO1ShapeClock) : int(field.parameter);
        ControlAction* action = panel->config.getControlAction(sender);  // its kind is the next test's
        ASSERT_TRUE(action && !action->sysEx.messages.empty()) << sender;
        const SysExMessage& first = action->sysEx.messages.front();
        ASSERT_EQ(first.size(), 8u) << sender;
        EXPECT_EQ(SysExMessage(first.begin(), first.begin() + 4), (SysExMessage{0x3E, 0x16, 0x58, 0x41})) << sender;
        EXPECT_TRUE(addresses.insert({first[4], first[5]}).second) << "address shared by param " << sender;
        IControl* found = panel->config.sysExControls.findControl(0x58, 0x41, first[4], first[5], 0);
        EXPECT_EQ(found ? found->ParamIdx() : -1, sender);
        const IParam* ip = panel->editor.GetParam(sender);
        ASSERT_NE(ip, nullptr);
        EXPECT_GE(int(action->sysEx.messages.size()), int(ip->GetMax() - ip->GetMin()) + 1) << sender;
    }
}

TEST_F(PanelConfiguration, SingleParameterAddressesTheDispatcherTreatsApartBindTheirParameters)
{
    const int rows[][3] = {{0x00, 0x02, kOscillator1Shape}, {0x29, 0x00, kOscillator2Shape},
        {0x6B, 0x00, kOscillator3Shape}, {0x70, 0x00, kLFO1ShapeClock}, {0x7B, 0x01, kPatternLength},
        {0x10, 0x00, kVolume}};
    for (const auto& [a, b, param] : rows) {
        IControl* found = panel->config.sysExControls.findControl(0x58, 0x41, a, b, 0);
        EXPECT_EQ(found ? found->ParamIdx() : -1, param);
    }
}

TEST_F(PanelConfiguration, PerformanceControllersSendTheirStandardControlChanges)
{
    const int rows[][3] = {{kModWheel, 1, kActionCC}, {kBreathControl, 2, kActionCC}, {kMainVolume, 7, kActionCC},
        {kSustainSwitch, 64, kActionCCSwitch}};
    for (const auto& [param, cc, kind] : rows) {
        ControlAction* action = panel->config.getControlAction(param);
        ASSERT_NE(action, nullptr) << param;
        EXPECT_TRUE(action->kind == kind && action->ccNumber == cc) << param;
    }
}

TEST_F(PanelConfiguration, EveryNamedValueListHasOneTextPerValueOfItsParameterAndEveryStepEventTakesItsList)
{
    for (const auto& [name, param] : kDisplayLists) {
        IParam* ip = panel->editor.GetParam(param);
        const int values = int(ip->GetMax() - ip->GetMin()) + 1;
        EXPECT_EQ(int(panel->config.getValueList(name).size()), values) << name;
    }
    EXPECT_EQ(panel->config.getValueList("lfoClockTiming").size(), 32u);  // LFO 1 speed 0..127 in steps of 4
    EXPECT_EQ(panel->config.getValueList("tempoValues").front(), "40");
    const std::vector<std::string> events = panel->config.getValueList("patternEventType");
    ASSERT_EQ(events.size(), 16u);
    for (int step = 1; step <= 16; ++step) {
        IParam* event = panel->editor.GetParam(zsysex::patternStepEventParameter(step));
        EXPECT_TRUE(event->GetMin() == 0 && event->GetMax() == 15 && event->GetDisplayTextAtIdx(15) == events[15])
            << step;
    }
}

TEST_F(PanelConfiguration, MidiBoundParametersKeepTheirKindAndNeverGoBelowZero)
{
    // A plain control placed after the MIDI control of the same parameter
    // would silence it; a negative minimum would shift its message list.
    int bound = 0;
    for (int i = 0; i < kNumParams; ++i) {
        const ControlAction* action = panel->config.getControlAction(i);
        if (!action)
            continue;
        if (!action->sysEx.messages.empty()) {
            EXPECT_TRUE(action->kind == kActionSysEx || action->kind == kActionSysExSwitch) << i;
            EXPECT_GE(panel->editor.GetParam(i)->GetMin(), 0.0) << i;
            ++bound;
        }
        EXPECT_TRUE(action->ccNumber < 0 || action->kind == kActionCC || action->kind == kActionCCSwitch) << i;
    }
    EXPECT_GE(bound, 100);
}

TEST_F(PanelConfiguration, StepBytesFromTheSynthGoBackUnchangedInTheEditedSound)
{
    // event 11, time 1, glide 1; event 15 (the last), time 3, glide 1; event 8 alone
    const std::pair<int, uint8_t> rows[] = {{1, 0x5B}, {16, 0x7F}, {9, 0x08}};
    std::vector<uint8_t> dump = kDocumentedInitSound;
    for (const auto& [step, byte] : rows)
        dump[96 + step] = byte;
    SurfaceSink sink(panel->graphics);
    zsysex::decodeSoundParameters(dump.data(), int(dump.size()), zsysex::SectionLockState(), sink);
    const MIDIMessageSender::SoundDump sent =
        MIDIMessageSender::buildArrangementDump(EditorParameterSource(panel->editor), "INIT", 0, 0);
    for (const auto& [step, byte] : rows)
        EXPECT_EQ(int(sent[96 + step]), int(byte)) << "step " << step;
}
