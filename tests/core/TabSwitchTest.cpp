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
        for (int step = 2; step <= 16; ++step) {
            char name[32];
            std::snprintf(name, sizeof name, "pattStepOverlayer%02d", step);
            layers[name] = addLayer(name);
        }
        arpeggiator = addLayer("arpeggiator");
        ControlLayer* arpPage = addLayer("arpPage", arpeggiator, 0);
        for (int row = 200; row <= 215; ++row)
            stepRows.push_back(addLayer("row", arpPage, row));
    }
    void switchTo(int tab)
    {
        quietly([&] { TabSwitchFunctions::mainTabSwitch(editor.get(), kMainTab, tab, 0); });
    }
    bool shown(const std::string& name) { return !hidden(layers.at(name)); }
    bool overlayShown(int step)
    {
        char name[32];
        std::snprintf(name, sizeof name, "pattStepOverlayer%02d", step);
        return shown(name);
    }

    ControlLayer* root = nullptr;
    ControlLayer* arpeggiator = nullptr;
    std::vector<ControlLayer*> stepRows;
    std::map<std::string, ControlLayer*> layers;
};

}  // namespace

TEST_F(TabSwitch, TabsOpenTheirPageOnItsFirstSubPageAndOnlyTabZeroHidesTheMixer)
{
    for (int tab : {1, 3, 0}) {
        ControlLayer* page = root->GetLayer(tab);
        page->SetSelectedChildId(1);
        switchTo(tab);
        EXPECT_EQ(root->GetSelectedChildId(), tab);
        for (int other = 0; other < 4; ++other)
            EXPECT_EQ(hidden(root->GetLayer(other)), other != tab) << tab << " " << other;
        if (tab != 0) {
            EXPECT_EQ(page->GetSelectedChildId(), 0) << tab;
            EXPECT_TRUE(hidden(page->GetLayer(1))) << tab;
        }
        EXPECT_EQ(shown("miniMixer"), tab != 0);
    }
    for (const char* name : {"LeftPatchPopupMenu", "BANKEDITMENU", "arpTempoKnob", "searchField", "aboutWindow"})
        EXPECT_FALSE(shown(name)) << name;
}

TEST_F(TabSwitch, OctaveIndicatorsFollowTheSemitones)
{
    editor->GetParam(kOscillator1Semitone)->Set(24);
    editor->GetParam(kOscillator2Semitone)->Set(30);
    editor->GetParam(kOscillator3Semitone)->Set(96);
    switchTo(2);
    EXPECT_EQ(value(kOscillator1OctaveIndicator), 1.0);
    EXPECT_EQ(value(kOscillator2OctaveIndicator), 0.0);
    EXPECT_EQ(value(kOscillator3OctaveIndicator), 1.0);
}

TEST_F(TabSwitch, OscillatorOneShapeDecidesWhichControlsExist)
{
    struct ShapeCase {
        int shape;
        std::vector<const char*> shownLayers;
        std::vector<const char*> hiddenLayers;
        std::vector<const char*> grayedLayers;
        std::vector<const char*> activeLayers;
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
        editor->GetParam(kOscillator1Shape)->Set(c.shape);
        switchTo(2);
        for (const char* name : c.shownLayers)
            EXPECT_TRUE(shown(name)) << c.shape << " " << name;
        for (const char* name : c.hiddenLayers)
            EXPECT_FALSE(shown(name)) << c.shape << " " << name;
        for (const char* name : c.grayedLayers)
            EXPECT_TRUE(grayed(layers.at(name))) << c.shape << " " << name;
        for (const char* name : c.activeLayers)
            EXPECT_FALSE(grayed(layers.at(name))) << c.shape << " " << name;
    }
}

TEST_F(TabSwitch, PatternLengthGreysTheRowsAndShowsTheOverlaysFromTwoStepsPastIt)
{
    editor->GetParam(kPatternLength)->Set(15);
    switchTo(3);
    for (int step = 2; step <= 16; ++step)
        EXPECT_FALSE(overlayShown(step)) << step;
    for (ControlLayer* row : stepRows)
        EXPECT_FALSE(grayed(row)) << row->GetID();

    editor->GetParam(kPatternLength)->Set(0);
    switchTo(3);
    for (int step = 2; step <= 16; ++step)
        EXPECT_TRUE(overlayShown(step)) << step;
    EXPECT_FALSE(grayed(stepRows[0]));
    EXPECT_TRUE(grayed(stepRows[1]));
    EXPECT_TRUE(shown("arpTempoKnob") && shown("arpTempoClock"));
    EXPECT_TRUE(grayed(layers.at("arpTempoClock")));

    // The overlays start two steps past the length.
    switchTo(0);  // hides every overlay
    editor->DrawPatternOverlayer(14);
    for (int step = 2; step <= 16; ++step)
        EXPECT_EQ(overlayShown(step), step == 16) << step;
    switchTo(0);
    editor->DrawPatternOverlayer(-1);
    editor->DrawPatternOverlayer(15);
    for (int step = 2; step <= 16; ++step)
        EXPECT_FALSE(overlayShown(step)) << step;
}

TEST_F(TabSwitch, ProcessingIndicatorRestoresTheLibrarianSearchOrCategory)
{
    editor->GetParam(kMainTab)->Set(1);
    for (double search : {1.0, 0.0}) {
        editor->GetParam(kPatchSearch)->Set(search);
        editor->DisplayProcessingIndicator(true);
        EXPECT_TRUE(shown("PROGRESS"));
        EXPECT_FALSE(shown("searchField"));
        editor->midiMessageManager->patchRequested = true;
        editor->DisplayProcessingIndicator(false);
        EXPECT_FALSE(shown("PROGRESS"));
        EXPECT_EQ(shown("searchField"), search == 1.0);
        EXPECT_EQ(shown("categoryLimit"), search == 0.0);
        EXPECT_FALSE(editor->midiMessageManager->patchRequested);
    }
}

TEST_F(TabSwitch, MissingLayersAreSkippedAndNamedOnce)
{
    std::unique_ptr<RecordingEditor> bare;
    const std::string out = quietly([&] {
        bare = std::make_unique<RecordingEditor>();  // its start-up switches to tab 2 as well
        TabSwitchFunctions::mainTabSwitch(bare.get(), kMainTab, 2, 0);
        TabSwitchFunctions::mainTabSwitch(bare.get(), kMainTab, 3, 0);
    });
    size_t count = 0;
    for (size_t at = out.find("Layer root NOT FOUND!"); at != std::string::npos; at = out.find("Layer root NOT FOUND!", at + 1))
        ++count;
    EXPECT_EQ(count, 1u);
}
