// The main tab switch over a layer tree named like the configuration's, the
// pattern-step overlays and the processing indicator.
#include <map>

#include "EditorCoreSupport.h"
#include "TabSwitchFunctions.h"

namespace {

class TabSwitch : public CoreTest {
protected:
    void SetUp() override
    {
        CoreTest::SetUp();
        root = addLayer("root");
        for (int tab = 0; tab < 4; ++tab) {
            ControlLayer* page = addLayer("page" + std::to_string(tab), root, tab);
            addLayer("sub0", page, 0);
            addLayer("sub1", page, 1);
        }
        for (const char* name : {"miniMixer", "LeftPatchPopupMenu", "RightPatchPopupMenu", "RightCategoryPopupMenu",
                 "RightSearchPopupMenu", "BANKEDITMENU", "discardChangesLayerRight", "arpTempoKnob", "arpTempoClock",
                 "categoryLimit", "aboutWindow", "osc1KeytrackBtn", "osc1AmpEnvFade", "osc1UnisonKnob",
                 "osc2KeytrackBtn", "osc2AmpEnvFade", "oscillator2Parameters", "oscillator3Parameters",
                 "lfo1ClockedLayer", "searchField", "saveChangesLayer", "releaseAllLocksLayer", "PROGRESS"})
            layers[name] = addLayer(name);
        for (int step = 2; step <= 16; ++step)
            overlays.push_back(addLayer(overlayName(step)));
        ControlLayer* arpPage = addLayer("arpPage", addLayer("arpeggiator"), 0);
        for (int row = 200; row <= 215; ++row)
            stepRows.push_back(addLayer("row", arpPage, row));
    }
    static std::string overlayName(int step)
    {
        char name[32];
        std::snprintf(name, sizeof name, "pattStepOverlayer%02d", step);
        return name;
    }
    void switchTo(int tab)
    {
        quietly([&] { TabSwitchFunctions::mainTabSwitch(editor.get(), kMainTab, tab, 0); });
    }
    bool shown(const std::string& name) { return !hidden(layers.at(name)); }
    // The steps (2..16) whose overlay is shown.
    std::vector<int> overlaysShown()
    {
        std::vector<int> steps;
        for (size_t i = 0; i < overlays.size(); ++i)
            if (!hidden(overlays[i]))
                steps.push_back(static_cast<int>(i) + 2);
        return steps;
    }

    ControlLayer* root = nullptr;
    std::vector<ControlLayer*> overlays;
    std::vector<ControlLayer*> stepRows;
    std::map<std::string, ControlLayer*> layers;
};

}  // namespace

TEST_F(TabSwitch, TabsOpenTheirPageOnItsFirstSubPageOnlyTabZeroHidesTheMixerAndTheSoundPageFollowsTheSound)
{
    for (int tab : {1, 3, 0}) {
        ControlLayer* page = root->GetLayer(tab);
        page->SetSelectedChildId(1);
        switchTo(tab);
        EXPECT_EQ(root->GetSelectedChildId(), tab);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(hidden(root->GetLayer(other)), other != tab) << tab << " " << other;
        EXPECT_TRUE(tab == 0 || (page->GetSelectedChildId() == 0 && hidden(page->GetLayer(1)))) << tab;
        EXPECT_EQ(shown("miniMixer"), tab != 0);
    }
    for (const char* name : {"LeftPatchPopupMenu", "BANKEDITMENU", "arpTempoKnob", "searchField", "aboutWindow"})
        EXPECT_FALSE(shown(name)) << name;
    // The sound page shows the octave indicators and, from shape 5 on, the clocked LFO's controls.
    editor->GetParam(kOscillator1Semitone)->Set(24);
    editor->GetParam(kOscillator2Semitone)->Set(30);
    editor->GetParam(kOscillator3Semitone)->Set(96);
    for (double shape : {5, 4}) {
        editor->GetParam(kLFO1ShapeClock)->Set(shape);
        switchTo(2);
        EXPECT_EQ(shown("lfo1ClockedLayer"), shape == 5);
    }
    EXPECT_EQ((std::vector<double> {1, 0, 1}), (std::vector<double> {value(kOscillator1OctaveIndicator),
                  value(kOscillator2OctaveIndicator), value(kOscillator3OctaveIndicator)}));
}

TEST_F(TabSwitch, OscillatorOneShapeDecidesWhichControlsExist)
{
    struct ShapeCase {
        int shape;
        std::vector<const char*> shownLayers, hiddenLayers, grayedLayers, activeLayers;
    };
    const ShapeCase cases[] = {
        {3, {"osc1KeytrackBtn", "osc2KeytrackBtn"}, {"osc1UnisonKnob", "osc1AmpEnvFade"}, {},
            {"oscillator2Parameters", "oscillator3Parameters", "osc2KeytrackBtn"}},
        {5, {"osc1UnisonKnob"}, {"osc1KeytrackBtn"},
            {"oscillator2Parameters", "oscillator3Parameters", "osc2KeytrackBtn", "osc2AmpEnvFade"}, {}},
        {8, {"osc1AmpEnvFade"}, {"osc1UnisonKnob"}, {"oscillator2Parameters", "oscillator3Parameters"}, {}},
        {9, {"osc1AmpEnvFade", "osc2AmpEnvFade"}, {"osc2KeytrackBtn"}, {"oscillator3Parameters"},
            {"oscillator2Parameters"}},
        {10, {"osc1AmpEnvFade"}, {"osc1KeytrackBtn", "osc1UnisonKnob"}, {}, {"oscillator2Parameters"}},
    };
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(c.shape);
        editor->GetParam(kOscillator1Shape)->Set(c.shape);
        switchTo(2);
        for (const char* name : c.shownLayers)
            EXPECT_TRUE(shown(name)) << name;
        for (const char* name : c.hiddenLayers)
            EXPECT_FALSE(shown(name)) << name;
        for (const char* name : c.grayedLayers)
            EXPECT_TRUE(grayed(layers.at(name))) << name;
        for (const char* name : c.activeLayers)
            EXPECT_FALSE(grayed(layers.at(name))) << name;
    }
}

TEST_F(TabSwitch, PatternLengthGreysTheRowsAndShowsTheOverlaysFromTwoStepsPastIt)
{
    editor->GetParam(kPatternLength)->Set(15);
    switchTo(3);
    EXPECT_EQ(overlaysShown(), std::vector<int> {});
    for (ControlLayer* row : stepRows)
        EXPECT_FALSE(grayed(row)) << row->GetID();

    editor->GetParam(kPatternLength)->Set(0);
    switchTo(3);
    EXPECT_EQ(overlaysShown().size(), 15u);
    EXPECT_FALSE(grayed(stepRows[0]));
    EXPECT_TRUE(grayed(stepRows[1]));
    EXPECT_TRUE(shown("arpTempoKnob") && shown("arpTempoClock"));
    EXPECT_TRUE(grayed(layers.at("arpTempoClock")));

    switchTo(0);  // hides every overlay
    editor->DrawPatternOverlayer(14);
    EXPECT_EQ(overlaysShown(), std::vector<int> {16});
    switchTo(0);
    editor->DrawPatternOverlayer(-1);
    editor->DrawPatternOverlayer(15);
    EXPECT_EQ(overlaysShown(), std::vector<int> {});
}

TEST_F(TabSwitch, ProcessingIndicatorRestoresTheLibrarianSearchOrCategory)
{
    editor->GetParam(kMainTab)->Set(1);
    for (double search : {1.0, 0.0}) {
        editor->GetParam(kPatchSearch)->Set(search);
        editor->DisplayProcessingIndicator(true);
        EXPECT_TRUE(shown("PROGRESS") && !shown("searchField"));
        editor->midiMessageManager->patchRequested = true;
        editor->DisplayProcessingIndicator(false);
        EXPECT_FALSE(shown("PROGRESS") || editor->midiMessageManager->patchRequested);
        EXPECT_EQ(shown("searchField"), search == 1.0);
        EXPECT_EQ(shown("categoryLimit"), search == 0.0);
    }
}
